#include "tests/fakes/recordingerrorbox.h"

#include "toolkit/qt/qtconvert.h"

TRecordingErrorBox::TRecordingErrorBox()
{
    SetErrorBox(this);
}

TRecordingErrorBox::~TRecordingErrorBox()
{
    SetErrorBox(nullptr);
}

void TRecordingErrorBox::ShowError(const TString& Title, const TString& Text)
{
    Titles << ToQt(Title);
    Texts << ToQt(Text);
}
