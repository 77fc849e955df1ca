#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
class TDesktopShell : public IShell {
public:
    void OpenUrl(const QString& Url) override { QDesktopServices::openUrl(QUrl(Url)); }
};
TDesktopShell DesktopShell;
TServiceSlot<IShell> Slot(DesktopShell);
}

IShell& Shell()
{
    return Slot.Get();
}
void SetShell(IShell* Shell)
{
    Slot.Set(Shell);
}
