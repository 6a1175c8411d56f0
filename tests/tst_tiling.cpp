#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include "TestPlatform.h"
#include "layout/TwipRect.h"
#include "platform/ImageDecoder.h"
#include "preview/ContrastMeter.h"
#include "preview/CurrentImage.h"
#include "preview/PictureDpi.h"
#include "preview/SampleTextBox.h"
#include "preview/TileCss.h"
#include "preview/TileGeometry.h"
#include "preview/TilePainter.h"
#include "preview/TiledView.h"
#include "tile/Contrast.h"
#include "tile/RealSize.h"
#include "tile/Repeat.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"
#include "toolbox/Toolbox.h"

namespace {

const QColor Page(10, 200, 30);

// Every pixel a colour of its own, so that a wrong pixel of the picture is seen.
QImage numbered(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, (x + y) % 2 ? 255 : 100));
    return image;
}

QImage painted(TilePainter& painter, const QSize& window, const QImage& picture,
               const TileMode& mode, const QRect& area = {})
{
    QImage out(window, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::magenta); // nothing painted shows
    QPainter p(&out);
    painter.paint(p, area.isNull() ? out.rect() : area, window, picture, mode, Page);
    return out;
}

// The window built another way: every tile of the lattice drawn whole where hand-worked rules
// put it. Column c of a drop moves down by (c mod n) / n of the tile, row r of a brick across by
// (r mod n) / n, odd columns (rows) of a mirror flip. `origin` is where tile (0, 0) starts on
// screen and `band` the part of the window that shows tiles, both worked out by hand.
QImage reference(const QImage& picture, const TileMode& mode, const QSize& window,
                 const QPoint& origin, const QRect& band)
{
    const int w = picture.width(), h = picture.height(), z = mode.zoom;
    const int n = mode.repeat.fraction;
    const Repeat::Kind kind = mode.repeat.kind;
    QImage out(window, QImage::Format_ARGB32_Premultiplied);
    out.fill(Page);
    QPainter p(&out);
    p.setClipRect(band);
    QVector<QRect> drawn;
    const int reach = 2 * n + 2;
    for (int r = -reach - window.height() / (h * z); r <= window.height() / (h * z) + reach; ++r) {
        for (int c = -reach - window.width() / (w * z); c <= window.width() / (w * z) + reach;
             ++c) {
            const int cm = ((c % n) + n) % n, rm = ((r % n) + n) % n;
            int x = c * w, y = r * h;
            if (kind == Repeat::Kind::Drop)
                y += cm * h / n;
            if (kind == Repeat::Kind::Brick)
                x += rm * w / n;
            const bool flipX =
                (kind == Repeat::Kind::MirrorAcross || kind == Repeat::Kind::MirrorBoth) &&
                (c % 2 != 0);
            const bool flipY =
                (kind == Repeat::Kind::MirrorDown || kind == Repeat::Kind::MirrorBoth) &&
                (r % 2 != 0);
            const QRect target(origin + QPoint(x, y) * z, picture.size() * z);
            if (!target.intersects(band))
                continue;
            p.drawImage(target, picture.mirrored(flipX, flipY));
            drawn << target;
        }
    }
    p.end();
    if (mode.grid) {
        for (const QRect& t : drawn) {
            for (int k = 0; k < t.height(); ++k)
                if (band.contains(t.left(), t.top() + k))
                    out.setPixel(t.left(), t.top() + k,
                                 TilePainter::gridPixel(out.pixel(t.left(), t.top() + k)));
            for (int k = 1; k < t.width(); ++k)
                if (band.contains(t.left() + k, t.top()))
                    out.setPixel(t.left() + k, t.top(),
                                 TilePainter::gridPixel(out.pixel(t.left() + k, t.top())));
        }
    }
    return out;
}

// Compares every pixel; reports the first difference.
bool sameImage(const QImage& shot, const QImage& want, QString* where)
{
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (shot.pixel(x, y) != want.pixel(x, y)) {
                *where = QStringLiteral("(%1, %2): %3, wanted %4")
                             .arg(x)
                             .arg(y)
                             .arg(shot.pixel(x, y), 8, 16)
                             .arg(want.pixel(x, y), 8, 16);
                return false;
            }
        }
    }
    return true;
}

// The tiled view and its toolbox over one tile model, wired as the main window wires them.
struct Studio
{
    Studio()
    {
        toolbox.setTiledView(&tiled);
        QObject::connect(&tiled.contrast(), &ContrastMeter::measured, &toolbox,
                         &Toolbox::showContrast);
    }
    QtImageDecoder decoder;
    CurrentImage image{decoder};
    TwipRect rect{1000, 1000, 6500, 6500};
    SampleSettings sample;
    TileSettings tiles{Qt::white};
    FakeClipboard clipboard;
    FakeFontCatalog fonts;
    FakePrintService printer;
    FakeMessageBoxes messages;
    TiledView tiled{image, rect, sample, tiles, clipboard, nullptr};
    Toolbox toolbox{sample, tiles, fonts, printer, messages};
};

} // namespace

class TestTiling : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void modeKeysAndGeometry();
    void paintedPixelsFollowTheGeometry_data();
    void paintedPixelsFollowTheGeometry();
    void transparentTilesShowThePage();
    void contrastFigures();
    void contrastUnderTheText();
    void cssText();
    void keysAndToolboxSwitchesStayInStep();
    void printedSize_data();
    void printedSize();
    void fractionalScalesKeepWholePixels_data();
    void fractionalScalesKeepWholePixels();
    void realSizeOnScreen();
};

