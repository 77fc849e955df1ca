// The radio button's caption wrapping. Input: one byte for the column limit, one for
// the mode, then the text. Modes: 0 WrapCaption as the control calls it; 1 WrapText
// with CR LF and the control's break characters; 2 WrapText with a break string and
// break characters taken from the input (break string, characters and text separated
// by the byte 0x1F).
// With CR LF as the break, the result must be the text with line breaks inserted, each
// right after a break character outside quoted runs, after at least two characters of
// its line and before at least two characters of the text. In every mode a text shorter
// than the limit comes back unchanged and the result grows at most by one break per
// character.
#include "components/transparent_radio/wraptext.h"
#include "tests/fuzz/fuzzcheck.h"
#include "toolkit/qt/qtconvert.h"

namespace {

const QString CrLf = QStringLiteral("\r\n");
const QString ControlBreaks = QStringLiteral("\t -.");

// Walks Result against Line: where Result holds a CR LF that Line does not, a break
// was inserted. Quotes tracks the quoted runs of Line ("'" and '"', or '"' only).
void CheckInsertedBreaks(
    const QString& Line, const QString& Result, const QString& BreakChars, const QString& Quotes)
{
    qsizetype i = 0, j = 0, LineLength = 0;
    QChar Quote;
    while (i < Result.size()) {
        const bool Original = QStringView(Line).mid(j).startsWith(CrLf);
        if (!Original && QStringView(Result).mid(i).startsWith(CrLf)) {
            Check(j > 0 && BreakChars.contains(Line[j - 1]), "a break follows a break character", Result);
            Check(Quote.isNull(), "no break inside a quoted run", Result);
            Check(LineLength >= 2, "a line ends after its first character", Result);
            Check(Line.size() - j >= 2, "a rest of one character joins its line", Result);
            i += 2;
            LineLength = 0;
            continue;
        }
        Check(j < Line.size() && Result[i] == Line[j], "the result is the text with breaks inserted", Result);
        if (Original) {
            Check(Result[i + 1] == Line[j + 1], "the result is the text with breaks inserted", Result);
            i += 2;
            j += 2;
            LineLength = 0;
            continue;
        }
        const QChar C = Line[j];
        if (Quotes.contains(C) && !BreakChars.contains(C)) {
            if (Quote.isNull()) {
                Quote = C;
            } else if (C == Quote) {
                Quote = QChar();
            }
        }
        ++i;
        ++j;
        ++LineLength;
    }
    Check(j == Line.size(), "the whole text is in the result", Result);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 2) {
        return 0;
    }
    const int MaxCol = SmallInt(Data[0]);
    const int Mode = Data[1] % 3;
    QString BreakStr = CrLf, BreakChars = ControlBreaks, Line;
    if (Mode == 2) {
        const QList<QByteArray> Fields = SplitFields(Data + 2, Size - 2, 3);
        BreakStr = QString::fromUtf8(Fields[0]);
        BreakChars = QString::fromUtf8(Fields[1]);
        Line = QString::fromUtf8(Fields[2]);
    } else {
        Line = QString::fromUtf8(reinterpret_cast<const char*>(Data + 2), qsizetype(Size - 2));
    }

    QString Result;
    if (Mode == 0) {
        // Apostrophes never open a quoted run, and a "|" of the caption comes back as "'".
        QStringList Lines;
        for (const TString& Part : WrapCaption(FromQt(Line), MaxCol)) {
            Lines << ToQt(Part);
        }
        Result = Lines.join(CrLf);
        Line.replace(u'|', u'\'');
        CheckInsertedBreaks(Line, Result, ControlBreaks, QStringLiteral("\""));
    } else {
        Result = ToQt(WrapText(FromQt(Line), FromQt(BreakStr), FromQt(BreakChars), MaxCol));
        if (Mode == 1) {
            CheckInsertedBreaks(Line, Result, ControlBreaks, QStringLiteral("'\""));
        }
    }
    if (Line.size() < MaxCol) {
        Check(Result == Line, "a text shorter than the limit is unchanged", Result);
    }
    Check(Result.size() >= Line.size(), "the result is never shorter than the text");
    Check(Result.size() <= Line.size() * (1 + qint64(BreakStr.size())), "at most one break per character");
    return 0;
}
