// Time-of-day parsing against a reference grammar: blanks, hour, ":", blanks, minute,
// optionally ":" and the second, blanks; ASCII digits only; hour 0-23, minute and
// second 0-59 (leading zeros allowed). Text of that shape gives exactly that time of
// day; any other text fails with "'<text>' n'est pas une heure correcte".
#include "tests/fuzz/fuzzcheck.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/text/datetime.h"

#include <QRegularExpression>

namespace {

// The value of a run of digits, or -1 when it is past Max.
int Field(const QString& Digits, int Max)
{
    qsizetype First = 0;
    while (First < Digits.size() - 1 && Digits[First] == u'0') {
        ++First;
    }
    if (Digits.size() - First > 2) {
        return -1;
    }
    const int Value = Digits.mid(First).toInt();
    return Value <= Max ? Value : -1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FormatSettings().TimeSeparator = u':';
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const QString Text = QString::fromUtf8(reinterpret_cast<const char*>(Data), qsizetype(Size));
    static const QRegularExpression Grammar(
        QStringLiteral("\\A *([0-9]+) *: *([0-9]+)(?: *: *([0-9]+))? *\\z"));
    const QRegularExpressionMatch Match = Grammar.match(Text);
    int Hour = -1, Min = -1, Sec = 0;
    if (Match.hasMatch()) {
        Hour = Field(Match.captured(1), 23);
        Min = Field(Match.captured(2), 59);
        if (Match.hasCaptured(3)) {
            Sec = Field(Match.captured(3), 59);
        }
    }
    const bool Valid = Hour >= 0 && Min >= 0 && Sec >= 0;
    try {
        const TDateTime Value = StrToTime(FromQt(Text));
        Check(Valid, "text outside the grammar is refused", Text);
        Check(Value == EncodeTime(Hour, Min, Sec, 0), "the time read is the time written", Text);
    } catch (const EConvertError& E) {
        Check(!Valid, "a correct time is accepted", Text);
        Check(ToQt(E.Message()) == QStringLiteral("'%1' n'est pas une heure correcte").arg(Text),
            "the refusal names the text", ToQt(E.Message()));
    }
    return 0;
}
