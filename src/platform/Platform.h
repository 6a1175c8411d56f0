#pragma once

#include <QString>

#include <memory>

class CursorSource;
class FileTypeInfo;
class FolderChooser;
class ImageDecoder;
class FolderModel;
class MessageBoxes;
class PopupMenus;
class SettingsStore;
class Clipboard;
class CommandRunner;
class FontCatalog;
class PrintService;
class SaveFileChooser;
class WallpaperSetter;
class Shell;

// Every desktop service the program uses, handed in at start-up. Tests build one of fakes.
struct Platform
{
    Platform();
    Platform(Platform&&) noexcept;
    Platform& operator=(Platform&&) noexcept;
    ~Platform();

    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<MessageBoxes> messages;
    std::unique_ptr<CursorSource> cursor;
    std::unique_ptr<FolderModel> folders;
    std::unique_ptr<PopupMenus> popups;
    std::unique_ptr<ImageDecoder> decoder;
    std::unique_ptr<FileTypeInfo> fileTypes;
    std::unique_ptr<FolderChooser> chooser;
    std::unique_ptr<SaveFileChooser> saver;
    std::unique_ptr<Shell> shell;

    // The real services; the settings file at settingsPath.
    static Platform createReal(const QString& settingsPath);
    // $XDG_CONFIG_HOME/Vadro/Vadro.conf, or ~/.config/Vadro/Vadro.conf.
    static QString defaultSettingsPath();

    // Tiling tools: the sample's fonts, printing, the clipboard and the wallpaper (which runs
    // the desktop's tools through the runner, so the runner is declared first).
    std::unique_ptr<FontCatalog> fonts;
    std::unique_ptr<PrintService> printer;
    std::unique_ptr<Clipboard> clipboard;
    std::unique_ptr<CommandRunner> runner;
    std::unique_ptr<WallpaperSetter> wallpaper;
};
