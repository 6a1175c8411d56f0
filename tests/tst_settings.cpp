#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/Settings.h"
#include "platform/IniSettingsStore.h"

#include <functional>
#include <limits>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Type = TypeFilter::Type;

struct KeyInfo
{
    const char* section;
    const char* key;
    std::function<QVariant(const Settings&)> get;
    QVariant fallback;
};

// Every key, how Settings reads it, and what it reads when the key is absent.
const QList<KeyInfo>& allKeys()
{
    using S = const Settings&;
    static const QList<KeyInfo> keys = {
        {"Settings", "MainLeft", [](S s) { return QVariant(s.mainLeft()); }, 1000.0f},
        {"Settings", "MainTop", [](S s) { return QVariant(s.mainTop()); }, 1000.0f},
        {"Settings", "MainWidth", [](S s) { return QVariant(s.mainWidth()); }, 6500.0f},
        {"Settings", "MainHeight", [](S s) { return QVariant(s.mainHeight()); }, 6500.0f},
        {"Settings", "Folder", [](S s) { return QVariant(s.folder()); }, Settings::defaultFolder()},
        {"Settings", "ViewMode", [](S s) { return QVariant(s.viewMode()); }, 0},
        {"Settings", "Tbaron", [](S s) { return QVariant(s.toolbarOn()); }, true},
        {"Settings", "Baron", [](S s) { return QVariant(s.statusBarOn()); }, true},
        {"Settings", "Tvon", [](S s) { return QVariant(s.treeOn()); }, true},
        {"Settings", "Pvon", [](S s) { return QVariant(s.previewOn()); }, true},
        {"Settings", "IsaLeft", [](S s) { return QVariant(s.isaLeft()); }, 2000},
        {"Settings", "IsbLeft", [](S s) { return QVariant(s.isbLeft()); }, 5000},
        {"Settings", "PrvLeft", [](S s) { return QVariant(s.prvLeft()); }, 1000},
        {"Settings", "PrvTop", [](S s) { return QVariant(s.prvTop()); }, 1000},
        {"Settings", "PrvWidth", [](S s) { return QVariant(s.prvWidth()); }, 6500},
        {"Settings", "PrvHeight", [](S s) { return QVariant(s.prvHeight()); }, 6500},
        {"Settings", "TlsLeft", [](S s) { return QVariant(s.tlsLeft()); }, 1000.0f},
        {"Settings", "TlsTop", [](S s) { return QVariant(s.tlsTop()); }, 1000.0f},
        {"Type", "Bitmap", [](S s) { return QVariant(s.types().piece(Type::Bitmap)); }, "*.bmp;"},
        {"Type", "Jpg", [](S s) { return QVariant(s.types().piece(Type::Jpeg)); }, "*.jpeg;*.jpg;"},
        {"Type", "Gif", [](S s) { return QVariant(s.types().piece(Type::Gif)); }, "*.gif;"},
        {"Type", "Ico", [](S s) { return QVariant(s.types().piece(Type::Icon)); }, "&;"},
        {"Repeat", "Kind", [](S s) { return QVariant(s.repeat().token()); },
         QStringLiteral("straight")},
        {"Size", "Resolution", [](S s) { return QVariant(s.pictureDpi()); }, 96.0},
        {"Size", "ScreenDpi", [](S s) { return QVariant(s.screenDpi().value_or(0)); }, 0.0},
        {"Size", "WebPage", [](S s) { return QVariant(s.webPage()); }, false},
    };
    return keys;
}

const KeyInfo& keyInfo(const QString& key)
{
    for (const KeyInfo& info : allKeys()) {
        if (key == QLatin1String(info.key))
            return info;
    }
    qFatal("no key %s", qPrintable(key));
}

const QString OddFolder = QStringLiteral("/home/ann/tiles; old, \"best\" @work\\é");

