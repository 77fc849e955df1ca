#include "toolkit/widgetset/win32/win32ws.h"

#include "toolkit/widgetset/faces.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace win32ws {

COLORREF ColorRef(TColor Color)
{
    if ((Color & 0xFF000000) == clSystemColor) {
        return GetSysColor(int(Color & 0xFF));
    }
    return COLORREF(Color & 0xFFFFFF);
}

std::uint32_t PixelOf(TColor Color)
{
    const COLORREF C = ColorRef(Color);
    return 0xFF000000u | std::uint32_t(GetRValue(C)) << 16 | std::uint32_t(GetGValue(C)) << 8
        | GetBValue(C);
}

// --- fonts ---------------------------------------------------------------------------

namespace {
    // A program uses a handful of fonts; a caller that asks for ever new ones (a height
    // computed from input, say) empties the cache instead of growing it without end.
    constexpr std::size_t MaxCachedFonts = 64;

    struct TFontKey {
        TString Name;
        int Height;
        bool Bold;
        bool Underline;
    };
    // A font is looked up by a view of its name: each paint looks up its fonts, and a
    // copy of a name longer than the string's own room is an allocation each time.
    struct TFontKeyView {
        TStringView Name;
        int Height;
        bool Bold;
        bool Underline;
    };
    struct TFontKeyLess {
        using is_transparent = void;
        template <class A, class B>
        bool operator()(const A& X, const B& Y) const
        {
            return std::make_tuple(TStringView(X.Name), X.Height, X.Bold, X.Underline)
                < std::make_tuple(TStringView(Y.Name), Y.Height, Y.Bold, Y.Underline);
        }
    };

    // A font whose face GDI did not find stands in with another face. GDI binds a
    // font to its face when it is made, so one made before the program added its own
    // face (the digit font, added privately at start) would stand in for good: such a
    // font is made again until its face is there, a second after it was made, then
    // twice as long after each try. A face the system does not have (a skin's date face
    // is often missing) soon costs nothing; a WM_FONTCHANGE makes the next use try again.
    constexpr ULONGLONG StandInFirstRetryMs = 1000;
    constexpr ULONGLONG StandInLastRetryMs = 256 * 1000;

    // A face as GDI draws it: its metrics, and how far a glyph's ink may reach past its
    // advance, left or right (ABC widths).
    struct TDrawn {
        TTextMetrics Metrics;
        int Overhang = 0;
    };

    struct TCachedFont {
        HFONT Font = nullptr;
        bool StandIn = false;
        ULONGLONG MadeAt = 0;
        ULONGLONG RetryMs = StandInFirstRetryMs;
        // The drawn face's metrics, measured once, and the widths of the texts measured
        // last: each paint of a label and each tick's caption ask for them again, and
        // each measure selects the font into a context, which GDI realises again.
        bool Measured = false;
        TDrawn Drawn;
        std::map<TString, int, std::less<>> Widths;
    };
    // A clock measures its digits, its colon and the runs of its date; a text that
    // changes all the time empties the widths instead of growing them.
    constexpr std::size_t MaxCachedWidths = 64;

    std::map<TFontKey, TCachedFont, TFontKeyLess>& FontCache()
    {
        static std::map<TFontKey, TCachedFont, TFontKeyLess> Cache;
        return Cache;
    }

    // A font selected into a memory DC compatible with the screen, for measuring, for as
    // long as this lives.
    class TMeasuring {
    public:
        explicit TMeasuring(HFONT Font)
            : FOld(SelectObject(Dc(), Font))
        {
        }
        ~TMeasuring() { SelectObject(Dc(), FOld); }
        TMeasuring(const TMeasuring&) = delete;
        TMeasuring& operator=(const TMeasuring&) = delete;
        static HDC Dc()
        {
            static HDC Made = CreateCompatibleDC(nullptr);
            return Made;
        }

    private:
        HGDIOBJ FOld;
    };

