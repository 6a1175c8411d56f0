#include <QtTest>

#include "app/KeyTable.h"
#include "app/MenuHelp.h"
#include "listing/TypeFilter.h"

Q_DECLARE_METATYPE(Command)

class TestCommands : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keys_data();
    void keys();
    void menuHelp_data();
    void menuHelp();
    void typeFilter_data();
    void typeFilter();
    void typeFilterPiecesAreVerbatim();
};

void TestCommands::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("command"); // -1: none
    const int none = -1;
    const int shift = int(Qt::ShiftModifier);
    const int ctrl = int(Qt::ControlModifier);
    const int alt = int(Qt::AltModifier);
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << int(Command::Refresh);
    QTest::newRow("Shift+F5") << int(Qt::Key_F5) << shift << int(Command::Refresh);
    QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << ctrl << int(Command::Refresh);
    QTest::newRow("F3 is modeless") << int(Qt::Key_F3) << 0 << int(Command::OptionsModeless);
    QTest::newRow("F2") << int(Qt::Key_F2) << alt << int(Command::Toolbox);
    QTest::newRow("F4") << int(Qt::Key_F4) << 0 << int(Command::ViewThumbnails);
    QTest::newRow("F9") << int(Qt::Key_F9) << 0 << int(Command::ViewDetails);
    QTest::newRow("F1 opens help") << int(Qt::Key_F1) << 0 << int(Command::HelpContents);
    QTest::newRow("Ctrl+T") << int(Qt::Key_T) << ctrl << int(Command::ToggleToolbar);
    QTest::newRow("Ctrl+Shift+T") << int(Qt::Key_T) << (ctrl | shift)
                                  << int(Command::ToggleToolbar);
    QTest::newRow("T alone") << int(Qt::Key_T) << 0 << none;
    QTest::newRow("Alt+T") << int(Qt::Key_T) << alt << none;
    QTest::newRow("Alt+X") << int(Qt::Key_X) << alt << int(Command::Exit);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << ctrl << none;
    QTest::newRow("Ctrl+Alt+X") << int(Qt::Key_X) << (ctrl | alt) << int(Command::Exit);
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << int(Command::Open);
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << ctrl << int(Command::Wallpaper);
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << ctrl << int(Command::ToggleStatusBar);
    QTest::newRow("Ctrl+F") << int(Qt::Key_F) << ctrl << int(Command::ToggleTree);
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << ctrl << int(Command::TogglePreview);
    QTest::newRow("Ctrl+I") << int(Qt::Key_I) << ctrl << int(Command::WebPage);
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << none;
    QTest::newRow("F10") << int(Qt::Key_F10) << 0 << none;
}

void TestCommands::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, command);
    const auto found = KeyTable::commandFor(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(found.has_value(), command >= 0);
    if (found)
        QCOMPARE(int(*found), command);
}

void TestCommands::menuHelp_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("open") << "&Open             Ctl+ O"
                          << "Browse for files";
    QTest::newRow("exit") << "Exit                Alt+ X"
                          << "Exit the program";
    QTest::newRow("small icons") << "Small Icons          F7"
                                 << "Use Small icons for the Listview's contents";
    QTest::newRow("toolbox") << "Toolbox         F2"
                             << "With the Toolbox, you can test Fonts for use in the Internet";
    QTest::newRow("web") << "Web page       Ctl+ I"
                         << "Visit The image Vadro's Web page";
    QTest::newRow("by size") << "By Size"
                             << "Arrange the Listview's contents by Size";
    QTest::newRow("submenu itself") << "Arrange Icons"
                                    << "";
    QTest::newRow("blanks matter") << "&Open Ctl+ O"
                                   << "";
    QTest::newRow("case matters") << "about"
                                  << "";
    QTest::newRow("pop-up caption") << "Hide Preview"
                                    << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestCommands::menuHelp()
{
    QFETCH(QString, caption);
    QTEST(MenuHelp::textFor(caption), "text");
}

void TestCommands::typeFilter_data()
{
    QTest::addColumn<bool>("bmp");
    QTest::addColumn<bool>("jpg");
    QTest::addColumn<bool>("gif");
    QTest::addColumn<bool>("ico");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("caption");
    QTest::newRow("all") << true << true << true << true << "*.bmp;*.jpeg;*.jpg;*.gif;*.ico;*.zvq"
                         << "Searching for *.bmp *.gif *.jpeg *.ico  files.";
    QTest::newRow("defaults") << true << true << true << false << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.zvq"
                              << "Searching for *.bmp *.gif *.jpeg  files.";
    QTest::newRow("gif only") << false << false << true << false << "&;&;*.gif;&;*.zvq"
                              << "Searching for *.gif  files.";
    QTest::newRow("none") << false << false << false << false << "&;&;&;&;*.zvq"
                          << "Searching for  files.";
    QTest::newRow("bitmap and gif") << true << false << true << false << "*.bmp;&;*.gif;&;*.zvq"
                                    << "Searching for *.bmp *.gif  files.";
}

void TestCommands::typeFilter()
{
    QFETCH(bool, bmp);
    QFETCH(bool, jpg);
    QFETCH(bool, gif);
    QFETCH(bool, ico);
    TypeFilter f;
    f.setEnabled(TypeFilter::Type::Bitmap, bmp);
    f.setEnabled(TypeFilter::Type::Jpeg, jpg);
    f.setEnabled(TypeFilter::Type::Gif, gif);
    f.setEnabled(TypeFilter::Type::Icon, ico);
    QTEST(f.filePattern(), "pattern");
    QTEST(f.typesCaption(), "caption");
}

void TestCommands::typeFilterPiecesAreVerbatim()
{
    // Another case still lists bitmaps but does not count as on; an empty piece adds nothing.
    TypeFilter f(QStringLiteral("*.BMP;"), QString(), QStringLiteral("*.jpg;*.jpeg;"),
                 QStringLiteral("*.ico;"));
    QCOMPARE(f.filePattern(), QStringLiteral("*.BMP;*.jpg;*.jpeg;*.ico;*.zvq"));
    QVERIFY(!f.isOn(TypeFilter::Type::Bitmap));
    QVERIFY(!f.isOn(TypeFilter::Type::Jpeg));
    QVERIFY(!f.isOn(TypeFilter::Type::Gif)); // the JPEG text in the GIF piece is not GIF
    QVERIFY(f.isOn(TypeFilter::Type::Icon));
    QCOMPARE(f.typesCaption(), QStringLiteral("Searching for *.ico  files."));
    const TypeFilter defaults;
    QCOMPARE(defaults.piece(TypeFilter::Type::Icon), QStringLiteral("&;"));
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
