#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <QVector>

#include <functional>

class ImageDecoder;

// Makes the grid's small pictures: every file decoded once, at the size it will be shown
// (the JPEG decoder scales inside itself), on a pool of threads sized to the machine. The
// calling thread waits and reports progress; it runs no event loop meanwhile.
class ThumbnailBuilder
{
public:
    // One picture per path, in order: the whole picture stretched over pixelSize on a
    // cleared background, or a null image for a file that did not decode (a blank cell).
    // sizes, the files' lengths as the scan read them, only order the work (largest first).
    static QVector<QImage> build(const QStringList& paths, const QVector<qint64>& sizes,
                                 const QSize& pixelSize, const QColor& background,
                                 const ImageDecoder& decoder,
                                 const std::function<void(int done)>& progress);

    static QImage makeThumbnail(const QString& path, const QSize& pixelSize,
                                const QColor& background, const ImageDecoder& decoder);
};
