#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>

#include "TestPlatform.h"
#include "platform/FontconfigCatalog.h"
#include "preview/SampleTextBox.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"
#include "toolbox/Toolbox.h"

namespace {

// A plain window of tiles for the sample to lie on, standing in for the tiled view.
class Tiles : public QWidget
{
public:
    Tiles()
    {
        QImage tile(16, 16, QImage::Format_RGB32);
        tile.fill(QColor(40, 90, 160));
        m_tile = QPixmap::fromImage(tile);
        resize(400, 300);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawTiledPixmap(rect(), m_tile); }

private:
    QPixmap m_tile;
};

// The toolbox and a window of tiles with its sample box, on fakes.
struct Bench
{
    QPoint startTwips{1000, 1000};
    SampleSettings sample;
    TileSettings tiles{Qt::white};
    FakeFontCatalog fonts;
    FakePrintService printer;
    FakeMessageBoxes messages;
    std::unique_ptr<Tiles> view = std::make_unique<Tiles>();
    SampleTextBox* box = new SampleTextBox(sample, view.get());
    std::unique_ptr<Toolbox> toolbox;

    void make()
    {
        toolbox = std::make_unique<Toolbox>(sample, tiles, fonts, printer, messages);
        toolbox->setPositionTwips(startTwips);
        toolbox->setTiledView(view.get());
    }
    template <typename T> T* find(const char* name) const
    {
        return toolbox->findChild<T*>(QString::fromLatin1(name));
    }
    QString label(const char* name) const { return find<QLabel>(name)->text(); }
};

} // namespace

class TestToolbox : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void layoutAndStart_data();
    void layoutAndStart();
    void escapeAndPlaceBesideTheView_data();
    void escapeAndPlaceBesideTheView();
    void controlsDriveTheSample();
    void sampleWhileTheViewIsClosed();
    void onTop();
    void print();
    void noTrueTypeFont();
    void position();
    void fontconfigListsTrueTypeOnly();
};

void TestToolbox::layoutAndStart_data()
{
    QTest::addColumn<double>("points");
    QTest::newRow("desktop font") << QFont().pointSizeF();
    QTest::newRow("large font") << 2.5 * QFont().pointSizeF();
}