void TestTiling::modeKeysAndGeometry()
{
    using Axis = TileMode::Axis;
    QCOMPARE(TileMode::toggled(Axis::Both, Axis::Across), Axis::Across);
    QCOMPARE(TileMode::toggled(Axis::Across, Axis::Across), Axis::Both);
    QCOMPARE(TileMode::toggled(Axis::Across, Axis::Down), Axis::Down);
    QCOMPARE(TileMode::clampZoom(0), 1);
    QCOMPARE(TileMode::clampZoom(9), 8);

    TileMode mode;
    QVERIFY(mode.captionSuffix().isEmpty());
    mode.offset = true;
    mode.grid = true;
    QCOMPARE(mode.captionSuffix(), QStringLiteral("offset, grid"));
    mode.axis = Axis::Down;
    mode.zoom = 3;
    QCOMPARE(mode.captionSuffix(), QStringLiteral("offset, grid, down, 3\u00d7"));

    // A 32 x 16 picture at 2x: tiles every 64 x 32, the offset moves them back half of that.
    TileMode offset;
    offset.offset = true;
    offset.zoom = 2;
    const TileGeometry both(QSize(32, 16), offset);
    QCOMPARE(both.step(), QSize(64, 32));
    QCOMPARE(both.origin(), QPoint(-32, -16));
    const QSize window(200, 100);
    QCOMPARE(both.tiledArea(window), QRect(0, 0, 200, 100));
    // The window's corner shows the picture's middle; the picture's edges meet 32 px in.
    QCOMPARE(*both.pictureAt({0, 0}, window), QPoint(16, 8));
    QCOMPARE(*both.pictureAt({31, 15}, window), QPoint(31, 15));
    QCOMPARE(*both.pictureAt({32, 16}, window), QPoint(0, 0));

    // One axis: a single band at the edge, offset only along the axis that repeats.
    offset.axis = Axis::Across;
    const TileGeometry across(QSize(32, 16), offset);
    QCOMPARE(across.origin(), QPoint(-32, 0));
    QCOMPARE(across.tiledArea(window), QRect(0, 0, 200, 32));
    QVERIFY(!across.pictureAt({10, 32}, window));
    offset.axis = Axis::Down;
    offset.offset = false;
    const TileGeometry down(QSize(32, 16), offset);
    QCOMPARE(down.tiledArea(window), QRect(0, 0, 64, 100));
    QCOMPARE(*down.pictureAt({63, 99}, window), QPoint(31, 1));
    QVERIFY(!down.pictureAt({64, 0}, window));

    // An odd step puts the extra pixel on the far side.
    TileMode odd;
    odd.offset = true;
    QCOMPARE(TileGeometry(QSize(5, 5), odd).origin(), QPoint(-2, -2));

    // D, B and M step through their repeats; one repeat at a time.
    Repeat r;
    QStringList names;
    for (int k = 0; k < 4; ++k) {
        r = r.nextDrop();
        names << r.name();
    }
    QCOMPARE(names, QStringList({"half drop", "third drop", "quarter drop", "straight"}));
    QCOMPARE(r.nextDrop().nextBrick(), Repeat(Repeat::Kind::Brick, 2));
    QCOMPARE(Repeat(Repeat::Kind::Brick, 4).nextBrick(), Repeat());
    QCOMPARE(Repeat(Repeat::Kind::Drop, 3).nextMirror().name(), QStringLiteral("mirror across"));
    QCOMPARE(Repeat(Repeat::Kind::MirrorBoth).nextMirror(), Repeat());
    for (const Repeat& each : Repeat::all())
        QCOMPARE(*Repeat::fromToken(each.token()), each);
    QVERIFY(!Repeat::fromToken(QStringLiteral("drop5")));
    // A fraction out of range, as a stray value may hold, reads as the nearest one.
    Repeat stray;
    stray.kind = Repeat::Kind::Drop;
    stray.fraction = 0;
    QCOMPARE(stray.name(), QStringLiteral("half drop"));
    QCOMPARE(stray.unitSize({5, 5}), QSize(10, 5));
    QCOMPARE(Repeat(Repeat::Kind::Drop, 2).fileSuffix(), QStringLiteral("half-drop"));
    TileMode drop;
    drop.repeat = Repeat(Repeat::Kind::Drop, 2);
    drop.grid = true;
    QCOMPARE(drop.captionSuffix(), QStringLiteral("half drop, grid"));
    // The smallest pictures that repeat edge to edge: a 10 x 7 tile.
    const QSize t(10, 7);
    QCOMPARE(Repeat(Repeat::Kind::Drop, 3).unitSize(t), QSize(30, 7));
    QCOMPARE(Repeat(Repeat::Kind::Brick, 4).unitSize(t), QSize(10, 28));
    QCOMPARE(Repeat(Repeat::Kind::MirrorBoth).unitSize(t), QSize(20, 14));
}

