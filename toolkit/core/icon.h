#pragma once

#include "toolkit/core/bitmap32.h"

#include <utility>
#include <vector>

// An icon: the same picture at one or more sizes, in the order they were added (an icon
// file's order), for the window system to choose the size it shows. No image is no icon.
class TIcon {
public:
    TIcon() = default;
    explicit TIcon(std::vector<TBitmap32> Images)
    {
        for (TBitmap32& Image : Images) {
            Add(std::move(Image));
        }
    }

    const std::vector<TBitmap32>& Images() const { return FImages; }
    bool IsEmpty() const { return FImages.empty(); }
    // An empty bitmap adds nothing.
    void Add(TBitmap32 Image)
    {
        if (!Image.IsEmpty()) {
            FImages.push_back(std::move(Image));
        }
    }
    void Clear() { FImages.clear(); }

    friend bool operator==(const TIcon&, const TIcon&) = default;

private:
    std::vector<TBitmap32> FImages;
};
