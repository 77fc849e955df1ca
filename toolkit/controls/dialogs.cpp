#include "toolkit/controls/dialogs.h"

#include "toolkit/controls/forms.h"
#include "toolkit/qt/qttranslation.h"

#include <QFileDialog>
#include <QStringList>

std::function<QString(TOpenDialog&)> TOpenDialog::Runner;

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TComponent(AOwner)
{
}

QStringList TOpenDialog::NameFilters() const
{
    const QStringList Parts = Filter.split(QLatin1Char('|'));
    QStringList Result;
    for (int i = 0; i + 1 < Parts.size(); i += 2) {
        QString Patterns = Parts[i + 1];
        Patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        Result << QStringLiteral("%1 (%2)").arg(Parts[i], Patterns);
    }
    return Result;
}

bool TOpenDialog::Execute()
{
    QString Chosen;
    if (Runner) {
        Chosen = Runner(*this);
    } else {
        // Built only when asked for: nothing of the dialog is loaded at start.
        LoadQtTranslation();
        QFileDialog Dialog(
            Application && Application->MainForm() ? Application->MainForm()->Widget() : nullptr,
            Title);
        Dialog.setFileMode(QFileDialog::AnyFile);
        Dialog.setAcceptMode(QFileDialog::AcceptOpen);
        const QStringList Filters = NameFilters();
        Dialog.setNameFilters(Filters);
        if (FilterIndex >= 1 && FilterIndex <= Filters.size()) {
            Dialog.selectNameFilter(Filters[FilterIndex - 1]);
        }
        if (Dialog.exec() == QDialog::Accepted && !Dialog.selectedFiles().isEmpty()) {
            Chosen = Dialog.selectedFiles().first();
        }
    }
    if (Chosen.isEmpty()) {
        return false;
    }
    FileName = Chosen;
    return true;
}