// Writes every key through Settings, none with its default; returns what each key must
// read back, in the order of allKeys() (a braced list is evaluated in order).
QVariantList writeEverything(Settings& s)
{
    const auto set = [&s](auto setter, auto value) {
        (s.*setter)(value);
        return QVariant(value);
    };
    constexpr int Min = std::numeric_limits<int>::min();
    constexpr int Max = std::numeric_limits<int>::max();
    TypeFilter types;
    const auto piece = [&types](Type type, const char* text) {
        types.setPiece(type, QString::fromUtf8(text));
        return QVariant(types.piece(type));
    };
    const QVariantList expected = {
        set(&Settings::setMainLeft, 1234.5f),
        set(&Settings::setMainTop, -3.0f),
        set(&Settings::setMainWidth, 0.1f),
        set(&Settings::setMainHeight, 1e10f),
        set(&Settings::setFolder, QStringLiteral("/home/ann/tiles; old, \"best\" @work\\é")),
        set(&Settings::setViewMode, 3),
        set(&Settings::setToolbarOn, false),
        set(&Settings::setStatusBarOn, false),
        set(&Settings::setTreeOn, false),
        set(&Settings::setPreviewOn, false),
        set(&Settings::setIsaLeft, -32768),
        set(&Settings::setIsbLeft, 32767),
        set(&Settings::setPrvLeft, Min),
        set(&Settings::setPrvTop, Max),
        set(&Settings::setPrvWidth, 0),
        set(&Settings::setPrvHeight, -1),
        set(&Settings::setTlsLeft, -0.5f),
        set(&Settings::setTlsTop, 3.4028235e38f),
        piece(Type::Bitmap, "&;"),
        piece(Type::Jpeg, "*.jpg;"),
        piece(Type::Gif, ""),
        piece(Type::Icon, "*.ico;"),
        [&s] {
            s.setRepeat(Repeat(Repeat::Kind::MirrorDown));
            return QVariant(QStringLiteral("mirror-down"));
        }(),
        [&s] {
            s.setPictureDpi(150.5);
            return QVariant(150.5);
        }(),
        [&s] {
            s.setScreenDpi(109.25);
            return QVariant(109.25);
        }(),
        set(&Settings::setWebPage, true),
    };
    s.setTypes(types);
    return expected;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A store on its own file, with the problems it reports collected.
struct Sandbox
{
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Vadro.conf"));
    QStringList problems;

    std::unique_ptr<IniSettingsStore> open()
    {
        auto store = std::make_unique<IniSettingsStore>(path);
        store->setProblemSink([this](const QString& message) { problems << message; });
        return store;
    }
};

enum class Special
{
    Fifo,
    Directory,
    DanglingLink,
    LinkToDevice,
    Socket
};

void makeSpecial(Special kind, const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    switch (kind) {
    case Special::Fifo:
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        break;
    case Special::Directory:
        QCOMPARE(::mkdir(name.constData(), 0700), 0);
        break;
    case Special::DanglingLink:
        QCOMPARE(::symlink((name + ".target").constData(), name.constData()), 0);
        break;
    case Special::LinkToDevice:
        QCOMPARE(::symlink("/dev/null", name.constData()), 0);
        break;
    case Special::Socket: {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(fd);
        QCOMPARE(bound, 0);
        break;
    }
    }
}

mode_t linkMode(const QString& path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

} // namespace

Q_DECLARE_METATYPE(Special)

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A store that hangs (a FIFO read by QSettings) kills the run instead of blocking it.
    void init() { ::alarm(60); }
    void cleanup() { ::alarm(0); }

    void storedText_data();
    void storedText();
    void everyTypeRoundTrips();
    void textRoundTrips_data();
    void textRoundTrips();
    void booleanText_data();
    void booleanText();
    void singleText_data();
    void singleText();
    void handWrittenValuesSurviveWrites_data();
    void handWrittenValuesSurviveWrites();
    void nonRegularFileIsNeverUsed_data();
    void nonRegularFileIsNeverUsed();
    void damagedFileIsKeptAsBroken_data();
    void damagedFileIsKeptAsBroken();
    void failedSaveIsReportedOnce_data();
    void failedSaveIsReportedOnce();
    void twoProgramsKeepEachOthersValues();
};

