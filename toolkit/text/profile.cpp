#include "toolkit/text/profile.h"

#include "toolkit/qt/qtconvert.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool IsBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
}

QString TrimBlanks(const QString& S)
{
    qsizetype Begin = 0, End = S.size();
    while (Begin < End && S[Begin].unicode() < 0x80 && IsBlank(char(S[Begin].unicode()))) {
        ++Begin;
    }
    while (End > Begin && S[End - 1].unicode() < 0x80 && IsBlank(char(S[End - 1].unicode()))) {
        --End;
    }
    return S.mid(Begin, End - Begin);
}

enum class TLineKind { Blank, Comment, Section, Entry, Other };

// One line of the file, by byte offsets into the file's content.
struct TLine {
    qsizetype Begin = 0; // first byte
    qsizetype End = 0; // end of the text, before its CR LF, LF or lone CR
    qsizetype Next = 0; // first byte of the next line
    TLineKind Kind = TLineKind::Other;
    qsizetype NameBegin = 0; // Section, Entry: the name or key, blanks removed
    qsizetype NameEnd = 0;
    qsizetype ValueBegin = 0; // Entry: where the value starts (End when there is no "=")
    qsizetype ValueEnd = 0; // Entry: end of the value, trailing blanks excluded
    bool HasEquals = false;
};

// The first byte at or after From that is a line end (CR or LF), or End.
qsizetype LineEndFrom(const char* Data, qsizetype From, qsizetype End)
{
    while (From < End && Data[From] != '\n' && Data[From] != '\r') {
        ++From;
    }
    return From;
}

