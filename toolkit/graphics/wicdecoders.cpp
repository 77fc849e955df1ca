// The JPEG and PNG decoders on Windows: the Windows Imaging Component's decoder of each
// kind, asked for by its container format (so no other kind of file is taken for it),
// its frame converted to 32-bit BGRA (not premultiplied), which is TBitmap32's byte
// order on little-endian machines.
#include "toolkit/graphics/jpegdecoder.h"
#include "toolkit/graphics/pngdecoder.h"

#include "toolkit/graphics/graphicerror.h"

#include <windows.h>

// The identifiers used here are defined here (initguid.h), each kept only when used,
// rather than taken from the uuid library, whose one object brings all of Windows' 40 KB.
#include <initguid.h>
#include <wincodec.h>

#include <limits>
#include <new>

namespace {

// Releases a COM interface at the end of its scope.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    ~TComPtr()
    {
        if (FPointer) {
            FPointer->Release();
        }
    }
    T** operator&() { return &FPointer; }
    T* operator->() const { return FPointer; }
    T* Get() const { return FPointer; }

private:
    T* FPointer = nullptr;
};

// COM for the calling thread, left as it was found: a thread that has COM already (in
// either apartment model) keeps it.
class TComScope {
public:
    TComScope()
        : FResult(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))
    {
    }
    ~TComScope()
    {
        if (SUCCEEDED(FResult)) {
            CoUninitialize();
        }
    }
    bool Usable() const { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }

private:
    HRESULT FResult;
};

// Decodes one kind of picture; every failure throws EInvalidGraphic with that kind's
// own "broken content" text.
class TWicDecode {
public:
    explicit TWicDecode(const char16_t* AError)
        : FError(AError)
    {
    }
    TBitmap32 Run(std::span<const std::uint8_t> Data, const GUID& Container);

private:
    [[noreturn]] void Invalid() const { throw EInvalidGraphic(FError); }
    void Check(HRESULT Result) const
    {
        if (FAILED(Result)) {
            Invalid();
        }
    }
    const char16_t* FError;
};

TBitmap32 TWicDecode::Run(std::span<const std::uint8_t> Data, const GUID& Container)
{
    if (Data.empty() || Data.size() > std::numeric_limits<DWORD>::max()) {
        Invalid();
    }
    const TComScope Com;
    if (!Com.Usable()) {
        Invalid();
    }
    TComPtr<IWICImagingFactory> Factory;
    Check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
        IID_IWICImagingFactory, reinterpret_cast<void**>(&Factory)));
    TComPtr<IWICStream> Stream;
    Check(Factory->CreateStream(&Stream));
    // The stream only reads the bytes.
    Check(Stream->InitializeFromMemory(const_cast<BYTE*>(Data.data()), DWORD(Data.size())));
    TComPtr<IWICBitmapDecoder> Decoder;
    Check(Factory->CreateDecoder(Container, nullptr, &Decoder));
    Check(Decoder->Initialize(Stream.Get(), WICDecodeMetadataCacheOnDemand));
    TComPtr<IWICBitmapFrameDecode> Frame;
    Check(Decoder->GetFrame(0, &Frame));
    UINT Width = 0, Height = 0;
    Check(Frame->GetSize(&Width, &Height));
    if (Width == 0 || Height == 0 || Width > MaxPictureSide || Height > MaxPictureSide
        || std::int64_t(Width) * Height >= MaxPicturePixels) {
        Invalid();
    }
    TComPtr<IWICFormatConverter> Converter;
    Check(Factory->CreateFormatConverter(&Converter));
    Check(Converter->Initialize(Frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
        nullptr, 0.0, WICBitmapPaletteTypeCustom));
    TBitmap32 Image;
    try {
        Image = TBitmap32(int(Width), int(Height));
    } catch (const std::bad_alloc&) {
        Invalid();
    }
    // Truncated or broken picture data fails here, when the decoder reaches it.
    Check(Converter->CopyPixels(nullptr, UINT(Image.Stride()),
        UINT(std::size_t(Image.Stride()) * Height), reinterpret_cast<BYTE*>(Image.Bits())));
    return Image;
}

} // namespace

TBitmap32 DecodeJpeg(std::span<const std::uint8_t> Data)
{
    TBitmap32 Image = TWicDecode(u"Image JPEG incorrecte").Run(Data, GUID_ContainerFormatJpeg);
    const int Width = Image.Width(), Height = Image.Height();
    // A JPEG is opaque whatever the converter wrote in the alpha byte.
    for (int Y = 0; Y < Height; ++Y) {
        std::uint32_t* Line = Image.ScanLine(Y);
        for (int X = 0; X < Width; ++X) {
            Line[X] |= 0xFF000000u;
        }
    }
    return Image;
}

TBitmap32 DecodePng(std::span<const std::uint8_t> Data)
{
    return TWicDecode(u"Image PNG incorrecte").Run(Data, GUID_ContainerFormatPng);
}
