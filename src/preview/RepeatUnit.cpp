#include "preview/RepeatUnit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include "preview/TileGeometry.h"

namespace {

// The same file, by its resolved path when it exists and by its absolute path otherwise.
bool sameFile(const QString& a, const QString& b)
{
    const QFileInfo fa(a), fb(b);
    const QString ra = fa.exists() ? fa.canonicalFilePath() : fa.absoluteFilePath();
    const QString rb = fb.exists() ? fb.canonicalFilePath() : fb.absoluteFilePath();
    return !ra.isEmpty() && ra == rb;
}

} // namespace

QImage RepeatUnit::of(const QImage& picture, const Repeat& repeat)
{
    if (picture.isNull())
        return {};
    const QSize size = repeat.unitSize(picture.size());
    if (qint64(size.width()) * size.height() > MaxPixels)
        return {};
    QImage unit(size, picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (unit.isNull())
        return {};
    unit.fill(Qt::transparent);
    TileMode mode;
    mode.repeat = repeat;
    const TileGeometry geometry(picture.size(), mode);
    QImage flipped[4]; // made once each, as the tiles first need them
    {
        QPainter p(&unit);
        // The picture's own pixels, transparent ones included, not a mix with what lies below.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        geometry.forEachTile(unit.rect(), [&](const QRect& target, bool flipX, bool flipY) {
            QImage& tile = flipped[(flipX ? 1 : 0) + (flipY ? 2 : 0)];
            if (tile.isNull())
                tile = picture.mirrored(flipX, flipY);
            p.drawImage(target.topLeft(), tile);
        });
    }
    unit.setDotsPerMeterX(picture.dotsPerMeterX());
    unit.setDotsPerMeterY(picture.dotsPerMeterY());
    return unit;
}

QString RepeatUnit::fileName(const QString& pictureFile, const Repeat& repeat)
{
    QString base = QFileInfo(pictureFile).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("tile");
    return base + QLatin1Char('-') + repeat.fileSuffix() + QStringLiteral(".png");
}

QByteArray RepeatUnit::png(const QImage& unit)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (unit.isNull() || !QImageWriter(&buffer, "png").write(unit))
        return {};
    return bytes;
}

bool RepeatUnit::save(const QImage& unit, const QString& path, const QString& source, QString* why)
{
    auto fail = [why](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (unit.isNull())
        return fail(QCoreApplication::translate("RepeatUnit", "there is no repeat to save"));
    if (sameFile(path, source))
        return fail(QCoreApplication::translate("RepeatUnit",
                                                "that is the picture itself; choose another name"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QImageWriter writer(&file, "png");
    if (!writer.write(unit)) {
        file.cancelWriting();
        return fail(writer.errorString());
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