void TestTiling::paintedPixelsFollowTheGeometry_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<bool>("offset");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<int>("axis");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("origin");
    QTest::addColumn<QRect>("band");
    const int both = int(TileMode::Axis::Both), across = int(TileMode::Axis::Across),
              down = int(TileMode::Axis::Down);
    // Small units go through the pattern, large zoomed ones tile by tile: both must agree.
    // The offset moves the tiles back by half the repeat's unit: a half drop of 4 x 6 tiles
    // repeats every 8 x 6, so -4, -3.
    QTest::newRow("1x1") << QSize(1, 1) << "straight" << false << false << both << 1
                         << QSize(300, 40) << QPoint(0, 0) << QRect(0, 0, 300, 40);
    QTest::newRow("3x2 zoom 3 offset") << QSize(3, 2) << "straight" << true << false << both << 3
                                       << QSize(97, 61) << QPoint(-4, -3) << QRect(0, 0, 97, 61);
    QTest::newRow("7x5 offset grid across")
        << QSize(7, 5) << "straight" << true << true << across << 4 << QSize(120, 80)
        << QPoint(-14, 0) << QRect(0, 0, 120, 20);
    QTest::newRow("7x5 grid down") << QSize(7, 5) << "straight" << false << true << down << 2
                                   << QSize(120, 80) << QPoint(0, 0) << QRect(0, 0, 14, 80);
    QTest::newRow("tile by tile") << QSize(300, 9) << "straight" << true << true << both << 8
                                  << QSize(500, 300) << QPoint(-1200, -36) << QRect(0, 0, 500, 300);
    QTest::newRow("tile by tile, down") << QSize(300, 9) << "straight" << false << true << down << 8
                                        << QSize(500, 300) << QPoint(0, 0) << QRect(0, 0, 500, 300);
    QTest::newRow("big at 1x with grid")
        << QSize(2100, 3) << "straight" << true << true << both << 1 << QSize(300, 20)
        << QPoint(-1050, -1) << QRect(0, 0, 300, 20);
    QTest::newRow("half drop") << QSize(4, 6) << "drop2" << false << false << both << 1
                               << QSize(50, 40) << QPoint(0, 0) << QRect(0, 0, 50, 40);
    QTest::newRow("half drop offset grid")
        << QSize(4, 6) << "drop2" << true << true << both << 1 << QSize(50, 40) << QPoint(-4, -3)
        << QRect(0, 0, 50, 40);
    // 7 rows do not divide by 3: the columns move down 0, 2 and 4 rows.
    QTest::newRow("third drop, odd, zoom 2")
        << QSize(5, 7) << "drop3" << true << false << both << 2 << QSize(90, 70) << QPoint(-15, -7)
        << QRect(0, 0, 90, 70);
    QTest::newRow("quarter drop grid across")
        << QSize(3, 8) << "drop4" << false << true << across << 1 << QSize(60, 40) << QPoint(0, 0)
        << QRect(0, 0, 60, 8);
    QTest::newRow("half brick offset grid")
        << QSize(6, 4) << "brick2" << true << true << both << 1 << QSize(50, 40) << QPoint(-3, -4)
        << QRect(0, 0, 50, 40);
    QTest::newRow("third brick zoom 3 down")
        << QSize(7, 5) << "brick3" << false << false << down << 3 << QSize(90, 100) << QPoint(0, 0)
        << QRect(0, 0, 21, 100);
    QTest::newRow("quarter brick") << QSize(8, 3) << "brick4" << false << true << both << 1
                                   << QSize(40, 30) << QPoint(0, 0) << QRect(0, 0, 40, 30);
    QTest::newRow("mirror across grid")
        << QSize(4, 3) << "mirror-across" << false << true << both << 1 << QSize(40, 20)
        << QPoint(0, 0) << QRect(0, 0, 40, 20);
    QTest::newRow("mirror down offset zoom 2")
        << QSize(3, 4) << "mirror-down" << true << false << both << 2 << QSize(40, 40)
        << QPoint(-3, -8) << QRect(0, 0, 40, 40);
    QTest::newRow("mirror both offset grid")
        << QSize(5, 3) << "mirror-both" << true << true << both << 1 << QSize(40, 30)
        << QPoint(-5, -3) << QRect(0, 0, 40, 30);
    QTest::newRow("mirror both tile by tile")
        << QSize(300, 9) << "mirror-both" << true << true << both << 8 << QSize(500, 300)
        << QPoint(-2400, -72) << QRect(0, 0, 500, 300);
    QTest::newRow("half drop tile by tile")
        << QSize(1100, 5) << "drop2" << true << true << both << 1 << QSize(300, 40)
        << QPoint(-1100, -2) << QRect(0, 0, 300, 40);
    QTest::newRow("third brick tile by tile")
        << QSize(700, 3) << "brick3" << false << true << across << 4 << QSize(400, 60)
        << QPoint(0, 0) << QRect(0, 0, 400, 36);
}

void TestTiling::paintedPixelsFollowTheGeometry()
{
    QFETCH(QSize, picture);
    QFETCH(QString, repeat);
    QFETCH(bool, offset);
    QFETCH(bool, grid);
    QFETCH(int, axis);
    QFETCH(int, zoom);
    QFETCH(QSize, window);
    QFETCH(QPoint, origin);
    QFETCH(QRect, band);
    TileMode mode;
    mode.repeat = *Repeat::fromToken(repeat);
    mode.offset = offset;
    mode.grid = grid;
    mode.axis = TileMode::Axis(axis);
    mode.zoom = zoom;
    const QImage tile = numbered(picture.width(), picture.height());
    TilePainter painter;
    QString where;
    const QImage whole = painted(painter, window, tile, mode);
    const QImage want = reference(tile, mode, window, origin, band);
    QVERIFY2(sameImage(whole, want, &where), qPrintable(where));
    // The geometry's own map (the contrast and the seams read through it) agrees.
    const TileGeometry geometry(picture, mode);
    for (int y = 0; y < window.height() && !grid; ++y)
        for (int x = 0; x < window.width(); ++x) {
            const auto source = geometry.pictureAt({x, y}, window);
            QCOMPARE(source ? tile.pixel(*source) : Page.rgb(), want.pixel(x, y));
        }
    // A repaint of part of the window, as an exposed strip asks, paints that part the same.
    const QRect strip(window.width() / 3, 1, window.width() / 3, window.height() - 2);
    const QImage part = painted(painter, window, tile, mode, strip);
    QCOMPARE(part.copy(strip), whole.copy(strip));
    QCOMPARE(part.pixel(0, 0), QColor(Qt::magenta).rgba());
}

