#include "toolkit/controls/forms.h"

#include "toolkit/controls/menus.h"
#include "toolkit/platform/errorbox.h"
#include "toolkit/platform/notifyarea.h"
#include "toolkit/platform/screen.h"
#include "toolkit/platform/taskbar.h"
#include "toolkit/platform/windowmanager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

Q_LOGGING_CATEGORY(lcForms, "veludor.forms", QtWarningMsg)

TApplication* Application = nullptr;

// The Qt widget of a form: paints the form's colour (unless the window is see-through,
// as a shaped window is), hands clicks to the windowless control under the cursor, opens
// the form's pop-up menu and turns Qt's close and state events into the form's handlers.
class TFormWidget : public QWidget {
public:
    explicit TFormWidget(TCustomForm* AForm)
        : FForm(AForm)
    {
        setAttribute(Qt::WA_DeleteOnClose, false);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // A see-through window shows only what its controls draw.
        if (testAttribute(Qt::WA_TranslucentBackground)) {
            return;
        }
        QPainter P(this);
        P.fillRect(rect(), ToQColor(FForm->Color()));
    }

    void mousePressEvent(QMouseEvent* E) override
    {
        if (E->button() == Qt::LeftButton) {
            FForm->FPressed = FForm->GraphicControlAt(E->position().toPoint());
        }
    }

    void mouseReleaseEvent(QMouseEvent* E) override
    {
        if (E->button() != Qt::LeftButton) {
            return;
        }
        TGraphicControl* Pressed = FForm->FPressed;
        FForm->FPressed = nullptr;
        if (Pressed && Pressed == FForm->GraphicControlAt(E->position().toPoint())) {
            Pressed->Click();
        }
    }

    void mouseMoveEvent(QMouseEvent* E) override
    {
        TGraphicControl* Over = FForm->GraphicControlAt(E->position().toPoint());
        const TCursor Wanted = Over ? Over->Cursor() : FForm->Cursor();
        switch (Wanted) {
        case TCursor::crSizeAll:
            setCursor(Qt::SizeAllCursor);
            break;
        case TCursor::crHandPoint:
            setCursor(Qt::PointingHandCursor);
            break;
        default:
            unsetCursor();
            break;
        }
    }

    void contextMenuEvent(QContextMenuEvent* E) override
    {
        if (TPopupMenu* Menu = FForm->PopupMenu()) {
            Menu->Popup(E->globalPos().x(), E->globalPos().y());
        }
    }

    void closeEvent(QCloseEvent* E) override
    {
        if (FForm->CloseRequested()) {
            E->accept();
        } else {
            E->ignore();
        }
    }

    void showEvent(QShowEvent* E) override
    {
        QWidget::showEvent(E);
        if (!E->spontaneous()) {
            Application->FormShown(FForm);
            Application->CallEvent(FForm->OnShow, FForm);
        }
    }

    void changeEvent(QEvent* E) override
    {
        QWidget::changeEvent(E);
        if (E->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
            Application->FormMinimized(FForm);
        }
    }

    void moveEvent(QMoveEvent* E) override
    {
        QWidget::moveEvent(E);
        FForm->FBounds.moveTopLeft(frameGeometry().topLeft());
    }

    void resizeEvent(QResizeEvent* E) override
    {
        QWidget::resizeEvent(E);
        FForm->FBounds.setSize(size());
    }

private:
    TCustomForm* FForm;
};

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner, new TFormWidget(this))
{
    FVisible = false;
    FFont = TFont {};
    ApplyWindowFlags();
}

TCustomForm::~TCustomForm()
{
    // Components go first, while the form's own members still stand; the widget
    // (deleted by TControl) then takes no child widget of ours with it.
    DestroyComponents();
}

