#include "toolkit/platform/linux/notifyiconevent.h"
#include "toolkit/widgetset/qt/qtwidgetset.h"
#include "toolkit/widgetset/qt/qtwindow.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
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

class TQtRadioButton : public TQtControl<TWSRadioButton> {
public:
    explicit TQtRadioButton(IWSClient* AClient)
        : TQtControl<TWSRadioButton>(AClient, new QRadioButton)
    {
        Button()->setAutoExclusive(true);
        QObject::connect(Button(), &QRadioButton::toggled, FWidget, [this](bool On) {
            if (On) {
                NotifyClient(this, BN_CLICKED);
            }
        });
    }
    void SetCaption(TStringView Caption) override { Button()->setText(ToQt(Caption)); }
    bool Checked() const override { return Button()->isChecked(); }
    void SetChecked(bool Value) override
    {
        QRadioButton* B = Button();
        if (Value || !B->isChecked()) {
            B->setChecked(Value);
            return;
        }
        // Qt keeps one button of an exclusive group checked; unchecking is allowed here.
        B->setAutoExclusive(false);
        B->setChecked(false);
        B->setAutoExclusive(true);
    }

private:
    QRadioButton* Button() const { return static_cast<QRadioButton*>(FWidget.data()); }
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
