#pragma once

// Temporary: the Qt widget behind a control's window object, for the components and
// tests that still reach Qt directly until they work through messages and the canvas.

#include "toolkit/widgetset/widgetset.h"

#include <memory>

class QWidget;

// The widget carrying a window object made by the Qt widget set (null for null).
QWidget* QtWidgetOf(const TWSControl* Control);

// A window object over a widget the control made itself (the plain radio button, the
// picture), reporting its input to Client; it owns the widget.
std::unique_ptr<TWSControl> QtAdoptWidget(QWidget* Widget, IWSClient* Client);
