// Windowed controls make their Qt widget when they first show: until then they keep
// what they are given and report it as the widget would; made late, the widget carries
// that state and takes its layout place among its siblings for stacking and keyboard.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "tests/fakes/recordingerrorbox.h"
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
    void customControlPaints_data();
    void customControlPaints();
    void windowProcReplaced_data();
    void windowProcReplaced();
    void formClickRouting_data();
    void formClickRouting();
    void formCloseAnswer_data();
    void formCloseAnswer();

private:
    std::unique_ptr<TApplication> FApp;
};

void tst_Controls::initTestCase()
{
    FApp = std::make_unique<TApplication>();
}

// Each row gives a control a value while it has no widget, then shows it.
void tst_Controls::stateKeptUntilShown_data()
{
    QTest::addColumn<int>("Kind");
    QTest::addColumn<QRect>("Bounds");
    QTest::addColumn<bool>("MadeAtShow");
    const QRect Inside(10, 10, 60, 20), Outside(10, 150, 60, 20);
    for (const auto& [Kind, Name] :
        { std::pair { 0, "button" }, { 1, "edit field" }, { 2, "combo box" }, { 3, "spin box" } }) {
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
        B->SetCaption(u"Valider");
        C = B;
        break;
    }
    case 1: {
        auto* E = new TEdit(&Form);
        E->SetText(u"alarm.mp3");
        C = E;
        break;
    }
    case 2: {
        auto* Box = new TComboBox(&Form);
        Box->SetText(u"ComboBox1");
        Box->AddItem(u"a.bmp");
        Box->AddItem(u"b.bmp");
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
    QVERIFY(WidgetOf(C)->isVisible());
    QCOMPARE(WidgetOf(C)->geometry(), Bounds);
    switch (Kind) {
    case 0:
        QCOMPARE(static_cast<QPushButton*>(WidgetOf(C))->text(), QStringLiteral("Valider"));
        break;
    case 1:
        QCOMPARE(static_cast<QLineEdit*>(WidgetOf(C))->text(), QStringLiteral("alarm.mp3"));
        break;
    case 2: {
        auto* Box = static_cast<QComboBox*>(WidgetOf(C));
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
    QApplication::setActiveWindow(WidgetOf(&Form));
    for (int i : { 1, 0, 2 }) {
        Buttons[size_t(i)]->SetVisible(true);
    }
    const QObjectList& Stack = WidgetOf(&Form)->children();
    QVERIFY(Stack.indexOf(WidgetOf(Buttons[0])) < Stack.indexOf(WidgetOf(Buttons[1])));
    QVERIFY(Stack.indexOf(WidgetOf(Buttons[1])) < Stack.indexOf(WidgetOf(Buttons[2])));
    Buttons[0]->SetFocus();
    for (const auto& [Key, Modifiers, Then] :
        { std::tuple { Qt::Key_Tab, Qt::NoModifier, 1 }, { Qt::Key_Tab, Qt::NoModifier, 2 },
            { Qt::Key_Tab, Qt::NoModifier, 0 }, { Qt::Key_Backtab, Qt::ShiftModifier, 2 } }) {
        QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
        QCOMPARE(QApplication::focusWidget(), WidgetOf(Buttons[size_t(Then)]));
    }
}

namespace {
// Paints its client area in its brush's colour, or fails while painting when told to.
class TPaintProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool Fail = false;
    int Paints = 0;

protected:
    void Paint() override
    {
        ++Paints;
        Canvas().Brush.Color = clRed;
        Canvas().FillRect(TRect::FromSize(0, 0, Width(), Height()));
        if (Fail) {
            throw Exception(u"Dessin impossible");
        }
    }
};
}

void tst_Controls::customControlPaints_data()
{
    QTest::addColumn<bool>("Fail");
    QTest::addRow("paint draws on the bound canvas") << false;
    QTest::addRow("a failing paint ends in the error box") << true;
}

// The canvas is bound for exactly one paint: a failure neither escapes the window
// system's paint nor leaves it bound; unbound, it still measures.
void tst_Controls::customControlPaints()
{
    QFETCH(bool, Fail);
    TRecordingErrorBox Errors;
    TForm Form(nullptr);
    Form.SetClientSize(100, 100);
    auto* C = new TPaintProbe(&Form);
    C->SetParent(&Form);
    C->SetBounds(10, 10, 30, 20);
    C->Fail = Fail;
    Form.Show();
    const QImage Face = WidgetOf(C)->grab().toImage();
    QVERIFY(C->Paints > 0);
    QCOMPARE(C->Canvas().Handle(), nullptr);
    QCOMPARE(Errors.Texts.size() > 0, Fail);
    QCOMPARE(Face.pixelColor(15, 10), QColor(Qt::red));
    C->Canvas().TextOut(0, 0, u"hors dessin");
    QVERIFY(C->Canvas().TextWidth(u"12:00") > 0);
}

void tst_Controls::windowProcReplaced_data()
{
    QTest::addColumn<bool>("PassOn");
    QTest::addRow("replacement swallows the press") << false;
    QTest::addRow("replacement passes it on") << true;
}

// A component puts its handler in front of a control's: it sees the window's messages
// first, and what it passes on reaches the control's own handling.
void tst_Controls::windowProcReplaced()
{
    QFETCH(bool, PassOn);
    TForm Form(nullptr);
    Form.SetClientSize(100, 100);
    auto* C = new TPaintProbe(&Form);
    C->SetParent(&Form);
    C->SetBounds(10, 10, 30, 20);
    Form.Show();
    QWidget* W = WidgetOf(C);
    const auto Previous = C->WindowProc;
    std::vector<std::uint32_t> Seen;
    int Passed = 0;
    C->WindowProc = [&](TMessage& M) {
        Seen.push_back(M.Msg);
        if (PassOn) {
            ++Passed;
            Previous(M);
        }
    };
    QTest::mousePress(W, Qt::LeftButton, {}, QPoint(5, 6));
    QVERIFY(std::find(Seen.begin(), Seen.end(), WM_LBUTTONDOWN) != Seen.end());
    QCOMPARE(Passed > 0, PassOn);
    QCOMPARE(C->Perform(WM_USER + 1, 2, 3), 0);
    QCOMPARE(Seen.back(), WM_USER + 1);
}

void tst_Controls::formClickRouting_data()
{
    QTest::addColumn<QPoint>("Press");
    QTest::addColumn<QPoint>("Release");
    QTest::addColumn<int>("LeftClicks");
    QTest::addColumn<int>("RightClicks");
    QTest::addRow("press and release on one") << QPoint(15, 15) << QPoint(18, 12) << 1 << 0;
    QTest::addRow("the upper of two overlapping") << QPoint(45, 15) << QPoint(45, 15) << 0 << 1;
    QTest::addRow("released over the other") << QPoint(15, 15) << QPoint(60, 15) << 0 << 0;
    QTest::addRow("pressed on none") << QPoint(90, 90) << QPoint(15, 15) << 0 << 0;
}

// The form hands a click to the topmost windowless control under both the press and
// the release, as the window reports them.
void tst_Controls::formClickRouting()
{
    QFETCH(QPoint, Press);
    QFETCH(QPoint, Release);
    QFETCH(int, LeftClicks);
    QFETCH(int, RightClicks);
    TForm Form(nullptr);
    Form.SetClientSize(100, 100);
    int Clicks[2] = { 0, 0 };
    for (int i = 0; i < 2; ++i) {
        auto* L = new TLabel(&Form);
        L->SetParent(&Form);
        L->SetAutoSize(false);
        L->SetBounds(10 + 30 * i, 10, 40, 20); // the second over the first's right part
        L->OnClick = [&Clicks, i](TObject*) { ++Clicks[i]; };
    }
    Form.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(Press.x(), Press.y()));
    Form.Perform(WM_LBUTTONUP, 0, MakeLParam(Release.x(), Release.y()));
    QCOMPARE(Clicks[0], LeftClicks);
    QCOMPARE(Clicks[1], RightClicks);
}

void tst_Controls::formCloseAnswer_data()
{
    QTest::addColumn<bool>("CanClose");
    QTest::addColumn<int>("Action");
    QTest::addColumn<int>("Result");
    QTest::addRow("closes and hides") << true << int(TCloseAction::caHide) << 1;
    QTest::addRow("refused by the query") << false << int(TCloseAction::caHide) << 0;
    QTest::addRow("kept by its handler") << true << int(TCloseAction::caNone) << 0;
}

// The window closes only when the model answers WM_CLOSE with 1.
void tst_Controls::formCloseAnswer()
{
    QFETCH(bool, CanClose);
    QFETCH(int, Action);
    QFETCH(int, Result);
    TForm Form(nullptr);
    Form.OnCloseQuery = [CanClose](TObject*, bool& Can) { Can = CanClose; };
    Form.OnClose = [Action](TObject*, TCloseAction& A) { A = TCloseAction(Action); };
    QCOMPARE(Form.Perform(WM_CLOSE), Result);
}

QTEST_MAIN(tst_Controls)
#include "tst_controls.moc"
