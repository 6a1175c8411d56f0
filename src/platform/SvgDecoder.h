#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>

#include "platform/ImageDecoder.h"

class QIODevice;

// Drawings read without trusting them: the file and its inflated text are capped, the text is
// rewritten before Qt SVG sees it (no document type, so no entities left to expand; no
// processing instructions; no picture that is not inline data of a plain raster format within
// the caps, and those handed over as PNGs written here, under their one reference), and
// the natural size comes from the root's own width, height or view box. Nothing is read or
// fetched through a drawing.
class SvgDecoder
{
public:
    static constexpr qint64 MaxFileBytes = 16 * 1024 * 1024;
    static constexpr qint64 MaxTextBytes = 32 * 1024 * 1024;
    static constexpr int MaxElements = 200'000;
    static constexpr int MaxDepth = 256;
    // Every inline picture of one drawing together.
    static constexpr qint64 MaxInlinePixels = 16 * 1024 * 1024;

    struct Document
    {
        QByteArray text;   // the rewritten drawing; empty on failure
        QSize naturalSize; // whole pixels, at least 1 x 1
        DecodedImage::Failure failure = DecodedImage::Failure::None;
        QString detail;
    };

    static bool isSvgName(const QString& path);

    // The drawing at its natural size, or covering `target` (kept sharp, also above the
    // natural size) when `target` is not empty.
    static DecodedImage decode(QIODevice& file, const QSize& target);

    // Inflates gzip data; nothing when it is damaged or would pass `limit` bytes.
    static std::optional<QByteArray> gunzip(const QByteArray& data, qint64 limit,
                                            bool* overLimit = nullptr);
    // Inflates where needed, rewrites and measures.
    static Document prepare(const QByteArray& bytes);
    // A length of the root element ("12", "12px", "3mm") in pixels at 96 dpi; nothing for
    // relative units, percentages and anything that does not parse.
    static std::optional<double> lengthInPixels(const QString& text);
};
