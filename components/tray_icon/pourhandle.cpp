#include "components/tray_icon/pourhandle.h"

#include "components/tray_icon/piconebarretache.h"

TPourHandle::TPourHandle(TComponent* AOwner)
    : TWinControl(AOwner, WidgetSet().CreateMessageWindow(this))
{
    FBounds = TRect();
}

TWindowHandle TPourHandle::Handle() const
{
    return FHandle ? FHandle->Handle() : nullptr;
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
