#include <QtTest>

#include <QBuffer>

#include <algorithm>
#include <random>

#include "thumbs/DecodeBudget.h"

namespace {

constexpr qint64 MiB = DecodeBudget::MiB;

void put16be(QByteArray& b, int v)
{
    b.append(char(v >> 8)).append(char(v));
}

void put32be(QByteArray& b, quint32 v)
{
    put16be(b, int(v >> 16));
    put16be(b, int(v & 0xFFFF));
}

void put16le(QByteArray& b, int v)
{
    b.append(char(v)).append(char(v >> 8));
}

void put32le(QByteArray& b, quint32 v)
{
    put16le(b, int(v & 0xFFFF));
    put16le(b, int(v >> 16));
}

// A JPEG header: an application segment to walk past, then the frame. `sampling` holds
// one byte per component (h << 4 | v).
QByteArray jpeg(int sof, int width, int height, QByteArray sampling)
{
    QByteArray b("\xFF\xD8\xFF\xE0", 4);
    put16be(b, 16);
    b.append("JFIF\0\1\1\0\0\1\0\1\0\0", 14);
    b.append('\xFF').append(char(sof));
    put16be(b, 8 + 3 * int(sampling.size()));
    b.append(char(8));
    put16be(b, height);
    put16be(b, width);
    b.append(char(sampling.size()));
    for (int c = 0; c < sampling.size(); ++c)
        b.append(char(c + 1)).append(sampling[c]).append(char(c ? 1 : 0));
    b.append("\xFF\xDA", 2);
    return b;
}

QByteArray png(quint32 width, quint32 height, int depth, int colour)
{
    QByteArray b("\x89PNG\r\n\x1A\n", 8);
    put32be(b, 13);
    b.append("IHDR");
    put32be(b, width);
    put32be(b, height);
    b.append(char(depth)).append(char(colour)).append(char(0)).append(char(0)).append(char(0));
    put32be(b, 0); // the CRC is not checked here
    return b;
}

QByteArray bmp(int width, int height, int bits)
{
    QByteArray b("BM");
    put32le(b, 0);
    put32le(b, 0);
    put32le(b, 54);
    put32le(b, 40);
    put32le(b, quint32(width));
    put32le(b, quint32(height));
    put16le(b, 1);
    put16le(b, bits);
    put32le(b, bits == 8 ? 1 : 0); // RLE8 for the palette one
    b.append(QByteArray(16, '\0'));
    return b;
}

DecodeBudget::Estimate estimateOf(QByteArray bytes, qint64 fileSize = -1,
                                  QSize target = QSize(60, 60))
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return DecodeBudget::estimate(buffer, fileSize < 0 ? bytes.size() : fileSize, target);
}

} // namespace

class TestBudget : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void jpegEstimates();
    void fullDecodeEstimates_data();
    void fullDecodeEstimates();
    void hostileHeaders();
    void admissionKeepsTheSumWithinTheLimit();
};

void TestBudget::jpegEstimates()
{
    // A progressive decode holds every DCT block: 640 x 360 blocks, 64 coefficients of two
    // bytes, per full-resolution component.
    const qint64 coefficients444 = 640LL * 360 * 64 * 2 * 3;
    const qint64 coefficients420 = 640LL * 360 * 128 + 2 * 320LL * 180 * 128;
    const QByteArray s444("\x11\x11\x11", 3), s420("\x22\x11\x11", 3);

    const auto p444 = estimateOf(jpeg(0xC2, 5120, 2880, s444));
    QCOMPARE(p444.kind, DecodeBudget::Kind::JpegProgressive);
    QCOMPARE(p444.size, QSize(5120, 2880));
    QVERIFY(p444.bytes >= coefficients444);
    QVERIFY(p444.bytes < coefficients444 + 8 * MiB);

    const auto p420 = estimateOf(jpeg(0xC2, 5120, 2880, s420));
    QVERIFY(p420.bytes >= coefficients420);
    QVERIFY(p420.bytes < coefficients420 + 8 * MiB);

    // A sequential decode scaled to 1/8 keeps only rows of blocks and the small picture.
    const auto b444 = estimateOf(jpeg(0xC0, 5120, 2880, s444));
    QCOMPARE(b444.kind, DecodeBudget::Kind::JpegBaseline);
    QCOMPARE(b444.size, QSize(5120, 2880));
    QVERIFY(b444.bytes < 8 * MiB);
    // Unscaled (the target is the whole picture), the output itself counts.
    QVERIFY(estimateOf(jpeg(0xC0, 5120, 2880, s444), -1, QSize()).bytes >= 5120LL * 2880 * 4);

    // The whole-file read counts; a file too long to read whole is streamed.
    const auto big = estimateOf(jpeg(0xC0, 640, 480, s420), 20 * MiB);
    QVERIFY(big.bytes >= 20 * MiB);
    QVERIFY(estimateOf(jpeg(0xC0, 640, 480, s420), 200 * MiB).bytes < 8 * MiB);
}