void TCustomForm::ApplyWindowFlags()
{
    Qt::WindowFlags Flags = Qt::Window;
    switch (FBorderStyle) {
    case TBorderStyle::bsNone:
        Flags |= Qt::FramelessWindowHint;
        break;
    case TBorderStyle::bsDialog:
    case TBorderStyle::bsSingle:
        Flags |= Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint;
        break;
    case TBorderStyle::bsSizeable:
        break;
    }
    if (FFormStyle == TFormStyle::fsStayOnTop) {
        Flags |= Qt::WindowStaysOnTopHint;
    }
    const bool WasVisible = FWidget->isVisible();
    FWidget->setWindowFlags(Flags);
    if (FBorderStyle == TBorderStyle::bsDialog || FBorderStyle == TBorderStyle::bsSingle) {
        FWidget->setFixedSize(FBounds.size());
    } else {
        FWidget->setMinimumSize(0, 0);
        FWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (WasVisible) {
        FWidget->show();
    }
}

void TCustomForm::SetBorderStyle(TBorderStyle Value)
{
    FBorderStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    if (Value == FFormStyle) {
        return;
    }
    FFormStyle = Value;
    ApplyWindowFlags();
}

void TCustomForm::SetClientSize(int AWidth, int AHeight)
{
    SetBounds(Left(), Top(), AWidth, AHeight);
}

int TCustomForm::ClientWidth() const
{
    return FWidget->width();
}

int TCustomForm::ClientHeight() const
{
    return FWidget->height();
}

QSize TCustomForm::OuterSize() const
{
    return FWidget->frameGeometry().size();
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = QRect(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    if (FBorderStyle == TBorderStyle::bsDialog || FBorderStyle == TBorderStyle::bsSingle) {
        FWidget->setFixedSize(FBounds.size());
    } else {
        FWidget->resize(FBounds.size());
    }
    FWidget->move(FBounds.topLeft());
}

void TCustomForm::SetCaption(const QString& Value)
{
    FCaption = Value;
    FWidget->setWindowTitle(Value);
}

void TCustomForm::SetVisible(bool Value)
{
    if (FLayingOut) {
        FVisible = Value;
        return; // shown by the program once created
    }
    if (Value && FVisible && FWidget->isVisible()) {
        BringToFront();
        return;
    }
    FVisible = Value;
    const bool Centre = Value && !FPlaced && FPosition != TPosition::poDesigned;
    FPlaced = FPlaced || Value;
    if (Centre) {
        CentreOnScreen();
    }
    if (Value) {
        FWidget->show();
    } else {
        FWidget->hide();
    }
    if (Centre) {
        CentreOnScreen(); // again with the frame, which the window manager adds when it shows
    }
}

void TCustomForm::CentreOnScreen()
{
    const QSize Area = FPosition == TPosition::poScreenCenter ? ScreenMetrics().PrimaryScreenSize()
                                                              : ScreenMetrics().VirtualScreen().size();
    const QSize Outer = OuterSize();
    SetBounds((Area.width() - Outer.width()) / 2, (Area.height() - Outer.height()) / 2, Width(), Height());
}

void TCustomForm::Close()
{
    FWidget->close();
}

bool TCustomForm::CloseRequested()
{
    bool CanClose = true;
    if (OnCloseQuery) {
        Application->Guard([&] { OnCloseQuery(this, CanClose); });
    }
    if (!CanClose) {
        return false;
    }
    const bool IsMain = Application->MainForm() == this;
    TCloseAction Action = IsMain ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) {
        Application->Guard([&] { OnClose(this, Action); });
    }
    if (Action == TCloseAction::caNone) {
        return false;
    }
    if (Action == TCloseAction::caMinimize) {
        FWidget->showMinimized();
        return false;
    }
    FVisible = false;
    if (IsMain) {
        Application->FormClosed(this);
    }
    return true;
}

void TCustomForm::BringToFront()
{
    FWidget->raise();
    FWidget->activateWindow();
}

QWidget* TCustomForm::Handle()
{
    FWidget->winId(); // creates the native window on demand
    return FWidget;
}

TGraphicControl* TCustomForm::GraphicControlAt(const QPoint& ClientPoint) const
{
    for (int i = ControlCount() - 1; i >= 0; --i) {
        auto* G = dynamic_cast<TGraphicControl*>(Controls(i));
        if (G && G->Visible() && G->BoundsRect().contains(ClientPoint)) {
            return G;
        }
    }
    return nullptr;
}

void TCustomForm::BeginLayout()
{
    FLayingOut = true;
    BeginLoading();
    SetLoadsChildren(true);
}

void TCustomForm::EndLayout()
{
    // Windowed controls stand above the windowless ones, whatever the creation order.
    for (int i = 0; i < ControlCount(); ++i) {
        if (dynamic_cast<TWinControl*>(Controls(i))) {
            Controls(i)->Widget()->raise();
        }
    }
    SetLoadsChildren(false);
    // Every component's end-of-loading step, in layout order, then the form's own.
    const int Count = ComponentCount();
    for (int i = 0; i < Count && i < ComponentCount(); ++i) {
        TComponent* C = Components(i);
        if (C->IsLoading()) {
            C->Loaded();
        }
    }
    Loaded();
    FLayingOut = false;
    Application->CallEvent(OnCreate, this);
}

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
    Taskbar().SetSkipTaskbar(TopLevel, !FVisible);
}

void TApplicationWindow::Flash(bool Invert)
{
    FFlashing = Invert ? !FFlashing : FFlashing;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(Application->MainForm()->Widget(), FFlashing);
    }
}

void TApplicationWindow::StopFlashing()
{
    FFlashing = false;
    if (Application && Application->MainForm()) {
        Taskbar().SetUrgent(Application->MainForm()->Widget(), false);
    }
}

// ---------------------------------------------------------------------------
// The application object

// Presents each queued mouse press to the application's hook before it is delivered.
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
    SetNotifyAreaClient({ [] { return Application ? Application->Title() : QString(); },
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
        HandleException(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception& E) {
        HandleException(QString::fromUtf8(E.what()));
    }
    return false;
}

void TApplication::CallEvent(const TNotifyEvent& Event, TObject* Sender)
{
    if (Event) {
        Guard([&] { Event(Sender); });
    }
}

void TApplication::HandleException(const QString& Message)
{
    qCDebug(lcForms) << "error box:" << Message;
    ErrorBox().ShowError(FTitle, ErrorBoxText(Message));
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
