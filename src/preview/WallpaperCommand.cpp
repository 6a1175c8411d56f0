#include "preview/WallpaperCommand.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include "listing/FileList.h"
#include "platform/Clipboard.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBoxes.h"
#include "platform/WallpaperSetter.h"
#include "preview/CurrentImage.h"

const QString WallpaperCommand::FileName = QStringLiteral("Wallpaper.bmp");
const QString WallpaperCommand::TwinName = QStringLiteral(".Wallpaper-alt.bmp");
const QString WallpaperCommand::NoSelectionText = QStringLiteral("Please select a file first!");

namespace {

const QString MessageTitle = QStringLiteral("Vadro");

} // namespace

WallpaperCommand::WallpaperCommand(const CurrentImage& current, const ImageDecoder& decoder,
                                   Clipboard& clipboard, WallpaperSetter& setter,
                                   MessageBoxes& messages, const QString& dataFolder,
                                   std::function<bool(const QString&)> report,
                                   QWidget* dialogParent)
    : m_current(current), m_decoder(decoder), m_clipboard(clipboard), m_setter(setter),
      m_messages(messages), m_dataFolder(dataFolder), m_report(std::move(report)),
      m_dialogParent(dialogParent)
{
}

QString WallpaperCommand::wallpaperPath() const
{
    return FileList::join(m_dataFolder, FileName);
}

QString WallpaperCommand::twinPath() const
{
    return FileList::join(m_dataFolder, TwinName);
}

QByteArray WallpaperCommand::encodeBmp(const QImage& picture)
{
    // A desktop bitmap has no transparency; 32-bit opaque pixels keep every colour.
    const QImage opaque = picture.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (opaque.isNull() || !writer.write(opaque))
        return {};
    return bytes;
}

bool WallpaperCommand::writeAtomically(const QString& path, const QByteArray& bytes, QString* why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (why)
            *why = file.errorString();
        return false;
    }
    return true;
}

WallpaperCommand::Outcome WallpaperCommand::fail(Outcome outcome, const QString& why)
{
    const QString text = QStringLiteral("The wallpaper could not be set: %1").arg(why);
    if (!m_report || !m_report(text))
        m_messages.show(m_dialogParent, MessageTitle, text, MessageBoxes::Icon::Warning);
    return outcome;
}

WallpaperCommand::Outcome WallpaperCommand::run()
{
    if (m_current.folder().isEmpty() || !m_current.isSet()) {
        m_messages.show(m_dialogParent, MessageTitle, NoSelectionText, MessageBoxes::Icon::None);
        return Outcome::NoSelection;
    }

    // The current file's own picture, never whatever else is lying around (the clipboard).
    QImage picture = m_current.image();
    if (picture.isNull()) {
        const DecodedImage decoded = m_decoder.decode(m_current.path());
        if (!decoded.ok())
            return fail(
                Outcome::NoPicture,
                QStringLiteral("%1 is not a picture Vadro can read.").arg(m_current.file()));
        picture = decoded.image;
    }

    const QByteArray bmp = encodeBmp(picture);
    if (bmp.isEmpty())
        return fail(Outcome::WriteFailed, QStringLiteral("the picture could not be converted."));
    QString why;
    if (!QDir().mkpath(m_dataFolder))
        return fail(Outcome::WriteFailed,
                    QStringLiteral("the folder %1 could not be made.").arg(m_dataFolder));
    const bool written = writeAtomically(wallpaperPath(), bmp, &why);
    m_clipboard.setImage(picture);
    if (m_current.folder() == m_dataFolder)
        Q_EMIT listingRefreshRequested();
    if (!written)
        return fail(Outcome::WriteFailed,
                    QStringLiteral("%1 could not be written (%2).").arg(wallpaperPath(), why));

    // Desktops cache a wallpaper by its path, so the same path twice may keep the old picture:
    // every other time the desktop is pointed at the hidden twin instead.
    const bool useTwin = !QFile::exists(twinPath());
    if (useTwin && !writeAtomically(twinPath(), bmp, &why))
        return fail(Outcome::WriteFailed,
                    QStringLiteral("%1 could not be written (%2).").arg(twinPath(), why));
    const QString handed = useTwin ? twinPath() : wallpaperPath();
    if (!m_setter.set(handed, &why)) {
        if (useTwin)
            QFile::remove(twinPath());
        return fail(Outcome::SetFailed, why + QLatin1Char('.'));
    }
    if (!useTwin)
        QFile::remove(twinPath());
    return Outcome::Done;
}
