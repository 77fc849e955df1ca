#include "toolkit/platform/linux/notifyiconevent.h"
#include "toolkit/widgetset/qt/qtcanvas.h"
#include "toolkit/widgetset/qt/qtwidgetset.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace {
class TQtGraphicControl : public TQtControl<TWSGraphicControl> {
public:
    explicit TQtGraphicControl(IWSClient* AClient)
        : TQtControl<TWSGraphicControl>(AClient, new TQtPaintedWidget(this))
    {
        // Presses go through to the parent window, which routes clicks to the control.
        FWidget->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
};

class TQtButton : public TQtControl<TWSButton> {
public:
    explicit TQtButton(IWSClient* AClient)
        : TQtControl<TWSButton>(AClient, new QPushButton)
    {
        QObject::connect(
            Button(), &QPushButton::clicked, FWidget, [this] { NotifyClient(this, BN_CLICKED); });
    }
    void SetCaption(TStringView Caption) override { Button()->setText(ToQt(Caption)); }

private:
    QPushButton* Button() const { return static_cast<QPushButton*>(FWidget.data()); }
};

class TQtEdit : public TQtControl<TWSEdit> {
public:
    explicit TQtEdit(IWSClient* AClient)
        : TQtControl<TWSEdit>(AClient, new QLineEdit)
    {
        QObject::connect(
            Line(), &QLineEdit::textChanged, FWidget, [this] { NotifyClient(this, EN_CHANGE); });
    }
    TString Text() const override { return FromQt(Line()->text()); }
    void SetText(TStringView Text) override { Line()->setText(ToQt(Text)); }

private:
    QLineEdit* Line() const { return static_cast<QLineEdit*>(FWidget.data()); }
};

class TQtComboBox : public TQtControl<TWSComboBox> {
public:
    explicit TQtComboBox(IWSClient* AClient)
        : TQtControl<TWSComboBox>(AClient, new QComboBox)
    {
        Box()->setEditable(true);
        QObject::connect(Box(), &QComboBox::editTextChanged, FWidget,
            [this] { NotifyClient(this, CBN_EDITCHANGE); });
    }
    void SetItems(const std::vector<TString>& Items) override
    {
        // The text stays as it is.
        const QString Current = Box()->currentText();
        const QSignalBlocker Quiet(Box());
        Box()->clear();
        for (const TString& Item : Items) {
            Box()->addItem(ToQt(Item));
        }
        Box()->setCurrentText(Current);
    }
    TString Text() const override { return FromQt(Box()->currentText()); }
    void SetText(TStringView Text) override { Box()->setCurrentText(ToQt(Text)); }

private:
    QComboBox* Box() const { return static_cast<QComboBox*>(FWidget.data()); }
};

// A Qt radio button that only shows the state it is given: a click checks it when it is
// not checked (never unchecks it) and the model keeps the group. Owner-drawn, its face
// is painted by the model over the parent's pixels. Enabling, resizing and moving it are
// reported as WM_ENABLE, WM_SIZE and WM_MOVE.
class TQtRadioWidget : public QRadioButton {
public:
    explicit TQtRadioWidget(TWSControl* AControl)
        : FControl(AControl)
    {
        setAutoExclusive(false);
        // Not opaque: Qt paints what lies under the button before every paint of it.
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setAutoFillBackground(false);
    }
    bool OwnerDraw = false;

protected:
    void nextCheckState() override
    {
        if (!isChecked()) {
            setChecked(true);
        }
    }
    void paintEvent(QPaintEvent* E) override
    {
        if (!OwnerDraw) {
            QRadioButton::paintEvent(E);
            return;
        }
        if (IWSClient* Client = FControl->Client()) {
            QPainter P(this);
            TQtCanvas Canvas(P);
            Client->WSPaint(Canvas, FromQt(E->rect()));
        }
    }
    void changeEvent(QEvent* E) override
    {
        QRadioButton::changeEvent(E);
        if (E->type() == QEvent::EnabledChange) {
            SendToClient(FControl, WM_ENABLE, isEnabled() ? 1 : 0);
        }
    }
    void resizeEvent(QResizeEvent* E) override
    {
        QRadioButton::resizeEvent(E);
        SendToClient(FControl, WM_SIZE, 0, MakeLParam(width(), height()));
    }
    void moveEvent(QMoveEvent* E) override
    {
        QRadioButton::moveEvent(E);
        SendToClient(FControl, WM_MOVE, 0, MakeLParam(x(), y()));
    }

private:
    TWSControl* FControl;
};

class TQtRadioButton : public TQtControl<TWSRadioButton> {
public:
    explicit TQtRadioButton(IWSClient* AClient)
        : TQtControl<TWSRadioButton>(AClient, new TQtRadioWidget(this))
    {
        QObject::connect(Button(), &QRadioButton::toggled, FWidget, [this](bool On) {
            if (On) {
                NotifyClient(this, BN_CLICKED);
            }
        });
    }
    void SetCaption(TStringView Caption) override { Button()->setText(ToQt(Caption)); }
    bool Checked() const override { return Button()->isChecked(); }
    void SetChecked(bool Value) override { Button()->setChecked(Value); }
    void SetLeftText(bool Value) override
    {
        // A caption on the left-hand side is Qt's right-to-left button.
        Button()->setLayoutDirection(Value ? Qt::RightToLeft : Qt::LeftToRight);
    }
    void SetOwnerDraw(bool Value) override
    {
        Button()->OwnerDraw = Value;
        // Qt focuses a click-focus widget before the press reaches the model, which gives
        // an owner-drawn button the focus itself (and only repaints on a press of a
        // focused one).
        Button()->setFocusPolicy(Value ? Qt::TabFocus : Qt::StrongFocus);
        // Not even a rendering of the button on its own (a grab) fills a background.
        Button()->setAttribute(Qt::WA_NoSystemBackground, Value);
        Button()->update();
    }

private:
    TQtRadioWidget* Button() const { return static_cast<TQtRadioWidget*>(FWidget.data()); }
};

// An edit with arrows whose keys, steps and text changes all go to the model, which
// keeps the value's rules.
class TQtSpinWidget : public QAbstractSpinBox {
public:
    explicit TQtSpinWidget(TWSControl* AControl)
        : FControl(AControl)
    {
        setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        setKeyboardTracking(true);
        setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
        QObject::connect(lineEdit(), &QLineEdit::textChanged, this,
            [this] { NotifyClient(FControl, EN_CHANGE); });
    }
    QLineEdit* Line() const { return lineEdit(); }

