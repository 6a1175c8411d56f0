#include <QtTest>

#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>

#include "Harness.h"
#include "app/Browser.h"
#include "app/ToolWindows.h"
#include "listing/FileListModel.h"
#include "preview/CurrentImage.h"
#include "preview/RepeatUnit.h"
#include "preview/TileCss.h"
#include "preview/TilePainter.h"
#include "preview/TiledView.h"
#include "tile/TileSettings.h"
#include "toolbox/Toolbox.h"

namespace {

// Every pixel its own colour; `alpha`: some of them see-through.
QImage numbered(int w, int h, bool alpha = false)
{
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           qRgba(x * 9 % 256, y * 13 % 256, 60 + (x + y) % 2 * 150,
                                 alpha && (x + y) % 3 == 0 ? 0 : 255));
    return image;
}

int pixels(const QString& css, const QString& property, int index)
{
    const QRegularExpression re(property + QStringLiteral(": (-?\\d+)(?:px)? (-?\\d+)(?:px)?;"));
    const auto match = re.match(css);
    return match.hasMatch() ? match.captured(index + 1).toInt() : 0;
}

} // namespace

class TestRepeats : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void cssUnitReproducesTheView_data();
    void cssUnitReproducesTheView();
    void awkwardPicturesGiveASoundView();
    void savedUnitKeepsResolutionAndSparesTheSource();
    void savingFromTheTiledView();
};

void TestRepeats::cssUnitReproducesTheView_data()
{
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("unit");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("offset");
    QTest::addColumn<bool>("alpha");
    QTest::newRow("half drop") << "drop2" << QSize(6, 4) << QSize(12, 4) << 1 << false << false;
    QTest::newRow("third drop, odd height, zoom 2")
        << "drop3" << QSize(5, 7) << QSize(15, 7) << 2 << true << false;
    QTest::newRow("quarter drop") << "drop4" << QSize(3, 5) << QSize(12, 5) << 1 << true << true;
    QTest::newRow("half brick") << "brick2" << QSize(6, 4) << QSize(6, 8) << 3 << true << false;
    QTest::newRow("third brick") << "brick3" << QSize(7, 3) << QSize(7, 9) << 1 << false << true;
    QTest::newRow("quarter brick") << "brick4" << QSize(9, 2) << QSize(9, 8) << 2 << false << false;
    QTest::newRow("mirror across")
        << "mirror-across" << QSize(4, 3) << QSize(8, 3) << 1 << true << false;
    QTest::newRow("mirror down") << "mirror-down" << QSize(4, 3) << QSize(4, 6) << 2 << false
                                 << true;
    QTest::newRow("mirror both") << "mirror-both" << QSize(5, 3) << QSize(10, 6) << 1 << true
                                 << false;
    QTest::newRow("one pixel, third drop")
        << "drop3" << QSize(1, 1) << QSize(3, 1) << 1 << true << false;
    QTest::newRow("sliver, half brick")
        << "brick2" << QSize(40, 1) << QSize(40, 2) << 1 << true << false;
}

