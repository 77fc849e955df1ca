// Pictures, image lists and menus over the toolkit's own types: a picture control draws
// only the parts of its face that show, through the widget set's canvas; an image list
// hands out its images as icons; a menu's items run when the widget set's menu is used.
#include "tests/fakes/qtcompare.h"
#include "toolkit/controls/extctrls.h"
#include "toolkit/controls/forms.h"
#include "toolkit/controls/imglist.h"
#include "toolkit/controls/menus.h"
#include "toolkit/widgetset/qt/qtcanvas.h"

#include <QMenu>
#include <QPainter>
#include <QtTest>

namespace {
constexpr QRgb Marker = 0xFF123456u;

// 6 x 4 pixels, each of its own colour, opaque; the bottom-left one white (the key of a
// transparent picture) and so is (3, 0).
TBitmap32 Distinct()
{
    TBitmap32 B(6, 4);
    for (int Y = 0; Y < 4; ++Y) {
        for (int X = 0; X < 6; ++X) {
            B.SetPixel(X, Y, 0xFF000000u | std::uint32_t(X * 40) << 16 | std::uint32_t(Y * 60) << 8);
        }
    }
    B.SetPixel(0, 3, 0xFFFFFFFFu);
    B.SetPixel(3, 0, 0xFFFFFFFFu);
    return B;
}

TRegion RegionOf(const QList<QRect>& Rects)
{
    TRegion R;
    for (const QRect& Q : Rects) {
        R = R.United(TRegion(FromQt(Q)));
    }
    return R;
}
}

class tst_Pictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { FApp = std::make_unique<TApplication>(); }
    void imageDrawsOnlyShownParts_data();
    void imageDrawsOnlyShownParts();
    void imageListIcons();
    void menuRunsItsItems_data();
    void menuRunsItsItems();

private:
    std::unique_ptr<TApplication> FApp;
};

void tst_Pictures::imageDrawsOnlyShownParts_data()
{
    QTest::addColumn<QList<QRect>>("Shown");
    QTest::addColumn<QRect>("Area");
    QTest::addColumn<bool>("Transparent");
    QTest::addColumn<QList<QRect>>("Drawn");
    const QRect All(0, 0, 6, 4);
    QTest::newRow("whole picture") << QList<QRect> {} << All << false << QList<QRect> { All };
    QTest::newRow("area past the picture")
        << QList<QRect> {} << QRect(4, 2, 9, 9) << false << QList<QRect> { QRect(4, 2, 2, 2) };
    QTest::newRow("shown area of two parts")
        << QList<QRect> { QRect(0, 0, 2, 2), QRect(3, 2, 3, 2) } << All << false
        << QList<QRect> { QRect(0, 0, 2, 2), QRect(3, 2, 3, 2) };
    QTest::newRow("shown area, part of it asked for")
        << QList<QRect> { QRect(0, 0, 2, 2), QRect(3, 2, 3, 2) } << QRect(1, 1, 3, 2) << false
        << QList<QRect> { QRect(1, 1, 1, 1), QRect(3, 2, 1, 1) };
    QTest::newRow("transparent: the key colour left out")
        << QList<QRect> {} << All << true << QList<QRect> { QRect(0, 0, 3, 1), QRect(4, 0, 2, 1),
               QRect(0, 1, 6, 2), QRect(1, 3, 5, 1) };
}

// The face is drawn where it shows and nowhere else: the surface under the rest keeps
// its colour.
void tst_Pictures::imageDrawsOnlyShownParts()
{
    QFETCH(QList<QRect>, Shown);
    QFETCH(QRect, Area);
    QFETCH(bool, Transparent);
    QFETCH(QList<QRect>, Drawn);
    TImage Image(nullptr);
    Image.SetImage(Distinct());
    Image.SetShownArea(RegionOf(Shown));
    Image.SetTransparent(Transparent);
    QImage Surface(8, 6, QImage::Format_ARGB32);
    Surface.fill(Marker);
    {
        QPainter P(&Surface);
        TQtCanvas Canvas(P);
        Image.WSPaint(Canvas, FromQt(Area));
    }
    const TRegion Expected = RegionOf(Drawn);
    for (int Y = 0; Y < Surface.height(); ++Y) {
        for (int X = 0; X < Surface.width(); ++X) {
            const QRgb Want = Expected.Contains({ X, Y }) ? Distinct().Pixel(X, Y) : Marker;
            QVERIFY2(Surface.pixel(X, Y) == Want, qPrintable(QStringLiteral("(%1, %2)").arg(X).arg(Y)));
        }
    }
}

