#include "toolkit/platform/serviceslot.h"
#include "toolkit/platform/shell.h"
#include "toolkit/qt/qtconvert.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
class TDesktopShell : public IShell {
public:
    void OpenUrl(const TString& Url) override { QDesktopServices::openUrl(QUrl(ToQt(Url))); }
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