void TestBudget::fullDecodeEstimates_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("atLeast");
    QTest::addColumn<qint64>("below");

    QTest::newRow("png rgb") << png(4000, 3000, 8, 2) << QSize(4000, 3000) << 4000LL * 3000 * 4
                             << 4000LL * 3000 * 4 + 4 * MiB;
    // Alpha is converted to premultiplied pixels before smooth scaling: a second copy.
    QTest::newRow("png rgba") << png(4000, 3000, 8, 6) << QSize(4000, 3000) << 4000LL * 3000 * 8
                              << 4000LL * 3000 * 8 + 4 * MiB;
    QTest::newRow("png 16-bit") << png(1000, 1000, 16, 2) << QSize(1000, 1000) << 8000000LL
                                << 13 * MiB;
    QTest::newRow("bmp 24-bit") << bmp(1000, 1000, 24) << QSize(1000, 1000) << 4000000LL << 6 * MiB;
    // A top-down bitmap has a negative height.
    QTest::newRow("bmp top-down") << bmp(1000, -1000, 24) << QSize(1000, 1000) << 4000000LL
                                  << 6 * MiB;
    // A byte a pixel, then 32 bits for the smooth scaling: a small RLE file costs this.
    QTest::newRow("bmp rle 10000")
        << bmp(10000, 10000, 8) << QSize(10000, 10000) << 500000000LL << 510000000LL;
    QByteArray gif("GIF89a");
    put16le(gif, 10000);
    put16le(gif, 10000);
    gif.append(QByteArray(25, '\0'));
    QTest::newRow("gif screen") << gif << QSize(10000, 10000) << 400000000LL << 900000000LL;
    QByteArray tiff("II*\0", 4);
    put32le(tiff, 8);
    put16le(tiff, 2);
    put16le(tiff, 256), put16le(tiff, 3), put32le(tiff, 1), put16le(tiff, 3000), put16le(tiff, 0);
    put16le(tiff, 257), put16le(tiff, 4), put32le(tiff, 1), put32le(tiff, 2000);
    QTest::newRow("tiff") << tiff << QSize(3000, 2000) << 3000LL * 2000 * 4 << 60 * MiB;
}

void TestBudget::fullDecodeEstimates()
{
    QFETCH(QByteArray, header);
    QFETCH(QSize, size);
    QFETCH(qint64, atLeast);
    QFETCH(qint64, below);
    const auto e = estimateOf(header);
    QCOMPARE(e.size, size);
    QVERIFY2(e.bytes >= atLeast && e.bytes < below, qPrintable(QString::number(e.bytes)));
}

void TestBudget::hostileHeaders()
{
    // An icon whose directory says 16 x 16 but whose entry is an 11000 x 11000 PNG.
    QByteArray ico;
    put16le(ico, 0);
    put16le(ico, 1);
    put16le(ico, 1);
    ico.append(char(16)).append(char(16)).append(char(0)).append(char(0));
    put16le(ico, 1);
    put16le(ico, 32);
    put32le(ico, 33);
    put32le(ico, 22);
    ico.append(png(11000, 11000, 8, 6));
    const auto icon = estimateOf(ico);
    QCOMPARE(icon.kind, DecodeBudget::Kind::Ico);
    QCOMPARE(icon.size, QSize(11000, 11000));
    QVERIFY(icon.bytes > DecodeBudget::Ceiling);

    // A JPEG without a frame or a PNG without its header chunk is turned down before anything
    // is allocated, and files that are no picture are not decoded: they cost little. A header
    // walk that gives up may hide the largest picture the caps allow.
    QByteArray frameless("GIF89a");
    put16le(frameless, 10), put16le(frameless, 10);
    frameless.append(QByteArray(3, '\0')).append('\x99');
    const QList<QPair<QByteArray, bool>> unread = {{QByteArray(), false},
                                                   {QByteArray("\xFF\xD8\xFF", 3), false},
                                                   {jpeg(0xC2, 0, 0, "\x11"), false},
                                                   {QByteArray("\x89PNG\r\n\x1A\n", 8), false},
                                                   {QByteArray(4096, 'x'), false},
                                                   {QByteArray("BM"), true},
                                                   {frameless, true}};
    for (const auto& [bytes, worst] : unread) {
        const auto e = estimateOf(bytes);
        QVERIFY(e.bytes > 0);
        QCOMPARE(e.bytes > DecodeBudget::Ceiling, worst);
    }
    // A JPEG whose segments loop on themselves ends the walk.
    QByteArray loop("\xFF\xD8", 2);
    for (int i = 0; i < 1000; ++i)
        loop.append("\xFF\xFE\x00\x02", 4);
    QVERIFY(estimateOf(loop).size.isEmpty());
}

void TestBudget::admissionKeepsTheSumWithinTheLimit()
{
    // Running jobs never exceed the limit together; one larger than the limit runs alone;
    // every job runs once, the largest first.
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        const qint64 limit = 64 * MiB;
        std::vector<qint64> costs(40);
        for (qint64& c : costs)
            c = qint64(random() % 100 + 1) * MiB;
        std::sort(costs.rbegin(), costs.rend());
        const std::vector<qint64> all = costs;
        DecodeBudget budget(limit);
        std::vector<std::size_t> running;
        std::vector<int> runs(costs.size(), 0);
        const int workers = 1 + round % 4;
        std::size_t finished = 0;
        bool first = true;
        while (finished < costs.size()) {
            while (int(running.size()) < workers) {
                const int pick = budget.pick(costs);
                if (pick < 0)
                    break;
                if (first)
                    QCOMPARE(pick, 0);
                first = false;
                budget.started(costs[std::size_t(pick)]);
                costs[std::size_t(pick)] = -1;
                running.push_back(std::size_t(pick));
                ++runs[std::size_t(pick)];
                if (running.size() > 1)
                    QVERIFY(budget.inFlight() <= limit);
            }
            QVERIFY(!running.empty()); // never stuck with nothing running
            const std::size_t k = random() % running.size();
            budget.finished(all[running[k]]);
            running.erase(running.begin() + std::ptrdiff_t(k));
            ++finished;
        }
        QVERIFY(std::all_of(runs.begin(), runs.end(), [](int n) { return n == 1; }));
        QCOMPARE(budget.inFlight(), 0);
        QCOMPARE(budget.pick(costs), -1);
    }
}

QTEST_GUILESS_MAIN(TestBudget)
#include "tst_budget.moc"
