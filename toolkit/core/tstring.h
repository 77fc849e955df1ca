#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The toolkit's text: UTF-16 code units, as the program counts characters (a character
// outside the basic plane is two units, a surrogate pair) and as the Windows API takes
// wide text. Positions given to the helpers below are in code units and 1-based, the
// Pascal way; 0 from Pos means "not found".
using TString = std::u16string;
using TStringView = std::u16string_view;

// The text of UTF-8 bytes; bytes that do not make a well-formed character read as U+FFFD,
// one for each byte (as Qt reads them).
TString Utf8ToString(std::string_view Utf8);
// UTF-8 bytes of Text; a lone surrogate is written as "?" (as Qt writes it).
std::string StringToUtf8(TStringView Text);
// Latin-1 (and so ASCII) bytes widened one to one.
TString Latin1ToString(std::string_view Latin1);

TString IntToStr(long long Value);
// A decimal integer of ASCII digits with an optional sign, ASCII blanks (space, tab, line
// feed, vertical tab, form feed, carriage return) allowed around it, as Qt reads one. Anything
// else, or a value outside int, throws EConvertError with
// "'<text>' n'est pas une valeur entière correcte".
int StrToInt(TStringView S);
// The same, with Default in place of the error.
int StrToIntDef(TStringView S, int Default);

// Letters of the Latin blocks (ASCII, Latin-1 and Latin Extended-A, U+0000 to U+017F)
// changed case as Qt does it, special cases included: "ß" upper-cases to "SS", "ŉ" to
// "ʼN", and "İ" lower-cases to "i" with a combining dot above. Every other unit is
// left as it is; the program's own texts are French.
TString UpperCase(TStringView S);
TString LowerCase(TStringView S);

// Blanks taken away at both ends: the Unicode spaces and separators, tab, line feed,
// vertical tab, form feed, carriage return and U+0085 (what Qt counts as space), so a
// no-break space goes too but other control characters stay.
TString Trim(TStringView S);
bool IsBlank(char16_t C);

// Count units from the Index-th (1-based); what lies past the end is left out, and an
// Index below 1 reads as 1.
TString Copy(TStringView S, int Index, int Count);
// Where Sub first starts in S (1-based), or 0 when it does not occur or is empty.
int Pos(TStringView Sub, TStringView S);

// "%s" substitution the way the messages are written: each "%s" in turn takes the next
// argument (nothing once they run out); any other "%" stays as written.
TString Format(TStringView Pattern, std::initializer_list<TStringView> Args);
