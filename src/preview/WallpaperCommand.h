#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Clipboard;
class CurrentImage;
class ImageDecoder;
class MessageBoxes;
class QImage;
class QWidget;
class WallpaperSetter;

// Makes the current picture the desktop wallpaper: written at natural size as a BMP file in
// the program's data folder, put on the clipboard, and handed to the desktop.
class WallpaperCommand : public QObject
{
    Q_OBJECT
public:
    static const QString FileName; // "Wallpaper.bmp", always written
    static const QString TwinName; // a hidden twin the desktop is pointed at every other time

    enum class Outcome
    {
        NoSelection,
        NoPicture,
        WriteFailed,
        SetFailed,
        Done
    };

    // report: puts a failure on the status line; false where there is none, and the command
    // then shows it in a message box.
    WallpaperCommand(const CurrentImage& current, const ImageDecoder& decoder, Clipboard& clipboard,
                     WallpaperSetter& setter, MessageBoxes& messages, const QString& dataFolder,
                     std::function<bool(const QString&)> report, QWidget* dialogParent = nullptr);

    Outcome run();

    QString wallpaperPath() const;
    QString twinPath() const;

    // The picture as BMP file bytes; empty when it cannot be encoded.
    static QByteArray encodeBmp(const QImage& picture);
    // Writes the bytes whole or not at all: a failed write leaves the old file as it was.
    static bool writeAtomically(const QString& path, const QByteArray& bytes, QString* why);

Q_SIGNALS:
    // The wallpaper file was written into the folder being listed.
    void listingRefreshRequested();

private:
    Outcome attempt(QString* why);
    void reportFailure(const QString& why);

    const CurrentImage& m_current;
    const ImageDecoder& m_decoder;
    Clipboard& m_clipboard;
    WallpaperSetter& m_setter;
    MessageBoxes& m_messages;
    QString m_dataFolder;
    std::function<bool(const QString&)> m_report;
    QWidget* m_dialogParent;
};
