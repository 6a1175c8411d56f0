#include <QtTest>

#include <QAbstractItemView>
#include <QComboBox>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>

#include "Harness.h"
#include "app/Browser.h"
#include "app/ToolWindows.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "preview/CurrentImage.h"
#include "preview/SampleTextBox.h"
#include "preview/TiledView.h"
#include "preview/WallpaperCommand.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"
#include "toolbox/Toolbox.h"

namespace {

void writePicture(const QString& folder, const QString& name, const QImage& image)
{
    QDir().mkpath(folder);
    if (!image.save(folder + QLatin1Char('/') + name))
        qWarning("could not write %s", qPrintable(name));
}

QImage stripes(int width, int height, QColor a, QColor b)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelColor(x, y, (x + y) % 3 == 0 ? a : b);
    return image;
}

// The program's data folder, under a home of the test's own: the wallpaper file lands there.
struct DataHome
{
    QTemporaryDir dir;
    QByteArray saved = qgetenv("XDG_DATA_HOME");
    DataHome() { qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path())); }
    ~DataHome()
    {
        if (saved.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", saved);
    }
    QString folder() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
};

} // namespace

class TestWiring : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void toolboxOpensFromEveryRoadAndLaysTheSample();
    void toolboxPlaceIsKeptOnlyOnceOpened();
    void rightPressOnAThumbnailSetsThatWallpaper();
    void wallpaperReportsWhereTheUserLooks();
    void wallpaperInTheDataFolderListsItAgain();
};

void TestWiring::toolboxOpensFromEveryRoadAndLaysTheSample()
{
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), stripes(16, 16, Qt::yellow, Qt::darkCyan));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    Toolbox& toolbox = run.main().toolWindows().toolbox();
    TiledView& tiled = run.main().tiledView();

    // The colour goes in before the tiled view has ever shown; nothing is lost for it.
    run.action("tbToolbox")->trigger();
    QVERIFY(toolbox.isVisible());
    QVERIFY(!toolbox.isModal());
    toolbox.findChild<QScrollBar*>(QStringLiteral("vColor0"))
        ->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(tiled.sampleBox()->colour(), QColor(255, 0, 0));
    auto* text = toolbox.findChild<QLineEdit*>(QStringLiteral("txtSample"));
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Over the tiles"));
    toolbox.hide();

    // F2 in the main window and the menu item open the same toolbox, once loaded.
    run.main().activateWindow();
    QTest::keyClick(&run.main(), Qt::Key_F2);
    QVERIFY(toolbox.isVisible());
    toolbox.hide();
    run.action("mnuTbox")->trigger();
    QVERIFY(toolbox.isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                           [](QWidget* w) { return qobject_cast<Toolbox*>(w) != nullptr; }),
             1);
    QCOMPARE(text->text(), QStringLiteral("Over the tiles"));
    toolbox.hide();

    // The tiled view shows no sample until F2 there brings the toolbox.
    click(run, 0);
    QTRY_VERIFY(run.main().browser().current().isSet());
    run.main().browser().openTiledView();
    QVERIFY(QTest::qWaitForWindowExposed(&tiled));
    QVERIFY(!tiled.sampleBox()->isOnScreen());
    QTest::keyClick(&tiled, Qt::Key_F2);
    QVERIFY(toolbox.isVisible());
    QTRY_VERIFY(tiled.sampleBox()->isOnScreen());
    // The tiles stay in view; the keyboard goes to the toolbox, ready for the sample text.
    QTRY_COMPARE(QApplication::activeWindow(), &toolbox);
    QVERIFY(tiled.isVisible());
    QCOMPARE(tiled.sampleBox()->text(), QStringLiteral("Over the tiles"));
    QCOMPARE(tiled.sampleBox()->sampleFont().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(tiled.sampleBox()->colour(), QColor(255, 0, 0));
    QCOMPARE(tiled.sampleBox()->pos(), QPoint(27, 27));

    // Print sends the tiled view itself to the printer.
    QTest::mouseClick(toolbox.findChild<QPushButton*>(QStringLiteral("Butprint")), Qt::LeftButton);
    QCOMPARE(run.test.printer->printed, QVector<QWidget*>{&tiled});
    QVERIFY(run.test.messages->shown.isEmpty());

    // The program's close takes both windows with it.
    run.close();
    QVERIFY(!toolbox.isVisible());
    QVERIFY(!tiled.isVisible());
}

