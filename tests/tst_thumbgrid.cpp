#include <QtTest>

#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbNavigation.h"

using G = ThumbGridGeometry;
using Moved = std::optional<qint64>;

Q_DECLARE_METATYPE(Moved)

class TestThumbGrid : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void columns_data();
    void columns();
    void visibleRows_data();
    void visibleRows();
    void rowsAndLimit_data();
    void rowsAndLimit();
    void scrollToShow_data();
    void scrollToShow();
    void fillOrder_data();
    void fillOrder();
    void scrollMaximum_data();
    void scrollMaximum();
    void surfaceHeight();
    void cellOrigin_data();
    void cellOrigin();
    void thumbnailAt_data();
    void thumbnailAt();
    void surfaceTop();
    void visibleRangeMatchesCells_data();
    void visibleRangeMatchesCells();
    void arrowMove_data();
    void arrowMove();
    void paging_data();
    void paging();
};

void TestThumbGrid::columns_data()
{
    QTest::addColumn<double>("surface");
    QTest::addColumn<double>("bar");
    QTest::addColumn<int>("expected");
    QTest::newRow("5160 available") << 5400.0 << 240.0 << 5;
    QTest::newRow("999 available") << 1239.0 << 240.0 << 0;
    QTest::newRow("exactly one") << 1240.0 << 240.0 << 1;
    QTest::newRow("narrower than bar") << 100.0 << 240.0 << 0;
}

void TestThumbGrid::columns()
{
    QFETCH(double, surface);
    QFETCH(double, bar);
    QTEST(G::columns(surface, bar), "expected");
}

void TestThumbGrid::visibleRows_data()
{
    QTest::addColumn<double>("base");
    QTest::addColumn<int>("expected");
    QTest::newRow("2.5 to even") << 4500.0 << 2;
    QTest::newRow("3.5 to even") << 5500.0 << 4;
    QTest::newRow("2.6 up") << 4600.0 << 3;
    QTest::newRow("tiny base") << 0.0 << -2;
}

void TestThumbGrid::visibleRows()
{
    QFETCH(double, base);
    QTEST(G::visibleRows(base), "expected");
}

void TestThumbGrid::rowsAndLimit_data()
{
    QTest::addColumn<qint64>("count");
    QTest::addColumn<int>("columns");
    QTest::addColumn<qint64>("lastRow");
    QTest::newRow("12 in 5") << qint64(12) << 5 << qint64(2);
    QTest::newRow("10 in 5") << qint64(10) << 5 << qint64(1);
    QTest::newRow("one file") << qint64(1) << 5 << qint64(0);
    QTest::newRow("736 in 3") << qint64(736) << 3 << qint64(245);
    QTest::newRow("no files") << qint64(0) << 0 << qint64(0);
    QTest::newRow("negative count") << qint64(-4) << 5 << qint64(0);
    QTest::newRow("no columns") << qint64(1) << 0 << qint64(0);
    QTest::newRow("past 16 bits") << qint64(5000000) << 3 << qint64(1666666);
}

void TestThumbGrid::rowsAndLimit()
{
    QFETCH(qint64, count);
    QFETCH(int, columns);
    QTEST(G::lastRow(count, columns), "lastRow");
}

void TestThumbGrid::scrollToShow_data()
{
    // Rows of 1000 twips with 900 of picture; the value counts centimetres of 567 twips.
    QTest::addColumn<qint64>("row");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("expected");
    QTest::newRow("above: its top") << qint64(0) << 5 << 3000 << 0;
    QTest::newRow("below: just far enough") << qint64(3) << 0 << 3000 << 2;
    QTest::newRow("in view: stays") << qint64(2) << 0 << 3000 << 0;
    QTest::newRow("viewport lower than a row: its top") << qint64(10) << 3 << 500 << 17;
    QTest::newRow("no row") << qint64(-1) << 4 << 3000 << 4;
}

void TestThumbGrid::scrollToShow()
{
    QFETCH(qint64, row);
    QFETCH(int, value);
    QFETCH(int, height);
    QTEST(G::scrollToShow(row, value, height), "expected");
}

void TestThumbGrid::fillOrder_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("begin");
    QTest::addColumn<qint64>("end");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<QVector<int>>("expected");
    QTest::newRow("view at the top") << qint64(-1) << qint64(0) << qint64(3) << qint64(8)
                                     << QVector<int>{0, 1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("down, then up") << qint64(-1) << qint64(4) << qint64(6) << qint64(11)
                                   << QVector<int>{4, 5, 6, 7, 2, 3, 8, 9, 0, 1, 10};
    QTest::newRow("the selection first") << qint64(9) << qint64(2) << qint64(4) << qint64(10)
                                         << QVector<int>{9, 2, 3, 4, 5, 0, 1, 6, 7, 8};
    QTest::newRow("nothing in view")
        << qint64(-1) << qint64(0) << qint64(0) << qint64(3) << QVector<int>{0, 1, 2};
    QTest::newRow("no cells") << qint64(2) << qint64(0) << qint64(0) << qint64(0) << QVector<int>{};
}

