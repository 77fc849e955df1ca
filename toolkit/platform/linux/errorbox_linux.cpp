#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/serviceslot.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/qt/qttranslation.h"

#include <QMessageBox>

namespace {
class TMessageErrorBox : public IErrorBox {
public:
    void ShowError(const TString& Title, const TString& Text) override
    {
        LoadQtTranslation();
        QMessageBox Box(QMessageBox::Critical, ToQt(Title), ToQt(Text), QMessageBox::Ok);
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