void TestSettings::storedText_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored"); // null: the key is absent
    QTest::addColumn<QVariant>("expected");

    for (const KeyInfo& info : allKeys()) {
        QTest::addRow("%s absent", info.key) << info.key << QString() << info.fallback;
        if (info.fallback.typeId() != QMetaType::QString)
            QTest::addRow("%s unconvertible", info.key) << info.key << "x1" << info.fallback;
    }

    const auto row = [](const char* key, const char* stored, const QVariant& expected) {
        QTest::addRow("%s=%s", key, stored) << key << QString::fromUtf8(stored) << expected;
    };
    row("Tvon", "fALSE", false);

    row("MainLeft", "+7e2", 700.0f);
    row("MainLeft", "", 1000.0f);
    row("MainLeft", "nan", 1000.0f);
    row("MainLeft", "inf", 1000.0f);
    row("MainLeft", "-infinity", 1000.0f);
    row("MainLeft", "1e39", 1000.0f);
    row("MainLeft", "12abc", 1000.0f);
    row("MainLeft", "1,5", 1000.0f);
    row("MainLeft", "0x10", 1000.0f);
    row("MainLeft", "+-5", 1000.0f);

    row("IsaLeft", "32767", 32767);
    row("IsaLeft", "32768", 2000);
    row("IsaLeft", "-32768", -32768);
    row("IsaLeft", "-32769", 2000);
    row("IsaLeft", "32767.5", 2000); // rounds to the even 32768
    row("IsaLeft", "2.5", 2);
    row("IsaLeft", "3.5", 4);
    row("IsaLeft", "-2.5", -2);
    row("IsbLeft", "2.4999", 2);
    row("IsbLeft", "1e3", 1000);
    row("IsbLeft", "12 px", 5000);
    row("PrvLeft", "32768", 32768);
    row("PrvLeft", "2147483647", 2147483647);
    row("PrvLeft", "2147483648", 1000);
    row("PrvTop", "-2147483648", std::numeric_limits<int>::min());
    row("PrvTop", "99999999999999999999", 1000);

    row("ViewMode", "3", 3);
    row("ViewMode", "3abc", 3);
    row("ViewMode", "abc", 0);
    row("ViewMode", "", 0);
    row("ViewMode", " 2", 2);
    row("ViewMode", "+2", 2);
    row("ViewMode", "2.6", 3);
    row("ViewMode", "2.5", 2);
    row("ViewMode", "1.5", 2);
    row("ViewMode", "1e0x", 1);
    row("ViewMode", "3.5", 0); // rounds to 4, not a list style
    row("ViewMode", "4", 0);
    row("ViewMode", "-1", 0);
    row("ViewMode", "1e999", 0);

    row("Ico", "", QString());
    row("Gif", " *.gif; ", QStringLiteral("*.gif;"));
    row("Kind", "drop3", QStringLiteral("drop3"));
    row("Kind", " Brick4 ", QStringLiteral("brick4"));
    row("Kind", "drop9", QStringLiteral("straight"));
    // Forged resolutions read as none chosen: the default, or the screen's own.
    row("Resolution", "0", 96.0);
    row("Resolution", "1e9", 96.0);
    row("Resolution", "300", 300.0);
    row("ScreenDpi", "0", 0.0);
    row("ScreenDpi", "0.5", 0.0);
    row("ScreenDpi", "-110", 0.0);
    row("ScreenDpi", "110", 110.0);
}

// Every key read from a hand-written file: absent, unconvertible, and the conversion rules.
void TestSettings::storedText()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(QVariant, expected);

    Sandbox box;
    QByteArray file = "[Settings]\nOther=1\n[Type]\nOther=1\n";
    if (!stored.isNull())
        file += QByteArray("[") + keyInfo(key).section + "]\n" + key.toUtf8() + '=' +
                stored.toUtf8() + '\n';
    put(box.path, file);
    const auto store = box.open();
    const Settings settings(*store);

    const QVariant actual = keyInfo(key).get(settings);
    QCOMPARE(actual.typeId(), expected.typeId());
    QCOMPARE(actual, expected);
    QCOMPARE(box.problems, QStringList());
}

