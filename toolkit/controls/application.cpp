#include "toolkit/controls/application.h"

#include "toolkit/controls/forms.h"
#include "toolkit/core/log.h"
#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/taskbar.h"
#include "toolkit/platform/windowmanager.h"

#include <algorithm>

static const TLogCategory lcForms { "veludor.forms", TLogLevel::Warning };

TApplication* Application = nullptr;

// ---------------------------------------------------------------------------
// The application window

TApplicationWindow::TApplicationWindow()
{
    WindowProc = [](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; };
}

std::intptr_t TApplicationWindow::Perform(
    std::uint32_t Msg, std::uintptr_t WParam, std::intptr_t LParam)
{
    return WindowProc ? WindowProc(Msg, WParam, LParam) : 0;
}

void TApplicationWindow::SetVisible(bool Value)
{
    FVisible = Value;
    for (TCustomForm* Form : FForms) {
        ApplyTo(Form);
    }
}

void TApplicationWindow::ApplyTo(TCustomForm* Form) const
{
    Taskbar().SetSkipTaskbar(Form->WSObject()->Handle(), !FVisible);
}

void TApplicationWindow::FormCreated(TCustomForm* Form)
{
    FForms.push_back(Form);
}

void TApplicationWindow::FormDestroyed(TCustomForm* Form)
{
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
}

void TApplicationWindow::Flash(bool Invert)
{
    FFlashing = Invert ? !FFlashing : FFlashing;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(Application->MainForm()->WSObject()->Handle(), FFlashing);
    }
}

void TApplicationWindow::StopFlashing()
{
    FFlashing = false;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(Application->MainForm()->WSObject()->Handle(), false);
    }
}

// ---------------------------------------------------------------------------
// The application object

TApplication::TApplication()
    : TComponent(nullptr)
{
    Application = this;
    // A tray host that appears reaches the tray components as "TaskbarCreated".
    SetNotifyAreaClient({ [] { return Application ? Application->Title() : TString(); },
        [] {
            if (Application) {
                Application->Guard([] {
                    Application->Handle().Perform(
                        Application->RegisterWindowMessage(u"TaskbarCreated"));
                });
            }
        } });
    if (WidgetSet().Available()) {
        WidgetSet().Initialize(this);
        WindowManager().TrackPositions();
    }
}

TApplication::~TApplication()
{
    OnMessage = nullptr;
    DestroyComponents();
    if (Application == this) {
        WidgetSet().Initialize(nullptr);
        Application = nullptr;
        SetNotifyAreaClient({});
    }
}

void TApplication::SetIcon(const TIcon& Value)
{
    FIcon = Value;
    WidgetSet().SetApplicationIcon(FIcon);
}

int TApplication::Run()
{
    if (FMainForm && ShowMainForm) {
        FMainForm->Show();
    }
    if (FTerminated) {
        return 0;
    }
    return WidgetSet().Run();
}

void TApplication::Terminate()
{
    FTerminated = true;
    WidgetSet().Quit(0);
}

void TApplication::ProcessMessages()
{
    WidgetSet().ProcessMessages();
}

void TApplication::Restore()
{
    if (FMainForm && Minimized()) {
        FMainForm->SetWindowState(TWindowState::wsNormal);
    }
}

void TApplication::Minimize()
{
    if (FMainForm) {
        FMainForm->SetWindowState(TWindowState::wsMinimized);
    }
}

bool TApplication::Minimized() const
{
    return FMainForm && FMainForm->WindowState() == TWindowState::wsMinimized;
}

bool TApplication::Guard(const std::function<void()>& Handler)
{
    try {
        Handler();
        return true;
    } catch (const Exception& E) {
        HandleException(E.Message());
    } catch (const std::bad_alloc&) {
        HandleException(u"Mémoire insuffisante");
    } catch (const std::exception& E) {
        HandleException(Utf8ToString(E.what()));
    }
    return false;
}

void TApplication::CallEvent(const TNotifyEvent& Event, TObject* Sender)
{
    if (Event) {
        Guard([&] { Event(Sender); });
    }
}

void TApplication::HandleException(TStringView Message)
{
    LogDebug(lcForms, "error box: " + StringToUtf8(Message));
    ErrorBox().ShowError(FTitle, ErrorBoxText(Message));
}

std::uint32_t TApplication::RegisterWindowMessage(TStringView Name)
{
    // Names compare without regard to case; the numbers are those Windows hands out.
    const auto [It, Added] = FMessages.try_emplace(LowerCase(Name), FNextMessage);
    if (Added) {
        ++FNextMessage;
    }
    return It->second;
}

void TApplication::FormShown(TCustomForm* Form)
{
    FWindow.ApplyTo(Form);
}

void TApplication::FormClosed(TCustomForm* Form)
{
    if (Form == FMainForm) {
        Terminate();
    }
}

void TApplication::Activated()
{
    CallEvent(OnActivate, this);
}

void TApplication::FormMinimized(TCustomForm* Form)
{
    if (Form == FMainForm) {
        CallEvent(OnMinimize, this);
    }
}

bool TApplication::WSQueuedMessage(TMsg& Msg)
{
    if (!OnMessage) {
        return false;
    }
    bool Handled = false;
    Guard([&] { OnMessage(Msg, Handled); });
    return Handled;
}
