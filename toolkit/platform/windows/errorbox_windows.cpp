#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/windows/wintext.h"

#include <windows.h>

namespace {
// The system's message box with the error icon and one OK button, owned by the
// thread's active window (modal to it) when there is one.
class TMessageErrorBox : public IErrorBox {
public:
    void ShowError(const TString& Title, const TString& Text) override
    {
        MessageBoxW(
            GetActiveWindow(), WideOf(Text).c_str(), WideOf(Title).c_str(), MB_ICONERROR | MB_OK);
    }
};
TMessageErrorBox MessageErrorBox;
TServiceSlot<IErrorBox> Slot(MessageErrorBox);
}

IErrorBox& ErrorBox()
{
    return Slot.Get();
}
void SetErrorBox(IErrorBox* Box)
{
    Slot.Set(Box);
}