void TestSettings::everyTypeRoundTrips()
{
    Sandbox box;
    box.path = box.dir.filePath(QStringLiteral("config/Vadro/Vadro.conf"));
    QVariantList expected;
    {
        const auto store = box.open();
        Settings settings(*store);
        expected = writeEverything(settings);
        for (int i = 0; i < allKeys().size(); ++i)
            QCOMPARE(allKeys().at(i).get(settings), expected.at(i));
    }
    const QByteArray file = contents(box.path);
    QVERIFY(file.contains("\nTvon=False\n"));
    QVERIFY(file.contains("\nMainLeft=1234.5\n"));
    QVERIFY(file.contains("\nMainHeight=10000000000\n"));

    const auto store = box.open();
    Settings settings(*store);
    for (int i = 0; i < allKeys().size(); ++i)
        QCOMPARE(allKeys().at(i).get(settings), expected.at(i));
    writeEverything(settings);
    QCOMPARE(contents(box.path), file);
    QCOMPARE(box.problems, QStringList());
}

void TestSettings::textRoundTrips_data()
{
    QTest::addColumn<QString>("text");
    const QList<QPair<const char*, const char*>> rows = {
        {"root", "/"},
        {"semicolon", "/a;b"},
        {"comma", "a, b"},
        {"leading blank", " lead"},
        {"trailing blank", "trail "},
        {"at sign", "@home"},
        {"two at signs", "@@twice"},
        {"QSettings string marker", "@String(x)"},
        {"QSettings byte marker", "@ByteArray(x)"},
        {"backslash", "C:\\"},
        {"backslash and letter", "C:\\temp"},
        {"quotes inside", "say \"hi\""},
        {"quotes around", "\"quoted\""},
        {"tab", "tab\there"},
        {"line break", "line\nbreak"},
        {"equals sign", "a=b"},
        {"comment start", "; lead"},
        {"non-ASCII", "é ü ✓ 𝄞"},
        {"control character before a hex digit", "\001a"},
        {"section heading", "[Settings]"},
        {"empty", ""},
    };
    for (const auto& [tag, text] : rows)
        QTest::newRow(tag) << QString::fromUtf8(text);
    QTest::newRow("NUL character") << QStringLiteral("a") + QChar(0) + QStringLiteral("9");
}

// In a file Qt's QSettings wrote, what we leave alone keeps its spelling and what we change is
// written byte for byte as QSettings writes the same change to a copy; the text reads back.
void TestSettings::textRoundTrips()
{
    QFETCH(QString, text);
    Sandbox box;
    const QString twin = box.dir.filePath(QStringLiteral("twin.conf"));
    const QString note = QStringLiteral("a") + QChar(0) + QStringLiteral("9\t\x01b");
    {
        QSettings qt(box.path, QSettings::IniFormat);
        qt.setValue(QStringLiteral("Settings/Folder"), OddFolder);
        qt.setValue(QStringLiteral("Settings/Note"), note);
        qt.setValue(QStringLiteral("Other/list"), QStringList{QStringLiteral("a"), "b, c"});
        qt.setValue(QStringLiteral("Other/no list"), QStringList());
        qt.setValue(QStringLiteral("Other/bytes"), QByteArray::fromHex("01ff61"));
        qt.setValue(QStringLiteral("Other/rect"), QRect(1, 2, 3, 4));
        qt.setValue(QStringLiteral("general/x"), 5);
        qt.setValue(QStringLiteral("top"), QStringLiteral(" @home "));
        qt.setValue(QStringLiteral("a~"), 1); // sorts after "aZ", though "%7E" would not
        qt.setValue(QStringLiteral("aZ"), 2);
        qt.setValue(QStringLiteral("deep/a/b"), 3);
        qt.setValue(QString::fromUtf8("\u00fc/\u015f \U0001D11E"), QString::fromUtf8("\u00e9"));
    }
    put(twin, contents(box.path));
    {
        const auto store = box.open();
        Settings settings(*store);
        QCOMPARE(settings.folder(), OddFolder);
        QCOMPARE(store->read(QStringLiteral("Settings"), QStringLiteral("Note")), note);
        settings.setFolder(text);
        settings.setViewMode(3);
    }
    {
        QSettings qt(twin, QSettings::IniFormat);
        qt.setValue(QStringLiteral("Settings/Folder"), text);
        qt.setValue(QStringLiteral("Settings/ViewMode"), QStringLiteral("3"));
    }
    QCOMPARE(contents(box.path), contents(twin));
    box.path = twin;
    const auto store = box.open();
    QCOMPARE(Settings(*store).folder(), text);
    QCOMPARE(box.problems, QStringList());
}

