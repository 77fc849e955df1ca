#include "toolkit/controls/application.h"

#include "toolkit/controls/forms.h"
#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/taskbar.h"
#include "toolkit/platform/windowmanager.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/qt/qttranslation.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMouseEvent>

Q_LOGGING_CATEGORY(lcForms, "veludor.forms", QtWarningMsg)

TApplication* Application = nullptr;

// ---------------------------------------------------------------------------
// The application window

TApplicationWindow::TApplicationWindow()
{
    WindowProc = [](quint32, quintptr, qintptr) -> qintptr { return 0; };
}

qintptr TApplicationWindow::Perform(quint32 Msg, quintptr WParam, qintptr LParam)
{
    return WindowProc ? WindowProc(Msg, WParam, LParam) : 0;
}

void TApplicationWindow::SetVisible(bool Value)
{
    FVisible = Value;
    for (QWidget* W : QApplication::topLevelWidgets()) {
        if (W->isWindow() && W->windowType() != Qt::Popup && W->windowType() != Qt::ToolTip) {
            ApplyTo(W);
        }
    }
}

void TApplicationWindow::ApplyTo(QWidget* TopLevel) const
{
    Taskbar().SetSkipTaskbar(HandleOf(TopLevel), !FVisible);
}

void TApplicationWindow::Flash(bool Invert)
{
    FFlashing = Invert ? !FFlashing : FFlashing;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(HandleOf(Application->MainForm()->Widget()), FFlashing);
    }
}

void TApplicationWindow::StopFlashing()
{
    FFlashing = false;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(HandleOf(Application->MainForm()->Widget()), false);
    }
}

// ---------------------------------------------------------------------------
// The application object

// Presents each queued mouse press to the application's hook before it is delivered,
// and has Qt's translation read before a context menu of Qt's own is built.
class TApplicationFilter : public QObject {
public:
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (Watched->isWidgetType() && Application) {
                return Application->DispatchHook(static_cast<QWidget*>(Watched), Event);
            }
            break;
        case QEvent::ContextMenu:
            // An edit field builds its context menu from Qt's own texts.
            LoadQtTranslation();
            break;
        default:
            break;
        }
        return false;
    }
};

TApplication::TApplication()
    : TComponent(nullptr)
    , FFilter(std::make_unique<TApplicationFilter>())
{
    Application = this;
    // A tray host that appears reaches the tray components as "TaskbarCreated".
    SetNotifyAreaClient({ [] { return Application ? FromQt(Application->Title()) : TString(); },
        [] {
            if (Application) {
                Application->Guard([] {
                    Application->Handle().Perform(
                        Application->RegisterWindowMessage(QStringLiteral("TaskbarCreated")));
                });
            }
        } });
    if (QCoreApplication::instance()) {
        qApp->installEventFilter(FFilter.get());
        QApplication::setQuitOnLastWindowClosed(false);
        WindowManager().TrackPositions();
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, FFilter.get(),
            [](Qt::ApplicationState State) {
                if (State == Qt::ApplicationActive && Application) {
                    Application->Activated();
                }
            });
    }
}

TApplication::~TApplication()
{
    OnMessage = nullptr;
    DestroyComponents();
    if (QCoreApplication::instance()) {
        qApp->removeEventFilter(FFilter.get());
    }
    if (Application == this) {
        Application = nullptr;
        SetNotifyAreaClient({});
    }
}

int TApplication::Run()
{
    if (FMainForm && ShowMainForm) {
        FMainForm->Show();
    }
    if (FTerminated) {
        return 0;
    }
    return QApplication::exec();
}

void TApplication::Terminate()
{
    FTerminated = true;
    QCoreApplication::quit();
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TApplication::Restore()
{
    if (FMainForm && Minimized()) {
        QWidget* W = FMainForm->Widget();
        W->setWindowState(W->windowState() & ~Qt::WindowMinimized);
    }
}

void TApplication::Minimize()
{
    if (FMainForm) {
        FMainForm->Widget()->showMinimized();
    }
}

bool TApplication::Minimized() const
{
    return FMainForm && (FMainForm->Widget()->windowState() & Qt::WindowMinimized);
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
    qCDebug(lcForms) << "error box:" << ToQt(Message);
    ErrorBox().ShowError(FromQt(FTitle), ErrorBoxText(Message));
}

quint32 TApplication::RegisterWindowMessage(const QString& Name)
{
    const QString Key = Name.toLower();
    auto It = FMessages.find(Key);
    if (It != FMessages.end()) {
        return It.value();
    }
    const quint32 Number = FNextMessage++;
    FMessages.insert(Key, Number);
    return Number;
}

void TApplication::FormShown(TCustomForm* Form)
{
    FWindow.ApplyTo(Form->Widget());
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

bool TApplication::DispatchHook(QWidget* Receiver, QEvent* Event)
{
    if (!OnMessage) {
        return false;
    }
    auto* Mouse = static_cast<QMouseEvent*>(Event);
    // Qt offers a press that a child ignored to its parents as well; the hook sees each
    // press once, addressed to the window that received it first.
    const qint64 Time = qint64(Mouse->timestamp());
    const QPoint Pos = Mouse->globalPosition().toPoint();
    if (Time == FLastPressTime && Pos == FLastPressPos) {
        return false;
    }
    FLastPressTime = Time;
    FLastPressPos = Pos;

    const bool Double = Event->type() == QEvent::MouseButtonDblClick;
    TMsg Msg;
    Msg.hwnd = Receiver;
    switch (Mouse->button()) {
    case Qt::LeftButton:
        Msg.message = Double ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        break;
    case Qt::RightButton:
        Msg.message = Double ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
        break;
    case Qt::MiddleButton:
        Msg.message = Double ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
        break;
    default:
        return false;
    }
    const QPoint Local = Mouse->position().toPoint();
    Msg.lParam = qintptr((Local.y() & 0xFFFF) << 16 | (Local.x() & 0xFFFF));
    Msg.pt = Pos;
    bool Handled = false;
    Guard([&] { OnMessage(Msg, Handled); });
    return Handled;
}
