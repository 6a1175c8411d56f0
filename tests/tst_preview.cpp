#include <QtTest>

#include <QFutureWatcherBase>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>

#include "preview/CurrentImage.h"
#include "preview/ImageFacts.h"
#include "preview/PreviewFit.h"

Q_DECLARE_METATYPE(TwipRect)

class TestPreview : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fit_data();
    void fit();
    void facts();
    void largePhotographShownScaledFirst();
};

namespace {

// Whole decodes of big.jpg wait at a gate the test opens; all others pass.
class GatedWholeDecoder : public QtImageDecoder
{
public:
    DecodedImage decode(const QString& path) const override
    {
        if (path.endsWith(QLatin1String("big.jpg"))) {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return open; });
        }
        return QtImageDecoder::decode(path);
    }
    void let()
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
        changed.notify_all();
    }
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool open = false;
};

} // namespace

void TestPreview::largePhotographShownScaledFirst()
{
    QTemporaryDir dir;
    // Noise does not compress: well over the length read whole at once.
    QImage noise(2400, 1600, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = 0xff000000u | ((seed = seed * 1664525u + 1013904223u) >> 8);
    }
    QVERIFY(noise.save(dir.filePath(QStringLiteral("big.jpg")), "jpg", 95));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("big.jpg"))).size() > CurrentImage::QuickLength);
    QImage small(40, 30, QImage::Format_RGB32);
    small.fill(Qt::blue);
    QVERIFY(small.save(dir.filePath(QStringLiteral("small.png"))));

    GatedWholeDecoder decoder;
    CurrentImage current(decoder);
    // Opened before the image goes, whatever fails, so that no decode is left waiting.
    const auto open = qScopeGuard([&decoder] { decoder.let(); });
    QSignalSpy arrived(&current, &CurrentImage::fullPictureArrived);
    current.load(dir.path(), QStringLiteral("big.jpg"), QSize(300, 200));
    // At once: the picture at an eighth of its size, its natural size for the facts.
    QVERIFY(current.hasPicture());
    QVERIFY(current.isLoading());
    QVERIFY(current.image().isNull());
    QCOMPARE(current.pixmap().size(), QSize(300, 200));
    QCOMPARE(current.picWidth(), 2400 * 15);
    QVERIFY(!current.seamScore());
    decoder.let();
    QVERIFY(arrived.wait());
    QCOMPARE(current.image().size(), QSize(2400, 1600));
    QCOMPARE(current.pixmap().size(), QSize(2400, 1600));
    QVERIFY(current.seamScore());

    // A newer choice drops the older decode: its picture never replaces the newer one.
    {
        std::lock_guard<std::mutex> lock(decoder.mutex);
        decoder.open = false;
    }
    current.load(dir.path(), QStringLiteral("big.jpg"), QSize(300, 200));
    current.load(dir.path(), QStringLiteral("small.png"), QSize(300, 200));
    QCOMPARE(current.image().size(), QSize(40, 30));
    decoder.let();
    QTRY_VERIFY(current.findChildren<QFutureWatcherBase*>().isEmpty());
    QCOMPARE(arrived.size(), 1);
    QCOMPARE(current.file(), QStringLiteral("small.png"));
    QCOMPARE(current.image().size(), QSize(40, 30));
}

void TestPreview::fit_data()
{
    QTest::addColumn<double>("frameWidth");
    QTest::addColumn<double>("frameHeight");
    QTest::addColumn<int>("picWidth");
    QTest::addColumn<int>("picHeight");
    QTest::addColumn<TwipRect>("want"); // relative to the frame's top-left corner
    QTest::newRow("natural size, centred")
        << 2010.0 << 3690.0 << 960 << 720 << TwipRect{525, 1485, 1020, 780};
    QTest::newRow("scaled to the width")
        << 1100.0 << 3690.0 << 960 << 720
        << TwipRect{100, int(std::lround((3690 - 735) / 2.0)), 900, 735};
    QTest::newRow("exactly 200 narrower fits")
        << 1160.0 << 1000.0 << 960 << 720 << TwipRect{100, 140, 1020, 780};
    QTest::newRow("tall and narrow keeps natural size")
        << 2010.0 << 1000.0 << 480 << 3000 << TwipRect{765, -1000, 540, 3060};
    QTest::newRow("no height: no division by zero")
        << 1000.0 << 1000.0 << 9600 << 0 << TwipRect{100, 470, 800, 60};
    QTest::newRow("frame narrower than the margins")
        << 100.0 << 1000.0 << 960 << 720 << TwipRect{100, 464, 15, 71};
    QTest::newRow("wider than 16 bits")
        << 3000.0 << 3000.0 << 60000 << 30000
        << TwipRect{100, int(std::lround((3000 - 1460) / 2.0)), 2800, 1460};
}

void TestPreview::fit()
{
    QFETCH(double, frameWidth);
    QFETCH(double, frameHeight);
    QFETCH(int, picWidth);
    QFETCH(int, picHeight);
    QFETCH(TwipRect, want);
    const PreviewFit::Frame frame{4000, 700, frameWidth, frameHeight};
    TwipRect got = PreviewFit::fit(frame, picWidth, picHeight);
    got.left -= 4000;
    got.top -= 700;
    QCOMPARE(got, want);
    QVERIFY(got.width >= 15 && got.height >= 15);
}

void TestPreview::facts()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const ImageFacts f = ImageFacts::of(QStringLiteral("a b.bmp"), true, 960, 720, 1234567);
    QCOMPARE(f.file, QStringLiteral("File: a b.bmp"));
    QCOMPARE(f.dim, QStringLiteral("Dim: 64x48"));
    QCOMPARE(f.size, QStringLiteral("Size: 1,234,567 bytes"));
    QCOMPARE(ImageFacts::formatSize(0), QStringLiteral("0"));
    QCOMPARE(ImageFacts::formatSize(4294967296LL), QStringLiteral("4,294,967,296"));
    // A file that did not decode has no dimensions; one that vanished has no length.
    const ImageFacts broken = ImageFacts::of(QStringLiteral("x.jpg"), false, 960, 720, 12);
    QCOMPARE(broken.dim, QString());
    QCOMPARE(broken.size, QStringLiteral("Size: 12 bytes"));
    QCOMPARE(ImageFacts::of(QStringLiteral("gone.jpg"), true, 15, 15, std::nullopt).size,
             QString());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ImageFacts::formatSize(1234567), QStringLiteral("1.234.567"));
    QLocale::setDefault(QLocale::c());
}

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
