#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/qttranslation.h"
#include "toolkit/platform/serviceslot.h"

#include <QMessageBox>

namespace {
class TMessageErrorBox : public IErrorBox {
public:
    void ShowError(const QString& Title, const QString& Text) override
    {
        LoadQtTranslation();
        QMessageBox Box(QMessageBox::Critical, Title, Text, QMessageBox::Ok);
        Box.exec();
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