void TestToolbox::layoutAndStart()
{
    QFETCH(double, points);
    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([&before] { QApplication::setFont(before); });
    QFont font = before;
    font.setPointSizeF(points);
    QApplication::setFont(font);

    Bench b;
    b.make();
    b.toolbox->open();
    QVERIFY(QTest::qWaitForWindowActive(b.toolbox.get()));
    QCOMPARE(b.toolbox->windowTitle(), QStringLiteral("Toolbox"));
    QVERIFY(b.toolbox->windowFlags() & Qt::Tool);
    QCOMPARE(b.find<QLineEdit>("txtSample")->text(), QStringLiteral("Sample Text"));
    QCOMPARE(b.label("Label4"), QStringLiteral("36 point"));
    QCOMPARE(b.label("Label2"), QStringLiteral("2 &fonts"));
    QCOMPARE(b.find<QComboBox>("List1")->currentText(), QStringLiteral("DejaVu Sans"));
    QVERIFY(!b.find<QComboBox>("List1")->isEditable());
    QVERIFY(b.find<QCheckBox>("Check1")->isChecked());
    for (const char* amount : {"lblAmount0", "lblAmount1", "lblAmount2"})
        QCOMPARE(b.label(amount), QStringLiteral("0"));
    QCOMPARE(b.sample.colour(), QColor(Qt::black));
    QCOMPARE(b.sample.size(), 36);
    QCOMPARE(b.sample.fontFamily(), QStringLiteral("DejaVu Sans"));

    // Every control whole, inside its parent, none over another, at whatever font.
    const QRect window = b.toolbox->rect();
    const QList<QWidget*> all = b.toolbox->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (!w->isVisible() || (w->parentWidget() != b.toolbox.get() &&
                                w->parentWidget()->objectName() != QLatin1String("Frame1")))
            continue;
        QVERIFY2(w->parentWidget()->rect().contains(w->geometry()), qPrintable(w->objectName()));
        QVERIFY2(w->width() >= w->minimumSizeHint().width() &&
                     w->height() >= w->minimumSizeHint().height(),
                 qPrintable(w->objectName()));
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
        for (QWidget* other : all) {
            if (other != w && other->isVisible() && other->parentWidget() == w->parentWidget())
                QVERIFY2(!w->geometry().intersects(other->geometry()),
                         qPrintable(w->objectName() + QLatin1Char('/') + other->objectName()));
        }
    }
    QVERIFY(window.height() > 16 * QFontMetrics(font).height());

    // Tab goes through every control, top to bottom, and round again.
    // The fraction list is off until a drop or a brick is chosen.
    const QStringList order{"txtSample",     "vColor0",      "vColor1",       "vColor2",
                            "HScroll1",      "List1",        "Butprint",      "Check1",
                            "Command1",      "cmbRepeat",    "butSaveRepeat", "chkOffset",
                            "chkGrid",       "chkSeamMap",   "chkAcross",     "chkDown",
                            "chkBackground", "HScrollZoom",  "chkRealSize",   "chkWebPage",
                            "cmbResolution", "txtScreenDpi", "butCopyCss"};
    b.find<QLineEdit>("txtSample")->setFocus();
    QStringList tabbed;
    for (int k = 0; k <= order.size(); ++k) {
        tabbed << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(tabbed, order + QStringList{order.first()});

    // Each control answers its access key; Close closes and On Top, last, turns it off.
    const QList<QPair<char, QString>> keys{
        {'X', "txtSample"},   {'R', "vColor0"},    {'G', "vColor1"},       {'B', "vColor2"},
        {'S', "HScroll1"},    {'F', "List1"},      {'P', "Butprint"},      {'O', "chkOffset"},
        {'I', "chkGrid"},     {'A', "chkAcross"},  {'D', "chkDown"},       {'K', "chkBackground"},
        {'Z', "HScrollZoom"}, {'Y', "butCopyCss"}, {'E', "cmbRepeat"},     {'M', "chkSeamMap"},
        {'L', "chkRealSize"}, {'W', "chkWebPage"}, {'U', "cmbResolution"}, {'H', "txtScreenDpi"},
        {'C', "Command1"},    {'T', "Check1"}};
    const auto focused = [] {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
    };
    QSignalSpy copied(b.toolbox.get(), &Toolbox::copyCssRequested);
    for (const auto& [letter, name] : keys) {
        if (name == QLatin1String("Check1")) {
            b.toolbox->open();
            QVERIFY(QTest::qWaitForWindowActive(b.toolbox.get()));
        }
        QTest::keyClick(b.toolbox.get(), Qt::Key(letter), Qt::AltModifier);
        // A push button is pressed, not focused: what it does shows below; so does On Top,
        // whose window comes back anew.
        if (!b.find<QPushButton>(qPrintable(name)) && name != QLatin1String("Check1"))
            QTRY_COMPARE(focused(), name);
        if (name == QLatin1String("Command1"))
            QTRY_VERIFY(!b.toolbox->isVisible());
    }
    QCOMPARE(copied.count(), 1);
    QCOMPARE(b.messages.shown.size(), 1); // Print, with no tiled view
    QVERIFY(b.tiles.mode().offset);
    // A new kind of window; the keyboard stays on the box.
    QTRY_VERIFY(!(b.toolbox->windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(b.toolbox->focusWidget(), b.find<QWidget>("Check1"));
}

void TestToolbox::escapeAndPlaceBesideTheView_data()
{
    QTest::addColumn<QRect>("view");
    QTest::addColumn<QPoint>("expected");
    // A toolbox of 120 x 400 on a screen of 1600 x 1000, 8 pixels from the view.
    QTest::newRow("right of the view") << QRect(100, 100, 800, 600) << QPoint(908, 100);
    QTest::newRow("left when the right is full") << QRect(700, 50, 900, 600) << QPoint(572, 50);
    QTest::newRow("view fills the screen") << QRect(0, 0, 1600, 1000) << QPoint(1480, 0);
    QTest::newRow("kept on the screen") << QRect(100, 900, 300, 300) << QPoint(408, 600);
}

void TestToolbox::escapeAndPlaceBesideTheView()
{
    QFETCH(QRect, view);
    QFETCH(QPoint, expected);
    QCOMPARE(Toolbox::besideView(view, QSize(120, 400), QRect(0, 0, 1600, 1000)), expected);

    Bench b;
    b.view->setGeometry(10, 10, 250, 300);
    b.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.view.get()));
    b.startTwips = QPoint(300, 300); // over the view, where the sample lies
    b.make();
    b.toolbox->open();
    QVERIFY(QTest::qWaitForWindowActive(b.toolbox.get()));
    QVERIFY(!b.toolbox->frameGeometry().intersects(b.view->frameGeometry()));
    QTest::keyClick(b.find<QComboBox>("List1"), Qt::Key_Escape);
    QVERIFY(!b.toolbox->isVisible());
    QVERIFY(b.view->isVisible());
}

