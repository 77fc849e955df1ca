// The tray icon's order-text routines against their definitions, written out the slow
// way: ApresSeparateur cuts after the first separator, CompterSeparateurs cuts again
// and again, ChampNumero cuts n times from the text followed by a separator. An empty
// separator occurs nowhere. With a one-character separator (the component's ","), the
// fields joined by the separator give the text back.
// Input: one byte for the field number, then the separator and the text, separated by
// the byte 0x1F.
#include "components/tray_icon/separateurs.h"
#include "tests/fuzz/fuzzcheck.h"
#include "toolkit/qt/qtconvert.h"

namespace {

qsizetype Find(const QString& Sep, const QString& S) { return Sep.isEmpty() ? -1 : S.indexOf(Sep); }

QString After(const QString& Sep, const QString& S)
{
    const qsizetype At = Find(Sep, S);
    return At < 0 ? QString() : S.mid(At + Sep.size());
}

int Count(const QString& Sep, QString S)
{
    int N = 0;
    while (Find(Sep, S) >= 0) {
        S = After(Sep, S);
        ++N;
    }
    return N;
}

QString Field(const QString& Sep, const QString& S, int N)
{
    QString T = S + Sep;
    for (int i = 0; i < N; ++i) {
        if (Find(Sep, T) < 0) {
            break; // T stays as it is from here on
        }
        T = After(Sep, T);
    }
    const qsizetype At = Find(Sep, T);
    return At < 0 ? QString() : T.left(At);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1) {
        return 0;
    }
    const int N = SmallInt(Data[0]);
    const QList<QByteArray> Fields = SplitFields(Data + 1, Size - 1, 2);
    const QString Sep = QString::fromUtf8(Fields[0]);
    const QString Text = QString::fromUtf8(Fields[1]);

    Check(ToQt(ApresSeparateur(FromQt(Sep), FromQt(Text))) == After(Sep, Text), "ApresSeparateur", Sep + u'|' + Text);
    const int Separators = CompterSeparateurs(FromQt(Sep), FromQt(Text));
    Check(Separators == Count(Sep, Text), "CompterSeparateurs", Sep + u'|' + Text);
    Check(ToQt(ChampNumero(FromQt(Sep), FromQt(Text), N)) == Field(Sep, Text, N), "ChampNumero",
        QStringLiteral("%1|%2|%3").arg(Sep, Text).arg(N));
    if (Sep.size() == 1) {
        QStringList Parts;
        for (int i = 0; i <= Separators; ++i) {
            Parts << ToQt(ChampNumero(FromQt(Sep), FromQt(Text), i));
        }
        Check(Parts.join(Sep) == Text, "the fields joined give the text", Sep + u'|' + Text);
    }
    return 0;
}
