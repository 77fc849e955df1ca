#pragma once

#include "toolkit/widgetset/faces.h"
#include "toolkit/widgetset/widgetset.h"

#include <QColor>
#include <QFont>

// The contract's fonts and colours in Qt's terms.

// The Qt font for a control's font. The seven-segment face of the clock digits is drawn
// smaller and narrowed so that its text keeps the box the layouts were designed with.
QFont QtFont(const TFont& Font);
// The font's metrics as the layouts expect them (the digit face's designed box).
TTextMetrics QtMetrics(const TFont& Font);

// Plain colours as they are, system colours through the application palette.
QColor QtColor(TColor Color);

// Maps the faces the layouts name to the closest faces the system has, so that text keeps
// the designed size and place.
void InstallQtFontSubstitutions();
