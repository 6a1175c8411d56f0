#include <QtTest>

#include <QAbstractItemView>
#include <QPainter>

#include <cmath>

#include "Harness.h"
#include "app/Browser.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "platform/ImageDecoder.h"
#include "preview/CurrentImage.h"
#include "preview/ImageFacts.h"
#include "preview/SeamScore.h"
#include "preview/TileGeometry.h"
#include "preview/TilePainter.h"
#include "tile/Repeat.h"

namespace {

constexpr double Tau = 6.283185307179586;

// Fine grain, -3..3, from the pixel's place alone.
int grain(int x, int y)
{
    quint32 h = quint32(x) * 374761393u + quint32(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return int((h ^ (h >> 16)) % 7) - 3;
}

// Waves with whole periods across and down, and grain: a seamless texture.
QImage texture(QSize s)
{
    QImage image(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const double u = double(x) / s.width(), v = double(y) / s.height();
            const double t = 50 * std::sin(Tau * 2 * u) + 40 * std::sin(Tau * 3 * v + 1) +
                             20 * std::sin(Tau * (u + 2 * v));
            const auto c = [&](double base) {
                return std::clamp(int(base + t) + grain(x, y), 0, 255);
            };
            image.setPixel(x, y, qRgb(c(120), c(140), c(100)));
        }
    return image;
}

// A sky, a hill and a red box, with grain: nothing continues across its edges.
QImage photoLike(QSize s)
{
    QImage image(s, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, s.width() * 0.3, s.height());
    sky.setColorAt(0, QColor(90, 140, 220));
    sky.setColorAt(1, QColor(230, 200, 150));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 90, 40));
    p.drawEllipse(QPointF(s.width() * 0.2, s.height() * 0.9), s.width() * 0.5, s.height() * 0.3);
    p.setBrush(QColor(200, 60, 50));
    p.drawRect(QRectF(s.width() * 0.6, s.height() * 0.3, s.width() * 0.2, s.height() * 0.4));
    p.end();
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            const auto add = [&](int v) { return std::clamp(v + grain(x, y), 0, 255); };
            image.setPixel(x, y, qRgb(add(qRed(c)), add(qGreen(c)), add(qBlue(c))));
        }
    return image;
}

QImage checks(QSize s, int cell, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(s, format);
    image.fill(Qt::white);
    QPainter p(&image);
    for (int y = 0; y < s.height(); y += cell)
        for (int x = (y / cell % 2) * cell; x < s.width(); x += 2 * cell)
            p.fillRect(x, y, cell, cell, QColor(40, 60, 200));
    return image;
}

// Grey from black on the left to nearly white on the right.
QImage rampAcross(QSize s, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(s, QImage::Format_Grayscale8);
    for (int y = 0; y < s.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < s.width(); ++x)
            line[x] = uchar(qint64(x) * 256 / s.width());
    }
    return image.convertToFormat(format);
}

// Waves running down and to the left: column c + 1 continues column c half a tile lower, so
// the tile repeats seamlessly as a half drop and not edge to edge.
QImage halfDropTile(QSize s)
{
    QImage image(s, QImage::Format_RGB32);
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const double phase = double(y) / s.height() - double(x) / (2 * s.width());
            const int v = int(128 + 100 * std::sin(Tau * phase));
            image.setPixel(x, y, qRgb(v, 255 - v, 90));
        }
    return image;
}

QImage turned(const QImage& image)
{
    return image.transformed(QTransform().rotate(90));
}

QString save(const QString& folder, const QString& name, const QImage& image)
{
    const QString path = folder + QLatin1Char('/') + name;
    if (!image.save(path))
        qWarning("could not write %s", qPrintable(path));
    return path;
}

} // namespace

class TestSeam : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void tilesScoreFullAndBreaksScoreLow();
    void scoreFallsAsTheSeamGrows();
    void degeneratePictures();
    void layoutsAndLargePicturesAgree();
    void repeatsScoreTheirOwnSeams();
    void seamMapTintsOnlyBadSeams();
    void currentImageKeepsOneScorePerPicture();
    void statusBarShowsTheScore();
};