    // Whether GDI realises the font in the face it was asked for.
    bool HasItsFace(HFONT Font, const TString& Face)
    {
        const TMeasuring Measuring(Font);
        wchar_t Realised[LF_FACESIZE] = {};
        const int Length = GetTextFaceW(TMeasuring::Dc(), LF_FACESIZE, Realised);
        const TString Got(reinterpret_cast<const char16_t*>(Realised),
            std::size_t(std::clamp(Length - 1, 0, LF_FACESIZE - 1)));
        return LowerCase(Got) == LowerCase(Face.substr(0, LF_FACESIZE - 1));
    }

    // The program names its own faces (the digit face) by an alias of its choosing; the
    // family a font file declares is known only once the file is added. Keyed in lower
    // case: GDI's face names are not case-sensitive.
    constexpr std::size_t MaxAliases = 64;

    std::map<TString, TString>& Aliases()
    {
        static std::map<TString, TString> All;
        return All;
    }

    // The face GDI is asked for: the alias's family, or the name itself.
    TString FaceOf(const TString& Name)
    {
        const auto Found = Aliases().find(LowerCase(Name));
        return Found != Aliases().end() ? Found->second : Name;
    }

    // A font let go by the cache is first taken out of the kept buffer's context, where
    // it may still be selected (defined with that context below).
    void LetFontGo(HFONT Font);

    TCachedFont MakeCachedFont(const TFont& Font)
    {
        TCachedFont Made;
        Made.Font = CreateFontFor(Font);
        Made.MadeAt = GetTickCount64();
        Made.StandIn = Made.Font && !HasItsFace(Made.Font, FaceOf(Font.Name));
        return Made;
    }
}

void SetFaceAlias(TStringView Alias, TStringView Family)
{
    TString Key = LowerCase(TString(Alias));
    if (Key.empty() || (Aliases().size() >= MaxAliases && !Aliases().contains(Key))) {
        return;
    }
    Aliases()[std::move(Key)] = TString(Family);
    // Fonts made for the alias before stood in with another face.
    ClearFontCache();
}

HFONT CreateFontFor(const TFont& Font, DWORD Quality)
{
    // The face name fits LOGFONT's 32 units with its terminator; a longer name is no face.
    TString Face = FaceOf(Font.Name).substr(0, LF_FACESIZE - 1);
    // A negative height asks for the character height (the cell without its internal
    // leading), which is what the layouts give.
    const int Height
        = -std::clamp(IsDigitFace(Font) ? DigitDrawnHeight(Font) : Font.Height, 1, 2000);
    auto Make = [&](int Width) {
        return CreateFontW(Height, Width, 0, 0, Font.Bold ? FW_BOLD : FW_NORMAL, FALSE,
            Font.Underline ? TRUE : FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
            CLIP_DEFAULT_PRECIS, Quality, DEFAULT_PITCH | FF_DONTCARE,
            reinterpret_cast<const wchar_t*>(Face.c_str()));
    };
    HFONT Made = Make(0);
    if (!Made || !IsDigitFace(Font)) {
        return Made;
    }
    // Narrowed: GDI stretches a face by its average character width.
    TEXTMETRICW Metrics {};
    {
        const TMeasuring Measuring(Made);
        GetTextMetricsW(TMeasuring::Dc(), &Metrics);
    }
    const int Width = std::max(1, int(Metrics.tmAveCharWidth * DigitStretchPercent / 100.0 + 0.5));
    HFONT Narrow = Make(Width);
    if (!Narrow) {
        return Made;
    }
    DeleteObject(Made);
    return Narrow;
}

namespace {
    // The two entries found last: a text's paint asks for its font (a titling text for
    // its smaller one too) several times over. Emptied with the cache.
    struct TRecentFont {
        const TFontKey* Key = nullptr;
        TCachedFont* Entry = nullptr;
    };
    std::array<TRecentFont, 2> RecentFonts;

    TCachedFont* Remember(const TFontKey& Key, TCachedFont& Entry)
    {
        RecentFonts[1] = RecentFonts[0];
        RecentFonts[0] = { &Key, &Entry };
        return &Entry;
    }

