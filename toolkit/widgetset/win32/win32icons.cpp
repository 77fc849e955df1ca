// Icons for the window system: the program's (its windows' big and small icons) and the
// notification area's, made from the toolkit's bitmaps.
#include "toolkit/widgetset/win32/win32ws.h"

#include <algorithm>
#include <cstdlib>

namespace win32ws {

HICON IconOf(const TBitmap32& Image)
{
    if (Image.IsEmpty() || Image.Width() > 256 || Image.Height() > 256) {
        return nullptr;
    }
    BITMAPINFO Info {};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = Image.Width();
    Info.bmiHeader.biHeight = -Image.Height();
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    HBITMAP Color = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
    if (!Color) {
        return nullptr;
    }
    // A 32-bit icon's colour bitmap holds its alpha, unpremultiplied, as TBitmap32 does.
    std::copy_n(Image.Bits(), std::size_t(Image.Width()) * std::size_t(Image.Height()),
        static_cast<std::uint32_t*>(Bits));
    const std::vector<BYTE> Zeros(
        std::size_t((Image.Width() + 15) / 16 * 2) * std::size_t(Image.Height()));
    HBITMAP Mask = CreateBitmap(Image.Width(), Image.Height(), 1, 1, Zeros.data());
    ICONINFO Icon { TRUE, 0, 0, Mask, Color };
    HICON Made = Mask ? CreateIconIndirect(&Icon) : nullptr;
    if (Mask) {
        DeleteObject(Mask);
    }
    DeleteObject(Color);
    return Made;
}

const TBitmap32* Nearest(const std::vector<TBitmap32>& Images, int Size)
{
    const TBitmap32* Best = nullptr;
    for (const TBitmap32& Image : Images) {
        if (!Image.IsEmpty() && Image.Width() <= 256 && Image.Height() <= 256
            && (!Best || std::abs(Image.Width() - Size) < std::abs(Best->Width() - Size))) {
            Best = &Image;
        }
    }
    return Best;
}

namespace {
    // The notification area's icon: the image nearest the small icon size, as an HICON
    // this object destroys (the area takes a copy of it).
    class TWin32Icon : public TWSIcon {
    public:
        explicit TWin32Icon(HICON AIcon)
            : FIcon(AIcon)
        {
        }
        ~TWin32Icon() override
        {
            if (FIcon) {
                DestroyIcon(FIcon);
            }
        }
        TIconHandle Handle() const override { return reinterpret_cast<TIconHandle>(FIcon); }

    private:
        HICON FIcon;
    };
}

std::unique_ptr<TWSIcon> CreateTrayIcon(const TIcon& Icon)
{
    const TBitmap32* Small = Nearest(Icon.Images(), GetSystemMetrics(SM_CXSMICON));
    return std::make_unique<TWin32Icon>(Small ? IconOf(*Small) : nullptr);
}

}