void TestSeam::tilesScoreFullAndBreaksScoreLow()
{
    const QImage tile = texture({256, 192});
    QCOMPARE(SeamScore::of(tile), 100);
    // Most neighbours in a checkerboard are equal; its seam falls on one of its own edges.
    QCOMPARE(SeamScore::of(checks({64, 48}, 8)), 100);
    // A seam one axis only has is still a seam.
    QCOMPARE(SeamScore::of(rampAcross({64, 16})), 0);
    QCOMPARE(SeamScore::of(turned(rampAcross({64, 16}))), 0);
    QVERIFY(SeamScore::of(tile.copy(37, 53, 150, 100)) < 10);
    QVERIFY(SeamScore::of(photoLike({256, 192})) < 15);
}

void TestSeam::scoreFallsAsTheSeamGrows()
{
    const QImage tile = texture({256, 192});
    const auto cut = [&](int off) { return SeamScore::of(tile.copy(0, 0, 256 - off, 192 - off)); };
    const int photo = SeamScore::of(photoLike({256, 192}));
    QVERIFY2(100 > cut(1) && cut(1) > cut(2) && cut(2) > cut(4),
             qPrintable(QStringLiteral("%1 %2 %3").arg(cut(1)).arg(cut(2)).arg(cut(4))));
    QVERIFY2(cut(1) > photo, qPrintable(QStringLiteral("%1 %2").arg(cut(1)).arg(photo)));
    QVERIFY(cut(1) >= 25); // one pixel off a smooth texture: noticed, not condemned

    SeamScore::Axis axis;
    axis.exists = true;
    axis.seam = 5;
    axis.strongest = 0; // a flat inside with a step only at the seam
    QCOMPARE(SeamScore::ofAxis(axis), 0);
}

void TestSeam::degeneratePictures()
{
    QCOMPARE(SeamScore::of(QImage()), 100);
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::red);
    QCOMPARE(SeamScore::of(dot), 100);
    QVERIFY(!SeamScore::across(dot).exists);
    QVERIFY(!SeamScore::down(dot).exists);

    // One pixel wide or high: nothing wraps that way, the other way still counts.
    QCOMPARE(SeamScore::of(rampAcross({64, 1})), 0);
    QCOMPARE(SeamScore::of(turned(rampAcross({64, 1}))), 0);
    QImage strip(1, 64, QImage::Format_RGB32);
    strip.fill(Qt::darkCyan);
    QCOMPARE(SeamScore::of(strip), 100);
    // Two pixels: the seam is the only inside pair again.
    QImage pair(2, 2, QImage::Format_RGB32);
    pair.setPixel(0, 0, qRgb(0, 0, 0));
    pair.setPixel(1, 0, qRgb(255, 255, 255));
    pair.setPixel(0, 1, qRgb(255, 0, 0));
    pair.setPixel(1, 1, qRgb(0, 0, 255));
    QCOMPARE(SeamScore::of(pair), 100);

    QImage flat(50, 40, QImage::Format_RGB32);
    flat.fill(Qt::gray);
    QCOMPARE(SeamScore::of(flat), 100);

    // Colour hidden under full transparency is not seen, so it makes no seam...
    QImage clear = rampAcross({64, 16}, QImage::Format_ARGB32);
    for (int y = 0; y < clear.height(); ++y)
        for (int x = 0; x < clear.width(); ++x)
            clear.setPixel(x, y, clear.pixel(x, y) & 0x00ffffff);
    QCOMPARE(SeamScore::of(clear), 100);
    // ...while one colour fading out is a ramp like any other.
    QImage fade(64, 16, QImage::Format_ARGB32);
    for (int y = 0; y < fade.height(); ++y)
        for (int x = 0; x < fade.width(); ++x)
            fade.setPixel(x, y, qRgba(200, 30, 30, 255 - 4 * x));
    QCOMPARE(SeamScore::of(fade), 0);
}