    // What was drawn in a stand-in face is drawn again whole once the face is there: a
    // band repainted alone would show both faces side by side.
    void RepaintThreadWindows()
    {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND Window, LPARAM) -> BOOL {
                RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
                return TRUE;
            },
            0);
    }

    TCachedFont* FoundEntry(const TFont& Font)
    {
        for (const TRecentFont& Recent : RecentFonts) {
            if (Recent.Key && Recent.Key->Height == Font.Height && Recent.Key->Bold == Font.Bold
                && Recent.Key->Underline == Font.Underline && Recent.Key->Name == Font.Name) {
                return Recent.Entry;
            }
        }
        auto& Cache = FontCache();
        auto Found = Cache.find(TFontKeyView { Font.Name, Font.Height, Font.Bold, Font.Underline });
        return Found != Cache.end() ? Remember(Found->first, Found->second) : nullptr;
    }

    // The cache's entry for the font, made when missing; null when GDI cannot make it.
    TCachedFont* CachedEntry(const TFont& Font)
    {
        auto& Cache = FontCache();
        if (TCachedFont* Found = FoundEntry(Font)) {
            TCachedFont& Entry = *Found;
            if (Entry.StandIn && GetTickCount64() - Entry.MadeAt >= Entry.RetryMs) {
                TCachedFont Again = MakeCachedFont(Font);
                if (Again.Font && !Again.StandIn) {
                    LetFontGo(Entry.Font);
                    Entry = Again;
                    RepaintThreadWindows();
                } else {
                    if (Again.Font) {
                        DeleteObject(Again.Font);
                    }
                    Entry.MadeAt = Again.MadeAt;
                    Entry.RetryMs = std::min(Entry.RetryMs * 2, StandInLastRetryMs);
                }
            }
            return &Entry;
        }
        if (Cache.size() >= MaxCachedFonts) {
            ClearFontCache();
        }
        TCachedFont Made = MakeCachedFont(Font);
        if (!Made.Font) {
            return nullptr;
        }
        const auto Added
            = Cache.emplace(TFontKey { Font.Name, Font.Height, Font.Bold, Font.Underline }, Made)
                  .first;
        return Remember(Added->first, Added->second);
    }
}

namespace {
    // The entry's font, or the stock one when GDI could not make it.
    HFONT FontOf(const TCachedFont* Entry)
    {
        return Entry ? Entry->Font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }
}

HFONT CachedFont(const TFont& Font)
{
    return FontOf(CachedEntry(Font));
}

void RetryStandInFonts()
{
    for (auto& [Key, Entry] : FontCache()) {
        if (Entry.StandIn) {
            Entry.MadeAt = 0;
            Entry.RetryMs = StandInFirstRetryMs;
        }
    }
}

// A cached font is selected into a context only during one call, or stays in the kept
// buffer's context, which LetFontGo empties first.
void ClearFontCache()
{
    for (auto& [Key, Entry] : FontCache()) {
        LetFontGo(Entry.Font);
    }
    FontCache().clear();
    RecentFonts = {};
}

TTextMetrics MetricsOf(const TFont& Font)
{
    return IsDigitFace(Font) ? DigitMetrics(Font) : DrawnMetricsOf(Font);
}

namespace {
    // The drawn face's metrics and overhang, measured once per cached font.
    TDrawn DrawnOf(const TFont& Font)
    {
        TCachedFont* Entry = CachedEntry(Font);
        if (Entry && Entry->Measured) {
            return Entry->Drawn;
        }
        const TMeasuring Measuring(FontOf(Entry));
        TEXTMETRICW Metrics {};
        GetTextMetricsW(TMeasuring::Dc(), &Metrics);
        TDrawn Drawn { { int(Metrics.tmAscent), int(Metrics.tmDescent), int(Metrics.tmHeight) },
            int(Metrics.tmHeight) };
        // The overhang over the Latin letters French is written in; a font without ABC
        // widths (not TrueType) counts its height.
        constexpr UINT First = 0x20, Last = 0x17F;
        ABC Widths[Last - First + 1];
        if (GetCharABCWidthsW(TMeasuring::Dc(), First, Last, Widths)) {
            Drawn.Overhang = 0;
            for (const ABC& W : Widths) {
                Drawn.Overhang = std::max({ Drawn.Overhang, -W.abcA, -W.abcC });
            }
        }
        if (Entry) {
            Entry->Drawn = Drawn;
            Entry->Measured = true;
        }
        return Drawn;
    }

