#include "toolkit/text/profile.h"

#include "toolkit/text/profilefile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsProfileBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
}

bool IsAscii(std::string_view Bytes)
{
    return std::all_of(
        Bytes.begin(), Bytes.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

// Well-formed UTF-8, by the rules the core's decoder reads it with: no overlong form,
// no surrogate, nothing past U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view Bytes)
{
    size_t i = 0;
    const size_t Size = Bytes.size();
    while (i < Size) {
        const unsigned char Lead = static_cast<unsigned char>(Bytes[i]);
        if (Lead < 0x80) {
            // Runs of ASCII, the bulk of a settings file, eight bytes at a time.
            ++i;
            std::uint64_t Word;
            while (Size - i >= 8
                && (std::memcpy(&Word, Bytes.data() + i, 8), (Word & 0x8080808080808080u) == 0)) {
                i += 8;
            }
            continue;
        }
        // The second byte's range excludes the overlong forms, the surrogates and the
        // values past U+10FFFF; the later bytes are any continuation byte.
        int Length = 0;
        unsigned char Low = 0x80, High = 0xBF;
        if (Lead >= 0xC2 && Lead <= 0xDF) {
            Length = 2;
        } else if (Lead >= 0xE0 && Lead <= 0xEF) {
            Length = 3;
            Low = Lead == 0xE0 ? 0xA0 : 0x80;
            High = Lead == 0xED ? 0x9F : 0xBF;
        } else if (Lead >= 0xF0 && Lead <= 0xF4) {
            Length = 4;
            Low = Lead == 0xF0 ? 0x90 : 0x80;
            High = Lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (Size - i < size_t(Length)) {
            return false;
        }
        const unsigned char Second = static_cast<unsigned char>(Bytes[i + 1]);
        if (Second < Low || Second > High) {
            return false;
        }
        for (int k = 2; k < Length; ++k) {
            if ((static_cast<unsigned char>(Bytes[i + size_t(k)]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += size_t(Length);
    }
    return true;
}

TString TrimBlanks(TStringView S)
{
    size_t Begin = 0, End = S.size();
    while (Begin < End && S[Begin] < 0x80 && IsProfileBlank(char(S[Begin]))) {
        ++Begin;
    }
    while (End > Begin && S[End - 1] < 0x80 && IsProfileBlank(char(S[End - 1]))) {
        --End;
    }
    return TString(S.substr(Begin, End - Begin));
}

// One unit folded for comparing names without regard to case: the Latin letters'
// lower case (a unit whose lower case is longer, as "İ", stays as it is).
char16_t FoldUnit(char16_t C)
{
    if (C < 0x80) {
        return C >= u'A' && C <= u'Z' ? char16_t(C + 0x20) : C;
    }
    const TString Lower = LowerCase(TStringView(&C, 1));
    return Lower.size() == 1 ? Lower[0] : C;
}

// Whether Units (bytes read as Latin-1, or UTF-16 units) spell Name, regardless of case.
template <class TUnits>
bool SameName(const TUnits& Units, TStringView Name)
{
    return Units.size() == Name.size()
        && std::equal(Units.begin(), Units.end(), Name.begin(), [](auto X, char16_t Y) {
               const char16_t Unit = char16_t(static_cast<std::make_unsigned_t<decltype(X)>>(X));
               return Unit == Y || FoldUnit(Unit) == FoldUnit(Y);
           });
}

enum class TLineKind { Blank, Comment, Section, Entry, Other };

// One line of the file, by byte offsets into the file's content.
struct TLine {
    size_t Begin = 0; // first byte
    size_t End = 0; // end of the text, before its CR LF, LF or lone CR
    size_t Next = 0; // first byte of the next line
    TLineKind Kind = TLineKind::Other;
    size_t NameBegin = 0; // Section, Entry: the name or key, blanks removed
    size_t NameEnd = 0;
    size_t ValueBegin = 0; // Entry: where the value starts (End when there is no "=")
    size_t ValueEnd = 0; // Entry: end of the value, trailing blanks excluded
    bool HasEquals = false;
};

// The first byte at or after From that is a line end (CR or LF), or End.
size_t LineEndFrom(const char* Data, size_t From, size_t End)
{
    while (From < End && Data[From] != '\n' && Data[From] != '\r') {
        ++From;
    }
    return From;
}

// The first C in [Begin, End), or End.
size_t FindIn(const std::string& Data, char C, size_t Begin, size_t End)
{
    const void* Found = std::memchr(Data.data() + Begin, C, End - Begin);
    return Found ? size_t(static_cast<const char*>(Found) - Data.data()) : End;
}

// A profile file read line by line. A line ends at CR LF, at LF or at a lone CR.
// Blanks, "[", "]", ";", "=" and line ends are ASCII, so they are found in the raw
// bytes whether the text is UTF-8 or Latin-1, and every search stops at the end of its
// line, so reading and writing take time in proportion to the file's size. Names are
// compared without decoding when they are ASCII; only a found value is decoded. Lines
// are classified one at a time and never stored, so a file of millions of short lines
// costs no more memory than its bytes.
class TProfileText {
public:
    explicit TProfileText(std::string Data)
        : FData(std::move(Data))
    {
        if (FData.starts_with(Utf8Bom)) {
            FBodyStart = Utf8Bom.size();
        }
        FLatin1 = !IsValidUtf8(std::string_view(FData).substr(FBodyStart));
    }

    const std::string& Data() const { return FData; }
    bool Latin1() const { return FLatin1; }
    bool Empty() const { return FData.size() == FBodyStart; }

    // The text of the bytes; a U+FEFF that starts a name or value is kept (the file's
    // own byte order mark is already skipped).
    TString Decode(size_t Begin, size_t End) const
    {
        const std::string_view Bytes = std::string_view(FData).substr(Begin, End - Begin);
        return FLatin1 ? Latin1ToString(Bytes) : Utf8ToString(Bytes);
    }

    // The value of an entry with one pair of surrounding quotes removed.
    TString Value(const TLine& Line) const
    {
        TString Text = Decode(Line.ValueBegin, Line.ValueEnd);
        if (Text.size() >= 2 && (Text.front() == u'"' || Text.front() == u'\'')
            && Text.back() == Text.front()) {
            Text = Text.substr(1, Text.size() - 2);
        }
        return Text;
    }

    // Whether the line's name (section name or key) is Name, regardless of case.
    bool NameIs(const TLine& Line, TStringView Name) const
    {
        const std::string_view Bytes
            = std::string_view(FData).substr(Line.NameBegin, Line.NameEnd - Line.NameBegin);
        if (FLatin1 || IsAscii(Bytes)) {
            return SameName(Bytes, Name);
        }
        return SameName(Decode(Line.NameBegin, Line.NameEnd), Name);
    }

    // The file's own line end (that of its first line), CR LF when it has none.
    std::string LineEnd() const
    {
        const size_t At = LineEndFrom(FData.data(), FBodyStart, FData.size());
        if (At == FData.size()) {
            return "\r\n";
        }
        if (FData[At] == '\n') {
            return "\n";
        }
        return At + 1 < FData.size() && FData[At + 1] == '\n' ? "\r\n" : "\r";
    }

    // Calls Visit with each line in turn while it returns true.
    template <class TVisit>
    void ForEachLine(TVisit Visit) const
    {
        size_t Pos = FBodyStart;
        while (Pos < FData.size()) {
            TLine Line;
            Line.Begin = Pos;
            Line.End = LineEndFrom(FData.data(), Pos, FData.size());
            Line.Next = Line.End;
            if (Line.Next < FData.size()) {
                const bool CrLf = FData[Line.Next] == '\r' && Line.Next + 1 < FData.size()
                    && FData[Line.Next + 1] == '\n';
                Line.Next += CrLf ? 2 : 1;
            }
            Classify(Line);
            if (!Visit(Line)) {
                return;
            }
            Pos = Line.Next;
        }
    }

private:
    void Classify(TLine& Line) const
    {
        size_t Begin = Line.Begin, End = Line.End;
        while (Begin < End && IsProfileBlank(FData[Begin])) {
            ++Begin;
        }
        while (End > Begin && IsProfileBlank(FData[End - 1])) {
            --End;
        }
        if (Begin == End) {
            Line.Kind = TLineKind::Blank;
        } else if (FData[Begin] == ';') {
            Line.Kind = TLineKind::Comment;
        } else if (FData[Begin] == '[') {
            const size_t Close = FindIn(FData, ']', Begin + 1, End);
            if (Close < End) {
                Line.Kind = TLineKind::Section;
                SetName(Line, Begin + 1, Close);
            }
        } else {
            Line.Kind = TLineKind::Entry;
            const size_t Equals = FindIn(FData, '=', Begin, End);
            Line.HasEquals = Equals < End;
            SetName(Line, Begin, Equals);
            size_t ValueBegin = Line.HasEquals ? Equals + 1 : Line.End;
            while (ValueBegin < End && IsProfileBlank(FData[ValueBegin])) {
                ++ValueBegin;
            }
            Line.ValueBegin = ValueBegin;
            Line.ValueEnd = std::max(ValueBegin, End);
            if (Line.HasEquals && ValueBegin == End) {
                Line.ValueBegin = Line.ValueEnd = Equals + 1; // empty value: keep "key="
            }
        }
    }

    void SetName(TLine& Line, size_t Begin, size_t End) const
    {
        while (Begin < End && IsProfileBlank(FData[Begin])) {
            ++Begin;
        }
        while (End > Begin && IsProfileBlank(FData[End - 1])) {
            --End;
        }
        Line.NameBegin = Begin;
        Line.NameEnd = End;
    }

    std::string FData;
    size_t FBodyStart = 0;
    bool FLatin1 = false;
};

// What a search for an entry finds: only the first section of the name is searched,
// and in it the first entry of the key.
struct TFound {
    bool SectionFound = false;
    std::optional<TLine> Key;
    TLine SectionLast; // the section's last line that is not blank, its header at least
};

TFound Find(const TProfileText& Text, TStringView Section, TStringView Key)
{
    TFound Found;
    Text.ForEachLine([&](const TLine& Line) {
        if (Line.Kind == TLineKind::Section) {
            if (Found.SectionFound) {
                return false; // the section has ended
            }
            if (Text.NameIs(Line, Section)) {
                Found.SectionFound = true;
                Found.SectionLast = Line;
            }
        } else if (Found.SectionFound) {
            if (Line.Kind == TLineKind::Entry && Text.NameIs(Line, Key)) {
                Found.Key = Line;
                return false;
            }
            if (Line.Kind != TLineKind::Blank) {
                Found.SectionLast = Line;
            }
        }
        return true;
    });
    return Found;
}

// The whole file, or nothing when it is not a regular file, cannot be opened or read
// or passes ProfileMaxSize. Opening a named pipe would wait for a writer for ever and a
// device may have no end, so only regular files are opened; they are read in pieces so
// that a file growing meanwhile costs no more.
std::optional<std::string> ReadFile(TStringView FileName)
{
    if (ProfileEntry(FileName).Kind != TProfileEntryKind::File) {
        return std::nullopt;
    }
    std::FILE* File = ProfileOpenRead(FileName);
    if (!File) {
        return std::nullopt;
    }
    std::optional<std::string> Data(std::in_place);
    char Buffer[65536];
    for (;;) {
        const size_t Count = std::fread(Buffer, 1, sizeof Buffer, File);
        if (std::ferror(File) || Data->size() + Count > size_t(ProfileMaxSize)) {
            Data.reset();
            break;
        }
        Data->append(Buffer, Count);
        if (Count < sizeof Buffer) {
            break;
        }
    }
    std::fclose(File);
    return Data;
}

bool HasLineBreakOrNul(TStringView S)
{
    return S.find_first_of(std::u16string_view(u"\n\r\0", 3)) != TStringView::npos;
}

bool FitsLatin1(TStringView S)
{
    return std::all_of(S.begin(), S.end(), [](char16_t C) { return C <= 0xFF; });
}

std::string ToLatin1(TStringView S)
{
    return std::string(S.begin(), S.end()); // FitsLatin1 holds: each unit is one byte
}

// The file's bytes with the entry set; nullopt when the new text cannot be stored.
std::optional<std::string> Edited(
    const TProfileText& Text, TStringView Section, TStringView Key, TStringView Value)
{
    if (Text.Latin1() && !(FitsLatin1(Section) && FitsLatin1(Key) && FitsLatin1(Value))) {
        return std::nullopt;
    }
    auto Encode = [&](TStringView S) { return Text.Latin1() ? ToLatin1(S) : StringToUtf8(S); };
    const std::string Eol = Text.LineEnd();
    const std::string Entry = Encode(Key) + '=' + Encode(Value) + Eol;
    std::string Data = Text.Data();
    const TFound Found = Find(Text, Section, Key);

    if (!Found.SectionFound) {
        // Right after the last line, as Windows appends it: no blank line between.
        const bool Ended = Text.Empty() || Data.ends_with('\n') || Data.ends_with('\r');
        return Data + (Ended ? std::string() : Eol) + '[' + Encode(Section) + ']' + Eol + Entry;
    }
    if (Found.Key) {
        const TLine& Line = *Found.Key;
        std::string NewValue = Line.HasEquals ? std::string() : std::string("=");
        NewValue += Encode(Value);
        return Data.replace(Line.ValueBegin, Line.End - Line.ValueBegin, NewValue);
    }
    // After the section's last line that is not blank, so that blank lines keep
    // separating it from the next section.
    const TLine& After = Found.SectionLast;
    const bool Ended = After.Next > After.End;
    std::string Insert = (Ended ? std::string() : Eol) + Entry;
    if (Insert.ends_with('\r') && After.Next < Data.size() && Data[After.Next] == '\n') {
        Insert += '\n'; // a lone CR before an LF would join the LF's line end
    }
    return Data.insert(After.Next, Insert);
}

// Edited, refused when a Latin-1 file would read as UTF-8 afterwards: once valid UTF-8,
// its non-ASCII bytes (the new value's, or other text whose bytes happen to form UTF-8)
// would read back as other characters than were written.
std::optional<std::string> Edit(
    const TProfileText& Text, TStringView Section, TStringView Key, TStringView Value)
{
    std::optional<std::string> New = Edited(Text, Section, Key, Value);
    if (New && Text.Latin1()) {
        const std::string_view Body
            = std::string_view(*New).substr(New->starts_with(Utf8Bom) ? Utf8Bom.size() : 0);
        if (!IsAscii(Body) && IsValidUtf8(Body)) {
            return std::nullopt;
        }
    }
    return New;
}

bool IsSurrogateHigh(char16_t C)
{
    return C >= 0xD800 && C <= 0xDBFF;
}

} // namespace

TString GetPrivateProfileString(
    TStringView Section, TStringView Key, TStringView Default, TStringView FileName, int BufferSize)
{
    TString Result(Default);
    while (!Result.empty() && (Result.back() == u' ' || Result.back() == u'\t')) {
        Result.pop_back();
    }
    if (const std::optional<std::string> Data = ReadFile(FileName)) {
        const TProfileText Text(*Data);
        if (const TFound Found = Find(Text, TrimBlanks(Section), TrimBlanks(Key)); Found.Key) {
            Result = Text.Value(*Found.Key);
        }
    }
    const size_t Max = size_t(std::max(BufferSize - 1, 0));
    if (Result.size() > Max) {
        Result.resize(Max);
        if (!Result.empty() && IsSurrogateHigh(Result.back())) {
            Result.pop_back(); // never end on half a character
        }
    }
    return Result;
}

bool WritePrivateProfileString(
    TStringView Section, TStringView Key, TStringView Value, TStringView FileName)
{
    const TString SectionName = TrimBlanks(Section);
    const TString KeyName = TrimBlanks(Key);
    if (HasLineBreakOrNul(Section) || HasLineBreakOrNul(Key) || HasLineBreakOrNul(Value)
        || SectionName.find(u']') != TString::npos || KeyName.empty()
        || KeyName.find(u'=') != TString::npos || KeyName.starts_with(u'[')
        || KeyName.starts_with(u';')) {
        return false;
    }
    if (!ProfileFolderWritable(FileName)) {
        return false;
    }
    std::string Old;
    if (const TProfileEntry Entry = ProfileEntry(FileName);
        Entry.Kind != TProfileEntryKind::Missing) {
        if (Entry.Kind != TProfileEntryKind::File || !Entry.Writable) {
            return false;
        }
        std::optional<std::string> Data = ReadFile(FileName);
        if (!Data) {
            return false;
        }
        Old = std::move(*Data);
    }
    const std::optional<std::string> New
        = Edit(TProfileText(std::move(Old)), SectionName, KeyName, Value);
    return New && ProfileReplace(FileName, *New);
}
