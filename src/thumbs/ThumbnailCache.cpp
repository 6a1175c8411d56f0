#include "thumbs/ThumbnailCache.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QMap>
#include <QMimeDatabase>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ImageDecoder.h"
#include "platform/ImageHeader.h"
#include "platform/SafeFile.h"

const QString ThumbnailCache::FailFolder = QStringLiteral("fail/vadro-2.0");
const QString ThumbnailCache::Software = QStringLiteral("Vadro 2.0");

namespace {

const QString UriKey = QStringLiteral("Thumb::URI");
const QString MTimeKey = QStringLiteral("Thumb::MTime");
const QString SizeKey = QStringLiteral("Thumb::Size");
const QString WidthKey = QStringLiteral("Thumb::Image::Width");
const QString HeightKey = QStringLiteral("Thumb::Image::Height");
const QString MimeKey = QStringLiteral("Thumb::Mimetype");
const QString SoftwareKey = QStringLiteral("Software");

QString subfolder(ThumbnailCache::Flavour flavour)
{
    switch (flavour) {
    case ThumbnailCache::Flavour::Large:
        return QStringLiteral("large");
    case ThumbnailCache::Flavour::XLarge:
        return QStringLiteral("x-large");
    case ThumbnailCache::Flavour::XXLarge:
        return QStringLiteral("xx-large");
    case ThumbnailCache::Flavour::Normal:
        break;
    }
    return QStringLiteral("normal");
}

// Characters a path keeps unescaped in a file URI: letters, digits and - . _ ~ ! $ & ' ( ) *
// + , = : @ /, as the desktop's libraries leave them, so that both name the same entry.
bool keptInUri(uchar c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '=':
    case ':':
    case '@':
    case '/':
        return true;
    default:
        return false;
    }
}