void TestToolbox::controlsDriveTheSample()
{
    Bench b;
    b.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.view.get()));
    QVERIFY(!b.box->isOnScreen()); // no toolbox yet: out of sight, empty
    QCOMPARE(b.box->text(), QString());
    b.make();
    b.toolbox->open();
    QTRY_VERIFY(b.box->isOnScreen());
    QCOMPARE(b.box->pos(), QPoint(27, 27)); // 400 twips from the left and top
    QCOMPARE(b.box->text(), QStringLiteral("Sample Text"));
    QCOMPARE(b.box->sampleFont().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(b.box->sampleFont().pointSize(), 36);

    auto* text = b.find<QLineEdit>("txtSample");
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Hello tiles"));
    QCOMPARE(b.box->text(), QStringLiteral("Hello tiles"));
    // Sized to the text plus 200 twips, the same however often it is applied.
    const int fitted = QFontMetrics(b.box->sampleFont()).horizontalAdvance("Hello tiles") + 13;
    QCOMPARE(b.box->width(), fitted);
    b.box->applySample();
    QCOMPARE(b.box->width(), fitted);

    auto* size = b.find<QScrollBar>("HScroll1");
    size->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(b.label("Label4"), QStringLiteral("120 point"));
    QCOMPARE(b.box->sampleFont().pointSize(), 120);
    size->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(b.label("Label4"), QStringLiteral("8 point"));
    QCOMPARE(b.box->sampleFont().pointSize(), 8);
    QVERIFY(b.box->width() < fitted);

    // The colour bars: the top is 255, an arrow steps 10, a page 50, and every bar at the top
    // makes the swatch and the sample white.
    auto* red = b.find<QScrollBar>("vColor0");
    red->setFocus();
    QTest::keyClick(red, Qt::Key_Up);
    QCOMPARE(b.label("lblAmount0"), QStringLiteral("10"));
    red->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(b.label("lblAmount0"), QStringLiteral("60"));
    QCOMPARE(b.box->colour(), QColor(60, 0, 0));
    for (const char* name : {"vColor0", "vColor1", "vColor2"})
        b.find<QScrollBar>(name)->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(b.box->colour(), QColor(Qt::white));
    QCOMPARE(b.find<QLabel>("lblColor")->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(b.label("lblAmount2"), QStringLiteral("255"));

    // Live while the thumb is still held.
    auto* green = b.find<QScrollBar>("vColor1");
    green->setSliderDown(true);
    green->setSliderPosition(255 - 128);
    QCOMPARE(b.box->colour(), QColor(255, 128, 255));
    green->setSliderDown(false);

    auto* list = b.find<QComboBox>("List1");
    list->setCurrentIndex(1);
    QCOMPARE(b.box->sampleFont().family(), QStringLiteral("Liberation Serif"));
    size->triggerAction(QAbstractSlider::SliderToMaximum);

    // The sample is drawn over the tiles in its colour.
    const QImage shot = b.view->grab().toImage();
    bool sawText = false;
    const QRect area = b.box->geometry() & b.view->rect();
    for (int y = area.top(); y <= area.bottom() && !sawText; ++y)
        for (int x = area.left(); x <= area.right() && !sawText; ++x)
            sawText = shot.pixelColor(x, y) == QColor(255, 128, 255); // inside a stroke
    QVERIFY(sawText);
    QCOMPARE(shot.pixelColor(2, 2), QColor(40, 90, 160));
}

void TestToolbox::sampleWhileTheViewIsClosed()
{
    Bench b;
    b.make();
    b.toolbox->open();
    // The view has never shown: the text waits, the colour goes in at once.
    auto* text = b.find<QLineEdit>("txtSample");
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("Later"));
    QCOMPARE(b.box->text(), QString());
    b.find<QScrollBar>("vColor2")->triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(b.box->colour(), QColor(0, 0, 255));

    b.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.view.get()));
    QTRY_COMPARE(b.box->text(), QStringLiteral("Later"));
    QVERIFY(b.box->isOnScreen());

    // Closing the toolbox takes the sample away; opening it again brings it back.
    QTest::mouseClick(b.find<QPushButton>("Command1"), Qt::LeftButton);
    QVERIFY(!b.toolbox->isVisible());
    QVERIFY(!b.box->isOnScreen());
    QCOMPARE(b.box->text(), QString());
    b.toolbox->open();
    QTRY_VERIFY(b.box->isOnScreen());
    QCOMPARE(b.box->text(), QStringLiteral("Later"));
    QCOMPARE(b.find<QLineEdit>("txtSample")->text(), QStringLiteral("Later")); // not reloaded

    // A view that is gone is never touched.
    b.view.reset();
    QTest::mouseClick(b.find<QPushButton>("Butprint"), Qt::LeftButton);
    QCOMPARE(b.messages.shown.size(), 1);
    QCOMPARE(b.messages.shown[0].text, QStringLiteral("You must have a tiled image first"));
    QVERIFY(b.printer.printed.isEmpty());
}

