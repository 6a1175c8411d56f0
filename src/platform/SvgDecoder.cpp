#include "platform/SvgDecoder.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <zlib.h>

#include "platform/ImageHeader.h"

namespace {

using Failure = DecodedImage::Failure;

SvgDecoder::Document refused(Failure failure, const QString& detail)
{
    SvgDecoder::Document document;
    document.failure = failure;
    document.detail = detail;
    return document;
}

bool isGzip(const QByteArray& bytes)
{
    return bytes.size() >= 2 && quint8(bytes[0]) == 0x1f && quint8(bytes[1]) == 0x8b;
}

const QString XlinkNamespace = QStringLiteral("http://www.w3.org/1999/xlink");

// Any spelling of a reference: href, xlink:href, under any prefix or case.
bool isReference(const QXmlStreamAttribute& attribute)
{
    return attribute.name().endsWith(u"href", Qt::CaseInsensitive) ||
           attribute.qualifiedName().endsWith(u"href", Qt::CaseInsensitive);
}

// The pixels of an <image>'s picture, when the element holds exactly one reference and it is
// base64 data of a plain raster format, read as Qt SVG reads it: a "data" prefix in lower
// case (Qt opens anything else as a path) and the data after the last "base64," (a reference
// holding two is refused, so that what is checked is what would be drawn).
std::optional<QImage> inlinePicture(const QXmlStreamAttributes& attributes)
{
    QStringView href;
    int references = 0;
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (isReference(attribute)) {
            href = attribute.value();
            ++references;
        }
    }
    if (references != 1 || !href.startsWith(u"data:"))
        return std::nullopt;
    const qsizetype comma = href.indexOf(u',');
    const qsizetype marker = href.lastIndexOf(u"base64,", Qt::CaseInsensitive);
    if (comma < 0 || marker != comma - 6 || !href.left(comma).endsWith(u";base64"))
        return std::nullopt;
    const QByteArray data = QByteArray::fromBase64(href.mid(comma + 1).toLatin1());
    const QByteArray format = QtImageDecoder::rasterFormat(data.left(ImageHeader::SignatureBytes));
    if (format != "png" && format != "jpeg" && format != "gif" && format != "bmp")
        return std::nullopt;
    const ImageHeader header = ImageHeader::read(data);
    if (header.reading != ImageHeader::Reading::Complete ||
        qint64(header.size.width()) * header.size.height() > SvgDecoder::MaxInlinePixels)
        return std::nullopt;
    DecodedImage decoded = QtImageDecoder::decodeData(data);
    if (!decoded.ok())
        return std::nullopt;
    return std::move(decoded.image);
}