void TestSeam::layoutsAndLargePicturesAgree()
{
    const QImage tile = texture({96, 64});
    const int expected = SeamScore::of(tile.copy(0, 0, 95, 63));
    QVERIFY(expected > 0 && expected < 100);
    for (QImage::Format format :
         {QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888,
          QImage::Format_RGBA64, QImage::Format_RGBX8888}) {
        QCOMPARE(SeamScore::of(tile.convertToFormat(format)), 100);
        QCOMPARE(SeamScore::of(tile.copy(0, 0, 95, 63).convertToFormat(format)), expected);
    }

    // Past a million pixels lines are sampled; past 16 megapixels a picture in another layout
    // is read a line or a pixel at a time. Neither may lose a seam or invent one.
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_Grayscale8}) {
        for (const QSize size : {QSize(3000, 2000), QSize(17000, 1000)}) {
            if (format == QImage::Format_RGB32 && size.width() > 3000)
                continue; // 68 MB for no other path
            const QImage big = checks(size, 100, format);
            QCOMPARE(SeamScore::of(big), 100);
            QCOMPARE(SeamScore::of(big.copy(0, 0, size.width() - 50, size.height())), 100);
            QCOMPARE(SeamScore::of(big.copy(0, 0, size.width(), size.height() - 50)), 100);
            QCOMPARE(SeamScore::of(rampAcross(size, format)), 0);
        }
        QCOMPARE(SeamScore::of(turned(rampAcross({1000, 3000}, format))), 0);
    }
}

void TestSeam::repeatsScoreTheirOwnSeams()
{
    const QImage drop = halfDropTile({64, 48});
    const Repeat halfDrop(Repeat::Kind::Drop, 2), halfBrick(Repeat::Kind::Brick, 2);
    QVERIFY2(SeamScore::of(drop, halfDrop) >= 90,
             qPrintable(QString::number(SeamScore::of(drop, halfDrop))));
    QVERIFY(SeamScore::of(drop, Repeat()) <= 20);
    QCOMPARE(SeamScore::of(drop, Repeat()), SeamScore::of(drop));
    QVERIFY(SeamScore::of(drop, Repeat(Repeat::Kind::Drop, 4)) <= 30);
    // Turned a quarter, the same waves make a half brick instead.
    const QImage brick = drop.transformed(QTransform().rotate(90));
    QVERIFY(SeamScore::of(brick, halfBrick) >= 90);
    QVERIFY(SeamScore::of(brick, halfDrop) <= 20);
    // Mirrored both ways, any picture meets itself at every edge.
    const Repeat both(Repeat::Kind::MirrorBoth);
    QCOMPARE(SeamScore::of(photoLike({97, 61}), both), 100);
    QVERIFY(SeamScore::of(rampAcross({64, 16}), Repeat(Repeat::Kind::MirrorAcross)) == 100);
    QCOMPARE(SeamScore::of(rampAcross({64, 16}), Repeat(Repeat::Kind::MirrorDown)), 0);
    // Slivers, a height three does not divide, palette and 16-bit pictures: a sound score.
    for (const Repeat& r : Repeat::all()) {
        for (const QSize& size : {QSize(1, 1), QSize(1, 400), QSize(400, 1), QSize(31, 17)}) {
            const int score = SeamScore::of(texture(size), r);
            QVERIFY(score >= 0 && score <= 100);
        }
        const QImage wide = halfDropTile({40, 30});
        for (const auto format : {QImage::Format_Indexed8, QImage::Format_RGBA64})
            QCOMPARE(SeamScore::of(wide.convertToFormat(format), r), SeamScore::of(wide, r));
    }
}

