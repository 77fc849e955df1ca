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
        TMessage Message;
        Message.Msg = Posted->Msg;
        Message.WParam = Posted->WParam;
        Message.LParam = Posted->LParam;
        if (Message.Msg == TPiconeBarreTache::MessageIcone) {
            FControl->TraiterMessageIcone(Message);
        }
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

void TPourHandle::TraiterMessageIcone(TMessage& Message)
{
    if (auto* Tray = dynamic_cast<TPiconeBarreTache*>(Owner())) {
        Tray->TraiterMessageIcone(Message);
    }
}
