#pragma once

#include "toolkit/core/classes.h"

#include <QImage>

#include <vector>

class QIcon;

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
    // Appends an image; returns its index. A null image is refused (-1).
    int Add(const QImage& Image);
    void Clear();

    // Copies image Index into Icon; an index outside the list empties Icon.
    void GetIcon(int Index, QIcon& Icon) const;
    const QImage& Image(int Index) const { return FImages.at(size_t(Index)); }

private:
    int FWidth = 16;
    int FHeight = 16;
    std::vector<QImage> FImages;
};
