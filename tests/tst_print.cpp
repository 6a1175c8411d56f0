#include <QtTest>

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "TestPlatform.h"
#include "layout/TwipRect.h"
#include "platform/ImageDecoder.h"
#include "platform/PrinterPrintService.h"
#include "preview/CurrentImage.h"
#include "preview/SampleTextBox.h"
#include "preview/TiledView.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"
#include "toolbox/Toolbox.h"

namespace {

const QColor TileColour(200, 30, 40);

// A window of solid red tiles, the sample text on it, as the tiled view shows it.
class Tiles : public QWidget
{
public:
    explicit Tiles(const SampleSettings& sample) : m_box(new SampleTextBox(sample, this))
    {
        QImage tile(16, 16, QImage::Format_RGB32);
        tile.fill(TileColour);
        m_tile = QPixmap::fromImage(tile);
        resize(192, 96); // two inches by one on the page
    }
    SampleTextBox* box() const { return m_box; }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawTiledPixmap(rect(), m_tile); }

private:
    QPixmap m_tile;
    SampleTextBox* m_box;
};

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24 &&
           qAbs(a.blue() - b.blue()) < 24;
}

} // namespace

class TestPrint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pdfPageShowsTheTilesAtScreenSize();
    void realSizePrintsAtThePicturesResolution();
    void failuresAreReported();
    void printThroughTheSystem();
};

void TestPrint::pdfPageShowsTheTilesAtScreenSize()
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm is not installed (poppler-utils)");
    QTemporaryDir dir;
    SampleSettings sample;
    sample.setToolboxShowing(true);
    sample.setColour(Qt::white);
    sample.setSize(20);
    Tiles tiles(sample);
    tiles.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tiles));
    QVERIFY(tiles.box()->isOnScreen());

    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    PrinterPrintService service(pdf);
    QString why;
    QVERIFY2(service.printWindow(&tiles, &why) == PrintService::Outcome::Printed, qPrintable(why));

    constexpr int Dpi = 48;
    QProcess render;
    render.start(pdftoppm,
                 {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("page"))});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    QVERIFY(!page.isNull());

    // The tiles' bounding box on the page: the window's size in inches, not a postage stamp.
    QRect tiled;
    int white = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (near(c, TileColour))
                tiled |= QRect(x, y, 1, 1);
        }
    QVERIFY(tiled.isValid());
    QVERIFY2(qAbs(tiled.width() - 2 * Dpi) <= 2, qPrintable(QString::number(tiled.width())));
    QVERIFY2(qAbs(tiled.height() - Dpi) <= 2, qPrintable(QString::number(tiled.height())));
    // The white sample text lies inside the tiles.
    for (int y = tiled.top(); y <= tiled.bottom(); ++y)
        for (int x = tiled.left(); x <= tiled.right(); ++x)
            if (near(page.pixelColor(x, y), Qt::white))
                ++white;
    QVERIFY(white > 10);
    QVERIFY(white < tiled.width() * tiled.height() / 2);
}

void TestPrint::realSizePrintsAtThePicturesResolution()
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        QSKIP("pdftoppm is not installed (poppler-utils)");
    QTemporaryDir dir;
    // An inch at 150 dpi, its left half red.
    QImage half(150, 150, QImage::Format_RGB32);
    half.fill(Qt::white);
    QPainter(&half).fillRect(0, 0, 75, 150, TileColour);
    half.setDotsPerMeterX(5906);
    half.setDotsPerMeterY(5906);
    QVERIFY(half.save(dir.filePath(QStringLiteral("half.png"))));
    QtImageDecoder decoder;
    CurrentImage image(decoder);
    TwipRect rect{1000, 1000, 6000, 4000};
    SampleSettings sample;
    TileSettings tiles(Qt::white);
    FakeClipboard clipboard;
    TiledView tiled(image, rect, sample, tiles, clipboard, nullptr);
    image.load(dir.path(), QStringLiteral("half.png"));
    tiled.open();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    // On screen at whatever size; on paper an inch a tile.
    tiles.setScreenDpi(300);
    tiles.setRealSize(true);

    const QString pdf = dir.filePath(QStringLiteral("real.pdf"));
    QString why;
    QVERIFY2(PrinterPrintService(pdf).printWindow(&tiled, &why) == PrintService::Outcome::Printed,
             qPrintable(why));
    constexpr int Dpi = 100;
    QProcess render;
    render.start(pdftoppm,
                 {QStringLiteral("-r"), QString::number(Dpi), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("real"))});
    QVERIFY(render.waitForFinished(60000));
    QCOMPARE(render.exitCode(), 0);
    const QImage page(dir.filePath(QStringLiteral("real.png")));
    QVERIFY(!page.isNull());

    // Along a row through the tiles: red runs half an inch long, an inch apart.
    int row = -1;
    for (int y = 0; y < page.height() && row < 0; ++y)
        for (int x = 0; x < page.width() && row < 0; ++x)
            if (near(page.pixelColor(x, y), TileColour))
                row = y + Dpi / 4;
    QVERIFY(row >= 0);
    QVector<int> starts, lengths;
    for (int x = 0; x < page.width(); ++x) {
        const bool red = near(page.pixelColor(x, row), TileColour);
        const bool before = x > 0 && near(page.pixelColor(x - 1, row), TileColour);
        if (red && !before)
            starts << x, lengths << 0;
        if (red)
            ++lengths.last();
    }
    QVERIFY2(starts.size() >= 3, qPrintable(QString::number(starts.size())));
    for (int k = 1; k + 1 < starts.size(); ++k) {
        QVERIFY2(qAbs(lengths[k] - Dpi / 2) <= 2, qPrintable(QString::number(lengths[k])));
        QVERIFY2(qAbs(starts[k] - starts[k - 1] - Dpi) <= 2,
                 qPrintable(QString::number(starts[k] - starts[k - 1])));
    }
}