void TestTiling::transparentTilesShowThePage()
{
    QImage hole(4, 4, QImage::Format_ARGB32);
    hole.fill(Qt::transparent);
    hole.setPixel(1, 1, qRgba(0, 0, 255, 255));
    for (const int zoom : {1, 8}) {
        TilePainter painter;
        TileMode mode;
        mode.zoom = zoom;
        const QImage shot = painted(painter, QSize(40, 40), hole, mode);
        QCOMPARE(QColor(shot.pixel(0, 0)), Page);
        QCOMPARE(QColor(shot.pixel(zoom, zoom)), QColor(Qt::blue));
    }
    // A huge transparent tile, drawn tile by tile, fills the page beneath it too.
    QImage wide(700, 2, QImage::Format_ARGB32);
    wide.fill(Qt::transparent);
    TilePainter painter;
    TileMode mode;
    mode.zoom = 4;
    QCOMPARE(QColor(painted(painter, QSize(50, 50), wide, mode).pixel(10, 10)), Page);
}

void TestTiling::contrastFigures()
{
    QVERIFY(qAbs(Contrast::ratio(Qt::black, Qt::white) - 21.0) < 1e-9);
    QCOMPARE(Contrast::ratio(Qt::white, Qt::white), 1.0);
    const double grey = Contrast::ratio(QColor(0x77, 0x77, 0x77), Qt::white);
    QVERIFY2(qAbs(grey - 4.48) < 0.01, qPrintable(QString::number(grey)));
    QCOMPARE(Contrast::ratioText(grey), QStringLiteral("4.48:1"));
    QCOMPARE(Contrast::ratioText(21.0), QStringLiteral("21.0:1"));
    // Rounding never lifts a failing figure onto the threshold.
    QCOMPARE(Contrast::ratioText(4.497), QStringLiteral("4.49:1"));
    QCOMPARE(Contrast::ratioText(2.999), QStringLiteral("2.99:1"));
    QVERIFY(!Contrast::passesAA(grey, 12));
    QVERIFY(!Contrast::passesAA(grey, 17));
    QVERIFY(Contrast::passesAA(grey, 18)); // large text needs 3:1
    QVERIFY(!Contrast::passesAA(2.9, 24));
    QVERIFY(Contrast::passesAA(4.5, 12));
}

void TestTiling::contrastUnderTheText()
{
    // A 2 x 1 tile, white then black: black text over it meets the black pixels somewhere.
    QImage stripes(2, 1, QImage::Format_RGB32);
    stripes.setPixel(0, 0, qRgb(255, 255, 255));
    stripes.setPixel(1, 0, qRgb(0, 0, 0));
    QImage cover(20, 10, QImage::Format_ARGB32_Premultiplied);
    cover.fill(Qt::transparent);
    QPainter(&cover).fillRect(QRect(2, 2, 10, 4), Qt::black);
    const QSize window(200, 100);
    const auto worst = ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, stripes,
                                                 TileGeometry(stripes.size(), {}), window, Page);
    QVERIFY(worst);
    QCOMPARE(*worst, 1.0);

    // At real size the text is measured over the tiles where they show, not at zoom 1: a tile
    // white on its left half, four times as large, puts only white under the text.
    QImage halves(64, 1, QImage::Format_RGB32);
    halves.fill(Qt::black);
    QPainter(&halves).fillRect(0, 0, 32, 1, Qt::white);
    TileSurface large;
    large.realScale = 4.0;
    const TilePainter::Layout real = TilePainter::layoutFor({}, large);
    QCOMPARE(ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, halves,
                                       TileGeometry(halves.size(), {}), window, Page)
                 .value(),
             1.0);
    QCOMPARE(ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, halves,
                                       TileGeometry(halves.size(), real.mode), window, Page,
                                       real.scale)
                 .value(),
             21.0);
    // At a fractional device ratio a picture pixel takes whole device pixels.
    TileSurface fractional;
    fractional.ratio = 1.5;
    TileMode zoomed;
    zoomed.zoom = 2;
    QCOMPARE(TilePainter::layoutFor(zoomed, fractional).scale, 1.5);
    QCOMPARE(TilePainter::layoutFor(zoomed, fractional).mode.zoom, 2);
    zoomed.webPage = true;
    QCOMPARE(TilePainter::layoutFor(zoomed, fractional).scale, 1.0);

    // Under a one-row band the text lies on the page: measured against the page colour.
    QImage white(4, 4, QImage::Format_RGB32);
    white.fill(Qt::white);
    TileMode band;
    band.axis = TileMode::Axis::Across;
    const auto onPage = ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, white,
                                                  TileGeometry(white.size(), band), window, Page);
    QCOMPARE(*onPage, Contrast::ratio(Qt::black, Page));

    // A half-transparent picture shows the page through it.
    QImage veil(1, 1, QImage::Format_ARGB32);
    veil.setPixel(0, 0, qRgba(255, 255, 255, 0));
    const auto through = ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, veil,
                                                   TileGeometry(veil.size(), {}), window, Page);
    QCOMPARE(*through, Contrast::ratio(Qt::black, Page));
    // Also when the picture is kept premultiplied, as drawn SVG pictures are.
    QImage halfRed(1, 1, QImage::Format_ARGB32);
    halfRed.setPixel(0, 0, qRgba(255, 0, 0, 128));
    const QColor mixed((255 * 128 + Page.red() * 127 + 127) / 255, (Page.green() * 127 + 127) / 255,
                       (Page.blue() * 127 + 127) / 255);
    for (const QImage& red :
         {halfRed, halfRed.convertToFormat(QImage::Format_ARGB32_Premultiplied)}) {
        const auto mix = ContrastMeter::worstRatio(cover, {27, 27}, Qt::black, red,
                                                   TileGeometry(red.size(), {}), window, Page);
        QVERIFY2(qAbs(*mix - Contrast::ratio(Qt::black, mixed)) < 0.02,
                 qPrintable(QString::number(*mix)));
    }

    // A text far longer than the window costs only what the window can show of it.
    QFont huge;
    huge.setPointSize(120);
    const QImage cut = SampleTextBox::coverage(huge, QString(30000, QLatin1Char('W')), {600, 400});
    QVERIFY(!cut.isNull() && cut.width() == 600 && cut.height() <= 400);
    QVERIFY(SampleTextBox::coverage(huge, QStringLiteral("W"), {0, 400}).isNull());

    // No text, nothing to measure; text outside the window neither.
    QImage none(20, 10, QImage::Format_ARGB32_Premultiplied);
    none.fill(Qt::transparent);
    QVERIFY(!ContrastMeter::worstRatio(none, {27, 27}, Qt::black, white, TileGeometry({4, 4}, {}),
                                       window, Page));
    QVERIFY(!ContrastMeter::worstRatio(cover, {300, 27}, Qt::black, white, TileGeometry({4, 4}, {}),
                                       window, Page));
}

