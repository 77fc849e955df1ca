#pragma once

#include "toolkit/core/types.h"

#include <QColor>
#include <QFont>
#include <QString>

// A control's font as the layouts give it: face name, character height in pixels,
// styles and colour.
struct TFont {
    QString Name = QStringLiteral("MS Sans Serif");
    int Height = 11; // character height in pixels
    bool Bold = false;
    bool Underline = false;
    TColor Color = clWindowText;

    QFont ToQFont() const;
    // The seven-segment face of the clock digits: its text keeps the designed box (one
    // character height tall) with the digits standing on a baseline at 0.9 of it.
    bool IsDigitFace() const;
};

// A font as the layouts write it: face, character height in pixels, colour and weight.
TFont FontOf(const QString& Name, int Height, TColor Color = clWindowText, bool Bold = false);

// The colour a TColor stands for: plain colours as they are, system colours through the
// application palette.
QColor ToQColor(TColor Color);

// Maps the faces the layouts name to the closest faces the system has, so that text keeps
// the designed size and place.
void InstallFontSubstitutions();