void TestSettings::booleanText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1: not a boolean
    const QList<QPair<const char*, int>> rows = {
        {"True", 1}, {"False", 0}, {"TRUE", 1}, {"tRuE", 1}, {"fAlSe", 0},  {" True ", 1},
        {"1", 1},    {"0", 0},     {"-1", 1},   {"0.0", 0},  {"2.5", 1},    {"1e3", 1},
        {"yes", -1}, {"", -1},     {"nan", -1}, {"inf", -1}, {"1e999", -1}, {"Truely", -1},
    };
    for (const auto& [text, expected] : rows)
        QTest::addRow("%s", text) << QString::fromUtf8(text) << expected;
}

void TestSettings::booleanText()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<bool> value = Settings::toBool(text);
    QCOMPARE(value.has_value(), expected >= 0);
    if (value)
        QCOMPARE(*value, expected == 1);
}

void TestSettings::singleText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 1000.0f << "1000";
    QTest::newRow("half") << 1234.5f << "1234.5";
    QTest::newRow("negative") << -3.0f << "-3";
    QTest::newRow("tenth") << 0.1f << "0.1";
    QTest::newRow("negative zero") << -0.0f << "0";
    QTest::newRow("large") << 1e10f << "10000000000";
    QTest::newRow("largest") << 3.4028235e38f << "340282346638528859811704183484516925440";
    QTest::newRow("tiny") << 1e-45f << "0.000000000000000000000000000000000000000000001";
}

void TestSettings::singleText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(Settings::fromSingle(value), text);
    QCOMPARE(Settings::toSingle(text), std::optional<float>(value));
}

void TestSettings::handWrittenValuesSurviveWrites_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("semicolon") << QByteArray("Folder=/a;b") << "/a;b";
    QTest::newRow("comma") << QByteArray("Folder=a, b") << "a, b";
    QTest::newRow("comma list") << QByteArray("Folder=,x,") << ",x,";
    QTest::newRow("blanks") << QByteArray("Folder = \t/spaced out \t") << "/spaced out";
    QTest::newRow("quotes inside") << QByteArray("Folder=/my \"dir\"") << "/my \"dir\"";
    QTest::newRow("unknown escape") << QByteArray("Folder=C:\\q") << "C:\\q";
    QTest::newRow("trailing backslash") << QByteArray("Folder=/a\\") << "/a\\";
    QTest::newRow("continued line") << QByteArray("Folder=/a\\\nTvon=False") << "/a\\";
    QTest::newRow("open quote") << QByteArray("Folder=\"/a\nTvon=False\n;\"") << "\"/a";
    QTest::newRow("quoted") << QByteArray("Folder=\"/q;x\"") << "/q;x";
    QTest::newRow("crlf") << QByteArray("Folder=/w\r\n") << "/w";
}