// The first C in [Begin, End), or End.
qsizetype FindIn(const QByteArray& Data, char C, qsizetype Begin, qsizetype End)
{
    const void* Found = std::memchr(Data.constData() + Begin, C, size_t(End - Begin));
    return Found ? static_cast<const char*>(Found) - Data.constData() : End;
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
    explicit TProfileText(QByteArray Data)
        : FData(std::move(Data))
    {
        if (FData.startsWith(Utf8Bom)) {
            FBodyStart = Utf8Bom.size();
        }
        FLatin1 = !QByteArrayView(FData).sliced(FBodyStart).isValidUtf8();
    }

    const QByteArray& Data() const { return FData; }
    bool Latin1() const { return FLatin1; }
    bool Empty() const { return FData.size() == FBodyStart; }

    QString Decode(qsizetype Begin, qsizetype End) const
    {
        const QByteArrayView Bytes = QByteArrayView(FData).sliced(Begin, End - Begin);
        if (FLatin1) {
            return QString::fromLatin1(Bytes);
        }
        // QString::fromUtf8 would drop a U+FEFF that starts a name or value; the file's
        // own byte order mark is already skipped.
        QStringDecoder Utf8(QStringDecoder::Utf8,
            QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        return Utf8(Bytes);
    }

    // The value of an entry with one pair of surrounding quotes removed.
    QString Value(const TLine& Line) const
    {
        QString Text = Decode(Line.ValueBegin, Line.ValueEnd);
        if (Text.size() >= 2
            && (Text.front() == QLatin1Char('"') || Text.front() == QLatin1Char('\''))
            && Text.back() == Text.front()) {
            Text = Text.mid(1, Text.size() - 2);
        }
        return Text;
    }

    // Whether the line's name (section name or key) is Name, regardless of case.
    bool NameIs(const TLine& Line, const QString& Name) const
    {
        const QByteArrayView Bytes
            = QByteArrayView(FData).sliced(Line.NameBegin, Line.NameEnd - Line.NameBegin);
        const bool Ascii
            = std::all_of(Bytes.begin(), Bytes.end(), [](char C) { return uchar(C) < 0x80; });
        if (FLatin1 || Ascii) {
            return Name.compare(QLatin1StringView(Bytes), Qt::CaseInsensitive) == 0;
        }
        return Decode(Line.NameBegin, Line.NameEnd).compare(Name, Qt::CaseInsensitive) == 0;
    }

    // The file's own line end (that of its first line), CR LF when it has none.
    QByteArray LineEnd() const
    {
        const qsizetype At = LineEndFrom(FData.constData(), FBodyStart, FData.size());
        if (At == FData.size()) {
            return QByteArrayLiteral("\r\n");
        }
        if (FData[At] == '\n') {
            return QByteArrayLiteral("\n");
        }
        return At + 1 < FData.size() && FData[At + 1] == '\n' ? QByteArrayLiteral("\r\n")
                                                              : QByteArrayLiteral("\r");
    }

    // Calls Visit with each line in turn while it returns true.
    template <class TVisit>
    void ForEachLine(TVisit Visit) const
    {
        qsizetype Pos = FBodyStart;
        while (Pos < FData.size()) {
            TLine Line;
            Line.Begin = Pos;
            Line.End = LineEndFrom(FData.constData(), Pos, FData.size());
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
        qsizetype Begin = Line.Begin, End = Line.End;
        while (Begin < End && IsBlank(FData[Begin])) {
            ++Begin;
        }
        while (End > Begin && IsBlank(FData[End - 1])) {
            --End;
        }
        if (Begin == End) {
            Line.Kind = TLineKind::Blank;
        } else if (FData[Begin] == ';') {
            Line.Kind = TLineKind::Comment;
        } else if (FData[Begin] == '[') {
            const qsizetype Close = FindIn(FData, ']', Begin + 1, End);
            if (Close < End) {
                Line.Kind = TLineKind::Section;
                SetName(Line, Begin + 1, Close);
            }
        } else {
            Line.Kind = TLineKind::Entry;
            const qsizetype Equals = FindIn(FData, '=', Begin, End);
            Line.HasEquals = Equals < End;
            SetName(Line, Begin, Equals);
            qsizetype ValueBegin = Line.HasEquals ? Equals + 1 : Line.End;
            while (ValueBegin < End && IsBlank(FData[ValueBegin])) {
                ++ValueBegin;
            }
            Line.ValueBegin = ValueBegin;
            Line.ValueEnd = std::max(ValueBegin, End);
            if (Line.HasEquals && ValueBegin == End) {
                Line.ValueBegin = Line.ValueEnd = Equals + 1; // empty value: keep "key="
            }
        }
    }

    void SetName(TLine& Line, qsizetype Begin, qsizetype End) const
    {
        while (Begin < End && IsBlank(FData[Begin])) {
            ++Begin;
        }
        while (End > Begin && IsBlank(FData[End - 1])) {
            --End;
        }
        Line.NameBegin = Begin;
        Line.NameEnd = End;
    }

    QByteArray FData;
    qsizetype FBodyStart = 0;
    bool FLatin1 = false;
};

// What a search for an entry finds: only the first section of the name is searched,
// and in it the first entry of the key.
struct TFound {
    bool SectionFound = false;
    std::optional<TLine> Key;
    TLine SectionLast; // the section's last line that is not blank, its header at least
};

TFound Find(const TProfileText& Text, const QString& Section, const QString& Key)
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
std::optional<QByteArray> ReadFile(const QString& FileName)
{
    QFile File(FileName);
    if (!QFileInfo(FileName).isFile() || !File.open(QIODevice::ReadOnly)
        || File.size() > ProfileMaxSize) {
        return std::nullopt;
    }
    QByteArray Data;
    Data.reserve(File.size());
    char Buffer[65536];
    for (;;) {
        const qint64 Count = File.read(Buffer, sizeof Buffer);
        if (Count < 0 || Data.size() + Count > ProfileMaxSize) {
            return std::nullopt;
        }
        if (Count == 0) {
            return Data;
        }
        Data.append(Buffer, Count);
    }
}

// Writable for this process, and not marked read-only: the superuser may write
// anywhere, but a file or folder without any write permission bit is treated as
// read-only for everyone, as the read-only attribute is on Windows.
bool IsWritable(const QFileInfo& Info)
{
    constexpr QFileDevice::Permissions AnyWrite
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return Info.isWritable() && Info.permissions().testAnyFlags(AnyWrite);
}

bool HasLineBreakOrNul(const QString& S)
{
    return S.contains(QLatin1Char('\n')) || S.contains(QLatin1Char('\r')) || S.contains(QChar(0));
}

bool FitsLatin1(const QString& S)
{
    for (QChar C : S) {
        if (C.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

// The file's bytes with the entry set; nullopt when the new text cannot be stored.
std::optional<QByteArray> Edited(
    const TProfileText& Text, const QString& Section, const QString& Key, const QString& Value)
{
    if (Text.Latin1() && !(FitsLatin1(Section) && FitsLatin1(Key) && FitsLatin1(Value))) {
        return std::nullopt;
    }
    auto Encode = [&](const QString& S) { return Text.Latin1() ? S.toLatin1() : S.toUtf8(); };
    const QByteArray Eol = Text.LineEnd();
    const QByteArray Entry = Encode(Key) + '=' + Encode(Value) + Eol;
    QByteArray Data = Text.Data();
    const TFound Found = Find(Text, Section, Key);

    if (!Found.SectionFound) {
        // Right after the last line, as Windows appends it: no blank line between.
        const bool Ended = Text.Empty() || Data.endsWith('\n') || Data.endsWith('\r');
        return Data + (Ended ? QByteArray() : Eol) + '[' + Encode(Section) + ']' + Eol + Entry;
    }
    if (Found.Key) {
        const TLine& Line = *Found.Key;
        const QByteArray NewValue
            = (Line.HasEquals ? QByteArray() : QByteArray("=")) + Encode(Value);
        return Data.replace(Line.ValueBegin, Line.End - Line.ValueBegin, NewValue);
    }
    // After the section's last line that is not blank, so that blank lines keep
    // separating it from the next section.
    const TLine& After = Found.SectionLast;
    const bool Ended = After.Next > After.End;
    QByteArray Insert = (Ended ? QByteArray() : Eol) + Entry;
    if (Insert.endsWith('\r') && After.Next < Data.size() && Data[After.Next] == '\n') {
        Insert += '\n'; // a lone CR before an LF would join the LF's line end
    }
    return Data.insert(After.Next, Insert);
}

// Edited, refused when a Latin-1 file would read as UTF-8 afterwards: once valid UTF-8,
// its non-ASCII bytes (the new value's, or other text whose bytes happen to form UTF-8)
// would read back as other characters than were written.
std::optional<QByteArray> Edit(
    const TProfileText& Text, const QString& Section, const QString& Key, const QString& Value)
{
    std::optional<QByteArray> New = Edited(Text, Section, Key, Value);
    if (New && Text.Latin1()) {
        const QByteArrayView Body
            = QByteArrayView(*New).sliced(New->startsWith(Utf8Bom) ? Utf8Bom.size() : 0);
        const bool Ascii
            = std::all_of(Body.begin(), Body.end(), [](char C) { return uchar(C) < 0x80; });
        if (!Ascii && Body.isValidUtf8()) {
            return std::nullopt;
        }
    }
    return New;
}

QString ReadValue(const QString& Section, const QString& Key, const QString& Default,
    const QString& FileName, int BufferSize)
{
    QString Result = Default;
    while (!Result.isEmpty()
        && (Result.back() == QLatin1Char(' ') || Result.back() == QLatin1Char('\t'))) {
        Result.chop(1);
    }
    if (const std::optional<QByteArray> Data = ReadFile(FileName)) {
        const TProfileText Text(*Data);
        if (const TFound Found = Find(Text, TrimBlanks(Section), TrimBlanks(Key)); Found.Key) {
            Result = Text.Value(*Found.Key);
        }
    }
    const qsizetype Max = std::max(BufferSize - 1, 0);
    if (Result.size() > Max) {
        Result.truncate(Max);
        if (!Result.isEmpty() && Result.back().isHighSurrogate()) {
            Result.chop(1); // never end on half a character
        }
    }
    return Result;
}

bool WriteValue(
    const QString& Section, const QString& Key, const QString& Value, const QString& FileName)
{
    const QString SectionName = TrimBlanks(Section);
    const QString KeyName = TrimBlanks(Key);
    if (HasLineBreakOrNul(Section) || HasLineBreakOrNul(Key) || HasLineBreakOrNul(Value)
        || SectionName.contains(QLatin1Char(']')) || KeyName.isEmpty()
        || KeyName.contains(QLatin1Char('=')) || KeyName.startsWith(QLatin1Char('['))
        || KeyName.startsWith(QLatin1Char(';'))) {
        return false;
    }

    const QFileInfo Info(FileName);
    const QFileInfo Folder(Info.absolutePath());
    if (!Folder.isDir() || !IsWritable(Folder)) {
        return false;
    }
    QByteArray Old;
    if (Info.exists()) {
        if (!Info.isFile() || !IsWritable(Info)) {
            return false;
        }
        std::optional<QByteArray> Data = ReadFile(FileName);
        if (!Data) {
            return false;
        }
        Old = std::move(*Data);
    }

    const std::optional<QByteArray> New = Edit(TProfileText(Old), SectionName, KeyName, Value);
    if (!New) {
        return false;
    }
    // QSaveFile writes a temporary file beside the target, gives it the target's
    // permissions and renames it over the target only when everything was written.
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (File.write(*New) != New->size()) {
        File.cancelWriting();
        return false;
    }
    return File.commit();
}

} // namespace

TString GetPrivateProfileString(
    TStringView Section, TStringView Key, TStringView Default, TStringView FileName, int BufferSize)
{
    return FromQt(ReadValue(ToQt(Section), ToQt(Key), ToQt(Default), ToQt(FileName), BufferSize));
}

bool WritePrivateProfileString(
    TStringView Section, TStringView Key, TStringView Value, TStringView FileName)
{
    return WriteValue(ToQt(Section), ToQt(Key), ToQt(Value), ToQt(FileName));
}