void TestPrint::failuresAreReported()
{
    using Outcome = PrintService::Outcome;
    SampleSettings sample;
    Tiles tiles(sample);
    QString why;
    // A file that cannot be made: QPainter::begin fails and says so.
    PrinterPrintService unwritable(QStringLiteral("/nonexistent-vadro/dir/page.pdf"));
    QCOMPARE(unwritable.printWindow(&tiles, &why), Outcome::Failed);
    QVERIFY(!why.isEmpty());
    why.clear();
    QCOMPARE(unwritable.printWindow(nullptr, &why), Outcome::Failed);
    QVERIFY(!why.isEmpty());

    // No printer at all: the user is told where to set one up, and no dialog opens.
    int asked = 0;
    const auto choose = [&asked](QPrinter&, QWidget*) {
        ++asked;
        return false;
    };
    PrinterPrintService none(
        {}, [] { return PrinterPrintService::Printers{}; }, choose);
    QCOMPARE(none.printWindow(&tiles, &why), Outcome::Failed);
    QCOMPARE(why, QStringLiteral(
                      "no default printer is set. Choose one in the system's printer settings."));
    QCOMPARE(asked, 0);
    // Printers but no default: the dialog asks which; closing it prints nothing.
    PrinterPrintService noDefault(
        {},
        [] {
            return PrinterPrintService::Printers{{}, {QStringLiteral("Office")}};
        },
        choose);
    why.clear();
    QCOMPARE(noDefault.printWindow(&tiles, &why), Outcome::Cancelled);
    QCOMPARE(asked, 1);
    QVERIFY(why.isEmpty());

    // The toolbox says why and leaves the tiled view open.
    FakeFontCatalog fonts;
    FakeMessageBoxes messages;
    TileSettings tileSettings(Qt::white);
    Toolbox toolbox(sample, tileSettings, fonts, none, messages);
    toolbox.setTiledView(&tiles);
    tiles.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tiles));
    toolbox.open();
    QTest::mouseClick(toolbox.findChild<QPushButton*>(QStringLiteral("Butprint")), Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text,
             QStringLiteral("Can't be printed: no default printer is set. Choose one in the "
                            "system's printer settings."));
    QVERIFY(tiles.isVisible());
    toolbox.setTiledView(nullptr);
    toolbox.hide();

    // Closed by the user: nothing to say.
    Toolbox asking(sample, tileSettings, fonts, noDefault, messages);
    asking.setTiledView(&tiles);
    asking.open();
    QTest::mouseClick(asking.findChild<QPushButton*>(QStringLiteral("Butprint")), Qt::LeftButton);
    QCOMPARE(asked, 2);
    QCOMPARE(messages.shown.size(), 1);
}

// Run by tools/print-cups with a real default printer: the user's road, Print in the toolbox.
void TestPrint::printThroughTheSystem()
{
    if (qEnvironmentVariableIsEmpty("VADRO_PRINT_SYSTEM"))
        QSKIP("prints on the real default printer; run through tools/print-cups");
    SampleSettings sample;
    FakeFontCatalog fonts;
    FakeMessageBoxes messages;
    PrinterPrintService printer;
    Tiles tiles(sample);
    tiles.resize(720, 1000);
    tiles.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tiles));
    TileSettings tileSettings(Qt::white);
    Toolbox toolbox(sample, tileSettings, fonts, printer, messages);
    toolbox.setTiledView(&tiles);
    toolbox.open();
    QTRY_VERIFY(tiles.box()->isOnScreen());
    QTest::mouseClick(toolbox.findChild<QPushButton*>(QStringLiteral("Butprint")), Qt::LeftButton);
    QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.value(0).text));
    QVERIFY(tiles.isVisible());
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
