#include "components/tray_icon/separateurs.h"

#include <climits>

namespace {
// The position of Separateur in Texte from From on, or -1; an empty separator is never
// found (QString would find it everywhere, and the counting loop would never end).
qsizetype Chercher(const QString& Separateur, const QString& Texte, qsizetype From)
{
    return Separateur.isEmpty() ? -1 : Texte.indexOf(Separateur, From);
}
}

QString ApresSeparateur(const QString& Separateur, const QString& Texte)
{
    const qsizetype At = Chercher(Separateur, Texte, 0);
    return At < 0 ? QString() : Texte.mid(At + Separateur.size());
}

// The text is walked once instead of being cut again after each separator, so a long
// order text costs time in proportion to its length.
int CompterSeparateurs(const QString& Separateur, const QString& Texte)
{
    int Count = 0;
    for (qsizetype At = Chercher(Separateur, Texte, 0); At >= 0 && Count < INT_MAX - 1;
         At = Chercher(Separateur, Texte, At + Separateur.size())) {
        ++Count;
    }
    return Count;
}

QString ChampNumero(const QString& Separateur, const QString& Texte, int Numero)
{
    const QString Suite = Texte + Separateur;
    qsizetype Start = 0;
    for (int i = 0; i < Numero; ++i) {
        const qsizetype At = Chercher(Separateur, Suite, Start);
        if (At < 0) {
            break; // past the last field: what is left holds no separator
        }
        Start = At + Separateur.size();
    }
    const qsizetype End = Chercher(Separateur, Suite, Start);
    return End < 0 ? QString() : Suite.mid(Start, End - Start);
}
