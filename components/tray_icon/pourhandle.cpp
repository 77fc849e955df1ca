#include "components/tray_icon/pourhandle.h"

#include "components/tray_icon/piconebarretache.h"
#include "toolkit/platform/linux/notifyiconevent.h"

#include <QEvent>
#include <QWidget>

namespace {
// Delivers the notification area's callback messages to the control.
class TPourHandleWidget : public QWidget {
public:
    explicit TPourHandleWidget(TPourHandle* AControl)
        : FControl(AControl)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() != TNotifyIconEvent::EventType()) {
            return QWidget::event(Event);
        }
        const auto* Posted = static_cast<TNotifyIconEvent*>(Event);
        FControl->Perform(Posted->Msg, Posted->WParam, Posted->LParam);
        return true;
    }

private:
    TPourHandle* FControl;
};
}

TPourHandle::TPourHandle(TComponent* AOwner)
    : TWinControl(AOwner, new TPourHandleWidget(this))
{
    FBounds = QRect();
}

void TPourHandle::WndProc(TMessage& Message)
{
    if (Message.Msg == TPiconeBarreTache::MessageIcone) {
        TraiterMessageIcone(Message);
    } else {
        TWinControl::WndProc(Message);
    }
}

void TPourHandle::TraiterMessageIcone(TMessage& Message)
{
    if (auto* Tray = dynamic_cast<TPiconeBarreTache*>(Owner())) {
        Tray->TraiterMessageIcone(Message);
    }
}