// The CSS's inline unit, laid as a browser lays a background, shows what the view shows.
void TestRepeats::cssUnitReproducesTheView()
{
    QFETCH(QString, repeat);
    QFETCH(QSize, picture);
    QFETCH(QSize, unit);
    QFETCH(int, zoom);
    QFETCH(bool, offset);
    QFETCH(bool, alpha);
    const QColor page(30, 60, 90);
    TileMode mode;
    mode.repeat = *Repeat::fromToken(repeat);
    mode.zoom = zoom;
    mode.offset = offset;
    const QImage tile = numbered(picture.width(), picture.height(), alpha);
    const QImage made = RepeatUnit::of(tile, mode.repeat);
    QCOMPARE(made.size(), unit);
    const QString css = TileCss::declarations(QStringLiteral("oak.png"), mode, picture, page,
                                              RepeatUnit::png(made));
    const QRegularExpression uri(QStringLiteral("url\\(\"data:image/png;base64,([^\"]+)\"\\)"));
    const auto found = uri.match(css);
    QVERIFY2(found.hasMatch(), qPrintable(css));
    const QImage decoded =
        QImage::fromData(QByteArray::fromBase64(found.captured(1).toLatin1()), "PNG")
            .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(decoded.size(), unit);
    const QSize size(pixels(css, QStringLiteral("background-size"), 0),
                     pixels(css, QStringLiteral("background-size"), 1));
    QCOMPARE(size, unit * zoom);
    const QPoint at(pixels(css, QStringLiteral("background-position"), 0),
                    pixels(css, QStringLiteral("background-position"), 1));

    const QSize window(70, 50);
    QImage view(window, QImage::Format_RGB32);
    {
        QPainter p(&view);
        TilePainter().paint(p, view.rect(), window, tile, mode, page);
    }
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const int ux = (((x - at.x()) % size.width()) + size.width()) % size.width() / zoom;
            const int uy = (((y - at.y()) % size.height()) + size.height()) % size.height() / zoom;
            const QRgb over = decoded.pixel(ux, uy);
            const QRgb want = qAlpha(over) == 0 ? page.rgb() : over | 0xff000000;
            if (view.pixel(x, y) != want)
                QFAIL(qPrintable(QStringLiteral("(%1, %2): %3, wanted %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(view.pixel(x, y), 8, 16)
                                     .arg(want, 8, 16)));
        }
    }
}

// Slivers, a single pixel, and pictures kept as a palette or at 16 bits a channel: every repeat
// paints every pixel of the window, with and without its aids, the same as the picture in
// 8-bit colour would, and makes a unit of the expected size.
void TestRepeats::awkwardPicturesGiveASoundView()
{
    const QSize window(300, 200);
    for (const QSize& size : {QSize(1, 1), QSize(1, 4000), QSize(4000, 1), QSize(7, 10)}) {
        const QImage plain = numbered(size.width(), size.height());
        QImage palette = plain.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
        const QImage eight = palette.convertToFormat(QImage::Format_RGB32);
        for (const Repeat& repeat : Repeat::all()) {
            for (const bool aids : {false, true}) {
                TileMode mode;
                mode.repeat = repeat;
                mode.grid = aids;
                mode.seamMap = aids;
                mode.offset = aids;
                mode.zoom = aids ? 3 : 1;
                auto shot = [&](const QImage& picture) {
                    QImage out(window, QImage::Format_ARGB32_Premultiplied);
                    out.fill(Qt::transparent);
                    QPainter p(&out);
                    TilePainter().paint(p, out.rect(), window, picture, mode, Qt::gray);
                    return out;
                };
                const QImage reference = shot(eight);
                const QString what =
                    repeat.token() + QStringLiteral(" %1x%2").arg(size.width()).arg(size.height());
                QVERIFY2(reference.convertToFormat(QImage::Format_RGB32)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied) == reference,
                         qPrintable(what));
                QVERIFY2(shot(palette) == reference, qPrintable(what));
                QVERIFY2(shot(eight.convertToFormat(QImage::Format_RGBA64)) == reference,
                         qPrintable(what));
            }
            QCOMPARE(RepeatUnit::of(palette, repeat).size(), repeat.unitSize(size));
        }
    }
}

