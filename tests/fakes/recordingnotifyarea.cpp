#include "tests/fakes/recordingnotifyarea.h"

#include "toolkit/platform/linux/notifyiconevent.h"
#include "toolkit/qt/qtconvert.h"

#include <QCoreApplication>
#include <QCursor>
#include <QStringList>
#include <QWidget>

TRecordingNotifyArea::TRecordingNotifyArea()
{
    SetNotifyArea(this);
}

TRecordingNotifyArea::~TRecordingNotifyArea()
{
    SetNotifyArea(nullptr);
}

bool TRecordingNotifyArea::ShellNotifyIcon(quint32 Message, const TNotifyIconData& Data)
{
    Calls.push_back({ Message, Data, IconOf(Data.hIcon) });
    return true;
}

QStringList TRecordingNotifyArea::Commands() const
{
    QStringList Result;
    for (const TCall& Call : Calls) {
        switch (Call.Message) {
        case NIM_ADD:
            Result << QStringLiteral("add");
            break;
        case NIM_MODIFY:
            Result << QStringLiteral("modify");
            break;
        case NIM_DELETE:
            Result << QStringLiteral("delete");
            break;
        default:
            Result << QString::number(Call.Message);
            break;
        }
    }
    return Result;
}

void TRecordingNotifyArea::SendMouse(qintptr Mouse) const
{
    for (auto It = Calls.rbegin(); It != Calls.rend(); ++It) {
        if (It->Message == NIM_ADD || It->Message == NIM_MODIFY) {
            TNotifyIconEvent Message(
                { It->Data.uCallbackMessage, It->Data.uID, Mouse, FromQt(QCursor::pos()) });
            QCoreApplication::sendEvent(WidgetOf(It->Data.hWnd), &Message);
            return;
        }
    }
}
