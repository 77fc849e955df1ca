#pragma once

#include "toolkit/platform/errorbox.h"

#include <QStringList>

// Records every standard error box instead of showing it. Installs itself on
// construction and puts the real box back on destruction.
class TRecordingErrorBox : public IErrorBox {
public:
    TRecordingErrorBox();
    ~TRecordingErrorBox() override;
    void ShowError(const TString& Title, const TString& Text) override;

    QStringList Titles;
    QStringList Texts;
};
