#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// A reduced decode of a JPEG held in memory, straight through libjpeg-turbo: the smallest DCT
// scale whose output still covers the target, written by the library into the picture's own
// rows (grey, or 32-bit RGB), and handed back at that size for the caller's one smooth
// reduction. Qt's reader makes the same decode but converts every row once more and then
// resizes to the exact size asked by dropping pixels, which beats against fine stripes.
// Only grey and colour (YCbCr or RGB) pictures of 8-bit samples are taken; the others (CMYK,
// 12-bit) are left to Qt's reader. The caller has checked the header against its caps.
class ScaledJpegDecoder
{
public:
    struct Result
    {
        enum class Outcome
        {
            Decoded,
            NotTaken, // a kind of JPEG this decoder leaves to Qt's reader
            Failed    // the data is no JPEG it can decode
        };
        Outcome outcome = Outcome::NotTaken;
        QImage image;
        QSize naturalSize;
        QString error; // libjpeg's own words for a failure
    };

    static Result decode(const QByteArray& bytes, const QSize& target);

    // The reduction libjpeg makes of a picture of `natural` asked to cover `target`: the
    // smallest of 1/8, 1/4 and 1/2 that still covers it, or 1 when none does (or when there is
    // no target). reducedSize() is that output, each side rounded up as the library does.
    static int denominator(const QSize& natural, const QSize& target);
    static QSize reducedSize(const QSize& natural, const QSize& target);
};
