#include "components/transparent_radio/wraptext.h"

namespace {
const QString CrLf = QStringLiteral("\r\n");

bool IsQuote(QChar C)
{
    return C == u'\'' || C == u'"';
}

bool BreakStrAt(const QString& Line, qsizetype Pos, const QString& BreakStr)
{
    return !BreakStr.isEmpty() && QStringView(Line).mid(Pos).startsWith(BreakStr);
}
}

QString WrapText(
    const QString& Line, const QString& BreakStr, const QString& BreakChars, int MaxCol)
{
    // Positions are 0-based here; "the line's first character" is LineStart.
    const qsizetype Len = Line.size();
    QString Result;
    Result.reserve(Len + Len / 2);
    qsizetype Col = 1;
    qsizetype Pos = 0;
    qsizetype LineStart = 0;
    qsizetype BreakPos = -1;
    QChar Quote;
    bool ExistingBreak = false;

    while (Pos < Len) {
        const QChar C = Line.at(Pos);
        if (!BreakStr.isEmpty() && C == BreakStr.at(0) && BreakStrAt(Line, Pos, BreakStr)) {
            if (Quote.isNull()) {
                // A break of the text itself: the line ends at its last character.
                ExistingBreak = true;
                Pos += BreakStr.size() - 1;
                BreakPos = Pos;
            }
        } else if (BreakChars.contains(C)) {
            if (Quote.isNull()) {
                BreakPos = Pos;
            }
        } else if (IsQuote(C)) {
            if (C == Quote) {
                Quote = QChar();
            } else if (Quote.isNull()) {
                Quote = C;
            }
        }
        ++Pos;
        ++Col;

        if (Quote.isNull() && (ExistingBreak || (Col > MaxCol && BreakPos > LineStart))) {
            Result += QStringView(Line).mid(LineStart, BreakPos - LineStart + 1);
            // Move past the breaks that directly follow; they open the next line. When one
            // of them is a break of the text itself, the next line already starts on a
            // new line and no break is added (nor after a break of the text itself).
            while (Pos < Len) {
                if (BreakChars.contains(Line.at(Pos))) {
                    ++Pos;
                } else if (BreakStrAt(Line, Pos, BreakStr)) {
                    Pos += BreakStr.size();
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
    Result += QStringView(Line).mid(LineStart);
    return Result;
}

QStringList WrapCaption(const QString& Caption, int MaxCol)
{
    QString Text = Caption;
    Text.replace(u'\'', u'|');
    Text = WrapText(Text, CrLf, QStringLiteral("\t -."), MaxCol);
    Text.replace(u'|', u'\'');
    return Text.split(CrLf);
}

QString TrimControls(const QString& Text)
{
    qsizetype First = 0;
    qsizetype Last = Text.size() - 1;
    while (First <= Last && Text.at(First).unicode() <= 0x20) {
        ++First;
    }
    while (Last >= First && Text.at(Last).unicode() <= 0x20) {
        --Last;
    }
    return Text.mid(First, Last - First + 1);
}