    void stepBy(int Steps) override
    {
        const std::uintptr_t Key = Steps > 0 ? VK_UP : VK_DOWN;
        for (int i = 0; i < std::abs(Steps); ++i) {
            SendToClient(FControl, WM_KEYDOWN, Key);
        }
    }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

    void focusOutEvent(QFocusEvent* E) override
    {
        QAbstractSpinBox::focusOutEvent(E);
        NotifyClient(FControl, EN_KILLFOCUS);
    }

private:
    TWSControl* FControl;
};

class TQtSpinEdit : public TQtControl<TWSSpinEdit> {
public:
    explicit TQtSpinEdit(IWSClient* AClient)
        : TQtControl<TWSSpinEdit>(AClient, new TQtSpinWidget(this))
    {
    }
    TString Text() const override { return FromQt(Spin()->Line()->text()); }
    void SetText(TStringView Text) override { Spin()->Line()->setText(ToQt(Text)); }

private:
    TQtSpinWidget* Spin() const { return static_cast<TQtSpinWidget*>(FWidget.data()); }
};

class TQtCustomControl : public TQtControl<TWSCustomControl> {
public:
    explicit TQtCustomControl(IWSClient* AClient)
        : TQtControl<TWSCustomControl>(AClient, new TQtPaintedWidget(this))
    {
        // Not opaque: Qt paints what lies under the control before every paint of it.
        FWidget->setAttribute(Qt::WA_OpaquePaintEvent, false);
        FWidget->setAutoFillBackground(false);
        FWidget->setFocusPolicy(Qt::StrongFocus);
    }
    void SetTransparent(bool Value) override
    {
        // Not even a rendering of the control on its own (a grab) fills a background.
        FWidget->setAttribute(Qt::WA_NoSystemBackground, Value);
        FWidget->update();
    }
};
}

namespace {
// The notification area posts its callbacks to the record's widget as Qt events.
class TQtMessageWidget : public QWidget {
public:
    explicit TQtMessageWidget(TWSControl* AControl)
        : FControl(AControl)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() != TNotifyIconEvent::EventType()) {
            return QWidget::event(Event);
        }
        const auto* Posted = static_cast<TNotifyIconEvent*>(Event);
        SendToClient(FControl, Posted->Msg, Posted->WParam, Posted->LParam);
        return true;
    }

private:
    TWSControl* FControl;
};

class TQtMessageWindow : public TQtControl<TWSMessageWindow> {
public:
    explicit TQtMessageWindow(IWSClient* AClient)
        : TQtControl<TWSMessageWindow>(AClient, new TQtMessageWidget(this))
    {
    }
    // Null once the parent window has destroyed it.
    TWindowHandle Handle() const override { return HandleOf(FWidget.data()); }
};
}

std::unique_ptr<TWSMessageWindow> TQtWidgetSet::CreateMessageWindow(IWSClient* Client)
{
    return std::make_unique<TQtMessageWindow>(Client);
}

std::unique_ptr<TWSGraphicControl> TQtWidgetSet::CreateGraphicControl(IWSClient* Client)
{
    return std::make_unique<TQtGraphicControl>(Client);
}
std::unique_ptr<TWSButton> TQtWidgetSet::CreateButton(IWSClient* Client)
{
    return std::make_unique<TQtButton>(Client);
}
std::unique_ptr<TWSEdit> TQtWidgetSet::CreateEdit(IWSClient* Client)
{
    return std::make_unique<TQtEdit>(Client);
}
std::unique_ptr<TWSComboBox> TQtWidgetSet::CreateComboBox(IWSClient* Client)
{
    return std::make_unique<TQtComboBox>(Client);
}
std::unique_ptr<TWSRadioButton> TQtWidgetSet::CreateRadioButton(IWSClient* Client)
{
    return std::make_unique<TQtRadioButton>(Client);
}
std::unique_ptr<TWSSpinEdit> TQtWidgetSet::CreateSpinEdit(IWSClient* Client)
{
    return std::make_unique<TQtSpinEdit>(Client);
}
std::unique_ptr<TWSCustomControl> TQtWidgetSet::CreateCustomControl(IWSClient* Client)
{
    return std::make_unique<TQtCustomControl>(Client);
}