void TestSeam::seamMapTintsOnlyBadSeams()
{
    const QImage drop = halfDropTile({16, 12});
    auto shot = [&drop](const Repeat& repeat, bool map, int zoom) {
        TileMode mode;
        mode.repeat = repeat;
        mode.seamMap = map;
        mode.zoom = zoom;
        QImage out(QSize(200, 100), QImage::Format_RGB32);
        QPainter p(&out);
        TilePainter().paint(p, out.rect(), out.size(), drop, mode, Qt::white);
        return out;
    };
    for (const int zoom : {1, 3}) {
        // Edge to edge, the tint lies on the pixels that meet at the tiles' sides, and only there.
        const QImage plain = shot(Repeat(), false, zoom), mapped = shot(Repeat(), true, zoom);
        int tinted = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                if (plain.pixel(x, y) == mapped.pixel(x, y))
                    continue;
                ++tinted;
                const int across = (x / zoom) % 16;
                QVERIFY2(across == 0 || across == 15,
                         qPrintable(QStringLiteral("%1 %2").arg(x).arg(y)));
            }
        QVERIFY(tinted > 100);
        // As a half drop its seams are good: nothing drawn.
        const Repeat halfDrop(Repeat::Kind::Drop, 2);
        QCOMPARE(shot(halfDrop, true, zoom), shot(halfDrop, false, zoom));
    }
    // Large tiles at real size are drawn one by one through the scale, with the tints the
    // pattern has.
    const QImage tile = drop.convertToFormat(QImage::Format_RGB32);
    const SeamScore::Steps limits = SeamScore::strongestSteps(drop);
    QCOMPARE(TilePainter::seamTinted(tile, drop, TileGeometry(drop.size(), TileMode()), limits),
             shot(Repeat(), true, 1).copy(0, 0, 16, 12));
    TileMode dropped;
    dropped.repeat = Repeat(Repeat::Kind::Drop, 2);
    QCOMPARE(TilePainter::seamTinted(tile, drop, TileGeometry(drop.size(), dropped), limits), tile);
}

void TestSeam::currentImageKeepsOneScorePerPicture()
{
    QTemporaryDir dir;
    save(dir.path(), QStringLiteral("tile.bmp"), texture({64, 48}));
    save(dir.path(), QStringLiteral("ramp.bmp"), rampAcross({64, 48}));
    QFile broken(dir.filePath(QStringLiteral("broken.bmp")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("BM not really");
    broken.close();

    QtImageDecoder decoder;
    CurrentImage current(decoder);
    QCOMPARE(current.seamScore(), std::nullopt);
    current.load(dir.path(), QStringLiteral("tile.bmp"));
    QCOMPARE(current.seamScore(), std::optional<int>(100));
    current.load(dir.path(), QStringLiteral("ramp.bmp"));
    QCOMPARE(current.seamScore(), std::optional<int>(0));
    current.load(dir.path(), QStringLiteral("broken.bmp"));
    QCOMPARE(current.seamScore(), std::nullopt);
    current.load(dir.path(), QStringLiteral("ramp.bmp"));
    QCOMPARE(current.seamScore(), std::optional<int>(0));
    current.clear();
    QCOMPARE(current.seamScore(), std::nullopt);
}

void TestSeam::statusBarShowsTheScore()
{
    QCOMPARE(ImageFacts::of(QStringLiteral("a"), true, 15, 15, 1, 97).seam,
             QStringLiteral("Seam: 97"));
    QCOMPARE(ImageFacts::of(QStringLiteral("a"), false, 15, 15, 1, 97).seam, QString());

    Sandbox box;
    save(box.folder(), QStringLiteral("a.bmp"), checks({64, 48}, 8));
    save(box.folder(), QStringLiteral("b.bmp"), rampAcross({64, 16}));
    QFile broken(box.folder() + QStringLiteral("/c.bmp"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("BM broken");
    broken.close();
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 3);

    click(run, 0);
    StatusLine* line = run.main().statusBar().line();
    QCOMPARE(line->partText(0), QStringLiteral("File: a.bmp"));
    QCOMPARE(line->partText(3), QStringLiteral("Seam: 100"));
    click(run, 1);
    QCOMPARE(line->partText(3), QStringLiteral("Seam: 0"));
    click(run, 2);
    QCOMPARE(line->partText(0), QStringLiteral("File: c.bmp"));
    QCOMPARE(line->partText(3), QString());

    // The bar turned off and on shows the score again.
    click(run, 1);
    run.main().run(Command::ToggleStatusBar);
    run.main().run(Command::ToggleStatusBar);
    QCOMPARE(run.main().statusBar().line()->partText(3), QStringLiteral("Seam: 0"));
}

QTEST_MAIN(TestSeam)
#include "tst_seam.moc"