    // How far from a text's box its glyphs may draw: the overhang and a pixel of
    // smoothing across, a line's height up and down (accents over capitals).
    TSize ReachOf(const TFont& Font)
    {
        const TDrawn Drawn = DrawnOf(Font);
        return { Drawn.Overhang + 1, Drawn.Metrics.Height };
    }
}

TTextMetrics DrawnMetricsOf(const TFont& Font)
{
    return DrawnOf(Font).Metrics;
}

namespace {
    int WidthOf(const TFont& Font, TStringView Text)
    {
        if (Text.empty()) {
            return 0;
        }
        TCachedFont* Entry = CachedEntry(Font);
        if (Entry) {
            const auto Found = Entry->Widths.find(Text);
            if (Found != Entry->Widths.end()) {
                return Found->second;
            }
        }
        const TMeasuring Measuring(FontOf(Entry));
        SIZE Size {};
        GetTextExtentPoint32W(TMeasuring::Dc(), reinterpret_cast<const wchar_t*>(Text.data()),
            int(Text.size()), &Size);
        if (Entry) {
            if (Entry->Widths.size() >= MaxCachedWidths) {
                Entry->Widths.clear();
            }
            Entry->Widths.emplace(TString(Text), int(Size.cx));
        }
        return int(Size.cx);
    }

    // A titling face's text in runs: its capitals as they are, its small letters as
    // capitals of the smaller font.
    struct TTextRun {
        TString Text;
        bool Small = false;
    };

    // The last text's runs are kept: the long date is split again at each tick's repaint
    // of a corner of it. The result lives until the next call.
    const std::vector<TTextRun>& SmallCapitalRuns(TStringView Text)
    {
        static TString LastText;
        static std::vector<TTextRun> Runs;
        if (Text == LastText && !Text.empty()) {
            return Runs;
        }
        LastText.assign(Text);
        Runs.clear();
        for (const char16_t C : Text) {
            const bool Small = IsCharLowerW(wchar_t(C));
            // CharUpperW converts one character given in the pointer's low word.
            const auto Shown = Small ? char16_t(reinterpret_cast<std::uintptr_t>(
                                   CharUpperW(reinterpret_cast<LPWSTR>(std::uintptr_t(C)))))
                                     : C;
            if (Runs.empty() || Runs.back().Small != Small) {
                Runs.push_back({ {}, Small });
            }
            Runs.back().Text += Shown;
        }
        return Runs;
    }

    // The smaller font of a titling font, kept from one call to the next: a copy of the
    // font (its name) would be an allocation at each text drawn. Good until the next
    // call with another font.
    const TFont& SmallCapitalFont(const TFont& Font)
    {
        static TFont Small;
        const int Height = std::max(1, int(Font.Height * SmallCapitalScale + 0.5));
        if (Small.Name != Font.Name || Small.Height != Height || Small.Bold != Font.Bold
            || Small.Underline != Font.Underline || Small.Color != Font.Color) {
            Small = Font;
            Small.Height = Height;
        }
        return Small;
    }
}

TSize ExtentOf(const TFont& Font, TStringView Text)
{
    int Width = 0;
    if (IsTitlingFace(Font)) {
        const TFont& Small = SmallCapitalFont(Font);
        for (const TTextRun& Run : SmallCapitalRuns(Text)) {
            Width += WidthOf(Run.Small ? Small : Font, Run.Text);
        }
    } else {
        Width = WidthOf(Font, Text);
    }
    return { Width, MetricsOf(Font).Height };
}