void TestToolbox::onTop()
{
    Bench b;
    b.make();
    b.toolbox->open();
    QVERIFY(QTest::qWaitForWindowExposed(b.toolbox.get()));
    QVERIFY(b.toolbox->windowFlags() & Qt::WindowStaysOnTopHint);
    b.toolbox->move(20, 30);
    const QPoint at = b.toolbox->pos();
    auto* check = b.find<QCheckBox>("Check1");
    const QPoint onBox(check->height() / 2, check->height() / 2);
    QTest::mouseClick(check, Qt::LeftButton, {}, onBox);
    // An ordinary window, owned by no other: the main window may cover it.
    QCOMPARE(b.toolbox->windowType(), Qt::Window);
    QVERIFY(!b.toolbox->parentWidget());
    QVERIFY(!(b.toolbox->windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(b.toolbox->isVisible());
    QCOMPARE(b.toolbox->pos(), at);
    QVERIFY(b.sample.toolboxShowing()); // a flag change is not the user closing it
    QTest::mouseClick(check, Qt::LeftButton, {}, onBox);
    QVERIFY(b.toolbox->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(b.toolbox->isVisible());
    QCOMPARE(b.toolbox->pos(), at);
    // Repaints leave the flag alone: no hide and show in a loop.
    QSignalSpy hidden(&b.sample, &SampleSettings::toolboxShowingChanged);
    b.toolbox->repaint();
    QCoreApplication::processEvents();
    QCOMPARE(hidden.count(), 0);
}

void TestToolbox::print()
{
    Bench b;
    b.make();
    b.toolbox->open();
    auto* button = b.find<QPushButton>("Butprint");
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(b.messages.shown.size(), 1);
    QCOMPARE(b.messages.shown[0].text, QStringLiteral("You must have a tiled image first"));
    QCOMPARE(b.messages.shown[0].title, QStringLiteral("Vadro"));
    QVERIFY(b.printer.printed.isEmpty());

    b.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.view.get()));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(b.printer.printed.size(), 1);
    QCOMPARE(b.printer.printed[0], b.view.get());
    QCOMPARE(b.messages.shown.size(), 1);

    b.printer.failure = QStringLiteral("the printer is not ready.");
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(b.view->isVisible());
    QCOMPARE(b.messages.shown.size(), 2);
    QCOMPARE(b.messages.shown[1].text,
             QStringLiteral("Can't be printed: the printer is not ready."));
}

void TestToolbox::noTrueTypeFont()
{
    Bench b;
    b.fonts.families.clear();
    b.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(b.view.get()));
    b.make();
    b.toolbox->open();
    QCOMPARE(b.label("Label2"), QStringLiteral("0 &fonts"));
    QCOMPARE(b.find<QComboBox>("List1")->count(), 0);
    QTRY_VERIFY(b.box->isOnScreen());
    QCOMPARE(b.box->sampleFont().family(), QFont().family());
    b.find<QScrollBar>("HScroll1")->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(b.box->sampleFont().pointSize(), 120);
}

