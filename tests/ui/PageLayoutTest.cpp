// The page's layout for the room the window gives it: the template's fixed places at its own
// size, the list taking what is more, and at any size every control inside the page and none
// over another.
#include <QApplication>
#include <QTest>
#include <vector>

#include "ui/PageLayout.h"

using namespace numora;

Q_DECLARE_METATYPE(QSize)

namespace {

PageMetrics Metrics() {
    return PageMetrics{DialogUnits(QApplication::font()), 15, 2, 24};
}

// The controls that stand side by side on the page (the panel's own stand inside its frame).
std::vector<QRect> PageControls(const PageGeometry& p) {
    std::vector<QRect> rects = {p.filterCombo, p.editGroup,  p.smsCombo, p.editSmsGroup,
                                p.list,        p.panelFrame, p.progress};
    rects.insert(rects.end(), p.commands.begin(), p.commands.end());
    return rects;
}

}  // namespace

class PageLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void theTemplateSizeIsTheFixedLayout() {
        const PageMetrics m = Metrics();
        const DialogUnits& du = m.units;
        const PageGeometry p = LayOutPage(QSize(0, 0), m);
        QCOMPARE(p.list, du.Rect(2, 51, 220, 273));
        QCOMPARE(p.panelFrame, du.Rect(224, 0, 150, 324));
        QCOMPARE(p.panelView.topLeft(), du.Rect(224, 0, 0, 0).topLeft());
        QCOMPARE(p.editGroup, du.Rect(153, 8, 60, 16));
        QCOMPARE(p.smsCombo, QRect(du.X(65), du.Y(28), du.X(79), m.comboHeight));
        QCOMPARE(p.panelButtons[2], du.Rect(323, 303, 35, 15));
        QCOMPARE(p.progress, du.Rect(2, 327, 372, 6));
        QCOMPARE(p.commands[0], du.Rect(2, 338, 90, 16));
        QCOMPARE(p.commands[3], du.Rect(284, 338, 90, 16));
        QVERIFY(!p.panelScrolls);
    }

    void everythingFitsWithoutOverlap_data() {
        QTest::addColumn<QSize>("growth");
        QTest::newRow("template") << QSize(0, 0);
        QTest::newRow("large screen") << QSize(600, 400);
        QTest::newRow("wide and short") << QSize(300, -180);
        QTest::newRow("narrow and tall") << QSize(-40, 100);
        QTest::newRow("smallest") << MinimumPageGrowth(Metrics());
        QTest::newRow("below the smallest") << QSize(-2000, -2000);
    }

    void everythingFitsWithoutOverlap() {
        QFETCH(QSize, growth);
        const PageMetrics m = Metrics();
        const QSize least = MinimumPageGrowth(m);
        const QSize room = m.units.Size(kPageWidth, kPageHeight) + growth.expandedTo(least);
        const PageGeometry p = LayOutPage(growth, m);
        const std::vector<QRect> rects = PageControls(p);
        for (std::size_t i = 0; i < rects.size(); ++i) {
            QVERIFY2(QRect(QPoint(), room).contains(rects[i]), qPrintable(QString::number(i)));
            for (std::size_t j = i + 1; j < rects.size(); ++j)
                QVERIFY2(!rects[i].intersects(rects[j]),
                         qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
        }
        // The panel's fields and buttons stay inside its frame; a short panel scrolls.
        QVERIFY(p.panelFrame.contains(p.panelView));
        for (const QRect& button : p.panelButtons) {
            QVERIFY(p.panelFrame.contains(button));
            QVERIFY(!button.intersects(p.panelView));
        }
        QCOMPARE(p.panelScrolls, growth.height() < 0);
        QVERIFY(p.filterCombo.width() >= m.units.X(40));
        QVERIFY(p.list.height() >= m.units.Y(40));
    }
};

QTEST_MAIN(PageLayoutTest)
#include "PageLayoutTest.moc"
