#pragma once

#include "toolkit/platform/notifyarea.h"

#include <QEvent>

// A notification-area callback message as a Qt event, posted to the record's window:
// the window's event handler reads the message's fields from it.
class TNotifyIconEvent : public QEvent, public TNotifyIconMessage {
public:
    explicit TNotifyIconEvent(const TNotifyIconMessage& Message);
    static QEvent::Type EventType();
};
