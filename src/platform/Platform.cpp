#include "platform/Platform.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/DesktopWallpaperSetter.h"
#include "platform/FileSystemFolderModel.h"
#include "platform/FileTypeInfo.h"
#include "platform/FolderChooser.h"
#include "platform/FontconfigCatalog.h"
#include "platform/ImageDecoder.h"
#include "platform/IniSettingsStore.h"
#include "platform/PrinterPrintService.h"
#include "platform/ProcessCommandRunner.h"
#include "platform/QtClipboard.h"
#include "platform/QtPlatformServices.h"
#include "platform/SaveFileChooser.h"
#include "platform/Shell.h"

Platform::Platform() = default;
Platform::Platform(Platform&&) noexcept = default;
Platform& Platform::operator=(Platform&&) noexcept = default;
Platform::~Platform() = default;

Platform Platform::createReal(const QString& settingsPath)
{
    Platform p;
    p.settings = std::make_unique<IniSettingsStore>(settingsPath);
    p.messages = std::make_unique<QtMessageBoxes>();
    p.cursor = std::make_unique<QtCursorSource>();
    p.folders = std::make_unique<FileSystemFolderModel>();
    p.popups = std::make_unique<QtPopupMenus>();
    p.decoder = std::make_unique<QtImageDecoder>();
    p.fileTypes = std::make_unique<MimeFileTypeInfo>();
    p.chooser = std::make_unique<DialogFolderChooser>();
    p.saver = std::make_unique<DialogSaveFileChooser>();
    p.fonts = std::make_unique<FontconfigCatalog>();
    p.printer = std::make_unique<PrinterPrintService>();
    p.clipboard = std::make_unique<QtClipboard>();
    p.runner = std::make_unique<ProcessCommandRunner>();
    p.wallpaper = std::make_unique<DesktopWallpaperSetter>(
        *p.runner, qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    p.shell = std::make_unique<DesktopShell>();
    return p;
}

QString Platform::defaultSettingsPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and is ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Vadro/Vadro.conf");
}
