#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include "TestPlatform.h"
#include "app/MainWindow.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "app/StartupSequence.h"
#include "platform/SettingsStore.h"

namespace {

// A store in memory that counts how often it is asked to save.
class CountingStore : public SettingsStore
{
public:
    std::optional<QString> read(const QString& section, const QString& key) const override
    {
        const auto found = values.constFind(section + u'/' + key);
        return found == values.constEnd() ? std::nullopt : std::optional<QString>(*found);
    }
    void write(const QString& section, const QString& key, const QString& value) override
    {
        ++saves;
        values.insert(section + u'/' + key, value);
    }
    void writeAll(const QVector<Entry>& entries) override
    {
        ++saves;
        for (const Entry& e : entries)
            values.insert(e.section + u'/' + e.key, e.value);
    }
    void setProblemSink(ProblemSink) override {}

    QHash<QString, QString> values;
    int saves = 0;
};

// The program's own store underneath, with its saves counted.
class CountingWrapper : public SettingsStore
{
public:
    explicit CountingWrapper(std::unique_ptr<SettingsStore> inner) : m_inner(std::move(inner)) {}
    std::optional<QString> read(const QString& section, const QString& key) const override
    {
        return m_inner->read(section, key);
    }
    void write(const QString& section, const QString& key, const QString& value) override
    {
        ++saves;
        m_inner->write(section, key, value);
    }
    void writeAll(const QVector<Entry>& entries) override
    {
        ++saves;
        m_inner->writeAll(entries);
    }
    void setProblemSink(ProblemSink sink) override { m_inner->setProblemSink(std::move(sink)); }

    int saves = 0;

private:
    std::unique_ptr<SettingsStore> m_inner;
};

} // namespace

class TestSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void emptyStoreGivesTheDefaults();
    void savesTheWholeSessionInOneWrite();
    void viewStateRoundTrip();
    void minimisedWindowKeepsItsStoredRectangle();
    void closingTheProgramSavesOnce();
};

void TestSession::emptyStoreGivesTheDefaults()
{
    CountingStore store;
    Settings settings(store);
    const SessionState state = Session(settings).load();
    QVERIFY(state.window);
    QCOMPARE(state.window->left(), 1000.0);
    QCOMPARE(state.window->width(), 6500.0);
    QVERIFY(state.view.toolbar && state.view.statusBar && state.view.tree && state.view.preview);
    QCOMPARE(state.view.listStyle, 0);
    QCOMPARE(state.view.mode, ViewMode::LargeIcons);
    QCOMPARE(state.isaLeft, 2000);
    QCOMPARE(state.isbLeft, 5000);
    QCOMPARE(state.tiled.left, 1000);
    QCOMPARE(state.tiled.height, 6500);
    QCOMPARE(state.types.filePattern(), QStringLiteral("*.bmp;*.jpeg;*.jpg;*.gif;&;*.zvq"));
    QCOMPARE(store.saves, 0);
}

void TestSession::savesTheWholeSessionInOneWrite()
{
    CountingStore store;
    Settings settings(store);
    Session session(settings);
    SessionState state = session.load();
    QCOMPARE(state.toolbox, std::optional<QPointF>(QPointF(1000, 1000)));
    state.folder = QStringLiteral("/pictures");
    state.toolbox.reset(); // a toolbox never opened leaves its stored place alone
    session.save(state);
    QCOMPARE(store.saves, 1);
    // Four of geometry, folder, style, four panes, six twips, the repeat, two dpi (the default
    // resolution and the screen's as reported) and "as a web page".
    QCOMPARE(store.values.size(), 20);
    QCOMPARE(store.values.value(QStringLiteral("Repeat/Kind")), QStringLiteral("straight"));
    QVERIFY(!store.values.contains(QStringLiteral("Settings/TlsLeft")));
    QCOMPARE(store.values.value(QStringLiteral("Settings/Folder")), QStringLiteral("/pictures"));
    QCOMPARE(store.values.value(QStringLiteral("Settings/Tbaron")), QStringLiteral("True"));
    QCOMPARE(store.values.value(QStringLiteral("Settings/PrvWidth")), QStringLiteral("6500"));
    QVERIFY(!store.values.contains(QStringLiteral("Type/Bitmap"))); // Options writes the types

    // A toggle's key is written at once, on its own.
    session.savePane(Pane::Tree, false);
    QCOMPARE(store.saves, 2);
    QCOMPARE(store.values.value(QStringLiteral("Settings/Tvon")), QStringLiteral("False"));
    // Setters outside a session save write through as before.
    settings.setTlsLeft(1234.5f);
    QCOMPARE(store.saves, 3);

    // An opened toolbox's place goes into the same one write.
    state.toolbox = QPointF(450, 675.5);
    session.save(state);
    QCOMPARE(store.saves, 4);
    QCOMPARE(store.values.value(QStringLiteral("Settings/TlsLeft")), QStringLiteral("450"));
    QCOMPARE(store.values.value(QStringLiteral("Settings/TlsTop")), QStringLiteral("675.5"));
}

