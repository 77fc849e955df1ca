// The label draws its caption as QPainter would draw the text from (0, baseline) with
// the label's font, whatever the order in which caption and font were set: the shaped
// text it keeps between paints must never be that of an earlier caption or font.
#include "tests/fakes/qtcompare.h"
#include "tests/fakes/widgetof.h"
#include "toolkit/controls/forms.h"
#include "toolkit/controls/graphics.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/widgetset/qt/qtfont.h"
#include "toolkit/controls/stdctrls.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

namespace {
struct TStep {
    QString Caption; // applied when not null
    int Height = 0; // font height applied when not 0
};

TFont Face(const QString& Name, int Height, bool Bold = false, bool Underline = false)
{
    TFont F;
    F.Name = FromQt(Name);
    F.Height = Height;
    F.Bold = Bold;
    F.Underline = Underline;
    F.Color = clBlack;
    return F;
}

// What the label must show: its background, then the text drawn directly.
QImage Expected(const TFont& Font, const QString& Caption, QSize Size)
{
    QImage Image(Size, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::white);
    QPainter P(&Image);
    const QFont F = ToQFont(Font);
    P.setFont(F);
    P.setPen(Qt::black);
    const int Baseline = IsDigitFace(Font) ? int(Font.Height * 0.9 + 0.5) : QFontMetrics(F).ascent();
    P.drawText(QPointF(0, Baseline), Caption);
    return Image;
}
}

Q_DECLARE_METATYPE(TFont)
Q_DECLARE_METATYPE(QList<TStep>)

class tst_Label : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void drawsTheCurrentCaption_data();
    void drawsTheCurrentCaption();
    void backgroundFollowsTheColour_data();
    void backgroundFollowsTheColour();

private:
    std::unique_ptr<TApplication> FApp;
};

void tst_Label::initTestCase()
{
    FApp = std::make_unique<TApplication>();
    InstallFontSubstitutions();
    const int Id = QFontDatabase::addApplicationFont(QStringLiteral(VELUDOR_ASSETS "/DS-DIGI.TTF"));
    QVERIFY(Id >= 0);
    QFont::insertSubstitution(QStringLiteral("DS-Digital"), QFontDatabase::applicationFontFamilies(Id).first());
}

void tst_Label::drawsTheCurrentCaption_data()
{
    QTest::addColumn<TFont>("Font");
    QTest::addColumn<QList<TStep>>("Steps");
    QTest::addColumn<QString>("Caption");
    QTest::addColumn<int>("Height");

    const TFont Sans = Face(QStringLiteral("MS Sans Serif"), 13);
    const TFont Digits = Face(QStringLiteral("DS-Digital"), 63, true);
    QTest::newRow("one caption") << Sans << QList<TStep> { { QStringLiteral("Heure :") } } << "Heure :" << 13;
    QTest::newRow("a new caption replaces the shown one")
        << Sans << QList<TStep> { { QStringLiteral("Alarme") }, { QStringLiteral("Chrono") } } << "Chrono" << 13;
    QTest::newRow("the colon's blink: back to the caption before")
        << Digits << QList<TStep> { { QStringLiteral(":") }, { QStringLiteral(" ") }, { QStringLiteral(":") } }
        << ":" << 63;
    QTest::newRow("the blink's other half")
        << Digits
        << QList<TStep> { { QStringLiteral(":") }, { QStringLiteral(" ") }, { QStringLiteral(":") }, { QStringLiteral(" ") } }
        << " " << 63;
    QTest::newRow("three captions in turn: the oldest is shaped again")
        << Digits << QList<TStep> { { QStringLiteral("07") }, { QStringLiteral("08") }, { QStringLiteral("09") }, { QStringLiteral("07") } }
        << "07" << 63;
    QTest::newRow("font changed after the caption")
        << Digits << QList<TStep> { { QStringLiteral("12:34") }, { QString(), 40 } } << "12:34" << 40;
    QTest::newRow("font changed, then the caption before it")
        << Digits << QList<TStep> { { QStringLiteral("12") }, { QStringLiteral("13") }, { QString(), 40 }, { QStringLiteral("12") } }
        << "12" << 40;
    QTest::newRow("small capitals of the titling face")
        << Face(QStringLiteral("Felix Titling"), 11) << QList<TStep> { { QStringLiteral("lundi 7 décembre 2026") } }
        << "lundi 7 décembre 2026" << 11;
    QTest::newRow("underlined bold link")
        << Face(QStringLiteral("MS Sans Serif"), 13, true, true) << QList<TStep> { { QStringLiteral("exemple.fr") } }
        << "exemple.fr" << 13;
    QTest::newRow("caption emptied") << Sans << QList<TStep> { { QStringLiteral("x") }, { QStringLiteral("") } } << "" << 13;
}

void tst_Label::drawsTheCurrentCaption()
{
    QFETCH(TFont, Font);
    QFETCH(QList<TStep>, Steps);
    QFETCH(QString, Caption);
    QFETCH(int, Height);

    TForm Form(nullptr);
    auto* Label = new TLabel(&Form);
    Label->SetParent(&Form);
    Label->SetColor(clWhite);
    Label->SetFont(Font);
    for (const TStep& Step : Steps) {
        if (!Step.Caption.isNull()) {
            Label->SetCaption(FromQt(Step.Caption));
        }
        if (Step.Height != 0) {
            TFont Changed = Label->Font();
            Changed.Height = Step.Height;
            Label->SetFont(Changed);
        }
    }
    QCOMPARE(Label->Caption(), Caption);
    TFont Final = Font;
    Final.Height = Height;
    // Auto-sized to the text's advance.
    QCOMPARE(Label->Width(), QFontMetrics(ToQFont(Final)).horizontalAdvance(Caption));
    if (Caption.isEmpty()) {
        return; // nothing left to draw on
    }
    QCOMPARE(WidgetOf(Label)->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
        Expected(Final, Caption, WidgetOf(Label)->size()));
}

void tst_Label::backgroundFollowsTheColour_data()
{
    QTest::addColumn<bool>("OwnColour");
    QTest::addColumn<bool>("Transparent");
    QTest::addColumn<QColor>("Expected");
    QTest::newRow("follows the parent's new colour") << false << false << QColor(Qt::blue);
    QTest::newRow("its own colour stays") << true << false << QColor(Qt::red);
    QTest::newRow("transparent: the parent shows") << false << true << QColor(Qt::blue);
}

// A shown label's background is the colour it shows now, also after its parent's
// colour or its transparency changed once its text was prepared.
void tst_Label::backgroundFollowsTheColour()
{
    QFETCH(bool, OwnColour);
    QFETCH(bool, Transparent);
    QFETCH(QColor, Expected);
    TForm Form(nullptr);
    Form.SetClientSize(100, 40);
    Form.SetColor(clWhite);
    auto* Label = new TLabel(&Form);
    Label->SetParent(&Form);
    Label->SetAutoSize(false);
    Label->SetBounds(0, 0, 60, 20);
    Label->SetFont(Face(QStringLiteral("MS Sans Serif"), 13));
    Label->SetCaption(u"x");
    if (OwnColour) {
        Label->SetColor(clRed);
    }
    Form.Show();
    Label->SetTransparent(Transparent);
    Form.SetColor(clBlue);
    const QImage Shown = WidgetOf(&Form)->grab().toImage();
    QCOMPARE(Shown.pixelColor(50, 15), Expected);
}

QTEST_MAIN(tst_Label)
#include "tst_label.moc"