void TestTiling::cssText()
{
    TileMode mode;
    QCOMPARE(TileCss::declarations(QStringLiteral("oak.png"), mode, QSize(128, 64),
                                   QColor(0x12, 0x34, 0x56)),
             QStringLiteral("background-color: #123456;\n"
                            "background-image: url(\"oak.png\");\n"
                            "background-repeat: repeat;\n"
                            "background-size: 128px 64px;\n"));
    mode.axis = TileMode::Axis::Across;
    mode.zoom = 3;
    mode.offset = true;
    QCOMPARE(TileCss::declarations(QStringLiteral("dots 1.gif"), mode, QSize(16, 10), Qt::white),
             QStringLiteral("background-color: #ffffff;\n"
                            "background-image: url(\"dots%201.gif\");\n"
                            "background-repeat: repeat-x;\n"
                            "background-size: 48px 30px;\n"
                            "background-position: -24px 0;\n"
                            "image-rendering: pixelated;\n"));
    // A hostile name cannot end the string or the declaration.
    const QString url = TileCss::urlOf(QStringLiteral("a\"b\\c\nd);e.png"));
    QVERIFY(!url.contains(QLatin1Char('"')) && !url.contains(QLatin1Char('\\')) &&
            !url.contains(QLatin1Char('\n')));
    QCOMPARE(QUrl::fromPercentEncoding(url.toLatin1()), QStringLiteral("a\"b\\c\nd);e.png"));
}