void TestSession::viewStateRoundTrip()
{
    CountingStore store;
    Settings settings(store);
    Session session(settings);
    SessionState state;
    state.window = WindowGeometry(120, 240, 9000, 7000.5);
    state.folder = QStringLiteral("/a;b");
    state.view.toolbar = false;
    state.view.statusBar = true;
    state.view.tree = false;
    state.view.preview = true;
    state.view.mode = ViewMode::Thumbnails; // details is the list's style
    state.view.listStyle = 3;
    state.isaLeft = 2500;
    state.isbLeft = 6100;
    state.tiled = {-300, 400, 3000, 2500};
    session.save(state);

    const SessionState back = session.load();
    QVERIFY(back.window);
    QCOMPARE(back.window->left(), 120.0);
    QCOMPARE(back.window->top(), 240.0);
    QCOMPARE(back.window->width(), 9000.0);
    QCOMPARE(back.window->height(), 7000.5);
    QCOMPARE(back.folder, QStringLiteral("/a;b"));
    QVERIFY(!back.view.toolbar && back.view.statusBar && !back.view.tree && back.view.preview);
    QCOMPARE(back.view.listStyle, 3);
    QCOMPARE(back.view.mode,
             ViewMode::Details); // the next run starts in the list style, never in thumbnails
    QCOMPARE(back.isaLeft, 2500);
    QCOMPARE(back.isbLeft, 6100);
    QCOMPARE(back.tiled.left, -300);
    QCOMPARE(back.tiled.top, 400);
    QCOMPARE(back.tiled.width, 3000);
    QCOMPARE(back.tiled.height, 2500);
}

void TestSession::minimisedWindowKeepsItsStoredRectangle()
{
    CountingStore store;
    store.values.insert(QStringLiteral("Settings/MainLeft"), QStringLiteral("77"));
    Settings settings(store);
    Session session(settings);
    SessionState state = session.load();
    state.window.reset();
    session.save(state);
    QCOMPARE(store.saves, 1);
    QCOMPARE(store.values.value(QStringLiteral("Settings/MainLeft")), QStringLiteral("77"));
    QVERIFY(!store.values.contains(QStringLiteral("Settings/MainWidth")));
    QCOMPARE(store.values.size(), 19); // the 18 other keys and the one that was there
}

void TestSession::closingTheProgramSavesOnce()
{
    QTemporaryDir dir;
    TestPlatform test(dir.filePath(QStringLiteral("Vadro.conf")));
    auto* counting = new CountingWrapper(std::move(test.platform.settings));
    test.platform.settings.reset(counting);
    const std::unique_ptr<StartupSequence> startup = startVadro(test, dir.path());
    MainWindow& main = *startup->mainWindow();

    const int before = counting->saves;
    main.run(Command::ToggleTree);
    QCOMPARE(counting->saves, before + 1);
    main.close();
    QCOMPARE(counting->saves, before + 2);
    QCOMPARE(counting->read(QStringLiteral("Settings"), QStringLiteral("Tvon")),
             std::optional<QString>(QStringLiteral("False")));
    // The first start's panes, in the default proportions of its window.
    const double width = counting->read(QStringLiteral("Settings"), QStringLiteral("MainWidth"))
                             .value_or(QString())
                             .toDouble();
    QCOMPARE(counting->read(QStringLiteral("Settings"), QStringLiteral("IsbLeft")),
             std::optional<QString>(QString::number(std::lround(5000 * width / 6500))));
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