// Images of the list's size are kept as they are, others scaled to it with their alpha;
// an index outside the list gives no icon.
void tst_Pictures::imageListIcons()
{
    TImageList List(nullptr);
    List.SetSize(2, 2);
    QCOMPARE(List.Add(TBitmap32()), -1);
    QCOMPARE(List.Add(Distinct()), 0);
    TBitmap32 Quarter(4, 4, 0);
    for (int Y = 0; Y < 4; ++Y) {
        Quarter.SetPixel(0, Y, 0xFF204060u);
    }
    QCOMPARE(List.Add(Quarter), 1);
    TIcon Icon;
    List.GetIcon(1, Icon);
    QCOMPARE(Icon.Images().size(), size_t(1));
    QCOMPARE(Icon.Images()[0], List.Image(1));
    // The transparent pixels give no colour to the one they share with an opaque one:
    // only its alpha falls.
    QCOMPARE(List.Image(1).Pixel(0, 0), 0x80204060u);
    QCOMPARE(List.Image(1).Pixel(1, 1), 0u);
    QCOMPARE(List.Image(0).Width(), 2);
    List.GetIcon(2, Icon);
    QVERIFY(Icon.IsEmpty());
    List.SetSize(3, 3);
    QCOMPARE(List.Count(), 0);
}

void tst_Pictures::menuRunsItsItems_data()
{
    QTest::addColumn<QStringList>("Path"); // captions from the top menu to the chosen action
    QTest::addColumn<bool>("RemovedFirst");
    QTest::addColumn<QString>("Ran");
    QTest::newRow("top item") << QStringList { "&Quitter" } << false << "Quitter";
    QTest::newRow("item after a separator") << QStringList { "Aide" } << false << "Aide";
    QTest::newRow("item of a submenu") << QStringList { "Couleur", "Bleu" } << false << "Bleu";
    QTest::newRow("removed since the menu was built")
        << QStringList { "Couleur", "Bleu" } << true << "";
}

// The widget set's menu (what tray hosts draw) runs the item chosen in it, in submenus
// too, but not one that has left the menu meanwhile.
void tst_Pictures::menuRunsItsItems()
{
    QFETCH(QStringList, Path);
    QFETCH(bool, RemovedFirst);
    QFETCH(QString, Ran);
    QString Log;
    TPopupMenu Menu(nullptr);
    const auto Add = [&](TMenuItem* Parent, const char16_t* Caption) {
        auto* Item = new TMenuItem(&Menu);
        Item->SetCaption(Caption);
        Item->OnClick = [&Log, Item](TObject*) { Log = ToQt(Item->Caption()).remove(u'&'); };
        Parent->Add(Item);
        return Item;
    };
    Add(Menu.Items(), u"&Quitter");
    Add(Menu.Items(), u"-");
    Add(Menu.Items(), u"Aide");
    TMenuItem* Colours = Add(Menu.Items(), u"Couleur");
    TMenuItem* Blue = Add(Colours, u"Bleu");
    TWSMenu* Built = Menu.BuildMenu();
    QVERIFY(Built && Built->Handle());
    if (RemovedFirst) {
        delete Blue;
    }
    QMenu* Shown = MenuOf(Built->Handle());
    QAction* Chosen = nullptr;
    for (const QString& Caption : Path) {
        const QList<QAction*> Actions = Shown->actions();
        const auto It = std::find_if(Actions.begin(), Actions.end(), [&](QAction* A) { return A->text() == Caption; });
        QVERIFY(It != Actions.end());
        Chosen = *It;
        Shown = Chosen->menu();
    }
    QCOMPARE(MenuOf(Built->Handle())->actions().size(), 4); // the separator included
    Chosen->trigger();
    QCOMPARE(Log, Ran);
}

QTEST_MAIN(tst_Pictures)
#include "tst_pictures.moc"
