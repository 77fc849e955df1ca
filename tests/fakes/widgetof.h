#pragma once

// The Qt widget carrying a control's window object, for tests that look at what Qt
// shows (made on demand, as the control itself makes it).

#include "toolkit/controls/controls.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtaccess.h"
#include "toolkit/widgetset/qt/qtfont.h"

#include <QWidget>

#include <memory>

inline QWidget* WidgetOf(const TControl* Control)
{
    return Control ? QtWidgetOf(Control->WSObject()) : nullptr;
}

template <class T>
QWidget* WidgetOf(const std::unique_ptr<T>& Control)
{
    return WidgetOf(Control.get());
}

// The Qt font and colour the Qt widget set makes of the toolkit's.
inline QFont ToQFont(const TFont& Font)
{
    return QtFont(Font);
}
inline QColor ToQColor(TColor Color)
{
    return QtColor(Color);
}
