#include <QtTest>

#include "layout/PaneLayout.h"
#include "layout/SplitterDrag.h"
#include "ui/WindowGeometry.h"

Q_DECLARE_METATYPE(TwipRect)

namespace {

LayoutInput window(int width, int innerHeight, bool tree = true, bool preview = true)
{
    LayoutInput in;
    in.windowWidth = width;
    in.innerHeight = innerHeight;
    in.toolbarHeight = 420;
    in.toolbarVisible = true;
    in.statusBarOn = true;
    in.treeVisible = tree;
    in.previewVisible = preview;
    return in;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void panesOfTheWorkedWindow();
    void listByVisibility_data();
    void listByVisibility();
    void normalisation_data();
    void normalisation();
    void startupClamp_data();
    void startupClamp();
    void resizeKeepsProportions_data();
    void resizeKeepsProportions();
    void wideWindowsDoNotOverflow();
    void togglesKeepAGap();
    void splitterDrag_data();
    void splitterDrag();
    void releasingPastTheOtherBarResets();
    void thumbBaseInnerNumbers();
    void pixelEdgesMeet();
    void geometryKeepsTwips();
    void geometryBackOnScreen_data();
    void geometryBackOnScreen();
};

void TestLayout::panesOfTheWorkedWindow()
{
    PaneLayout layout(2000, 5000);
    const PaneRects r = layout.sizeControls(window(8000, 5000));
    QCOMPARE(r.list, (TwipRect{2040, 700, 2960, 4000}));
    QCOMPARE(r.tree, (TwipRect{0, 720, 2000, 3980}));
    QCOMPARE(r.preview, (TwipRect{5040, 700, 2840, 3980}));
    QCOMPARE(r.isa, (TwipRect{2000, 630, 90, 4060}));
    QCOMPARE(r.isb, (TwipRect{5000, 630, 90, 4060}));
    QCOMPARE(r.thumbBase, (TwipRect{2040, 720, 2950, 3960}));
    QCOMPARE(r.titleStrip, (TwipRect{0, 420, 8000, 280}));
    QCOMPARE(layout.isaRatio(), 4.0f);
    QCOMPARE(layout.isbRatio(), 1.6f);

    // Without the toolbar and the status bar the panes start at the title strip's foot
    // and reach the bottom.
    LayoutInput bare = window(8000, 5000);
    bare.toolbarVisible = false;
    bare.statusBarOn = false;
    const PaneRects b = layout.sizeControls(bare);
    QCOMPARE(b.list, (TwipRect{2040, 280, 2960, 4720}));
    QCOMPARE(b.titleStrip.top, 0);
}

void TestLayout::listByVisibility_data()
{
    QTest::addColumn<bool>("tree");
    QTest::addColumn<bool>("preview");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("width");
    QTest::newRow("both") << true << true << 2040 << 2960;
    QTest::newRow("tree only") << true << false << 2040 << 8000 - 2160;
    QTest::newRow("preview only") << false << true << 0 << 5000;
    QTest::newRow("neither") << false << false << 0 << 7900;
}

void TestLayout::listByVisibility()
{
    QFETCH(bool, tree);
    QFETCH(bool, preview);
    QFETCH(int, left);
    QFETCH(int, width);
    PaneLayout layout(2000, 5000);
    const PaneRects r = layout.sizeControls(window(8000, 5000, tree, preview));
    QCOMPARE(r.list.left, left);
    QCOMPARE(r.list.width, width);
    // Hidden panes are placed all the same, ready to be shown.
    QCOMPARE(r.tree.width, 2000);
    QCOMPARE(r.preview.left, 5040);
}

void TestLayout::normalisation_data()
{
    QTest::addColumn<int>("isa");
    QTest::addColumn<int>("isb");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("wantIsa");
    QTest::addColumn<int>("wantIsb");
    QTest::newRow("tree too narrow") << 400 << 5000 << 8000 << 1000 << 5000;
    QTest::newRow("preview too narrow") << 2000 << 7500 << 8000 << 2000 << 7000;
    QTest::newRow("crossed") << 6000 << 5000 << 8000 << 1000 << 7000;
    QTest::newRow("equal") << 3000 << 3000 << 8000 << 1000 << 7000;
    QTest::newRow("untouched") << 2000 << 5000 << 8000 << 2000 << 5000;
}

void TestLayout::normalisation()
{
    QFETCH(int, isa);
    QFETCH(int, isb);
    QFETCH(int, width);
    PaneLayout layout(isa, isb);
    layout.sizeControls(window(width, 5000));
    QTEST(layout.isaLeft(), "wantIsa");
    QTEST(layout.isbLeft(), "wantIsb");
}

void TestLayout::startupClamp_data()
{
    QTest::addColumn<int>("isa");
    QTest::addColumn<int>("isb");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("wantIsa");
    QTest::addColumn<int>("wantIsb");
    QTest::newRow("defaults") << 2000 << 5000 << 6500 << 2000 << 5000;
    QTest::newRow("isa 500") << 500 << 5000 << 6500 << 1000 << 5000;
    QTest::newRow("narrow window widens the gap") << 2000 << 5000 << 4000 << 1500 << 3500;
    QTest::newRow("crossed") << 4000 << 3000 << 6500 << 1000 << 5500;
    QTest::newRow("gap of 1001 stays") << 2000 << 3001 << 6500 << 2000 << 3001;
}

void TestLayout::startupClamp()
{
    QFETCH(int, isa);
    QFETCH(int, isb);
    QFETCH(int, width);
    const PaneLayout layout = PaneLayout::fromStored(isa, isb, width);
    QTEST(layout.isaLeft(), "wantIsa");
    QTEST(layout.isbLeft(), "wantIsb");
}

void TestLayout::resizeKeepsProportions_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("wantIsa");
    QTest::addColumn<int>("wantIsb");
    QTest::newRow("wider") << 8000 << 12000 << 3000 << 7500;
    QTest::newRow("narrower") << 8000 << 4000 << 1000 << 2500;
    QTest::newRow("same") << 6500 << 6500 << 2000 << 5000;
}