void TestTiling::keysAndToolboxSwitchesStayInStep()
{
    QTemporaryDir dir;
    QImage half(16, 16, QImage::Format_RGB32);
    half.fill(Qt::white);
    QPainter(&half).fillRect(0, 0, 8, 16, Qt::black);
    QVERIFY(half.save(dir.filePath(QStringLiteral("half.bmp"))));

    Studio studio;
    CurrentImage& image = studio.image;
    SampleSettings& sample = studio.sample;
    TileSettings& tiles = studio.tiles;
    FakeClipboard& clipboard = studio.clipboard;
    TiledView& tiled = studio.tiled;
    Toolbox& toolbox = studio.toolbox;
    image.load(dir.path(), QStringLiteral("half.bmp"));
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    toolbox.open();
    auto box = [&toolbox](const char* name) {
        return toolbox.findChild<QCheckBox*>(QString::fromLatin1(name));
    };
    auto* zoom = toolbox.findChild<QScrollBar*>(QStringLiteral("HScrollZoom"));
    auto label = [&toolbox](const char* name) {
        return toolbox.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };

    QTest::keyClick(&tiled, Qt::Key_O);
    QVERIFY(box("chkOffset")->isChecked());
    QCOMPARE(tiled.windowTitle(), QStringLiteral("Preview \u2014 offset"));
    // The offset puts the picture's middle at the corner: white there, not black.
    QTRY_COMPARE(QColor(tiled.grab().toImage().pixel(2, 2)), QColor(Qt::white));
    box("chkGrid")->click();
    QVERIFY(tiles.mode().grid);
    QCOMPARE(tiled.windowTitle(), QStringLiteral("Preview \u2014 offset, grid"));
    QTest::keyClick(&tiled, Qt::Key_G);
    QVERIFY(!box("chkGrid")->isChecked());

    QTest::keyClick(&tiled, Qt::Key_X);
    QVERIFY(box("chkAcross")->isChecked());
    QTest::keyClick(&tiled, Qt::Key_Y);
    QVERIFY(box("chkDown")->isChecked() && !box("chkAcross")->isChecked());
    QTest::keyClick(&tiled, Qt::Key_Y);
    QCOMPARE(tiles.mode().axis, TileMode::Axis::Both);
    QVERIFY(!box("chkDown")->isChecked());
    box("chkAcross")->click();
    QCOMPARE(tiles.mode().axis, TileMode::Axis::Across);
    box("chkAcross")->click();
    QCOMPARE(tiles.mode().axis, TileMode::Axis::Both);

    QTest::keyClick(&tiled, Qt::Key_Plus);
    QTest::keyClick(&tiled, Qt::Key_Equal);
    QCOMPARE(zoom->value(), 3);
    QCOMPARE(label("lblZoom"), QStringLiteral("3\u00d7"));
    for (int k = 0; k < 9; ++k)
        QTest::keyClick(&tiled, Qt::Key_Plus);
    QCOMPARE(tiles.mode().zoom, 8);
    QTest::keyClick(&tiled, Qt::Key_Minus);
    QCOMPARE(zoom->value(), 7);
    // Ctrl and the wheel: a zoom step per notch, half notches gathered.
    QWheelEvent half1({5, 5}, tiled.mapToGlobal(QPointF(5, 5)), {}, {0, -60}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&tiled, &half1);
    QCOMPARE(tiles.mode().zoom, 7);
    QCoreApplication::sendEvent(&tiled, &half1);
    QCOMPARE(tiles.mode().zoom, 6);
    zoom->setValue(2);
    QCOMPARE(tiles.mode().zoom, 2);
    QTest::keyClick(&tiled, Qt::Key_0);
    QCOMPARE(zoom->value(), 1);
    QTest::keyClick(&tiled, Qt::Key_Minus);
    QCOMPARE(tiles.mode().zoom, 1);

    // Ctrl+C copies what shows.
    QTest::keyClick(&tiled, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard.texts, QStringList{tiled.css()});
    QVERIFY(clipboard.texts.first().contains(QStringLiteral("url(\"half.bmp\")")));
    QVERIFY(clipboard.texts.first().contains(QStringLiteral("background-position: -8px -8px;")));

    // "Background" turns the colour bars to the page colour and back.
    auto* red = toolbox.findChild<QScrollBar*>(QStringLiteral("vColor0"));
    box("chkBackground")->click();
    QCOMPARE(red->value(), 0); // the page is white
    red->setValue(255);        // no red in the page
    QCOMPARE(tiles.background(), QColor(0, 255, 255));
    QCOMPARE(sample.colour(), QColor(Qt::black));
    box("chkBackground")->click();
    QCOMPARE(red->value(), 255); // the text is black again on the bars

    // The contrast follows: black text on black and white tiles is at worst 1:1.
    QTRY_COMPARE(label("lblContrast"), QStringLiteral("Contrast 1.00:1"));
    QCOMPARE(label("lblVerdict"), QStringLiteral("fails"));

    // The view's keys act while the toolbox has the keyboard, but not in the sample text.
    QVERIFY(QTest::qWaitForWindowActive(&toolbox));
    for (const char* name : {"chkGrid", "List1", "HScroll1"}) {
        auto* control = toolbox.findChild<QWidget*>(QString::fromLatin1(name));
        control->setFocus();
        const bool grid = tiles.mode().grid;
        QTest::keyClick(control, Qt::Key_G);
        QCOMPARE(tiles.mode().grid, !grid);
        QTest::keyClick(control, Qt::Key_Plus);
        QCOMPARE(tiles.mode().zoom, 2);
        QTest::keyClick(control, Qt::Key_0);
        QCOMPARE(tiles.mode().zoom, 1);
    }
    QCOMPARE(toolbox.findChild<QComboBox*>(QStringLiteral("List1"))->currentIndex(), 0);
    QTest::keyClick(box("chkGrid"), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard.texts.size(), 2);
    auto* text = toolbox.findChild<QLineEdit*>(QStringLiteral("txtSample"));
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("og"));
    QVERIFY(text->text().endsWith(QStringLiteral("og")));
    QCOMPARE(tiles.mode().grid, true);

    // D and B step through drops and bricks, each ending the other; H maps the seams.
    QTest::keyClick(&tiled, Qt::Key_D);
    QTest::keyClick(&tiled, Qt::Key_H);
    QCOMPARE(tiled.windowTitle(),
             QStringLiteral("Preview \u2014 half drop, offset, grid, seam map"));
    QTest::keyClick(&tiled, Qt::Key_B);
    QTest::keyClick(&tiled, Qt::Key_B);
    QCOMPARE(tiles.mode().repeat, Repeat(Repeat::Kind::Brick, 3));
    auto* repeat = toolbox.findChild<QComboBox*>(QStringLiteral("cmbRepeat"));
    auto* fraction = toolbox.findChild<QComboBox*>(QStringLiteral("cmbFraction"));
    QCOMPARE(repeat->currentText(), QStringLiteral("Brick"));
    QCOMPARE(fraction->currentText(), QStringLiteral("1/3"));
    QVERIFY(box("chkSeamMap")->isChecked());
    // The lists set the repeat as the keys do; a mirror has no fraction.
    auto choose = [](QComboBox* list, int index) {
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    };
    choose(fraction, 2);
    QCOMPARE(tiles.mode().repeat, Repeat(Repeat::Kind::Brick, 4));
    choose(repeat, 5);
    QCOMPARE(tiles.mode().repeat, Repeat(Repeat::Kind::MirrorBoth));
    QVERIFY(!fraction->isEnabled());
    QTest::keyClick(&tiled, Qt::Key_M);
    QCOMPARE(repeat->currentText(), QStringLiteral("Straight"));
    choose(repeat, 1);
    QCOMPARE(tiles.mode().repeat, Repeat(Repeat::Kind::Drop, 4));
    QTest::keyClick(&tiled, Qt::Key_D);
    QTest::keyClick(&tiled, Qt::Key_B);
    QTest::keyClick(&tiled, Qt::Key_B);
    box("chkSeamMap")->click();
    QVERIFY(!tiles.mode().seamMap);

    // Closing returns to the plain view in the same repeat; the page colour stays.
    tiled.close();
    TileMode plain;
    plain.repeat = Repeat(Repeat::Kind::Brick, 3);
    QCOMPARE(tiles.mode(), plain);
    QVERIFY(!box("chkOffset")->isChecked());
    QCOMPARE(tiled.windowTitle(), QStringLiteral("Preview \u2014 third brick"));
    QCOMPARE(tiles.background(), QColor(0, 255, 255));
}

