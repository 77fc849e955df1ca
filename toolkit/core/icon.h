#pragma once

#include "toolkit/core/bitmap32.h"

#include <memory>
#include <utility>
#include <vector>

// An icon: the same picture at one or more sizes, in the order they were added (an icon
// file's order), for the window system to choose the size it shows. No image is no icon.
// Copies share the images (a program icon of every size is a third of a megabyte): the
// program, its tray icon and the window system's side hold one set of pixels.
class TIcon {
public:
    TIcon() = default;
    explicit TIcon(std::vector<TBitmap32> Images)
    {
        std::erase_if(Images, [](const TBitmap32& Image) { return Image.IsEmpty(); });
        if (!Images.empty()) {
            FImages = std::make_shared<const std::vector<TBitmap32>>(std::move(Images));
        }
    }

    const std::vector<TBitmap32>& Images() const { return FImages ? *FImages : NoImages(); }
    bool IsEmpty() const { return !FImages; }
    // An empty bitmap adds nothing. The images are copied first if another icon shares them.
    void Add(TBitmap32 Image)
    {
        if (!Image.IsEmpty()) {
            auto Images = std::make_shared<std::vector<TBitmap32>>(this->Images());
            Images->push_back(std::move(Image));
            FImages = std::move(Images);
        }
    }
    void Clear() { FImages.reset(); }
    // Whether both hold the very same images (one is a copy of the other).
    bool SharesImagesWith(const TIcon& Other) const { return FImages && FImages == Other.FImages; }

    friend bool operator==(const TIcon& A, const TIcon& B) { return A.Images() == B.Images(); }

private:
    static const std::vector<TBitmap32>& NoImages()
    {
        static const std::vector<TBitmap32> None;
        return None;
    }
    std::shared_ptr<const std::vector<TBitmap32>> FImages;
};