void TestThumbGrid::fillOrder()
{
    QFETCH(qint64, first);
    QFETCH(qint64, begin);
    QFETCH(qint64, end);
    QFETCH(qint64, count);
    const std::vector<int> order = G::fillOrder(first, begin, end, count);
    QTEST(QVector<int>(order.begin(), order.end()), "expected");
}

void TestThumbGrid::scrollMaximum_data()
{
    QTest::addColumn<qint64>("lastRow");
    QTest::addColumn<int>("visible");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<bool>("shown");
    QTest::newRow("R 2") << qint64(2) << 2 << qint64(0) << false;
    QTest::newRow("R 3") << qint64(3) << 2 << qint64(2) << true;
    QTest::newRow("R 7") << qint64(7) << 2 << qint64(9) << true;
    QTest::newRow("fewer rows than view") << qint64(0) << 4 << qint64(-7) << false;
    QTest::newRow("5M files, 3 columns") << qint64(1666666) << 2 << qint64(2939445) << true;
}

void TestThumbGrid::scrollMaximum()
{
    QFETCH(qint64, lastRow);
    QFETCH(int, visible);
    QFETCH(qint64, expected);
    const qint64 maximum = G::scrollMaximum(lastRow, visible);
    QCOMPARE(maximum, expected);
    QTEST(G::scrollBarShown(maximum), "shown");
}

void TestThumbGrid::surfaceHeight()
{
    QVERIFY(qAbs(G::surfaceHeightCm(G::lastRow(12, 5)) - 5.29101) < 1e-9);
}

void TestThumbGrid::cellOrigin_data()
{
    QTest::addColumn<qint64>("index");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("file 0") << qint64(0) << 5 << QPoint(0, 0);
    QTest::newRow("file 4") << qint64(4) << 5 << QPoint(4000, 0);
    QTest::newRow("file 10") << qint64(10) << 5 << QPoint(0, 2000);
    QTest::newRow("file 11") << qint64(11) << 5 << QPoint(1000, 2000);
    QTest::newRow("last of 5M") << qint64(4999999) << 3 << QPoint(1000, 1666666000);
    QTest::newRow("no columns") << qint64(3) << 0 << QPoint(0, 0);
}

void TestThumbGrid::cellOrigin()
{
    QFETCH(qint64, index);
    QFETCH(int, columns);
    QTEST(G::cellOrigin(index, columns), "expected");
}

void TestThumbGrid::thumbnailAt_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("columns");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("first corner") << QPoint(0, 0) << 5 << qint64(12) << qint64(0);
    QTest::newRow("899 inside") << QPoint(899, 899) << 5 << qint64(12) << qint64(0);
    QTest::newRow("900 x in gap") << QPoint(900, 0) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("900 y in gap") << QPoint(0, 900) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("next cell") << QPoint(1000, 1000) << 5 << qint64(12) << qint64(6);
    QTest::newRow("last column") << QPoint(4899, 0) << 5 << qint64(12) << qint64(4);
    QTest::newRow("past columns") << QPoint(5000, 0) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("file 11") << QPoint(1899, 2000) << 5 << qint64(12) << qint64(11);
    QTest::newRow("past last file") << QPoint(2000, 2000) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("negative x") << QPoint(-1, 0) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("negative y") << QPoint(0, -1) << 5 << qint64(12) << qint64(-1);
    QTest::newRow("no columns") << QPoint(0, 0) << 0 << qint64(12) << qint64(-1);
    QTest::newRow("no files") << QPoint(0, 0) << 5 << qint64(0) << qint64(-1);
    QTest::newRow("deep row") << QPoint(1000, 1666666000) << 3 << qint64(5000000)
                              << qint64(4999999);
    QTest::newRow("deep row, past end")
        << QPoint(2000, 1666666000) << 3 << qint64(5000000) << qint64(-1);
}

void TestThumbGrid::thumbnailAt()
{
    QFETCH(QPoint, point);
    QFETCH(int, columns);
    QFETCH(qint64, count);
    QTEST(G::thumbnailAt(point, columns, count), "expected");
}

void TestThumbGrid::surfaceTop()
{
    QCOMPARE(G::surfaceTopTwips(5), -2835);
    QCOMPARE(G::cellOrigin(15, 5).y() + G::surfaceTopTwips(5), 165); // row 3
    QCOMPARE(G::surfaceTopTwips(0), 0);
}