void TestTiling::printedSize_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<bool>("metric");
    QTest::addColumn<QString>("text");
    // 1,800 / 150 = 12 inches = 30.48 cm.
    QTest::newRow("fabric") << QSize(1800, 1800) << 150.0 << true
                            << QStringLiteral("30.5 \u00d7 30.5 cm at 150 dpi");
    QTest::newRow("inches") << QSize(1800, 900) << 150.0 << false
                            << QStringLiteral("12.0 \u00d7 6.0 in at 150 dpi");
    // A pHYs of 5,906 pixels a metre is 150.01 dpi: shown as 150.
    QTest::newRow("metres") << QSize(300, 600) << 5906 * 0.0254 << true
                            << QStringLiteral("5.1 \u00d7 10.2 cm at 150 dpi");
    QTest::newRow("tiny") << QSize(40, 1) << 1200.0 << true
                          << QStringLiteral("0.08 \u00d7 0.00 cm at 1200 dpi");
    QTest::newRow("half") << QSize(96, 96) << 96.5 << false
                          << QStringLiteral("0.99 \u00d7 0.99 in at 96.5 dpi");
}

void TestTiling::printedSize()
{
    QFETCH(QSize, pixels);
    QFETCH(double, dpi);
    QFETCH(bool, metric);
    QFETCH(QString, text);
    QCOMPARE(
        RealSize::describe(pixels, dpi, metric ? QLocale::MetricSystem : QLocale::ImperialUSSystem),
        text);

    // Resolutions from files and from the keyboard: nonsense is no resolution.
    for (const double bad : {0.0, -150.0, 0.5, 1e9, std::nan("")})
        QVERIFY2(!RealSize::sane(bad), qPrintable(QString::number(bad)));
    QCOMPARE(RealSize::sane(1e5).value_or(0), 1e5);
    for (const char* typed : {"0", "abc", "", "150abc", "1e9", "-3"})
        QVERIFY2(!RealSize::parse(QString::fromLatin1(typed), QLocale::c()), typed);
    QCOMPARE(RealSize::parse(QStringLiteral(" 300 dpi"), QLocale::c()).value_or(0), 300.0);
    QCOMPARE(RealSize::parse(QStringLiteral("72,5"), QLocale(QLocale::German)).value_or(0), 72.5);

    QTemporaryDir dir;
    auto fileDpi = [&dir](int dotsPerMetre) {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        picture.setDotsPerMeterX(dotsPerMetre);
        picture.setDotsPerMeterY(dotsPerMetre);
        const QString path = dir.filePath(QString::number(dotsPerMetre) + QStringLiteral(".png"));
        return picture.save(path) ? PictureDpi::ofFile(path, 72) : -1.0;
    };
    QCOMPARE(qRound(fileDpi(11811)), 300);
    QCOMPARE(fileDpi(1), 72.0);          // 0.03 dpi: read as none, the chosen one stands
    QCOMPARE(fileDpi(2000000000), 72.0); // 50 million dpi
}

void TestTiling::fractionalScalesKeepWholePixels_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("webPage");
    QTest::addColumn<int>("cell"); // device pixels a picture pixel takes; 0: one window pixel
    QTest::newRow("1.5") << 1.5 << 1 << false << 1;
    QTest::newRow("1.25") << 1.25 << 1 << false << 1;
    QTest::newRow("1.5 2x") << 1.5 << 2 << false << 2;
    QTest::newRow("2.5") << 2.5 << 1 << false << 2;
    QTest::newRow("2 as today") << 2.0 << 1 << false << 2;
    QTest::newRow("web page") << 1.5 << 1 << true << 0;
}

void TestTiling::fractionalScalesKeepWholePixels()
{
    QFETCH(double, ratio);
    QFETCH(int, zoom);
    QFETCH(bool, webPage);
    QFETCH(int, cell);
    QImage checker(2, 2, QImage::Format_RGB32);
    checker.fill(Qt::white);
    checker.setPixel(0, 0, qRgb(0, 0, 0));
    checker.setPixel(1, 1, qRgb(0, 0, 0));
    const QSize window(40, 40);
    QImage shot((QSizeF(window) * ratio).toSize(), QImage::Format_RGB32);
    shot.setDevicePixelRatio(ratio);
    shot.fill(Qt::magenta);
    TileMode mode;
    mode.zoom = zoom;
    mode.webPage = webPage;
    TilePainter painter;
    {
        QPainter p(&shot);
        painter.paint(p, QRect(QPoint(0, 0), window), window, checker, mode, Page, {ratio, {}});
    }
    int black = 0, changes = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const bool dark = qRed(shot.pixel(x, y)) == 0;
            black += dark;
            if (cell > 0) {
                const bool want = (x / cell + y / cell) % 2 == 0;
                if (dark != want)
                    QFAIL(qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            } else if (y == 0 && x > 0 && dark != (qRed(shot.pixel(x - 1, 0)) == 0)) {
                ++changes;
            }
        }
    const double share = double(black) / (shot.width() * shot.height());
    if (cell > 0)
        QVERIFY2(qAbs(share - 0.5) < 0.02, qPrintable(QString::number(share)));
    else
        QCOMPARE(changes, window.width() - 1); // a cell per window pixel, as a browser shows it
}

