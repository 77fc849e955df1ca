#include "components/transparent_radio/wraptext.h"

#include <algorithm>

namespace {
constexpr TStringView CrLf = u"\r\n";

bool IsQuote(char16_t C)
{
    return C == u'\'' || C == u'"';
}

bool BreakStrAt(TStringView Line, size_t Pos, TStringView BreakStr)
{
    return !BreakStr.empty() && Line.substr(Pos).starts_with(BreakStr);
}

bool IsBreakChar(TStringView BreakChars, char16_t C)
{
    return BreakChars.find(C) != TStringView::npos;
}
}

TString WrapText(TStringView Line, TStringView BreakStr, TStringView BreakChars, int MaxCol)
{
    // Positions are 0-based here; "the line's first character" is LineStart. No quote
    // is open while Quote is 0 (a NUL of the text is not a quote character).
    using TPos = std::ptrdiff_t;
    const TPos Len = TPos(Line.size());
    const TPos BreakLen = TPos(BreakStr.size());
    TString Result;
    Result.reserve(size_t(Len + Len / 2));
    TPos Col = 1;
    TPos Pos = 0;
    TPos LineStart = 0;
    TPos BreakPos = -1;
    char16_t Quote = 0;
    bool ExistingBreak = false;

    while (Pos < Len) {
        const char16_t C = Line[size_t(Pos)];
        if (BreakLen > 0 && C == BreakStr[0] && BreakStrAt(Line, size_t(Pos), BreakStr)) {
            if (Quote == 0) {
                // A break of the text itself: the line ends at its last character.
                ExistingBreak = true;
                Pos += BreakLen - 1;
                BreakPos = Pos;
            }
        } else if (IsBreakChar(BreakChars, C)) {
            if (Quote == 0) {
                BreakPos = Pos;
            }
        } else if (IsQuote(C)) {
            if (C == Quote) {
                Quote = 0;
            } else if (Quote == 0) {
                Quote = C;
            }
        }
        ++Pos;
        ++Col;

        if (Quote == 0 && (ExistingBreak || (Col > MaxCol && BreakPos > LineStart))) {
            Result += Line.substr(size_t(LineStart), size_t(BreakPos - LineStart + 1));
            // Move past the breaks that directly follow; they open the next line. When one
            // of them is a break of the text itself, the next line already starts on a
            // new line and no break is added (nor after a break of the text itself).
            while (Pos < Len) {
                if (IsBreakChar(BreakChars, Line[size_t(Pos)])) {
                    ++Pos;
                } else if (BreakStrAt(Line, size_t(Pos), BreakStr)) {
                    Pos += BreakLen;
                    ExistingBreak = true;
                } else {
                    break;
                }
            }
            if (!ExistingBreak && Len - Pos > 1) {
                Result += BreakStr;
            }
            // The next line's characters scanned so far, plus one.
            Col = Pos - BreakPos;
            LineStart = BreakPos + 1;
            ExistingBreak = false;
        }
    }
    Result += Line.substr(size_t(LineStart));
    return Result;
}

std::vector<TString> WrapCaption(TStringView Caption, int MaxCol)
{
    TString Text(Caption);
    std::replace(Text.begin(), Text.end(), u'\'', u'|');
    Text = WrapText(Text, CrLf, u"\t -.", MaxCol);
    std::replace(Text.begin(), Text.end(), u'|', u'\'');
    std::vector<TString> Lines;
    size_t Start = 0;
    for (size_t At = Text.find(CrLf); At != TString::npos; At = Text.find(CrLf, Start)) {
        Lines.push_back(Text.substr(Start, At - Start));
        Start = At + CrLf.size();
    }
    Lines.push_back(Text.substr(Start));
    return Lines;
}

TString TrimControls(TStringView Text)
{
    size_t First = 0;
    size_t End = Text.size();
    while (First < End && Text[First] <= 0x20) {
        ++First;
    }
    while (End > First && Text[End - 1] <= 0x20) {
        --End;
    }
    return TString(Text.substr(First, End - First));
}
