#include "toolkit/core/sysutils.h"

namespace {
// UTF-8 for what(): tstring.cpp's converter cannot be built here yet (it throws the Qt
// build's exceptions), so the few lines are repeated. A lone surrogate becomes "?".
std::string Utf8Of(TStringView Text)
{
    std::string Out;
    for (size_t i = 0; i < Text.size(); ++i) {
        char32_t C = Text[i];
        if (C >= 0xD800 && C <= 0xDBFF && i + 1 < Text.size() && Text[i + 1] >= 0xDC00
            && Text[i + 1] <= 0xDFFF) {
            C = 0x10000 + ((C - 0xD800) << 10) + (Text[++i] - 0xDC00);
        } else if (C >= 0xD800 && C <= 0xDFFF) {
            C = u'?';
        }
        if (C < 0x80) {
            Out += char(C);
        } else if (C < 0x800) {
            Out += { char(0xC0 | (C >> 6)), char(0x80 | (C & 0x3F)) };
        } else if (C < 0x10000) {
            Out += { char(0xE0 | (C >> 12)), char(0x80 | ((C >> 6) & 0x3F)),
                char(0x80 | (C & 0x3F)) };
        } else {
            Out += { char(0xF0 | (C >> 18)), char(0x80 | ((C >> 12) & 0x3F)),
                char(0x80 | ((C >> 6) & 0x3F)), char(0x80 | (C & 0x3F)) };
        }
    }
    return Out;
}
}

Exception::Exception(TString Message)
    : FMessage(std::move(Message))
    , FUtf8(Utf8Of(FMessage))
{
}