// A PNG written here, so that Qt SVG is handed no bytes of the drawing's own: whatever format
// Qt's guess would have taken them for, it gets a plain picture.
QString pngDataUri(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(1);
    if (!writer.write(image))
        return {};
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

std::optional<QSizeF> viewBoxSize(QStringView text)
{
    QString spaced = text.toString();
    spaced.replace(u',', u' ');
    const QStringList parts = spaced.simplified().split(u' ');
    if (parts.size() != 4)
        return std::nullopt;
    bool okWidth = false;
    bool okHeight = false;
    const double width = parts[2].toDouble(&okWidth);
    const double height = parts[3].toDouble(&okHeight);
    if (!okWidth || !okHeight || !(width > 0) || !(height > 0) || !std::isfinite(width) ||
        !std::isfinite(height))
        return std::nullopt;
    return QSizeF(width, height);
}

// Width and height where both are absolute; else the view box, scaled to the one given.
std::optional<QSizeF> naturalSize(const QXmlStreamAttributes& root)
{
    const std::optional<double> width =
        SvgDecoder::lengthInPixels(root.value(QLatin1String("width")).toString());
    const std::optional<double> height =
        SvgDecoder::lengthInPixels(root.value(QLatin1String("height")).toString());
    if (width && height)
        return QSizeF(*width, *height);
    const std::optional<QSizeF> box = viewBoxSize(root.value(QLatin1String("viewBox")));
    if (!box)
        return std::nullopt;
    if (width)
        return QSizeF(*width, *width * box->height() / box->width());
    if (height)
        return QSizeF(*height * box->width() / box->height(), *height);
    return box;
}

// Copies the drawing token by token; what could reach outside it, or expand without bound, is
// left out.
class Rewriter
{
public:
    explicit Rewriter(const QByteArray& text) : m_reader(text), m_writer(&m_output)
    {
        m_output.open(QIODevice::WriteOnly);
    }

    SvgDecoder::Document run()
    {
        while (!m_reader.atEnd()) {
            const QXmlStreamReader::TokenType token = m_reader.readNext();
            if (m_output.size() > SvgDecoder::MaxTextBytes)
                return refused(Failure::TooLarge, QStringLiteral("The drawing is too long"));
            switch (token) {
            case QXmlStreamReader::StartElement:
                if (!startElement())
                    return m_refusal;
                break;
            case QXmlStreamReader::EndElement:
                --m_depth;
                m_writer.writeEndElement();
                break;
            case QXmlStreamReader::Characters:
                m_writer.writeCurrentToken(m_reader);
                break;
            default:
                // Document type, entities, processing instructions, comments: none is needed
                // to draw, and the document type is what declares entities.
                break;
            }
        }
        if (m_reader.hasError())
            return refused(Failure::NotAPicture, m_reader.errorString());
        if (!m_size)
            return refused(Failure::NotAPicture, QStringLiteral("The drawing has no size"));
        SvgDecoder::Document document;
        document.text = m_output.data();
        document.naturalSize = QSize(std::max(1, int(std::ceil(m_size->width() - 1e-6))),
                                     std::max(1, int(std::ceil(m_size->height() - 1e-6))));
        return document;
    }

private:
    bool startElement()
    {
        if (++m_elements > SvgDecoder::MaxElements || m_depth >= SvgDecoder::MaxDepth) {
            m_refusal = refused(Failure::TooLarge, QStringLiteral("The drawing is too complex"));
            return false;
        }
        if (m_elements == 1) {
            if (m_reader.name() != u"svg") {
                m_refusal = refused(Failure::NotAPicture, QStringLiteral("Not a drawing"));
                return false;
            }
            const std::optional<QSizeF> size = naturalSize(m_reader.attributes());
            if (size && size->width() < 1e9 && size->height() < 1e9)
                m_size = size;
            if (m_size && QtImageDecoder::isTooLarge(QSize(int(std::ceil(m_size->width())),
                                                           int(std::ceil(m_size->height()))))) {
                m_refusal = refused(Failure::TooLarge, {});
                return false;
            }
        }
        if (m_reader.name() == u"image")
            return image();
        if (m_reader.name() == u"script") {
            m_reader.skipCurrentElement();
            return true;
        }
        ++m_depth;
        m_writer.writeCurrentToken(m_reader);
        return true;
    }

    // An <image> whose picture is inline and passes the caps is copied with that picture as
    // the only reference; any other is left out with its content.
    bool image()
    {
        const QXmlStreamAttributes attributes = m_reader.attributes();
        std::optional<QImage> picture = inlinePicture(attributes);
        const qint64 pixels = picture ? qint64(picture->width()) * picture->height() : 0;
        const QString uri = picture && m_inlinePixels + pixels <= SvgDecoder::MaxInlinePixels
                                ? pngDataUri(*picture)
                                : QString();
        if (uri.isEmpty()) {
            m_reader.skipCurrentElement();
            return true;
        }
        m_inlinePixels += pixels;
        ++m_depth;
        m_writer.writeStartElement(m_reader.namespaceUri().toString(), m_reader.name().toString());
        for (const QXmlStreamNamespaceDeclaration& declaration : m_reader.namespaceDeclarations()) {
            if (declaration.prefix() != u"xlink")
                m_writer.writeNamespace(declaration.namespaceUri().toString(),
                                        declaration.prefix().toString());
        }
        // Qt SVG looks the reference up by this very name.
        m_writer.writeNamespace(XlinkNamespace, QStringLiteral("xlink"));
        for (const QXmlStreamAttribute& attribute : attributes) {
            if (!isReference(attribute))
                m_writer.writeAttribute(attribute);
        }
        m_writer.writeAttribute(QStringLiteral("xlink:href"), uri);
        return true;
    }

    QXmlStreamReader m_reader;
    QBuffer m_output;
    QXmlStreamWriter m_writer;
    SvgDecoder::Document m_refusal;
    std::optional<QSizeF> m_size;
    int m_elements = 0;
    int m_depth = 0;
    qint64 m_inlinePixels = 0;
};

} // namespace