// --- the double buffer -----------------------------------------------------------------

namespace {
    HBITMAP MakeDib(TSize Size, std::uint32_t*& Bits)
    {
        BITMAPINFO Info {};
        Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        Info.bmiHeader.biWidth = Size.Width;
        Info.bmiHeader.biHeight = -Size.Height; // top-down, as TBitmap32 lies
        Info.bmiHeader.biPlanes = 1;
        Info.bmiHeader.biBitCount = 32;
        Info.bmiHeader.biCompression = BI_RGB;
        void* Made = nullptr;
        HBITMAP Bitmap = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Made, nullptr, 0);
        Bits = static_cast<std::uint32_t*>(Made);
        return Bitmap;
    }

    HFONT NeutralFont()
    {
        static HFONT Font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
            DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
        return Font;
    }

    // The buffer every paint uses in turn, made once and grown to the largest area
    // painted, in a memory context of its own: a context made for each paint, or a
    // bitmap selected into one, sets its default font up again (under Wine with a
    // look-up of the X resources on disk, twice a second). What is painted covers the
    // whole area each time, so what the buffer held before never shows.
    struct TKeptBuffer {
        HDC Dc = nullptr;
        HBITMAP Bitmap = nullptr;
        std::uint32_t* Bits = nullptr;
        TSize Size;
        bool InUse = false;
        // The font the context holds: it stays selected from one text to the next, as
        // GDI realises a font again (looks its face up) at each selection.
        HFONT Font = nullptr;

        void Select(HFONT Wanted)
        {
            if (Font != Wanted) {
                SelectObject(Dc, Wanted);
                Font = Wanted;
            }
        }

        bool Fit(TSize Wanted)
        {
            if (Bitmap && Size.Width >= Wanted.Width && Size.Height >= Wanted.Height) {
                return true;
            }
            if (!Dc) {
                if (!(Dc = CreateCompatibleDC(nullptr))) {
                    return false;
                }
                // Between the texts drawn, a font that Wine realises without asking the X
                // resources, in place of the context's default.
                Select(NeutralFont());
            }
            const TSize Grown { std::max(Size.Width, Wanted.Width),
                std::max(Size.Height, Wanted.Height) };
            std::uint32_t* GrownBits = nullptr;
            HBITMAP GrownBitmap = MakeDib(Grown, GrownBits);
            if (!GrownBitmap) {
                return false;
            }
            SelectObject(Dc, GrownBitmap);
            if (Bitmap) {
                DeleteObject(Bitmap);
            }
            Bitmap = GrownBitmap;
            Bits = GrownBits;
            Size = Grown;
            return true;
        }
    };
    TKeptBuffer Kept;

    void LetFontGo(HFONT Font)
    {
        if (Kept.Dc && Kept.Font == Font) {
            Kept.Select(NeutralFont());
        }
        DeleteObject(Font);
    }
}

TBuffer::TBuffer(TSize Size)
    : FSize(Size)
{
    if (Size.IsEmpty()) {
        return;
    }
    if (!Kept.InUse && Kept.Fit(Size)) {
        Kept.InUse = true;
        FKept = true;
        FDc = Kept.Dc;
        FBits = Kept.Bits;
        FSize = Kept.Size;
        return;
    }
    // A buffer asked for while the kept one is painted into has one of its own.
    std::uint32_t* Bits = nullptr;
    FBitmap = MakeDib(Size, Bits);
    if (!FBitmap) {
        return;
    }
    FDc = CreateCompatibleDC(nullptr);
    if (!FDc) {
        DeleteObject(FBitmap);
        FBitmap = nullptr;
        return;
    }
    FOld = SelectObject(FDc, FBitmap);
    FBits = Bits;
}

TBuffer::~TBuffer()
{
    if (FKept) {
        Kept.InUse = false;
        return;
    }
    if (FDc) {
        SelectObject(FDc, FOld);
        DeleteDC(FDc);
    }
    if (FBitmap) {
        DeleteObject(FBitmap);
    }
}

