#pragma once

#include "toolkit/controls/controls.h"
#include "toolkit/core/messages.h"
#include "toolkit/core/sysutils.h"
#include "toolkit/platform/mousemessages.h"

#include "toolkit/core/icon.h"
#include <map>
#include <vector>

#include <functional>
#include <memory>

class TCustomForm;

// The hook on queued mouse presses: Msg is addressed to the press's window (hwnd); set
// Handled to swallow the press.
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;

// The application's hidden window: it carries the taskbar button. Showing or hiding it
// shows or hides the button of every top-level window of the program. Its window
// procedure can be replaced (and the previous one called) by components that need its
// messages, such as the tray icon's "TaskbarCreated".
class TApplicationWindow {
public:
    using TWndProc = std::function<std::intptr_t(
        std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)>;

    TApplicationWindow();
    TWndProc WindowProc;
    std::intptr_t Perform(std::uint32_t Msg, std::uintptr_t WParam = 0, std::intptr_t LParam = 0);

    void SetVisible(bool Value);
    bool Visible() const { return FVisible; }
    // Applies the current state to a window that has just appeared.
    void ApplyTo(TCustomForm* Form) const;
    // The program's top-level windows, which the state applies to.
    void FormCreated(TCustomForm* Form);
    void FormDestroyed(TCustomForm* Form);
    // Flashing of the taskbar button (the urgency hint).
    void Flash(bool Invert);
    void StopFlashing();
    bool Flashing() const { return FFlashing; }

private:
    bool FVisible = true;
    bool FFlashing = false;
    std::vector<TCustomForm*> FForms;
};

class TApplication : public TComponent, public IWSApplicationClient {
public:
    TApplication();
    ~TApplication() override;

    const TString& Title() const { return FTitle; }
    void SetTitle(TStringView Value) { FTitle.assign(Value); }
    // The program's icon, which its windows and taskbar button show.
    const TIcon& Icon() const { return FIcon; }
    void SetIcon(const TIcon& Value);

    TCustomForm* MainForm() const { return FMainForm; }
    bool ShowMainForm = true;
    TApplicationWindow& Handle() { return FWindow; }

    // Creates a form; the first form created becomes the main window.
    template <class T>
    void CreateForm(T*& Reference)
    {
        FCreatingMainForm = FMainForm == nullptr;
        Reference = nullptr;
        T* Form = new T(this);
        Reference = Form;
        if (FCreatingMainForm && !FMainForm) {
            FMainForm = Form;
        }
        FCreatingMainForm = false;
    }
    // Shows the main window (when ShowMainForm) and runs the message loop until the main
    // window closes.
    int Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    void ProcessMessages();
    void Restore();
    void Minimize();
    bool Minimized() const;

    // Runs a handler; a failure is shown in the standard error box and the program goes on.
    bool Guard(const std::function<void()>& Handler);
    void CallEvent(const TNotifyEvent& Event, TObject* Sender);
    void HandleException(TStringView Message);

    // The single application-wide hook on queued mouse presses.
    TMessageEvent OnMessage;
    TNotifyEvent OnActivate;
    TNotifyEvent OnMinimize;

    // A process-wide message number for a name, the same for every caller.
    std::uint32_t RegisterWindowMessage(TStringView Name);

    // Called by forms.
    void FormShown(TCustomForm* Form);
    void FormClosed(TCustomForm* Form);
    void Activated();
    void FormMinimized(TCustomForm* Form);

    bool WSQueuedMessage(TMsg& Msg) override;
    void WSActivated() override { Activated(); }

private:
    TString FTitle;
    TIcon FIcon;
    TCustomForm* FMainForm = nullptr;
    bool FCreatingMainForm = false;
    bool FTerminated = false;
    TApplicationWindow FWindow;
    std::map<TString, std::uint32_t> FMessages;
    std::uint32_t FNextMessage = 0xC000;
};

// The program's application object; created by the program entry (or a test).
extern TApplication* Application;
