#include "preview/WallpaperCommand.h"

#include <QBuffer>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

#include "platform/Clipboard.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBoxes.h"
#include "platform/WallpaperSetter.h"
#include "preview/CurrentImage.h"
#include "ui/FileText.h"
#include "ui/WaitCursor.h"

const QString WallpaperCommand::FileName = QStringLiteral("Wallpaper.bmp");
const QString WallpaperCommand::TwinName = QStringLiteral(".Wallpaper-alt.bmp");

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
    return FileText::join(m_dataFolder, FileName);
}

QString WallpaperCommand::twinPath() const
{
    return FileText::join(m_dataFolder, TwinName);
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

void WallpaperCommand::reportFailure(const QString& why)
{
    const QString text = tr("The wallpaper could not be set: %1").arg(why);
    if (!m_report || !m_report(text))
        m_messages.show(m_dialogParent, MessageTitle, text, MessageBoxes::Icon::Warning);
}

WallpaperCommand::Outcome WallpaperCommand::run()
{
    if (m_current.folder().isEmpty() || !m_current.isSet()) {
        m_messages.show(m_dialogParent, MessageTitle, tr("Please select a file first!"),
                        MessageBoxes::Icon::None);
        return Outcome::NoSelection;
    }
    QString why;
    Outcome outcome;
    {
        // Encoding a large picture and waiting for the desktop's tool both take a moment.
        WaitCursor wait;
        outcome = attempt(&why);
    }
    if (outcome != Outcome::Done)
        reportFailure(why);
    return outcome;
}

WallpaperCommand::Outcome WallpaperCommand::attempt(QString* why)
{
    // The current file's own picture, never whatever else is lying around (the clipboard).
    QImage picture = m_current.image();
    if (picture.isNull()) {
        const DecodedImage decoded = m_decoder.decode(m_current.path());
        if (!decoded.ok()) {
            *why = tr("%1 is not a picture Vadro can read.").arg(m_current.file());
            return Outcome::NoPicture;
        }
        picture = decoded.image;
    }

    const QByteArray bmp = encodeBmp(picture);
    if (bmp.isEmpty()) {
        *why = tr("the picture could not be converted.");
        return Outcome::WriteFailed;
    }
    if (!QDir().mkpath(m_dataFolder)) {
        *why = tr("the folder %1 could not be made.").arg(m_dataFolder);
        return Outcome::WriteFailed;
    }
    QString error;
    const bool written = writeAtomically(wallpaperPath(), bmp, &error);
    m_clipboard.setImage(picture);
    if (m_current.folder() == m_dataFolder)
        Q_EMIT listingRefreshRequested();
    if (!written) {
        *why = tr("%1 could not be written (%2).").arg(wallpaperPath(), error);
        return Outcome::WriteFailed;
    }

    // Desktops cache a wallpaper by its path, so the same path twice may keep the old picture:
    // every other time the desktop is pointed at the hidden twin instead.
    const bool useTwin = !QFile::exists(twinPath());
    if (useTwin && !writeAtomically(twinPath(), bmp, &error)) {
        *why = tr("%1 could not be written (%2).").arg(twinPath(), error);
        return Outcome::WriteFailed;
    }
    const QString handed = useTwin ? twinPath() : wallpaperPath();
    if (!m_setter.set(handed, &error)) {
        if (useTwin)
            QFile::remove(twinPath());
        *why = error + QLatin1Char('.');
        return Outcome::SetFailed;
    }
    if (!useTwin)
        QFile::remove(twinPath());
    return Outcome::Done;
}
