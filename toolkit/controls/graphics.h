#pragma once

#include "toolkit/core/types.h"

#include <algorithm>

#include <QColor>
#include <QFont>
#include <QRect>
#include <QRegion>
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

// Calls Paint for each rectangle of Area, cut into bands of fewer rows than Qt's painter
// hands to its thread pool (96 spans a fill or a drawn picture; a rectangle of its own
// gives one span a row, where a complex clip would cut rows into several): a window's
// full repaint would otherwise start pool threads that then idle in the process for half
// a minute.
template <class F>
void PaintInBands(const QRegion& Area, F&& Paint)
{
    constexpr int Band = 64;
    for (const QRect& R : Area) {
        for (int Top = R.top(); Top <= R.bottom(); Top += Band) {
            Paint(QRect(R.left(), Top, R.width(), std::min(Band, R.bottom() + 1 - Top)));
        }
    }
}