void TestRepeats::savedUnitKeepsResolutionAndSparesTheSource()
{
    QTemporaryDir dir;
    QImage tile = numbered(8, 6);
    tile.setDotsPerMeterX(5906); // 150 dpi
    tile.setDotsPerMeterY(5906);
    const QString source = dir.filePath(QStringLiteral("oak.png"));
    QVERIFY(tile.save(source));
    const Repeat halfDrop(Repeat::Kind::Drop, 2);
    QCOMPARE(RepeatUnit::fileName(QStringLiteral("oak.tar.png"), halfDrop),
             QStringLiteral("oak.tar-half-drop.png"));
    QCOMPARE(RepeatUnit::fileName(QStringLiteral("oak.png"), Repeat(Repeat::Kind::MirrorBoth)),
             QStringLiteral("oak-mirror-both.png"));

    const QImage unit = RepeatUnit::of(tile, halfDrop);
    const QString target = dir.filePath(QStringLiteral("oak-half-drop.png"));
    QString why;
    QVERIFY2(RepeatUnit::save(unit, target, source, &why), qPrintable(why));
    const QImage back(target);
    QCOMPARE(back.size(), QSize(16, 6));
    QCOMPARE(back.dotsPerMeterX(), 5906);
    QCOMPARE(back.dotsPerMeterY(), 5906);
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
             unit.convertToFormat(QImage::Format_RGB32));
    // Column 2 is the tile moved down by 3 rows.
    QCOMPARE(back.pixel(8, 3), tile.pixel(0, 0));

    // Never over the source, however the path names it.
    const QByteArray before = [&] {
        QFile f(source);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(QFile::link(source, dir.filePath(QStringLiteral("alias.png"))));
    for (const QString& path : {source, dir.filePath(QStringLiteral("./oak.png")),
                                dir.filePath(QStringLiteral("alias.png"))}) {
        why.clear();
        QVERIFY(!RepeatUnit::save(unit, path, source, &why));
        QVERIFY(!why.isEmpty());
    }
    QFile f(source);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    // A folder that is not there: a reason, no file.
    QVERIFY(!RepeatUnit::save(unit, dir.filePath(QStringLiteral("no/such.png")), source, &why));
    QVERIFY(!why.isEmpty());
    // Too large to make: nothing, not hundreds of megabytes.
    QImage huge(QSize(9000, 8000), QImage::Format_Indexed8);
    QVERIFY(RepeatUnit::of(huge, Repeat(Repeat::Kind::MirrorBoth)).isNull());
}

void TestRepeats::savingFromTheTiledView()
{
    Sandbox box;
    QImage tile = numbered(8, 6);
    tile.setDotsPerMeterX(3780); // 96 dpi
    tile.setDotsPerMeterY(3780);
    QVERIFY(tile.save(box.folder() + QStringLiteral("/oak.bmp")));
    {
        Run run(box);
        QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
        click(run, 0);
        QTRY_VERIFY(run.main().browser().current().hasPicture());
        TiledView& tiled = run.main().browser().tiledView();
        run.main().browser().openTiledView();
        QVERIFY(QTest::qWaitForWindowExposed(&tiled));
        QTest::keyClick(&tiled, Qt::Key_D);

        // Cancelled: nothing written.
        QTest::keyClick(&tiled, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(run.test.saver->starts,
                 QStringList{box.folder() + QStringLiteral("/oak-half-drop.png")});
        QCOMPARE(QDir(box.folder()).entryList(QDir::Files), QStringList{"oak.bmp"});

        run.test.saver->answer = box.folder() + QStringLiteral("/unit");
        QTest::keyClick(&tiled, Qt::Key_S, Qt::ControlModifier);
        const QImage saved(box.folder() + QStringLiteral("/unit.png"));
        QCOMPARE(saved.size(), QSize(16, 6));
        QCOMPARE(saved.dotsPerMeterX(), 3780);

        // Over the picture itself: refused, said why.
        run.test.saver->answer = box.folder() + QStringLiteral("/oak.bmp");
        QTest::keyClick(&tiled, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(run.test.messages->shown.size(), 1);
        QVERIFY(run.test.messages->shown.first().text.contains(QStringLiteral("picture itself")));
        QCOMPARE(QImage(box.folder() + QStringLiteral("/oak.bmp")).size(), QSize(8, 6));
        // The toolbox's button saves the same way.
        run.test.saver->answer = box.folder() + QStringLiteral("/again.png");
        run.main().toolWindows().toolbox().findChild<QPushButton*>("butSaveRepeat")->click();
        QCOMPARE(QImage(box.folder() + QStringLiteral("/again.png")), saved);
        tiled.close();
        run.close();
    }
    // The repeat is a choice of work: kept for the next run.
    QCOMPARE(box.stored(QStringLiteral("Kind"), QStringLiteral("Repeat")), QStringLiteral("drop2"));
    Run again(box);
    QCOMPARE(again.main().tileSettings().mode().repeat, Repeat(Repeat::Kind::Drop, 2));
}

QTEST_MAIN(TestRepeats)
#include "tst_repeats.moc"
