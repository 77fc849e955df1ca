#include "components/tray_icon/exceptionnumsimagelistaffiche.h"

#include <utility>

ExceptionNumsImageLIstAffiche::ExceptionNumsImageLIstAffiche(std::string AnsiMessage)
    : Exception(DecodeWindows1252(AnsiMessage))
    , FAnsiMessage(std::move(AnsiMessage))
{
}

std::string ExceptionNumsImageLIstAffiche::MessageMauvaiseEntree()
{
    return std::string("Erreur dans PiconeBarreTache : Mauvaise entr\xE9"
                       "e dans NumsImageListAffiche. Mettre les num\xE9"
                       "ros des images de la liste (ImageList) que vous voulez voir d\xE9"
                       "filer s\xE9"
                       "par\xE9"
                       "s par des virgules");
}

TString DecodeWindows1252(std::string_view Text)
{
    // 0x80 to 0x9F; the rest of the code page is Latin-1.
    static constexpr char16_t High[32] = {
        0x20AC,
        0x0081,
        0x201A,
        0x0192,
        0x201E,
        0x2026,
        0x2020,
        0x2021,
        0x02C6,
        0x2030,
        0x0160,
        0x2039,
        0x0152,
        0x008D,
        0x017D,
        0x008F,
        0x0090,
        0x2018,
        0x2019,
        0x201C,
        0x201D,
        0x2022,
        0x2013,
        0x2014,
        0x02DC,
        0x2122,
        0x0161,
        0x203A,
        0x0153,
        0x009D,
        0x017E,
        0x0178,
    };
    TString Result(size_t(Text.size()), u'\0');
    for (size_t i = 0; i < Text.size(); ++i) {
        const auto Byte = static_cast<unsigned char>(Text[i]);
        Result[i] = Byte >= 0x80 && Byte < 0xA0 ? High[Byte - 0x80] : char16_t(Byte);
    }
    return Result;
}
