// Windowed controls make their Qt widget when they first show: until then they keep
// what they are given and report it as the widget would; made late, the widget carries
// that state and takes its layout place among its siblings for stacking and keyboard.
#include "toolkit/controls/forms.h"
#include "toolkit/controls/spin.h"
#include "toolkit/controls/stdctrls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class tst_Controls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void stateKeptUntilShown_data();
    void stateKeptUntilShown();
    void layoutOrderKept();

private:
    std::unique_ptr<TApplication> FApp;
};

void tst_Controls::initTestCase() { FApp = std::make_unique<TApplication>(); }

// Each row gives a control a value while it has no widget, then shows it.
void tst_Controls::stateKeptUntilShown_data()
{
    QTest::addColumn<int>("Kind");
    QTest::addColumn<QRect>("Bounds");
    QTest::addColumn<bool>("MadeAtShow");
    const QRect Inside(10, 10, 60, 20), Outside(10, 150, 60, 20);
    for (const auto& [Kind, Name] : { std::pair { 0, "button" }, { 1, "edit field" },
             { 2, "combo box" }, { 3, "spin box" } }) {
        QTest::addRow("%s inside the window", Name) << Kind << Inside << true;
        QTest::addRow("%s outside the window", Name) << Kind << Outside << false;
    }
}

void tst_Controls::stateKeptUntilShown()
{
    QFETCH(int, Kind);
    QFETCH(QRect, Bounds);
    QFETCH(bool, MadeAtShow);
    TForm Form(nullptr);
    Form.SetClientSize(100, 100);
    int Changes = 0;
    TWinControl* C = nullptr;
    switch (Kind) {
    case 0: {
        auto* B = new TButton(&Form);
        B->SetCaption(QStringLiteral("Valider"));
        C = B;
        break;
    }
    case 1: {
        auto* E = new TEdit(&Form);
        E->SetText(QStringLiteral("alarm.mp3"));
        C = E;
        break;
    }
    case 2: {
        auto* Box = new TComboBox(&Form);
        Box->SetText(QStringLiteral("ComboBox1"));
        Box->AddItem(QStringLiteral("a.bmp"));
        Box->AddItem(QStringLiteral("b.bmp"));
        QCOMPARE(Box->Text(), QStringLiteral("ComboBox1"));
        C = Box;
        break;
    }
    default: {
        auto* Spin = new TSpinEdit(&Form);
        Spin->OnChange = [&Changes](TObject*) { ++Changes; };
        Spin->SetMaxValue(23);
        Spin->SetValue(7);
        Spin->SetValue(7); // the same text: no change
        Spin->SetValue(40);
        QCOMPARE(Spin->Value(), 23);
        QCOMPARE(Changes, 2);
        C = Spin;
    }
    }
    C->SetParent(&Form);
    C->SetBounds(Bounds.x(), Bounds.y(), Bounds.width(), Bounds.height());
    QVERIFY(!C->WidgetCreated());
    Form.Show();
    QCOMPARE(C->WidgetCreated(), MadeAtShow);
    if (!MadeAtShow) {
        Form.SetClientSize(100, 200); // the window grows over the control
        QVERIFY(C->WidgetCreated());
    }
    QVERIFY(C->Widget()->isVisible());
    QCOMPARE(C->Widget()->geometry(), Bounds);
    switch (Kind) {
    case 0:
        QCOMPARE(static_cast<QPushButton*>(C->Widget())->text(), QStringLiteral("Valider"));
        break;
    case 1:
        QCOMPARE(static_cast<QLineEdit*>(C->Widget())->text(), QStringLiteral("alarm.mp3"));
        break;
    case 2: {
        auto* Box = static_cast<QComboBox*>(C->Widget());
        QCOMPARE(Box->currentText(), QStringLiteral("ComboBox1"));
        QCOMPARE(static_cast<TComboBox*>(C)->Items(),
            QStringList({ QStringLiteral("a.bmp"), QStringLiteral("b.bmp") }));
        break;
    }
    default:
        QCOMPARE(static_cast<TSpinEdit*>(C)->Text(), QStringLiteral("23"));
        QCOMPARE(Changes, 2); // making the widget is no change of the text
    }
}

// Shown in another order than laid out, the widgets still stack and take the focus by
// Tab and Shift+Tab in layout order.
void tst_Controls::layoutOrderKept()
{
    TForm Form(nullptr);
    Form.SetClientSize(200, 100);
    std::vector<TButton*> Buttons;
    for (int i = 0; i < 3; ++i) {
        auto* B = new TButton(&Form);
        B->SetParent(&Form);
        B->SetBounds(10 + 5 * i, 10, 60, 20); // overlapping
        B->SetVisible(false);
        Buttons.push_back(B);
    }
    Form.Show();
    QApplication::setActiveWindow(Form.Widget());
    for (int i : { 1, 0, 2 }) {
        Buttons[size_t(i)]->SetVisible(true);
    }
    const QObjectList& Stack = Form.Widget()->children();
    QVERIFY(Stack.indexOf(Buttons[0]->Widget()) < Stack.indexOf(Buttons[1]->Widget()));
    QVERIFY(Stack.indexOf(Buttons[1]->Widget()) < Stack.indexOf(Buttons[2]->Widget()));
    Buttons[0]->SetFocus();
    for (const auto& [Key, Modifiers, Then] : { std::tuple { Qt::Key_Tab, Qt::NoModifier, 1 },
             { Qt::Key_Tab, Qt::NoModifier, 2 }, { Qt::Key_Tab, Qt::NoModifier, 0 },
             { Qt::Key_Backtab, Qt::ShiftModifier, 2 } }) {
        QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
        QCOMPARE(QApplication::focusWidget(), Buttons[size_t(Then)]->Widget());
    }
}

QTEST_MAIN(tst_Controls)
#include "tst_controls.moc"
