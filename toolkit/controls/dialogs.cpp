#include "toolkit/controls/dialogs.h"

#include "toolkit/controls/forms.h"

std::function<TString(TOpenDialog&)> TOpenDialog::Runner;

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TComponent(AOwner)
{
}

std::vector<std::pair<TString, TString>> TOpenDialog::Filters() const
{
    std::vector<TString> Parts;
    size_t From = 0;
    for (size_t Bar = Filter.find(u'|'); Bar != TString::npos; Bar = Filter.find(u'|', From)) {
        Parts.push_back(Filter.substr(From, Bar - From));
        From = Bar + 1;
    }
    Parts.push_back(Filter.substr(From));
    std::vector<std::pair<TString, TString>> Result;
    for (size_t i = 0; i + 1 < Parts.size(); i += 2) {
        Result.emplace_back(Parts[i], Parts[i + 1]);
    }
    return Result;
}

bool TOpenDialog::Execute()
{
    TString Chosen;
    if (Runner) {
        Chosen = Runner(*this);
    } else {
        TCustomForm* Owner = Application ? Application->MainForm() : nullptr;
        int Index = FilterIndex;
        if (!WidgetSet().OpenFileDialog(
                Title, Filters(), Index, Chosen, Owner ? Owner->WSObject()->Handle() : nullptr)) {
            Chosen.clear();
        }
    }
    if (Chosen.empty()) {
        return false;
    }
    FileName = Chosen;
    return true;
}