// --- the canvas ------------------------------------------------------------------------

TCanvas::TCanvas(HDC Dc, std::uint32_t* Bits, TSize Size, TPoint Offset, const TRect& Clip)
    : FDc(Dc)
    , FBits(Bits)
    , FSize(Size)
    , FOffset(Offset)
    , FClip(Clip.Intersected(TRect::FromSize(0, 0, Size.Width, Size.Height)))
{
}

namespace {
    // Pixel over Target with opacity A (0 to 255), rounded to the nearest.
    std::uint32_t Over(std::uint32_t Target, std::uint32_t Pixel, unsigned A)
    {
        if (A >= 255) {
            return Pixel | 0xFF000000u;
        }
        std::uint32_t Result = 0xFF000000u;
        for (int Shift = 0; Shift <= 16; Shift += 8) {
            const unsigned From = (Target >> Shift) & 0xFF;
            const unsigned To = (Pixel >> Shift) & 0xFF;
            Result |= ((From * (255 - A) + To * A + 127) / 255) << Shift;
        }
        return Result;
    }
}

void TCanvas::Blend(int BX, int BY, std::uint32_t Pixel, double Coverage)
{
    if (!FClip.Contains({ BX, BY }) || Coverage <= 0) {
        return;
    }
    std::uint32_t& Target = FBits[std::size_t(BY) * std::size_t(FSize.Width) + std::size_t(BX)];
    Target = Over(Target, Pixel, unsigned(std::lround((Pixel >> 24) * std::min(Coverage, 1.0))));
}

void TCanvas::FillRect(const TRect& Area, TColor Color)
{
    if (Color == clNone) {
        return;
    }
    GdiFlush(); // text drawn by GDI lands before the pixels are written over it
    const TRect R
        = TRect::FromSize(Area.Left + FOffset.X, Area.Top + FOffset.Y, Area.Width(), Area.Height())
              .Intersected(FClip);
    if (R.IsEmpty()) {
        return;
    }
    const std::uint32_t Pixel = PixelOf(Color);
    for (int Y = R.Top; Y < R.Bottom; ++Y) {
        std::uint32_t* Row = FBits + std::size_t(Y) * std::size_t(FSize.Width);
        std::fill(Row + R.Left, Row + R.Right, Pixel);
    }
}

void TCanvas::DrawBitmap(int X, int Y, const TBitmap32& Bitmap)
{
    DrawBitmap(X, Y, Bitmap, TRect::FromSize(0, 0, Bitmap.Width(), Bitmap.Height()), false);
}

void TCanvas::DrawBitmap(int X, int Y, const TBitmap32& Bitmap, const TRect& Source, bool Opaque)
{
    const TRect Part = Source.Intersected(TRect::FromSize(0, 0, Bitmap.Width(), Bitmap.Height()));
    if (Part.IsEmpty()) {
        return;
    }
    // Where the part's top-left pixel lands in the surface.
    const int PX = X + Part.Left - Source.Left + FOffset.X;
    const int PY = Y + Part.Top - Source.Top + FOffset.Y;
    GdiFlush();
    const TRect R = TRect::FromSize(PX, PY, Part.Width(), Part.Height()).Intersected(FClip);
    if (R.IsEmpty()) {
        return;
    }
    // Row by row over the clipped rectangle, in integers: a skin is the whole window.
    for (int BY = R.Top; BY < R.Bottom; ++BY) {
        const std::uint32_t* Pixels
            = Bitmap.ScanLine(BY - PY + Part.Top) + (R.Left - PX + Part.Left);
        std::uint32_t* Target = FBits + std::size_t(BY) * std::size_t(FSize.Width) + R.Left;
        if (Opaque) {
            std::copy(Pixels, Pixels + R.Width(), Target);
            continue;
        }
        for (int i = 0; i < R.Width(); ++i) {
            if (const unsigned A = Pixels[i] >> 24) {
                Target[i] = Over(Target[i], Pixels[i], A);
            }
        }
    }
}