void TestWiring::toolboxPlaceIsKeptOnlyOnceOpened()
{
    Sandbox box;
    box.store(QStringLiteral("Settings"), QStringLiteral("TlsLeft"), QStringLiteral("1500"));
    box.store(QStringLiteral("Settings"), QStringLiteral("TlsTop"), QStringLiteral("abc"));
    {
        Run run(box);
        run.close();
    }
    // Never opened: the stored text stays exactly as it was.
    QCOMPARE(box.stored(QStringLiteral("TlsLeft")), QStringLiteral("1500"));
    QCOMPARE(box.stored(QStringLiteral("TlsTop")), QStringLiteral("abc"));

    Run run(box);
    Toolbox& toolbox = run.main().toolWindows().toolbox();
    run.main().run(Command::Toolbox);
    QVERIFY(QTest::qWaitForWindowExposed(&toolbox));
    QCOMPARE(toolbox.pos(), QPoint(100, 67)); // 1500 twips, and the default 1000
    toolbox.move(40, 60);
    toolbox.hide(); // closed by its button: still where the user left it
    run.close();
    QCOMPARE(box.stored(QStringLiteral("TlsLeft")), QStringLiteral("600"));
    QCOMPARE(box.stored(QStringLiteral("TlsTop")), QStringLiteral("900"));
}

void TestWiring::rightPressOnAThumbnailSetsThatWallpaper()
{
    DataHome home;
    Sandbox box;
    const QImage first = stripes(10, 6, Qt::red, Qt::white);
    const QImage second = stripes(7, 9, Qt::blue, Qt::green);
    writePicture(box.folder(), QStringLiteral("a.bmp"), first);
    writePicture(box.folder(), QStringLiteral("b.bmp"), second);
    Run run(box);
    ThumbnailGrid& grid = run.main().browser().grid();
    QTRY_COMPARE(grid.count(), qint64(2));
    run.main().run(Command::ViewThumbnails);
    ThumbnailSurface& surface = grid.surface();
    press(&surface, Qt::LeftButton, surface.thumbnailRect(0).center());
    QCOMPARE(run.main().browser().current().file(), QStringLiteral("a.bmp"));

    run.test.popups->answer = QStringLiteral("mnuPWallp");
    press(&surface, Qt::RightButton, surface.thumbnailRect(1).center());
    QCOMPARE(run.test.popups->opened, QStringList{QStringLiteral("mnuWall")});
    QCOMPARE(surface.marker(), 1);
    QCOMPARE(run.main().browser().current().file(), QStringLiteral("b.bmp"));

    const QString written = home.folder() + QStringLiteral("/Wallpaper.bmp");
    QImageReader reader(written);
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage read = reader.read();
    QCOMPARE(read.size(), second.size());
    QCOMPARE(read.convertToFormat(QImage::Format_RGB32), second);
    QCOMPARE(run.test.clipboard->image.convertToFormat(QImage::Format_RGB32), second);
    QCOMPARE(run.test.wallpaper->paths.size(), 1);
    QVERIFY(run.test.wallpaper->paths[0].startsWith(home.folder()));
    QVERIFY(run.test.messages->shown.isEmpty());
}

void TestWiring::wallpaperReportsWhereTheUserLooks()
{
    DataHome home;
    Sandbox box;
    writePicture(box.folder(), QStringLiteral("a.bmp"), stripes(4, 4, Qt::red, Qt::black));
    Run run(box);
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);

    // Nothing selected: Ctrl+W says so and writes nothing.
    run.main().activateWindow();
    QTest::keyClick(&run.main(), Qt::Key_W, Qt::ControlModifier);
    QCOMPARE(run.test.messages->shown.size(), 1);
    QCOMPARE(run.test.messages->shown[0].text, QStringLiteral("Please select a file first!"));
    QVERIFY(!QFile::exists(home.folder() + QStringLiteral("/Wallpaper.bmp")));

    // A refusal of the desktop goes to the status line while there is one...
    click(run, 0);
    QTRY_VERIFY(run.main().browser().current().isSet());
    run.test.wallpaper->failure = QStringLiteral("no desktop answered");
    run.action("mnuWallp")->trigger();
    QCOMPARE(run.test.messages->shown.size(), 1);
    QVERIFY2(run.line().contains(QStringLiteral("no desktop answered")), qPrintable(run.line()));
    QVERIFY(QFile::exists(home.folder() + QStringLiteral("/Wallpaper.bmp")));

    // ...and into a message box when the bar is off.
    run.main().run(Command::ToggleStatusBar);
    run.main().run(Command::Wallpaper);
    QCOMPARE(run.test.messages->shown.size(), 2);
    QVERIFY(run.test.messages->shown[1].text.contains(QStringLiteral("no desktop answered")));
}

void TestWiring::wallpaperInTheDataFolderListsItAgain()
{
    DataHome home;
    Sandbox box;
    writePicture(home.folder(), QStringLiteral("tile.bmp"), stripes(5, 5, Qt::red, Qt::gray));
    Run run(box, home.folder());
    QTRY_COMPARE(run.main().fileList().model()->rowCount(), 1);
    click(run, 0);
    QTRY_VERIFY(run.main().browser().current().isSet());
    run.main().run(Command::Wallpaper);
    QCOMPARE(run.main().fileList().model()->rowCount(), 2);
    QCOMPARE(run.main().fileList().model()->rowOf(QStringLiteral("Wallpaper.bmp")) >= 0, true);
    // The hidden twin the desktop may be pointed at is never listed.
    QCOMPARE(run.main().fileList().model()->rowOf(WallpaperCommand::TwinName), -1);
}

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
