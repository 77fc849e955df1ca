#include "tests/fakes/recordingerrorbox.h"

TRecordingErrorBox::TRecordingErrorBox()
{
    SetErrorBox(this);
}

TRecordingErrorBox::~TRecordingErrorBox()
{
    SetErrorBox(nullptr);
}

void TRecordingErrorBox::ShowError(const QString& Title, const QString& Text)
{
    Titles << Title;
    Texts << Text;
}
