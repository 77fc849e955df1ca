// The settings file reader and writer. The input is a section, a key, a value and the
// file's bytes, separated by the byte 0x1F. The key is read, written and read again:
// a write that succeeds changes nothing but the entry (every other byte of the file is
// kept) and the value reads back as written; a write that fails leaves the file as it
// was, and fails only for the reasons the writer documents.
#include "tests/fuzz/fuzzcheck.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/profile.h"

#include <QDir>
#include <QTemporaryDir>

#include <climits>

namespace {

QString FileName;
const QString Absent = QStringLiteral("<absent>");

// The profile's blanks: space, tab, CR, vertical tab, form feed.
bool Blank(QChar C) { return C == u' ' || C == u'\t' || C == u'\r' || C == u'\v' || C == u'\f'; }

QString Trim(const QString& S)
{
    qsizetype Begin = 0, End = S.size();
    while (Begin < End && Blank(S[Begin])) {
        ++Begin;
    }
    while (End > Begin && Blank(S[End - 1])) {
        --End;
    }
    return S.mid(Begin, End - Begin);
}

// What reading gives back for a written value: blanks around it and one pair of
// matching quotes fall away.
QString AsRead(const QString& Value)
{
    QString Text = Trim(Value);
    if (Text.size() >= 2 && (Text.front() == u'"' || Text.front() == u'\'') && Text.back() == Text.front()) {
        Text = Text.mid(1, Text.size() - 2);
    }
    return Text;
}

bool BreaksLine(const QString& S) { return S.contains(u'\n') || S.contains(u'\r') || S.contains(QChar(0)); }

bool FitsLatin1(const QString& S)
{
    for (QChar C : S) {
        if (C.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

// A file that is not UTF-8 (after its byte order mark) is read and written as Latin-1.
bool Latin1File(const QByteArray& Bytes)
{
    const QByteArray Body = Bytes.startsWith("\xEF\xBB\xBF") ? Bytes.mid(3) : Bytes;
    return !QByteArrayView(Body).isValidUtf8();
}

enum class TStorable { No, Yes, Maybe };

// Whether the entry can be stored, by the documented reasons for a refusal. A Latin-1
// file may also be refused when the change would make it read as UTF-8; whether it
// would is only known from the changed bytes, so such a refusal is not questioned (a
// write that succeeds is: its value must read back).
TStorable Storable(const QString& Section, const QString& Key, const QString& Value, const QByteArray& Old)
{
    const QString S = Trim(Section), K = Trim(Key);
    if (BreaksLine(Section) || BreaksLine(Key) || BreaksLine(Value) || S.contains(u']') || K.isEmpty()
        || K.contains(u'=') || K.startsWith(u'[') || K.startsWith(u';')) {
        return TStorable::No;
    }
    if (!Latin1File(Old)) {
        return TStorable::Yes;
    }
    return FitsLatin1(S) && FitsLatin1(K) && FitsLatin1(Value) ? TStorable::Maybe : TStorable::No;
}

QString Read(const QString& Section, const QString& Key)
{
    return ToQt(GetPrivateProfileString(
        FromQt(Section), FromQt(Key), FromQt(Absent), FromQt(FileName), INT_MAX));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static QTemporaryDir Folder(QDir::tempPath() + QStringLiteral("/veludor-fuzz-XXXXXX"));
    Check(Folder.isValid(), "a temporary folder");
    FileName = Folder.filePath(QStringLiteral("parametre.ini"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const QList<QByteArray> Fields = SplitFields(Data, Size, 4);
    const QString Section = QString::fromUtf8(Fields[0]);
    const QString Key = QString::fromUtf8(Fields[1]);
    const QString Value = QString::fromUtf8(Fields[2]);
    const QByteArray Old = Fields[3];
    WriteWholeFile(FileName, Old);

    const QString Before = Read(Section, Key);
    const bool Written
        = WritePrivateProfileString(FromQt(Section), FromQt(Key), FromQt(Value), FromQt(FileName));
    const QByteArray New = ReadWholeFile(FileName);
    if (!Written) {
        Check(New == Old, "a failed write leaves the file byte for byte");
        Check(Storable(Section, Key, Value, Old) != TStorable::Yes, "an entry that can be stored is written");
        return 0;
    }
    Check(Storable(Section, Key, Value, Old) != TStorable::No, "an entry that cannot be stored is refused");
    const QString After = Read(Section, Key);
    Check(After == AsRead(Value), "the written value reads back",
        QStringLiteral("wrote [%1] read [%2]").arg(Value, After));

    // Every byte outside the entry is kept: the old and new files differ in one stretch,
    // which in the old file lies within one line and only where the key already was.
    qsizetype Prefix = 0;
    while (Prefix < Old.size() && Prefix < New.size() && Old[Prefix] == New[Prefix]) {
        ++Prefix;
    }
    qsizetype Suffix = 0;
    while (Suffix < Old.size() - Prefix && Suffix < New.size() - Prefix
        && Old[Old.size() - 1 - Suffix] == New[New.size() - 1 - Suffix]) {
        ++Suffix;
    }
    const QByteArray Removed = Old.mid(Prefix, Old.size() - Prefix - Suffix);
    // A line ends at CR LF, LF or a lone CR.
    Check(!Removed.contains('\n') && !Removed.contains('\r'), "only the entry's own line changes");
    Check(Removed.isEmpty() || Before != Absent, "a new entry only adds bytes");
    return 0;
}