void TestLayout::resizeKeepsProportions()
{
    QFETCH(int, from);
    QFETCH(int, to);
    PaneLayout layout(2000, 5000);
    layout.sizeControls(window(from, 5000));
    layout.windowResized(to);
    QTEST(layout.isaLeft(), "wantIsa");
    QTEST(layout.isbLeft(), "wantIsb");

    // Before any layout pass there is no ratio: the positions are only normalised.
    PaneLayout fresh(2000, 5000);
    fresh.windowResized(to);
    QVERIFY(fresh.isaLeft() >= 1000);
    QVERIFY(fresh.isbLeft() <= to - 1000 + 500);
}

void TestLayout::wideWindowsDoNotOverflow()
{
    // A maximised window on a 4K screen is 57,600 twips wide, far past 16 bits.
    PaneLayout layout(2000, 5000);
    layout.sizeControls(window(6500, 5000));
    layout.windowResized(57600);
    const PaneRects r = layout.sizeControls(window(57600, 30000));
    QCOMPARE(layout.isbLeft(), int(std::nearbyint(57600 / (6500.0f / 5000.0f))));
    QCOMPARE(r.preview.width, 57600 - (layout.isbLeft() + 160));
    QCOMPARE(r.list.width, layout.isbLeft() - layout.isaLeft() - 40);
    QVERIFY(r.list.width > 26000);
    PaneLayout far(40000, 50000);
    far.sizeControls(window(57600, 30000));
    QCOMPARE(far.isaLeft(), 40000);
    QCOMPARE(far.isbLeft(), 50000);
}

void TestLayout::togglesKeepAGap()
{
    PaneLayout tree(3000, 3500);
    tree.beforeTreeToggle();
    QCOMPARE(tree.isbLeft(), 4000);
    QCOMPARE(tree.isaLeft(), 3000);
    PaneLayout preview(3000, 3500);
    preview.beforePreviewToggle();
    QCOMPARE(preview.isaLeft(), 2500);
    QCOMPARE(preview.isbLeft(), 3500);
    PaneLayout wide(2000, 5000);
    wide.beforeTreeToggle();
    wide.beforePreviewToggle();
    QCOMPARE(wide.isaLeft(), 2000);
    QCOMPARE(wide.isbLeft(), 5000);
}

void TestLayout::splitterDrag_data()
{
    QTest::addColumn<bool>("first");
    QTest::addColumn<int>("pointer"); // twips from the window's left edge
    QTest::addColumn<bool>("otherPaneOn");
    QTest::addColumn<int>("wantIsa");
    QTest::addColumn<int>("wantIsb");
    QTest::newRow("first bar far left") << true << -3000 << true << 1000 << 5000;
    QTest::newRow("first bar stops short of the second") << true << 4500 << true << 4000 << 5000;
    QTest::newRow("first bar, no preview") << true << 4500 << false << 4500 << 5000;
    QTest::newRow("second bar at the right edge") << false << 9000 << true << 2000 << 7000;
    QTest::newRow("second bar stops past the first") << false << 2500 << true << 2000 << 3000;
    QTest::newRow("second bar, no tree") << false << 2500 << false << 2000 << 2500;
    QTest::newRow("no movement") << true << 2000 << true << 2000 << 5000;
}

