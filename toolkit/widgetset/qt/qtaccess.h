#pragma once

// Temporary: the Qt widget behind a control's window object, for the components and
// tests that still reach Qt directly until they work through messages and the canvas.

#include "toolkit/widgetset/widgetset.h"

class QWidget;

// The widget carrying a window object made by the Qt widget set (null for null).
QWidget* QtWidgetOf(const TWSControl* Control);
