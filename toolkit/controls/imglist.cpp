#include "toolkit/controls/imglist.h"

#include <QIcon>
#include <QPixmap>

#include <algorithm>

TImageList::TImageList(TComponent* AOwner)
    : TComponent(AOwner)
{
}

void TImageList::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(1, AWidth);
    AHeight = std::max(1, AHeight);
    if (AWidth == FWidth && AHeight == FHeight) {
        return;
    }
    FWidth = AWidth;
    FHeight = AHeight;
    Clear();
}

int TImageList::Add(const QImage& Image)
{
    if (Image.isNull()) {
        return -1;
    }
    QImage Stored = Image.convertToFormat(QImage::Format_ARGB32);
    if (Stored.width() != FWidth || Stored.height() != FHeight) {
        Stored = Stored.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    FImages.push_back(Stored);
    return Count() - 1;
}

void TImageList::Clear()
{
    FImages.clear();
}

void TImageList::GetIcon(int Index, QIcon& Icon) const
{
    if (Index < 0 || Index >= Count()) {
        Icon = QIcon();
        return;
    }
    Icon = QIcon(QPixmap::fromImage(FImages[size_t(Index)]));
}