void TestThumbGrid::visibleRangeMatchesCells_data()
{
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("columns");
    QTest::addColumn<qint64>("count");
    QTest::newRow("whole grid") << 0 << 5000 << 5 << qint64(12);
    QTest::newRow("row edge") << 1000 << 1000 << 5 << qint64(12);
    QTest::newRow("one twip past edge") << 999 << 1002 << 5 << qint64(12);
    QTest::newRow("scrolled 5 cm") << 2835 << 3000 << 5 << qint64(40);
    QTest::newRow("above the surface") << -3000 << 2500 << 5 << qint64(12);
    QTest::newRow("straddles the top") << -500 << 1000 << 5 << qint64(12);
    QTest::newRow("below last row") << 3000 << 2000 << 5 << qint64(12);
    QTest::newRow("zero height") << 1000 << 0 << 5 << qint64(12);
    QTest::newRow("no columns") << 0 << 5000 << 0 << qint64(12);
    QTest::newRow("no files") << 0 << 5000 << 5 << qint64(0);
}

void TestThumbGrid::visibleRangeMatchesCells()
{
    QFETCH(int, top);
    QFETCH(int, height);
    QFETCH(int, columns);
    QFETCH(qint64, count);
    qint64 first = -1;
    qint64 end = -1;
    for (qint64 i = 0; columns > 0 && i < count; ++i) {
        const int y = G::cellOrigin(i, columns).y();
        if (y < top + height && y + G::Cell > top) {
            if (first < 0)
                first = i;
            end = i + 1;
        }
    }
    const auto range = G::visibleRange(top, height, columns, count);
    if (first < 0) {
        QCOMPARE(range.first, range.second);
    } else {
        QCOMPARE(range.first, first);
        QCOMPARE(range.second, end);
    }
}

void TestThumbGrid::arrowMove_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<qint64>("count");
    QTest::addColumn<Moved>("expected");
    const Moved none;
    QTest::newRow("down 6") << int(Qt::Key_Down) << qint64(6) << qint64(12) << Moved(11);
    QTest::newRow("down 7") << int(Qt::Key_Down) << qint64(7) << qint64(12) << none;
    QTest::newRow("up 4") << int(Qt::Key_Up) << qint64(4) << qint64(12) << none;
    QTest::newRow("up 5") << int(Qt::Key_Up) << qint64(5) << qint64(12) << Moved(0);
    QTest::newRow("left 5") << int(Qt::Key_Left) << qint64(5) << qint64(12) << Moved(4);
    QTest::newRow("left 0") << int(Qt::Key_Left) << qint64(0) << qint64(12) << none;
    QTest::newRow("right 4") << int(Qt::Key_Right) << qint64(4) << qint64(12) << Moved(5);
    QTest::newRow("right 11") << int(Qt::Key_Right) << qint64(11) << qint64(12) << none;
    QTest::newRow("other key") << int(Qt::Key_Home) << qint64(5) << qint64(12) << none;
    QTest::newRow("single file") << int(Qt::Key_Right) << qint64(0) << qint64(1) << none;
    QTest::newRow("outside files") << int(Qt::Key_Left) << qint64(12) << qint64(12) << none;
    QTest::newRow("deep down") << int(Qt::Key_Down) << qint64(4999990) << qint64(5000000)
                               << Moved(4999995);
}

void TestThumbGrid::arrowMove()
{
    QFETCH(int, key);
    QFETCH(qint64, from);
    QFETCH(qint64, count);
    QTEST(ThumbNavigation::arrowMove(key, from, count, 5), "expected");
}

void TestThumbGrid::paging_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("down");
    QTest::addColumn<int>("up");
    QTest::newRow("from 0") << 0 << 9 << true << 7 << 0;
    QTest::newRow("from 7") << 7 << 9 << true << 9 << 0;
    QTest::newRow("from 9") << 9 << 9 << true << 9 << 2;
    QTest::newRow("from 2") << 2 << 9 << true << 9 << 0;
    QTest::newRow("from 8 of 20") << 8 << 20 << true << 15 << 1;
    QTest::newRow("hidden stays") << 0 << 1 << false << 0 << 0;
    QTest::newRow("hidden, scrolled") << 1 << 1 << false << 1 << 0;
}

void TestThumbGrid::paging()
{
    QFETCH(int, value);
    QFETCH(int, maximum);
    QFETCH(bool, visible);
    QTEST(ThumbNavigation::pageDown(value, 0, maximum, G::LargeChange, visible), "down");
    QTEST(ThumbNavigation::pageUp(value, 0, G::LargeChange, visible), "up");
}

QTEST_APPLESS_MAIN(TestThumbGrid)
#include "tst_thumbgrid.moc"