// A hand-written value reads exactly, and stays so after another key is saved; saving the
// value it already has leaves the file as written.
void TestSettings::handWrittenValuesSurviveWrites()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, expected);
    Sandbox box;
    const QByteArray file =
        "; by hand\n[Settings]\n" + line + "\nIsaLeft=1500\n[Type]\nIco=*.ico;\n";
    put(box.path, file);
    {
        const auto store = box.open();
        Settings settings(*store);
        QCOMPARE(settings.folder(), expected);
        settings.setFolder(expected);
        QCOMPARE(contents(box.path), file);
        settings.setPreviewOn(false);
    }
    const auto store = box.open();
    const Settings settings(*store);
    QCOMPARE(settings.folder(), expected);
    QCOMPARE(settings.isaLeft(), 1500);
    QCOMPARE(settings.types().piece(Type::Icon), QStringLiteral("*.ico;"));
    QCOMPARE(settings.previewOn(), false);
    QCOMPARE(box.problems, QStringList());
}

void TestSettings::nonRegularFileIsNeverUsed_data()
{
    QTest::addColumn<Special>("kind");
    QTest::addColumn<bool>("appearsLater"); // after the store has looked at the path
    QTest::newRow("FIFO") << Special::Fifo << false;
    QTest::newRow("directory") << Special::Directory << false;
    QTest::newRow("dangling link") << Special::DanglingLink << false;
    QTest::newRow("link to a device") << Special::LinkToDevice << false;
    QTest::newRow("socket") << Special::Socket << false;
    QTest::newRow("FIFO made after opening") << Special::Fifo << true;
    QTest::newRow("directory made after opening") << Special::Directory << true;
    QTest::newRow("dangling link made after opening") << Special::DanglingLink << true;
}