void TestTiling::realSizeOnScreen()
{
    QTemporaryDir dir;
    // 16 pixels at 48 dpi: a third of an inch, the left half black.
    QImage half(16, 16, QImage::Format_RGB32);
    half.fill(Qt::white);
    QPainter(&half).fillRect(0, 0, 8, 16, Qt::black);
    half.setDotsPerMeterX(1890);
    half.setDotsPerMeterY(1890);
    QVERIFY(half.save(dir.filePath(QStringLiteral("half.png"))));

    Studio studio;
    TileSettings& tiles = studio.tiles;
    TiledView& tiled = studio.tiled;
    Toolbox& toolbox = studio.toolbox;
    studio.image.load(dir.path(), QStringLiteral("half.png"));
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    toolbox.open();

    // The user's ruler says 192 device pixels an inch: a picture pixel takes four.
    auto* screenDpi = toolbox.findChild<QLineEdit*>(QStringLiteral("txtScreenDpi"));
    screenDpi->setFocus();
    QTest::keyClicks(screenDpi, QStringLiteral("192"));
    QTest::keyClick(screenDpi, Qt::Key_Return);
    QCOMPARE(tiles.screenDpi().value_or(0), 192.0);
    QTest::keyClick(&tiled, Qt::Key_R);
    QVERIFY(toolbox.findChild<QCheckBox*>(QStringLiteral("chkRealSize"))->isChecked());
    QCOMPARE(tiled.windowTitle(),
             QStringLiteral("Preview \u2014 real size, 0.85 \u00d7 0.85 cm at 48 dpi"));
    const QImage shot = tiled.grab().toImage();
    // Black from 0 to 32, white to 64, black again: a period of a third of 192.
    auto dark = [&shot](int x) { return qRed(shot.pixel(x, 20)) < 128; };
    for (const int x : {1, 30, 65, 94})
        QVERIFY2(dark(x), qPrintable(QString::number(x)));
    for (const int x : {34, 62, 98, 126})
        QVERIFY2(!dark(x), qPrintable(QString::number(x)));

    // Far below half size a checkerboard of single pixels averages to grey, where a filtered
    // draw would pick one colour of it everywhere; its period still lands where it belongs.
    QImage checks(2, 2, QImage::Format_RGB32);
    checks.fill(Qt::white);
    checks.setPixel(0, 0, qRgb(0, 0, 0));
    checks.setPixel(1, 1, qRgb(0, 0, 0));
    QImage small(64, 64, QImage::Format_RGB32);
    for (const double scale : {0.25, 0.3}) {
        TileSurface surface;
        surface.realScale = scale;
        QPainter p(&small);
        TilePainter().paint(p, small.rect(), small.size(), checks, TileMode(), Qt::red, surface);
        for (const QPoint at : {QPoint(0, 0), QPoint(17, 5), QPoint(63, 63)})
            QVERIFY2(qAbs(qGray(small.pixel(at)) - 128) < 40, qPrintable(QString::number(scale)));
    }

    // On paper a large tile goes onto the printer at its own resolution, not through a picture
    // of the window: two picture pixels a window pixel, eight printer dots a window pixel.
    QImage lines(2100, 4, QImage::Format_RGB32);
    for (int x = 0; x < lines.width(); ++x)
        for (int y = 0; y < lines.height(); ++y)
            lines.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    QImage dots(160, 32, QImage::Format_RGB32);
    TileSurface paper;
    paper.realScale = 0.5;
    paper.paper = true;
    {
        QPainter p(&dots);
        p.scale(8, 8);
        TilePainter().paint(p, QRect(0, 0, 20, 4), QSize(20, 4), lines, TileMode(), Qt::red, paper);
    }
    QVERIFY(qGray(dots.pixel(1, 10)) < 70 && qGray(dots.pixel(5, 10)) > 185);

    // A zoom step is another scale: real size goes.
    QTest::keyClick(&tiled, Qt::Key_Plus);
    QVERIFY(!tiles.mode().realSize);
    QCOMPARE(tiled.windowTitle(), QStringLiteral("Preview \u2014 2\u00d7"));

    // A typed resolution of 0 or text is refused, and says why; 300 is taken.
    auto* resolution = toolbox.findChild<QComboBox*>(QStringLiteral("cmbResolution"));
    auto* hint = toolbox.findChild<QLabel*>(QStringLiteral("lblSizeHint"));
    resolution->lineEdit()->selectAll();
    QTest::keyClicks(resolution->lineEdit(), QStringLiteral("0"));
    QVERIFY(hint->text().contains(QStringLiteral("dpi")));
    QTest::keyClick(resolution->lineEdit(), Qt::Key_Return);
    QCOMPARE(tiles.pictureDpi(), TileSettings::DefaultPictureDpi);
    resolution->lineEdit()->selectAll();
    QTest::keyClicks(resolution->lineEdit(), QStringLiteral("abc"));
    QVERIFY(!hint->text().isEmpty());
    resolution->lineEdit()->selectAll();
    QTest::keyClicks(resolution->lineEdit(), QStringLiteral("300"));
    QTest::keyClick(resolution->lineEdit(), Qt::Key_Return);
    QCOMPARE(tiles.pictureDpi(), 300.0);
    QVERIFY(hint->text().isEmpty());
}

QTEST_MAIN(TestTiling)
#include "tst_tiling.moc"
