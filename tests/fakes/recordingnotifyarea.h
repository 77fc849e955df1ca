#pragma once

#include "toolkit/platform/notifyarea.h"

#include <QIcon>
#include <QStringList>

#include <vector>

// Records every notification-area command with a copy of its record instead of showing
// an icon, and plays the shell's part for the tests: it sends a record's callback
// message to its window. Installs itself on construction and puts the system's
// notification area back on destruction.
class TRecordingNotifyArea : public INotifyArea {
public:
    // The record as it was passed, and a copy of the icon its handle named then.
    struct TCall {
        quint32 Message;
        TNotifyIconData Data;
        QIcon Icon;
    };

    TRecordingNotifyArea();
    ~TRecordingNotifyArea() override;
    bool ShellNotifyIcon(quint32 Message, const TNotifyIconData& Data) override;

    // The commands, as "add", "modify" and "delete", in order.
    QStringList Commands() const;
    const TCall& Last() const { return Calls.back(); }
    void Clear() { Calls.clear(); }

    // Sends the callback message of the last record added (or modified) to its window,
    // with Mouse as the mouse message, as the tray does when the icon is clicked.
    void SendMouse(qintptr Mouse) const;

    std::vector<TCall> Calls;
};