// Defaults, writes kept in memory, one problem (even when the sink comes late), nothing on disk.
void TestSettings::nonRegularFileIsNeverUsed()
{
    QFETCH(Special, kind);
    QFETCH(bool, appearsLater);
    Sandbox box;
    if (!appearsLater)
        makeSpecial(kind, box.path);
    IniSettingsStore store(box.path);
    Settings settings(store);
    if (appearsLater)
        makeSpecial(kind, box.path);
    const mode_t before = linkMode(box.path);

    QCOMPARE(settings.folder(), Settings::defaultFolder());
    settings.setFolder(QStringLiteral("/kept"));
    settings.setTreeOn(false);
    QCOMPARE(settings.folder(), QStringLiteral("/kept"));
    QCOMPARE(settings.treeOn(), false);

    store.setProblemSink([&box](const QString& message) { box.problems << message; });
    QCOMPARE(box.problems.size(), 1);
    QVERIFY2(box.problems.first().contains(box.path), qPrintable(box.problems.first()));
    store.setProblemSink([&box](const QString& message) { box.problems << message; });
    settings.setTreeOn(true);
    QCOMPARE(box.problems.size(), 1);

    QCOMPARE(linkMode(box.path), before);
    QVERIFY(!QFileInfo::exists(box.path + ".target"));
    QVERIFY(!QFileInfo::exists(store.backupPath()));
    QCOMPARE(QDir(box.dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
             QStringList(QStringLiteral("Vadro.conf")));
    if (kind == Special::Directory)
        QVERIFY(QDir(box.path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestSettings::damagedFileIsKeptAsBroken_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray start = "[Settings]\nFolder=/x\n";

    QByteArray garbage = start;
    for (int i = 0; i < 4096; ++i)
        garbage += char(0x80 + (i * 37) % 0x80);
    QByteArray utf16("\xFF\xFE");
    for (char c : start)
        utf16 += QByteArray(1, c) + '\0';
    QByteArray manyKeys = start;
    for (int i = 0; i < 100000; ++i)
        manyKeys += QByteArray::number(i, 36) + "=\n";
    QVERIFY(manyKeys.size() < IniSettingsStore::MaxFileSize);
    QByteArray oversized = start;
    while (oversized.size() <= IniSettingsStore::MaxFileSize)
        oversized += "; padding padding padding padding padding padding padding\n";

    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("UTF-16") << utf16;
    QTest::newRow("NUL bytes") << start + QByteArray(8, '\0') + "Tvon=False\n";
    QTest::newRow("control characters") << start + "Tvon=\x1b[1mFalse\n";
    QTest::newRow("10 MB line") << start + "Long=" + QByteArray(10 << 20, 'a') + '\n';
    QTest::newRow("100,000 keys") << manyKeys;
    QTest::newRow("over the size cap") << oversized;
    QTest::newRow("stray line") << start + "just some words\n";
    QTest::newRow("quote before the equals sign") << start + "\"odd=1\n";
    QTest::newRow("semicolon in a key") << start + "a;b=1\n";
    QTest::newRow("semicolon in a section name") << QByteArray("[a;b]\nFolder=/x\n");
    QTest::newRow("unclosed section") << QByteArray("[Settings\nFolder=/x\n");
    QTest::newRow("junk after section") << QByteArray("[Settings] and more\nFolder=/x\n");
}

// Read as empty; the first write moves the original aside, then writes a fresh file.
void TestSettings::damagedFileIsKeptAsBroken()
{
    QFETCH(QByteArray, bytes);
    Sandbox box;
    put(box.path, bytes);
    {
        IniSettingsStore store(box.path);
        Settings settings(store);
        QCOMPARE(settings.folder(), Settings::defaultFolder());
        QCOMPARE(settings.treeOn(), true);
        store.setProblemSink([&box](const QString& message) { box.problems << message; });
        QCOMPARE(box.problems.size(), 1);
        QVERIFY2(box.problems.first().contains(box.path), qPrintable(box.problems.first()));
        QVERIFY(contents(box.path) == bytes);
        QVERIFY(!QFileInfo::exists(store.backupPath()));

        settings.setFolder(QStringLiteral("/y"));
        settings.setIsaLeft(1500);
        QVERIFY(contents(store.backupPath()) == bytes);
        QCOMPARE(box.problems.size(), 1);
    }
    box.problems.clear();
    const auto store = box.open();
    const Settings settings(*store);
    QCOMPARE(settings.folder(), QStringLiteral("/y"));
    QCOMPARE(settings.isaLeft(), 1500);
    QCOMPARE(settings.treeOn(), true);
    QCOMPARE(box.problems, QStringList());
}

void TestSettings::failedSaveIsReportedOnce_data()
{
    QTest::addColumn<QString>("where"); // the folder the file goes in
    QTest::newRow("read-only folder") << QStringLiteral("locked");
    QTest::newRow("folder path is a file") << QStringLiteral("plain");
    QTest::newRow("folder refusing new files") << QStringLiteral("/proc");
}

void TestSettings::failedSaveIsReportedOnce()
{
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(where);
    if (where == QLatin1String("locked")) {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    } else if (where == QLatin1String("plain")) {
        put(folder, "not a folder");
    }
    const QString path = QDir(folder).filePath(QStringLiteral("Vadro.conf"));

    QStringList problems;
    IniSettingsStore store(path);
    store.setProblemSink([&problems](const QString& message) { problems << message; });
    Settings settings(store);
    settings.setFolder(QStringLiteral("/a"));
    settings.setTreeOn(false);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.first().contains(path), qPrintable(problems.first()));
    QCOMPARE(settings.folder(), QStringLiteral("/a"));
    QCOMPARE(settings.treeOn(), false);
    QVERIFY(!QFileInfo::exists(path));
    QFile::setPermissions(folder, QFile::WriteOwner | QFile::ReadOwner | QFile::ExeOwner);
}

// Two runs on one file: each saves its own changes over what the other saved meanwhile.
void TestSettings::twoProgramsKeepEachOthersValues()
{
    Sandbox box;
    const auto first = box.open();
    const auto second = box.open();
    Settings(*first).setFolder(QStringLiteral("/first"));
    Settings(*second).setTreeOn(false);
    Settings(*first).setPreviewOn(false);
    const auto third = box.open();
    const Settings settings(*third);
    QCOMPARE(settings.folder(), QStringLiteral("/first"));
    QCOMPARE(settings.treeOn(), false);
    QCOMPARE(settings.previewOn(), false);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