// Creates the folder and any missing parents, each 0700; existing ones are left as they are.
bool makeFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeFolder(parent))
        return false;
    return ::mkdir(native.constData(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

QMap<QString, QString> textOf(const QImage& image)
{
    QMap<QString, QString> text;
    for (const QString& key : image.textKeys())
        text.insert(key, image.text(key));
    return text;
}

// Whether an entry's keys describe the source as it is now.
bool keysMatch(const QMap<QString, QString>& text, const ThumbnailCache::Source& source)
{
    if (text.value(UriKey) != source.uri)
        return false;
    // Integer seconds by the standard; some writers add a fraction.
    bool ok = false;
    const QString mtimeText = text.value(MTimeKey).trimmed();
    qint64 mtime = mtimeText.toLongLong(&ok);
    if (!ok) {
        const double seconds = mtimeText.toDouble(&ok);
        mtime = ok ? qint64(seconds) : -1;
    }
    if (!ok || mtime != source.mtime)
        return false;
    const QString sizeText = text.value(SizeKey).trimmed();
    return sizeText.isEmpty() || sizeText.toLongLong(&ok) == source.size;
}

// The file at `path` appears whole or not at all, readable by its owner alone.
bool writeAtomically(const QString& path, const QByteArray& bytes)
{
    if (!makeFolder(QFileInfo(path).path()))
        return false;
    QByteArray temporary = QFile::encodeName(path) + ".vadro-XXXXXX";
    // mkostemp creates the file 0600 whatever the umask.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed ||
        ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace

ThumbnailCache::ThumbnailCache(const QString& root) : m_root(QDir::cleanPath(root))
{
    const QString canonical = QFileInfo(m_root).canonicalFilePath();
    m_canonicalRoot = canonical.isEmpty() ? m_root : canonical;
}

QString ThumbnailCache::defaultRoot()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    // A relative value is invalid by the base-directory rules and is ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base + QStringLiteral("/thumbnails"));
}

QString ThumbnailCache::fileUri(const QString& absolutePath)
{
    const QByteArray bytes = QFile::encodeName(QDir::cleanPath(absolutePath));
    QByteArray uri("file://");
    static const char hex[] = "0123456789ABCDEF";
    for (const char ch : bytes) {
        const uchar c = uchar(ch);
        if (keptInUri(c)) {
            uri += char(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return QString::fromLatin1(uri);
}

QString ThumbnailCache::entryName(const QString& uri)
{
    return QString::fromLatin1(
               QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QString ThumbnailCache::entryPath(Flavour flavour, const QString& uri) const
{
    return m_root + QLatin1Char('/') + subfolder(flavour) + QLatin1Char('/') + entryName(uri);
}

QString ThumbnailCache::failurePath(const QString& uri) const
{
    return m_root + QLatin1Char('/') + FailFolder + QLatin1Char('/') + entryName(uri);
}

bool ThumbnailCache::holdsFolder(const QString& folder) const
{
    const auto inside = [](const QString& path, const QString& root) {
        return path == root || path.startsWith(root + QLatin1Char('/'));
    };
    const QString clean = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (inside(clean, m_root) || inside(clean, m_canonicalRoot))
        return true;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() && inside(canonical, m_canonicalRoot);
}

ThumbnailCache::Source ThumbnailCache::source(const QString& path)
{
    Source s;
    const std::optional<SafeFile::Status> status = SafeFile::regularFile(path);
    if (!status)
        return s;
    s.path = path;
    s.uri = fileUri(QFileInfo(path).absoluteFilePath());
    s.mtime = status->modifiedSeconds;
    s.size = status->size;
    s.name = entryName(s.uri);
    return s;
}

int ThumbnailCache::side(Flavour flavour)
{
    switch (flavour) {
    case Flavour::Large:
        return LargeSide;
    case Flavour::XLarge:
        return XLargeSide;
    case Flavour::XXLarge:
        return XXLargeSide;
    case Flavour::Normal:
        break;
    }
    return NormalSide;
}

QString ThumbnailCache::nameOf(const Source& source)
{
    return source.name.isEmpty() ? entryName(source.uri) : source.name;
}

QSize ThumbnailCache::thumbnailSize(const QSize& natural, Flavour flavour)
{
    const int limit = side(flavour);
    if (natural.isEmpty() || (natural.width() <= limit && natural.height() <= limit))
        return {};
    return natural.scaled(limit, limit, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

std::optional<ThumbnailCache::Entry> ThumbnailCache::entryOf(const Source& source, Flavour flavour,
                                                             const QImage& picture,
                                                             const QSize& natural)
{
    const QSize box = thumbnailSize(natural, flavour);
    if (box.isEmpty())
        return std::nullopt;
    Entry entry;
    entry.source = source;
    entry.flavour = flavour;
    entry.natural = natural;
    entry.image = picture.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return entry;
}

QImage ThumbnailCache::readEntry(const QString& file, const Source& source,
                                 const ImageDecoder& decoder) const
{
    // Checked from its header and its keys before it is decoded: a forged entry may claim any
    // size or carry chunks of any length, and only one that passes is worth decoding.
    QSize stated;
    {
        const std::unique_ptr<QFile> entry = SafeFile::openForReading(file);
        if (!entry || entry->size() <= 0 || entry->size() > MaxEntryBytes)
            return {};
        const ImageHeader header = ImageHeader::read(*entry);
        if (header.format != ImageHeader::Format::Png ||
            header.reading != ImageHeader::Reading::Complete ||
            header.size.width() > MaxEntrySide || header.size.height() > MaxEntrySide ||
            !keysMatch(header.text, source))
            return {};
        stated = header.size;
    }
    const DecodedImage decoded = decoder.decode(file);
    // The file may have been replaced since its header was read.
    if (!decoded.ok() || decoded.image.size() != stated ||
        !keysMatch(textOf(decoded.image), source))
        return {};
    return decoded.image;
}

QImage ThumbnailCache::read(const Source& source, Flavour flavour,
                            const ImageDecoder& decoder) const
{
    if (!source.isValid())
        return {};
    const QString name = nameOf(source);
    const auto path = [this, &name](Flavour f) {
        return m_root + QLatin1Char('/') + subfolder(f) + QLatin1Char('/') + name;
    };
    // A larger entry serves a smaller need as well; the smallest that does is read.
    for (Flavour f : {Flavour::Normal, Flavour::Large, Flavour::XLarge, Flavour::XXLarge}) {
        if (side(f) < side(flavour))
            continue;
        QImage image = readEntry(path(f), source, decoder);
        if (!image.isNull())
            return image;
    }
    return {};
}

bool ThumbnailCache::hasFailed(const Source& source, const ImageDecoder& decoder) const
{
    if (!source.isValid())
        return false;
    const QString path = m_root + QLatin1Char('/') + FailFolder + QLatin1Char('/') + nameOf(source);
    return !readEntry(path, source, decoder).isNull();
}

bool ThumbnailCache::write(const Entry& entry) const
{
    const Source& s = entry.source;
    if (!s.isValid())
        return false;
    const bool failure = entry.image.isNull();
    QImage image = failure ? QImage(1, 1, QImage::Format_ARGB32) : entry.image;
    if (failure)
        image.fill(Qt::transparent);
    // The source's colour profile stays with the source: written into a thumbnail, libpng
    // complains on the terminal about the profiles it knows to be wrong.
    image.setColorSpace(QColorSpace());
    image.setText(UriKey, s.uri);
    image.setText(MTimeKey, QString::number(s.mtime));
    image.setText(SizeKey, QString::number(s.size));
    if (!failure && !entry.natural.isEmpty()) {
        image.setText(WidthKey, QString::number(entry.natural.width()));
        image.setText(HeightKey, QString::number(entry.natural.height()));
    }
    if (!failure) {
        const QString mime =
            QMimeDatabase().mimeTypeForFile(s.path, QMimeDatabase::MatchExtension).name();
        if (!mime.isEmpty() && mime != QLatin1String("application/octet-stream"))
            image.setText(MimeKey, mime);
    }
    image.setText(SoftwareKey, Software);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return false;
    const QString folder = failure ? FailFolder : subfolder(entry.flavour);
    return writeAtomically(m_root + QLatin1Char('/') + folder + QLatin1Char('/') + nameOf(s),
                           bytes);
}
