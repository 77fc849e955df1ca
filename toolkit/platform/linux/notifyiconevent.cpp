#include "toolkit/platform/linux/notifyiconevent.h"

TNotifyIconEvent::TNotifyIconEvent(const TNotifyIconMessage& Message)
    : QEvent(EventType())
    , TNotifyIconMessage(Message)
{
}

QEvent::Type TNotifyIconEvent::EventType()
{
    static const QEvent::Type Type = QEvent::Type(QEvent::registerEventType());
    return Type;
}
