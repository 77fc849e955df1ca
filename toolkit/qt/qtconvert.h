#pragma once

#include "toolkit/core/bitmap32.h"
#include "toolkit/core/datetimevalue.h"
#include "toolkit/core/region.h"
#include "toolkit/core/tstring.h"
#include "toolkit/core/types.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <span>

class QMenu;
class QWidget;

// Conversions between the toolkit's value types and Qt's, for the code that talks to Qt.
// Every one is exact: a value taken to Qt and back is the value it was.

// Unit for unit: QString::fromUtf16 would take a leading U+FEFF for a byte order mark
// and drop it.
inline QString ToQt(TStringView Text)
{
    return QString(reinterpret_cast<const QChar*>(Text.data()), qsizetype(Text.size()));
}
// A null QString and an empty one both give an empty TString.
inline TString FromQt(const QString& Text)
{
    return TString(reinterpret_cast<const char16_t*>(Text.utf16()), size_t(Text.size()));
}

// The window behind a handle and back; the handle of a null widget is null.
inline TWindowHandle HandleOf(QWidget* Widget)
{
    return reinterpret_cast<TWindowHandle>(Widget);
}
inline QWidget* WidgetOf(TWindowHandle Window)
{
    return reinterpret_cast<QWidget*>(Window);
}

// The icon behind a handle is the caller's: the handle is good while that icon lives.
inline TIconHandle IconHandleOf(const QIcon& Icon)
{
    return reinterpret_cast<TIconHandle>(const_cast<QIcon*>(&Icon));
}
// A copy of the icon behind the handle; a null handle gives a null icon.
inline QIcon IconOf(TIconHandle Icon)
{
    return Icon ? *reinterpret_cast<const QIcon*>(Icon) : QIcon();
}
inline TMenuHandle MenuHandleOf(QMenu* Menu)
{
    return reinterpret_cast<TMenuHandle>(Menu);
}
inline QMenu* MenuOf(TMenuHandle Menu)
{
    return reinterpret_cast<QMenu*>(Menu);
}

inline QPoint ToQt(TPoint P)
{
    return { P.X, P.Y };
}
inline TPoint FromQt(QPoint P)
{
    return { P.x(), P.y() };
}
inline QSize ToQt(TSize S)
{
    return { S.Width, S.Height };
}
inline TSize FromQt(QSize S)
{
    return { S.width(), S.height() };
}
// QRect's right() and bottom() are its last pixel, TRect's Right and Bottom the first
// past it.
inline QRect ToQt(const TRect& R)
{
    return { R.Left, R.Top, R.Width(), R.Height() };
}
inline TRect FromQt(const QRect& R)
{
    return TRect::FromSize(R.x(), R.y(), R.width(), R.height());
}

// Both keep the same banded rectangles: they pass over as they are.
QRegion ToQt(const TRegion& Region);
TRegion FromQt(const QRegion& Region);

// A QImage over the bitmap's own pixels (Format_ARGB32), valid while the bitmap lives
// and is not resized; drawing into it draws into the bitmap.
QImage QImageView(TBitmap32& Bitmap);
// A QImage of its own with a copy of the pixels.
QImage ToQt(const TBitmap32& Bitmap);
// A QImage that takes the bitmap's pixels over without copying them, as Format_ARGB32 or,
// for a bitmap whose every alpha is 255 (a decoded bitmap or JPEG picture),
// Format_RGB32, which Qt draws without blending.
QImage ToQt(TBitmap32&& Bitmap, QImage::Format Format = QImage::Format_ARGB32);
// The image's pixels, converted to Format_ARGB32 first when they are in another format.
TBitmap32 FromQt(const QImage& Image);

// The bytes a Qt byte array holds, for the decoders, which take plain bytes.
inline std::span<const std::uint8_t> BytesOf(QByteArrayView Data)
{
    return { reinterpret_cast<const std::uint8_t*>(Data.data()), size_t(Data.size()) };
}

// An invalid QDateTime reads as 0 (1899-12-30 00:00).
TDateTime DateTimeFromQt(const QDateTime& Value);
// Throws EConvertError for values outside the years 1 to 9999 or not finite.
QDateTime DateTimeToQt(TDateTime Value);