bool SvgDecoder::isSvgName(const QString& path)
{
    return path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".svgz"), Qt::CaseInsensitive);
}

std::optional<double> SvgDecoder::lengthInPixels(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype unitAt = trimmed.size();
    while (unitAt > 0 && trimmed[unitAt - 1].isLetter())
        --unitAt;
    bool ok = false;
    const double number = trimmed.left(unitAt).toDouble(&ok);
    if (!ok || !std::isfinite(number) || !(number > 0))
        return std::nullopt;
    const QString unit = trimmed.mid(unitAt).toLower();
    double perUnit = 0;
    if (unit.isEmpty() || unit == u"px")
        perUnit = 1;
    else if (unit == u"pt")
        perUnit = 96.0 / 72;
    else if (unit == u"pc")
        perUnit = 16;
    else if (unit == u"in")
        perUnit = 96;
    else if (unit == u"cm")
        perUnit = 96 / 2.54;
    else if (unit == u"mm")
        perUnit = 96 / 25.4;
    else
        return std::nullopt;
    return number * perUnit;
}

std::optional<QByteArray> SvgDecoder::gunzip(const QByteArray& data, qint64 limit, bool* overLimit)
{
    if (overLimit)
        *overLimit = false;
    z_stream stream{};
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray output;
    constexpr qsizetype Chunk = 256 * 1024;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(std::min<qsizetype>(data.size(), std::numeric_limits<uInt>::max()));
    int status = Z_OK;
    while (status == Z_OK) {
        if (output.size() >= limit) {
            if (overLimit)
                *overLimit = true;
            break;
        }
        const qsizetype room = std::min<qsizetype>(Chunk, limit - output.size());
        const qsizetype before = output.size();
        output.resize(before + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data() + before);
        stream.avail_out = uInt(room);
        status = inflate(&stream, Z_NO_FLUSH);
        output.resize(before + room - qsizetype(stream.avail_out));
        if (status == Z_BUF_ERROR && stream.avail_in == 0)
            break; // truncated
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    return output;
}

SvgDecoder::Document SvgDecoder::prepare(const QByteArray& bytes)
{
    if (!isGzip(bytes))
        return Rewriter(bytes).run();
    bool overLimit = false;
    const std::optional<QByteArray> text = gunzip(bytes, MaxTextBytes, &overLimit);
    if (!text) {
        return overLimit ? refused(Failure::TooLarge, QStringLiteral("The drawing is too long"))
                         : refused(Failure::NotAPicture, QStringLiteral("Damaged compression"));
    }
    if (isGzip(*text))
        return refused(Failure::NotAPicture, QStringLiteral("Compressed twice"));
    return Rewriter(*text).run();
}

DecodedImage SvgDecoder::decode(QIODevice& file, const QSize& target)
{
    if (file.size() > MaxFileBytes)
        return DecodedImage::failed(Failure::TooLarge, QStringLiteral("The file is too long"));
    const QByteArray bytes = file.read(file.size());
    if (bytes.size() != file.size())
        return DecodedImage::failed(Failure::Unreadable, file.errorString());
    const Document document = prepare(bytes);
    if (document.failure != Failure::None)
        return DecodedImage::failed(document.failure, document.detail);

    QSvgRenderer renderer(document.text);
    if (!renderer.isValid())
        return DecodedImage::failed(Failure::NotAPicture);
    QSize size = document.naturalSize;
    if (!target.isEmpty())
        size = size.scaled(target, Qt::KeepAspectRatioByExpanding).expandedTo(QSize(1, 1));
    if (QtImageDecoder::isTooLarge(size))
        return DecodedImage::failed(Failure::TooLarge);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return DecodedImage::failed(Failure::TooLarge);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    DecodedImage result;
    result.image = std::move(image);
    result.naturalSize = document.naturalSize;
    return result;
}
