#include "toolkit/controls/forms.h"

#include "toolkit/controls/menus.h"
#include "toolkit/platform/screen.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

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
    void paintEvent(QPaintEvent* E) override
    {
        // A see-through window shows only what its controls draw.
        if (testAttribute(Qt::WA_TranslucentBackground)) {
            return;
        }
        QPainter P(this);
        const QColor Colour = ToQColor(FForm->Color());
        PaintInBands(E->region(), [&](const QRect& Part) { P.fillRect(Part, Colour); });
    }

    void mousePressEvent(QMouseEvent* E) override
    {
        if (E->button() == Qt::LeftButton) {
            FForm->FPressed = FForm->GraphicControlAt(FromQt(E->position().toPoint()));
        }
    }

    void mouseReleaseEvent(QMouseEvent* E) override
    {
        if (E->button() != Qt::LeftButton) {
            return;
        }
        TGraphicControl* Pressed = FForm->FPressed;
        FForm->FPressed = nullptr;
        if (Pressed && Pressed == FForm->GraphicControlAt(FromQt(E->position().toPoint()))) {
            Pressed->Click();
        }
    }

    void mouseMoveEvent(QMouseEvent* E) override
    {
        TGraphicControl* Over = FForm->GraphicControlAt(FromQt(E->position().toPoint()));
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

    // Tab and Shift+Tab go through the windowed controls in layout order, whenever
    // their widgets were made.
    bool focusNextPrevChild(bool Next) override
    {
        return FForm->FocusNextControl(Next) || QWidget::focusNextPrevChild(Next);
    }

    void showEvent(QShowEvent* E) override
    {
        QWidget::showEvent(E);
        FForm->CreateShownChildren(); // before the first paint and the form's handler
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
        FForm->CreateShownChildren();
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
        Flags |= Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
        break;
    case TBorderStyle::bsSizeable:
        break;
    }
    if (FFormStyle == TFormStyle::fsStayOnTop) {
        Flags |= Qt::WindowStaysOnTopHint;
    }
    const bool WasVisible = FWidget->isVisible();
    FWidget->setWindowFlags(Flags);
    if (FixedSize()) {
        FWidget->setFixedSize(FBounds.size());
    } else {
        FWidget->setMinimumSize(0, 0);
        FWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    if (WasVisible) {
        FWidget->show();
    }
}

bool TCustomForm::FixedSize() const
{
    // Only a sizeable border lets the user resize a window. A window without a border
    // says so too (its minimum size is its maximum): tiling window managers then float
    // it at its own size instead of stretching it over the screen.
    return FBorderStyle != TBorderStyle::bsSizeable;
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

TSize TCustomForm::OuterSize() const
{
    return FromQt(FWidget->frameGeometry().size());
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    FBounds = QRect(ALeft, ATop, std::max(0, AWidth), std::max(0, AHeight));
    if (FixedSize()) {
        FWidget->setFixedSize(FBounds.size());
    } else {
        FWidget->resize(FBounds.size());
    }
    FWidget->move(FBounds.topLeft());
}

void TCustomForm::SetCaption(TStringView Value)
{
    FCaption.assign(Value);
    FWidget->setWindowTitle(ToQt(Value));
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
    const TSize Area = FPosition == TPosition::poScreenCenter
        ? ScreenMetrics().PrimaryScreenSize()
        : ScreenMetrics().VirtualScreen().Size();
    const TSize Outer = OuterSize();
    SetBounds((Area.Width - Outer.Width) / 2, (Area.Height - Outer.Height) / 2, Width(), Height());
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

bool TCustomForm::FocusNextControl(bool Forward)
{
    // The windowed controls that have a widget, in layout order, and the focused one.
    std::vector<QWidget*> Widgets;
    int Current = -1;
    const QWidget* Focus = QApplication::focusWidget();
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* C = Controls(i);
        if (dynamic_cast<TWinControl*>(C) && C->WidgetCreated()) {
            QWidget* W = C->Widget();
            if (Focus && (W == Focus || W->isAncestorOf(Focus))) {
                Current = int(Widgets.size());
            }
            Widgets.push_back(W);
        }
    }
    const int Count = int(Widgets.size());
    const int From = Current >= 0 ? Current : (Forward ? -1 : Count);
    for (int Step = 1; Step <= Count; ++Step) {
        QWidget* W = Widgets[size_t(((From + (Forward ? Step : -Step)) % Count + Count) % Count)];
        if (W->isVisible() && W->isEnabled() && (W->focusPolicy() & Qt::TabFocus)) {
            W->setFocus(Forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

TGraphicControl* TCustomForm::GraphicControlAt(TPoint ClientPoint) const
{
    for (int i = ControlCount() - 1; i >= 0; --i) {
        auto* G = dynamic_cast<TGraphicControl*>(Controls(i));
        if (G && G->Visible() && G->BoundsRect().Contains(ClientPoint)) {
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
    // (Widgets made later take the same place by themselves.)
    for (int i = 0; i < ControlCount(); ++i) {
        if (dynamic_cast<TWinControl*>(Controls(i)) && Controls(i)->WidgetCreated()) {
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
