#pragma once

#include "toolkit/core/bitmap32.h"
#include "toolkit/core/classes.h"
#include "toolkit/core/icon.h"

#include <vector>

// A list of pictures of one size, handed out as icons (the tray icon's animation takes
// its images from one). Images added at another size are scaled to the list's size.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list, as the images no longer fit.
    void SetSize(int AWidth, int AHeight);

    int Count() const { return int(FImages.size()); }
    // Appends an image; returns its index. An empty image is refused (-1).
    int Add(const TBitmap32& Image);
    void Clear();

    // Copies image Index into Icon; an index outside the list empties Icon.
    void GetIcon(int Index, TIcon& Icon) const;
    const TBitmap32& Image(int Index) const { return FImages.at(size_t(Index)); }

private:
    int FWidth = 16;
    int FHeight = 16;
    std::vector<TBitmap32> FImages;
};
