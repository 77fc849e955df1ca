#pragma once

#include "toolkit/core/tstring.h"

// The routines that read the tray icon's order text (OrdreImageListAffiche), a list of
// fields separated by a separator (the component always passes ","). Positions count
// from the left; an empty separator occurs nowhere.

// The part of Texte after the first occurrence of Separateur; empty when it does not
// occur. ApresSeparateur(",", "3,0,2") is "0,2".
TString ApresSeparateur(TStringView Separateur, TStringView Texte);

// The number of non-overlapping occurrences of Separateur in Texte, read from the left
// (at most INT_MAX - 1). CompterSeparateurs(",", "3,0,2") is 2, of "3,0,2," it is 3.
int CompterSeparateurs(TStringView Separateur, TStringView Texte);

// Field Numero (from 0) of Texte, empty fields included; empty past the last field and
// for a negative Numero the first. ChampNumero(",", "3,0,2", n) is "3", "0", "2" for
// n = 0, 1, 2 and "" for n = 3.
TString ChampNumero(TStringView Separateur, TStringView Texte, int Numero);
