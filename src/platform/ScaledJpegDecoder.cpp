#include "platform/ScaledJpegDecoder.h"

#include <algorithm>
#include <csetjmp>
// jpeglib.h uses FILE and size_t without including their headers
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace {

using Outcome = ScaledJpegDecoder::Result::Outcome;

struct ErrorTrap
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler ends the process; this returns to the stage that called it.
[[noreturn]] void leave(j_common_ptr cinfo)
{
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// A damaged stretch of data or a file cut short is decoded as far as it goes, as Qt's reader
// does, and nothing is written on the terminal.
void quiet(j_common_ptr) {}

// The stages below hold nothing with a destructor between setjmp and the libjpeg calls that
// may jump back: the caller owns the image, and destroys the decompressor on every path.

Outcome setUp(jpeg_decompress_struct& cinfo, ErrorTrap& trap, const QByteArray& bytes,
              const QSize& target)
{
    if (setjmp(trap.jump))
        return Outcome::Failed;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.data_precision != 8)
        return Outcome::NotTaken;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        // the byte order of QImage::Format_RGB32, whose fourth byte the library sets to 0xFF
        cinfo.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        break;
    default:
        return Outcome::NotTaken;
    }
    cinfo.scale_num = 1;
    cinfo.scale_denom = unsigned(ScaledJpegDecoder::denominator(
        QSize(int(cinfo.image_width), int(cinfo.image_height)), target));
    // A reduced picture is smoothed again afterwards: the fast inverse DCT and plain
    // upsampling lose nothing that shows. At full size the caller may keep the picture as the
    // whole one, so it gets the library's careful settings.
    if (cinfo.scale_denom > 1) {
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
    }
    jpeg_calc_output_dimensions(&cinfo);
    return Outcome::Decoded;
}

bool readRows(jpeg_decompress_struct& cinfo, ErrorTrap& trap, QImage& image)
{
    if (setjmp(trap.jump))
        return false;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    jpeg_start_decompress(&cinfo);
    // The rows are written where the picture was sized for them.
    const int components = image.format() == QImage::Format_Grayscale8 ? 1 : 4;
    if (int(cinfo.output_width) != image.width() || int(cinfo.output_height) != image.height() ||
        cinfo.output_components != components)
        return false;
    JSAMPROW rows[4]; // the most rows libjpeg hands out at once
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION at = cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(4, cinfo.output_height - at);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = bits + stride * qsizetype(at + i);
        // A source in memory never suspends; no rows would mean no progress.
        if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

int ScaledJpegDecoder::denominator(const QSize& natural, const QSize& target)
{
    if (target.isEmpty())
        return 1;
    const auto covers = [&](int d) {
        return (natural.width() + d - 1) / d >= target.width() &&
               (natural.height() + d - 1) / d >= target.height();
    };
    for (int d : {8, 4, 2})
        if (covers(d))
            return d;
    return 1;
}

QSize ScaledJpegDecoder::reducedSize(const QSize& natural, const QSize& target)
{
    const int d = denominator(natural, target);
    return {(natural.width() + d - 1) / d, (natural.height() + d - 1) / d};
}

ScaledJpegDecoder::Result ScaledJpegDecoder::decode(const QByteArray& bytes, const QSize& target)
{
    Result result;
    jpeg_decompress_struct cinfo{};
    ErrorTrap trap{};
    cinfo.err = jpeg_std_error(&trap.mgr);
    trap.mgr.error_exit = leave;
    trap.mgr.output_message = quiet;

    result.outcome = setUp(cinfo, trap, bytes, target);
    if (result.outcome == Outcome::Decoded) {
        result.naturalSize = QSize(int(cinfo.image_width), int(cinfo.image_height));
        const bool grey = cinfo.out_color_space == JCS_GRAYSCALE;
        result.image = QImage(int(cinfo.output_width), int(cinfo.output_height),
                              grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        if (result.image.isNull()) {
            result.outcome = Outcome::Failed;
            qstrncpy(trap.message, "Not enough memory for the picture", sizeof trap.message);
        } else if (!readRows(cinfo, trap, result.image)) {
            result.outcome = Outcome::Failed;
        }
    }
    jpeg_destroy_decompress(&cinfo);
    if (result.outcome != Outcome::Decoded) {
        result.image = QImage();
        result.error = QString::fromLocal8Bit(trap.message);
    }
    return result;
}
