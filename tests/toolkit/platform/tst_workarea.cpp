// The primary monitor's work area from the window manager's published area or, where
// that spans the whole desktop, from the panels' struts.
#include "toolkit/platform/workarea.h"
#include "toolkit/qt/qtconvert.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::optional<QRect>)
Q_DECLARE_METATYPE(std::vector<TStrut>)

class tst_WorkArea : public QObject {
    Q_OBJECT

private slots:
    void primary_data();
    void primary();
};

void tst_WorkArea::primary_data()
{
    QTest::addColumn<QRect>("Primary");
    QTest::addColumn<QRect>("Desktop");
    QTest::addColumn<std::optional<QRect>>("Published");
    QTest::addColumn<std::vector<TStrut>>("Struts");
    QTest::addColumn<QRect>("Expected");

    const QRect Top(0, 0, 1920, 1080);
    const QRect Below(0, 1080, 1920, 1080);
    const QRect Stacked(0, 0, 1920, 2160);
    const TStrut DesktopBottom { TStrut::Bottom, 40, 0, 1919 };
    // A panel at the bottom of the upper monitor: its strut reaches over the lower one.
    const TStrut InnerEdge { TStrut::Bottom, 1120, 0, 1919 };

    QTest::newRow("published area cut to the primary below")
        << Below << Stacked << std::optional(QRect(0, 0, 1920, 2120))
        << std::vector<TStrut> { DesktopBottom } << QRect(0, 1080, 1920, 1040);
    QTest::newRow("published area off the primary on top: whole primary")
        << Top << Stacked << std::optional(QRect(0, 0, 1920, 2120))
        << std::vector<TStrut> { DesktopBottom } << Top;
    QTest::newRow("published area spans the desktop: struts on an inner edge")
        << Top << Stacked << std::optional(Stacked) << std::vector<TStrut> { InnerEdge }
        << QRect(0, 0, 1920, 1040);
    QTest::newRow("nothing published: struts")
        << Below << Stacked << std::optional<QRect>() << std::vector<TStrut> { DesktopBottom }
        << QRect(0, 1080, 1920, 1040);
    QTest::newRow("a strut beside the primary is not its")
        << QRect(1920, 0, 1920, 1080) << QRect(0, 0, 3840, 1080) << std::optional<QRect>()
        << std::vector<TStrut> { { TStrut::Bottom, 40, 0, 1919 } } << QRect(1920, 0, 1920, 1080);
    QTest::newRow("struts on every side")
        << Top << Top << std::optional<QRect>()
        << std::vector<TStrut> { { TStrut::Left, 30, 0, 1079 }, { TStrut::Right, 20, 0, 1079 },
               { TStrut::Top, 25, 0, 1919 }, DesktopBottom }
        << QRect(30, 25, 1870, 1015);
    QTest::newRow("empty struts are ignored")
        << Top << Top << std::optional<QRect>()
        << std::vector<TStrut> { { TStrut::Bottom, 0, 0, 1919 }, { TStrut::Left, 30, 10, 5 } } << Top;
}

void tst_WorkArea::primary()
{
    QFETCH(QRect, Primary);
    QFETCH(QRect, Desktop);
    QFETCH(std::optional<QRect>, Published);
    QFETCH(std::vector<TStrut>, Struts);
    QFETCH(QRect, Expected);
    const std::optional<TRect> Area = Published ? std::optional(FromQt(*Published)) : std::nullopt;
    QCOMPARE(ToQt(PrimaryWorkArea(FromQt(Primary), FromQt(Desktop), Area, Struts)), Expected);
}

QTEST_GUILESS_MAIN(tst_WorkArea)
#include "tst_workarea.moc"