void TestToolbox::position()
{
    Bench b;
    b.startTwips = QPoint(1500, 3000);
    b.make();
    QVERIFY(!b.toolbox->isLoaded());
    b.toolbox->open();
    QVERIFY(QTest::qWaitForWindowExposed(b.toolbox.get()));
    QCOMPARE(b.toolbox->pos(), QPoint(100, 200));
    b.toolbox->move(30, 45);
    b.toolbox->hide(); // hiding keeps the position
    QCOMPARE(b.toolbox->positionTwips(), QPoint(450, 675));
    b.toolbox->open(); // shown again where it was left, not where it first opened
    QCOMPARE(b.toolbox->pos(), QPoint(30, 45));
}

void TestToolbox::fontconfigListsTrueTypeOnly()
{
    const QStringList wanted{
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
        QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"),
        QStringLiteral("/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf"),
        QStringLiteral("/usr/share/fonts/opentype/cantarell/Cantarell-Regular.otf"), // CFF
        QStringLiteral("/usr/share/fonts/opentype/terminus/terminus-normal.otb"),    // bitmap
    };
    for (const QString& file : wanted) {
        if (!QFile::exists(file))
            QSKIP(qPrintable(file + QStringLiteral(" is missing (see tools/packages.sh)")));
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("fonts"));
    for (const QString& file : wanted)
        QVERIFY(
            QFile::link(file, dir.filePath(QStringLiteral("fonts/") + QFileInfo(file).fileName())));
    const QString conf = dir.filePath(QStringLiteral("fonts.conf"));
    QFile out(conf);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM "
                             "\"urn:fontconfig:fonts.dtd\">\n<fontconfig><dir>%1</dir>"
                             "<cachedir>%2</cachedir></fontconfig>\n")
                  .arg(dir.filePath(QStringLiteral("fonts")), dir.filePath(QStringLiteral("cache")))
                  .toUtf8());
    out.close();

    const QByteArray saved = qgetenv("FONTCONFIG_FILE");
    qputenv("FONTCONFIG_FILE", conf.toLocal8Bit());
    const QStringList families = FontconfigCatalog().trueTypeFamilies();
    QTemporaryDir emptyDir;
    const QString emptyConf = emptyDir.filePath(QStringLiteral("fonts.conf"));
    QFile empty(emptyConf);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.write("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    empty.close();
    qputenv("FONTCONFIG_FILE", emptyConf.toLocal8Bit());
    const QStringList none = FontconfigCatalog().trueTypeFamilies();
    if (saved.isNull())
        qunsetenv("FONTCONFIG_FILE");
    else
        qputenv("FONTCONFIG_FILE", saved);

    QCOMPARE(families,
             QStringList({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Serif")}));
    QVERIFY(none.isEmpty());
}

QTEST_MAIN(TestToolbox)
#include "tst_toolbox.moc"