void TestLayout::splitterDrag()
{
    QFETCH(bool, first);
    QFETCH(int, pointer);
    QFETCH(bool, otherPaneOn);
    const int barLeft = first ? 2000 : 5000;
    const int strip = SplitterDrag::stripLeft(barLeft, pointer - barLeft, 8000);
    const SplitterDrag::Positions p = first ? SplitterDrag::releaseFirst(strip, 5000, otherPaneOn)
                                            : SplitterDrag::releaseSecond(2000, strip, otherPaneOn);
    QTEST(p.isaLeft, "wantIsa");
    QTEST(p.isbLeft, "wantIsb");

    const TwipRect s = SplitterDrag::stripAtPress({barLeft, 630, 90, 4060});
    QCOMPARE(s, (TwipRect{barLeft, 730, 45, 3920}));
}

void TestLayout::releasingPastTheOtherBarResets()
{
    // With the preview off nothing stops the first bar, and the layout pass resets both.
    const SplitterDrag::Positions p = SplitterDrag::releaseFirst(5200, 5000, false);
    PaneLayout layout(p.isaLeft, p.isbLeft);
    layout.sizeControls(window(8000, 5000, true, false));
    QCOMPARE(layout.isaLeft(), 1000);
    QCOMPARE(layout.isbLeft(), 7000);
}

void TestLayout::thumbBaseInnerNumbers()
{
    PaneLayout layout(2000, 7450);
    const PaneRects r = layout.sizeControls(window(9000, 5000));
    QCOMPARE(r.thumbBase.width, 5400);
    const TwipRect bar{5120, 0, 240, r.thumbBase.height - 70};
    QCOMPARE(r.thumbScrollBar, bar);
    // The surface runs on under the bar: a column is not lost to the bar twice.
    QVERIFY(qAbs(r.thumbSurfaceWidth - 5400) < 1.0);
    QCOMPARE(int((r.thumbSurfaceWidth - r.thumbScrollBar.width) / 1000), 5);
}

void TestLayout::pixelEdgesMeet()
{
    // Panes converted by their far edges share pixel edges; sizes alone would gap.
    const QRect left = TwipRect{0, 0, 2000, 100}.toPixels();
    const QRect right = TwipRect{2000, 0, 1010, 100}.toPixels();
    QCOMPARE(left.right() + 1, right.left());
    const QRect list = TwipRect{2040, 700, 2960, 4000}.toPixels();
    QCOMPARE(list, QRect(136, 47, 197, 266));
}

void TestLayout::geometryKeepsTwips()
{
    WindowGeometry g(1000, 1000, 6500, 6500);
    QCOMPARE(g.toPixels(), QRect(67, 67, 433, 433));
    g.sync(QRect(67, 67, 433, 433));
    QCOMPARE(g.left(), 1000.0);
    QCOMPARE(g.width(), 6500.0);
    g.sync(QRect(70, 67, 500, 433));
    QCOMPARE(g.left(), 1050.0);
    QCOMPARE(g.top(), 1000.0);
    QCOMPARE(g.width(), 7500.0);
    QCOMPARE(g.height(), 6500.0);
    // Absurd stored numbers stay within what pixel arithmetic can hold.
    const WindowGeometry huge(1e30, -1e30, 1e30, 1e30);
    QVERIFY(huge.toPixels().width() > 0);
    QVERIFY(huge.toPixels().left() < 100'000'000);
}

void TestLayout::geometryBackOnScreen_data()
{
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("want");
    const QRect primary(0, 0, 1920, 1080);
    QTest::newRow("on screen") << QRect(67, 67, 433, 433) << QRect(67, 67, 433, 433);
    QTest::newRow("partly on the second screen")
        << QRect(3800, 100, 433, 433) << QRect(3800, 100, 433, 433);
    QTest::newRow("far right") << QRect(9000, 67, 433, 433) << QRect(0, 0, 433, 433);
    QTest::newRow("far up, too big") << QRect(100, -5000, 4000, 3000) << QRect(0, 0, 1920, 1080);
}

void TestLayout::geometryBackOnScreen()
{
    QFETCH(QRect, window);
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)};
    QTEST(WindowGeometry::keptOnScreens(window, screens, screens.first()), "want");
}

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
