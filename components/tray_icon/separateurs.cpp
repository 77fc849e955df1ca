#include "components/tray_icon/separateurs.h"

#include <climits>

namespace {
constexpr size_t NotFound = TStringView::npos;

// The position of Separateur in Texte from From on, or NotFound; an empty separator is
// never found (a search would find it everywhere, and the counting loop would never end).
size_t Chercher(TStringView Separateur, TStringView Texte, size_t From)
{
    return Separateur.empty() ? NotFound : Texte.find(Separateur, From);
}
}

TString ApresSeparateur(TStringView Separateur, TStringView Texte)
{
    const size_t At = Chercher(Separateur, Texte, 0);
    return At == NotFound ? TString() : TString(Texte.substr(At + Separateur.size()));
}

// The text is walked once instead of being cut again after each separator, so a long
// order text costs time in proportion to its length.
int CompterSeparateurs(TStringView Separateur, TStringView Texte)
{
    int Count = 0;
    for (size_t At = Chercher(Separateur, Texte, 0); At != NotFound && Count < INT_MAX - 1;
         At = Chercher(Separateur, Texte, At + Separateur.size())) {
        ++Count;
    }
    return Count;
}

TString ChampNumero(TStringView Separateur, TStringView Texte, int Numero)
{
    const TString Suite = TString(Texte) + TString(Separateur);
    size_t Start = 0;
    for (int i = 0; i < Numero; ++i) {
        const size_t At = Chercher(Separateur, Suite, Start);
        if (At == NotFound) {
            break; // past the last field: what is left holds no separator
        }
        Start = At + Separateur.size();
    }
    const size_t End = Chercher(Separateur, Suite, Start);
    return End == NotFound ? TString() : Suite.substr(Start, End - Start);
}
