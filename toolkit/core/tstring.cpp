#include "toolkit/core/tstring.h"

#include "toolkit/core/sysutils.h"

#include <charconv>
#include <climits>

namespace {

constexpr char16_t Replacement = 0xFFFD;

bool IsHighSurrogate(char16_t C)
{
    return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(char16_t C)
{
    return C >= 0xDC00 && C <= 0xDFFF;
}

void AppendCodePoint(TString& Result, char32_t C)
{
    if (C < 0x10000) {
        Result += char16_t(C);
    } else {
        C -= 0x10000;
        Result += char16_t(0xD800 + (C >> 10));
        Result += char16_t(0xDC00 + (C & 0x3FF));
    }
}

// Upper and lower case of the Latin blocks by their layout: ranges offset by 0x20, and
// runs in Latin Extended-A where each capital is followed (or, from U+0139 to U+0148 and
// U+0179 to U+017E, preceded) by its small letter.
bool InPairRun(char16_t C, bool& CapitalEven)
{
    if ((C >= 0x0100 && C <= 0x012F) || (C >= 0x0132 && C <= 0x0137)
        || (C >= 0x014A && C <= 0x0177)) {
        CapitalEven = true;
        return true;
    }
    if ((C >= 0x0139 && C <= 0x0148) || (C >= 0x0179 && C <= 0x017E)) {
        CapitalEven = false;
        return true;
    }
    return false;
}

void AppendUpper(TString& Result, char16_t C)
{
    bool CapitalEven = false;
    if ((C >= u'a' && C <= u'z') || (C >= 0x00E0 && C <= 0x00FE && C != 0x00F7)) {
        Result += char16_t(C - 0x20);
    } else if (InPairRun(C, CapitalEven)) {
        Result += (C % 2 == 0) == CapitalEven ? C : char16_t(C - 1);
    } else if (C == 0x00B5) {
        Result += char16_t(0x039C); // micro sign: Greek capital mu
    } else if (C == 0x00DF) {
        Result += u"SS";
    } else if (C == 0x00FF) {
        Result += char16_t(0x0178);
    } else if (C == 0x0131) {
        Result += u'I'; // dotless i
    } else if (C == 0x0149) {
        Result += u"\u02BCN";
    } else if (C == 0x017F) {
        Result += u'S'; // long s
    } else {
        Result += C;
    }
}

void AppendLower(TString& Result, char16_t C)
{
    bool CapitalEven = false;
    if ((C >= u'A' && C <= u'Z') || (C >= 0x00C0 && C <= 0x00DE && C != 0x00D7)) {
        Result += char16_t(C + 0x20);
    } else if (InPairRun(C, CapitalEven)) {
        Result += (C % 2 == 0) == CapitalEven ? char16_t(C + 1) : C;
    } else if (C == 0x0130) {
        Result += u"i\u0307";
    } else if (C == 0x0178) {
        Result += char16_t(0x00FF);
    } else {
        Result += C;
    }
}

} // namespace

TString Utf8ToString(std::string_view Utf8)
{
    TString Result;
    Result.reserve(Utf8.size());
    size_t i = 0;
    while (i < Utf8.size()) {
        const unsigned char Lead = static_cast<unsigned char>(Utf8[i]);
        if (Lead < 0x80) {
            Result += char16_t(Lead);
            ++i;
            continue;
        }
        int Length = 0;
        char32_t C = 0;
        char32_t Least = 0;
        if (Lead >= 0xC2 && Lead <= 0xDF) {
            Length = 2, C = Lead & 0x1F, Least = 0x80;
        } else if (Lead >= 0xE0 && Lead <= 0xEF) {
            Length = 3, C = Lead & 0x0F, Least = 0x800;
        } else if (Lead >= 0xF0 && Lead <= 0xF4) {
            Length = 4, C = Lead & 0x07, Least = 0x10000;
        }
        bool Good = Length > 0 && i + size_t(Length) <= Utf8.size();
        for (int k = 1; Good && k < Length; ++k) {
            const unsigned char Next = static_cast<unsigned char>(Utf8[i + size_t(k)]);
            Good = (Next & 0xC0) == 0x80;
            C = (C << 6) | (Next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (Good && (C < Least || (C >= 0xD800 && C <= 0xDFFF) || C > 0x10FFFF)) {
            Good = false;
        }
        if (Good) {
            AppendCodePoint(Result, C);
            i += size_t(Length);
        } else {
            Result += Replacement;
            ++i;
        }
    }
    return Result;
}

std::string StringToUtf8(TStringView Text)
{
    std::string Result;
    Result.reserve(Text.size());
    for (size_t i = 0; i < Text.size(); ++i) {
        char32_t C = Text[i];
        if (IsHighSurrogate(Text[i]) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) {
            C = 0x10000 + ((char32_t(Text[i]) - 0xD800) << 10) + (char32_t(Text[i + 1]) - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(Text[i]) || IsLowSurrogate(Text[i])) {
            C = u'?';
        }
        if (C < 0x80) {
            Result += char(C);
        } else if (C < 0x800) {
            Result += char(0xC0 | (C >> 6));
            Result += char(0x80 | (C & 0x3F));
        } else if (C < 0x10000) {
            Result += char(0xE0 | (C >> 12));
            Result += char(0x80 | ((C >> 6) & 0x3F));
            Result += char(0x80 | (C & 0x3F));
        } else {
            Result += char(0xF0 | (C >> 18));
            Result += char(0x80 | ((C >> 12) & 0x3F));
            Result += char(0x80 | ((C >> 6) & 0x3F));
            Result += char(0x80 | (C & 0x3F));
        }
    }
    return Result;
}

TString Latin1ToString(std::string_view Latin1)
{
    TString Result(Latin1.size(), u'\0');
    for (size_t i = 0; i < Latin1.size(); ++i) {
        Result[i] = char16_t(static_cast<unsigned char>(Latin1[i]));
    }
    return Result;
}

TString IntToStr(long long Value)
{
    char Buffer[24];
    const auto End = std::to_chars(Buffer, Buffer + sizeof Buffer, Value).ptr;
    return Latin1ToString(std::string_view(Buffer, size_t(End - Buffer)));
}

int StrToIntDef(TStringView S, int Default)
{
    const auto AsciiBlank = [](char16_t C) { return C == u' ' || (C >= 0x09 && C <= 0x0D); };
    while (!S.empty() && AsciiBlank(S.front())) {
        S.remove_prefix(1);
    }
    while (!S.empty() && AsciiBlank(S.back())) {
        S.remove_suffix(1);
    }
    const TStringView Text = S;
    size_t i = 0;
    const bool Negative = !Text.empty() && Text[0] == u'-';
    if (!Text.empty() && (Text[0] == u'-' || Text[0] == u'+')) {
        ++i;
    }
    if (i == Text.size()) {
        return Default;
    }
    long long Value = 0;
    for (; i < Text.size(); ++i) {
        if (Text[i] < u'0' || Text[i] > u'9') {
            return Default;
        }
        Value = Value * 10 + (Text[i] - u'0');
        if (Value > -(long long)INT_MIN) {
            return Default;
        }
    }
    if (Negative) {
        Value = -Value;
    }
    return Value > INT_MAX ? Default : int(Value);
}

int StrToInt(TStringView S)
{
    // No int reads as both of these, so a failure is told apart without a flag.
    const int First = StrToIntDef(S, 0);
    if (First == 0 && StrToIntDef(S, 1) == 1) {
        throw EConvertError(u"'" + TString(S) + u"' n'est pas une valeur enti\u00E8re correcte");
    }
    return First;
}

TString UpperCase(TStringView S)
{
    TString Result;
    Result.reserve(S.size());
    for (const char16_t C : S) {
        AppendUpper(Result, C);
    }
    return Result;
}

TString LowerCase(TStringView S)
{
    TString Result;
    Result.reserve(S.size());
    for (const char16_t C : S) {
        AppendLower(Result, C);
    }
    return Result;
}

bool IsBlank(char16_t C)
{
    return (C >= 0x09 && C <= 0x0D) || C == 0x20 || C == 0x85 || C == 0xA0 || C == 0x1680
        || (C >= 0x2000 && C <= 0x200A) || C == 0x2028 || C == 0x2029 || C == 0x202F || C == 0x205F
        || C == 0x3000;
}

TString Trim(TStringView S)
{
    size_t Begin = 0;
    size_t End = S.size();
    while (Begin < End && IsBlank(S[Begin])) {
        ++Begin;
    }
    while (End > Begin && IsBlank(S[End - 1])) {
        --End;
    }
    return TString(S.substr(Begin, End - Begin));
}

TString Copy(TStringView S, int Index, int Count)
{
    if (Index < 1) {
        Index = 1;
    }
    if (Count <= 0 || size_t(Index) > S.size()) {
        return {};
    }
    return TString(S.substr(size_t(Index - 1), size_t(Count)));
}

int Pos(TStringView Sub, TStringView S)
{
    if (Sub.empty()) {
        return 0;
    }
    const size_t At = S.find(Sub);
    return At == TStringView::npos ? 0 : int(At) + 1;
}

TString Format(TStringView Pattern, std::initializer_list<TStringView> Args)
{
    TString Result;
    auto Next = Args.begin();
    for (size_t i = 0; i < Pattern.size(); ++i) {
        if (Pattern[i] == u'%' && i + 1 < Pattern.size() && Pattern[i + 1] == u's') {
            if (Next != Args.end()) {
                Result += *Next++;
            }
            ++i;
        } else {
            Result += Pattern[i];
        }
    }
    return Result;
}