void TCanvas::TextOut(
    const TFont& Font, const TBrush& Brush, int X, int Y, TStringView Text, const TRect* Clip)
{
    if (Text.empty()) {
        return;
    }
    TRect Box = FClip;
    if (Clip) {
        Box = Box.Intersected(TRect::FromSize(
            Clip->Left + FOffset.X, Clip->Top + FOffset.Y, Clip->Width(), Clip->Height()));
    }
    if (Box.IsEmpty()) {
        return;
    }
    // A text that cannot reach the clip box is not drawn: a tick's repaint of the colon
    // covers a corner of the hour and of the long date. Its width is looked at only for
    // a text that starts left of the box (a changing text is mostly repainted in place).
    const bool Titling = IsTitlingFace(Font) && !FRightToLeft;
    const TFont& Small = Titling ? SmallCapitalFont(Font) : Font;
    TSize Reach = ReachOf(Font);
    if (Titling) {
        Reach.Width = std::max(Reach.Width, ReachOf(Small).Width);
    }
    const int InkLeft = X + FOffset.X - Reach.Width, InkTop = Y + FOffset.Y - Reach.Height;
    const int InkBottom = Y + FOffset.Y + DrawnMetricsOf(Font).Height + Reach.Height;
    if (InkTop >= Box.Bottom || InkBottom <= Box.Top || InkLeft >= Box.Right
        || (InkLeft < Box.Left
            && InkLeft + (Titling ? ExtentOf(Font, Text).Width : WidthOf(Font, Text))
                    + 2 * Reach.Width
                <= Box.Left)) {
        return;
    }
    const RECT ClipRect { Box.Left, Box.Top, Box.Right, Box.Bottom };
    // The kept buffer's context keeps the font; another gets its own back at the end.
    const bool KeptDc = FDc == Kept.Dc;
    HGDIOBJ Old = nullptr;
    auto Use = [&](const TFont& Wanted) {
        if (KeptDc) {
            Kept.Select(CachedFont(Wanted));
        } else if (HGDIOBJ Was = SelectObject(FDc, CachedFont(Wanted)); !Old) {
            Old = Was;
        }
    };
    Use(Font);
    SetTextColor(FDc, ColorRef(Font.Color));
    const bool Opaque = Brush.Style == TBrushStyle::bsSolid && Brush.Color != clNone;
    SetBkMode(FDc, Opaque ? OPAQUE : TRANSPARENT);
    if (Opaque) {
        SetBkColor(FDc, ColorRef(Brush.Color));
    }
    const UINT Options = ETO_CLIPPED | (FRightToLeft ? ETO_RTLREADING : 0);
    auto Draw = [&](int Left, int Top, TStringView Part) {
        ExtTextOutW(FDc, Left + FOffset.X, Top + FOffset.Y, Options, &ClipRect,
            reinterpret_cast<const wchar_t*>(Part.data()), UINT(Part.size()), nullptr);
    };
    if (Titling) {
        // The runs stand on the full font's base line, one after the other; only those
        // that reach the clip box are drawn.
        SetTextAlign(FDc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        const int BaseLine = Y + DrawnMetricsOf(Font).Ascent;
        int Left = X;
        for (const TTextRun& Run : SmallCapitalRuns(Text)) {
            if (Left + FOffset.X - Reach.Width >= Box.Right) {
                break;
            }
            const TFont& RunFont = Run.Small ? Small : Font;
            const int Width = WidthOf(RunFont, Run.Text);
            if (Left + Width + FOffset.X + Reach.Width > Box.Left) {
                Use(RunFont);
                Draw(Left, BaseLine, Run.Text);
            }
            Left += Width;
        }
    } else {
        SetTextAlign(FDc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
        Draw(X, Y, Text);
    }
    // GDI leaves the alpha byte of what it drew at 0, which nothing reads: blending
    // composes colours only and the buffer is copied to the screen as opaque pixels.
    if (Old) {
        SelectObject(FDc, Old);
    }
}

void TCanvas::SetPixel(int X, int Y, TColor Color)
{
    if (Color == clNone) {
        return;
    }
    GdiFlush();
    Blend(X + FOffset.X, Y + FOffset.Y, PixelOf(Color), 1.0);
}

namespace {
    // Where a pixel centre lies against the ellipse of centre (CX, CY) and half-axes (A, B):
    // its distance from the outline in pixels, negative inside (a first-order estimate,
    // exact on circles, which is what a one-pixel line needs).
    double OutlineDistance(double PX, double PY, double CX, double CY, double A, double B)
    {
        const double DX = (PX - CX) / A;
        const double DY = (PY - CY) / B;
        const double R = std::sqrt(DX * DX + DY * DY);
        if (R == 0) {
            return -std::min(A, B);
        }
        // The gradient's length turns the implicit function's value into pixels.
        const double GX = DX / (A * R);
        const double GY = DY / (B * R);
        return (R - 1) / std::sqrt(GX * GX + GY * GY);
    }

    constexpr double Pi = 3.14159265358979323846;
}

void TCanvas::Arc(
    double X, double Y, double W, double H, int StartDegrees, int SpanDegrees, TColor Color)
{
    if (W <= 0 || H <= 0 || SpanDegrees == 0 || Color == clNone) {
        return;
    }
    GdiFlush();
    const std::uint32_t Pixel = PixelOf(Color);
    const double A = W / 2, B = H / 2;
    const double CX = X + A + FOffset.X, CY = Y + B + FOffset.Y;
    // Angles counterclockwise from three o'clock, y growing downwards on the screen.
    double Start = StartDegrees, Span = SpanDegrees;
    if (Span < 0) {
        Start += Span;
        Span = -Span;
    }
    Span = std::min(Span, 360.0);
    const int X0 = int(std::floor(CX - A - 1)), X1 = int(std::ceil(CX + A + 1));
    const int Y0 = int(std::floor(CY - B - 1)), Y1 = int(std::ceil(CY + B + 1));
    for (int BY = std::max(Y0, FClip.Top); BY < std::min(Y1, FClip.Bottom); ++BY) {
        for (int BX = std::max(X0, FClip.Left); BX < std::min(X1, FClip.Right); ++BX) {
            const double PX = BX + 0.5, PY = BY + 0.5;
            const double Coverage = 1 - std::abs(OutlineDistance(PX, PY, CX, CY, A, B));
            if (Coverage <= 0) {
                continue;
            }
            double Angle = std::atan2(-(PY - CY) / B, (PX - CX) / A) * 180 / Pi;
            Angle = std::fmod(Angle - Start + 720.0, 360.0);
            if (Angle <= Span) {
                Blend(BX, BY, Pixel, Coverage);
            }
        }
    }
}

void TCanvas::FillEllipse(double X, double Y, double W, double H, TColor Color)
{
    if (W <= 0 || H <= 0 || Color == clNone) {
        return;
    }
    GdiFlush();
    const std::uint32_t Pixel = PixelOf(Color);
    const double A = W / 2, B = H / 2;
    const double CX = X + A + FOffset.X, CY = Y + B + FOffset.Y;
    const int X0 = int(std::floor(CX - A)), X1 = int(std::ceil(CX + A));
    const int Y0 = int(std::floor(CY - B)), Y1 = int(std::ceil(CY + B));
    for (int BY = std::max(Y0, FClip.Top); BY < std::min(Y1, FClip.Bottom); ++BY) {
        for (int BX = std::max(X0, FClip.Left); BX < std::min(X1, FClip.Right); ++BX) {
            // Half a pixel of smoothing across the outline.
            const double D = OutlineDistance(BX + 0.5, BY + 0.5, CX, CY, A, B);
            Blend(BX, BY, Pixel, std::clamp(0.5 - D, 0.0, 1.0));
        }
    }
}

}
