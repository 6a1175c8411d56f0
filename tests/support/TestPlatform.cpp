#include "TestPlatform.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindow.h"
#include "app/Resources.h"
#include "app/StartupSequence.h"
#include "platform/FileSystemFolderModel.h"
#include "platform/FileTypeInfo.h"
#include "platform/ImageDecoder.h"
#include "platform/IniSettingsStore.h"

namespace {

QAction* findItem(QMenu* menu, const QString& name)
{
    for (QAction* action : menu->actions()) {
        if (action->objectName() == name)
            return action;
        if (QMenu* sub = action->menu()) {
            if (QAction* found = findItem(sub, name))
                return found;
        }
    }
    return nullptr;
}

// Puts a new fake of the slot's service into the slot and returns it.
template <typename Fake, typename Service> Fake* installFake(std::unique_ptr<Service>& slot)
{
    auto fake = std::make_unique<Fake>();
    Fake* raw = fake.get();
    slot = std::move(fake);
    return raw;
}

} // namespace

QAction* FakePopupMenus::exec(QMenu* menu, const QPoint& globalPosition)
{
    opened.append(menu->objectName());
    lastPosition = globalPosition;
    QAction* chosen = answer.isEmpty() ? nullptr : findItem(menu, answer);
    if (chosen)
        chosen->trigger();
    return chosen;
}

TestPlatform::TestPlatform(const QString& settingsPath)
{
    // Thumbnails go to a cache of the test run's own, never the user's.
    static QTemporaryDir cacheHome;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cacheHome.path()));
    loadVadroResources();
    platform.settings = std::make_unique<IniSettingsStore>(settingsPath);
    auto m = std::make_unique<FakeMessageBoxes>();
    messages = m.get();
    platform.messages = std::move(m);
    auto c = std::make_unique<FakeCursor>();
    cursor = c.get();
    platform.cursor = std::move(c);
    auto p = std::make_unique<FakePopupMenus>();
    popups = p.get();
    platform.popups = std::move(p);
    platform.folders = std::make_unique<FileSystemFolderModel>();
    platform.decoder = std::make_unique<QtImageDecoder>();
    platform.fileTypes = std::make_unique<MimeFileTypeInfo>();
    auto f = std::make_unique<FakeFolderChooser>();
    chooser = f.get();
    platform.chooser = std::move(f);
    saver = installFake<FakeSaveFileChooser>(platform.saver);
    fonts = installFake<FakeFontCatalog>(platform.fonts);
    printer = installFake<FakePrintService>(platform.printer);
    clipboard = installFake<FakeClipboard>(platform.clipboard);
    runner = installFake<FakeCommandRunner>(platform.runner);
    wallpaper = installFake<FakeWallpaperSetter>(platform.wallpaper);
    auto s = std::make_unique<FakeShell>();
    shell = s.get();
    platform.shell = std::move(s);
}

std::unique_ptr<StartupSequence> startVadro(TestPlatform& test, const QString& folderArgument)
{
    auto startup = std::make_unique<StartupSequence>(test.platform, folderArgument);
    startup->run();
    if (!QTest::qWaitForWindowExposed(startup->mainWindow()))
        qWarning("the main window was not exposed");
    QCoreApplication::processEvents();
    return startup;
}
