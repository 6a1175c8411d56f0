#include "listing/TypeFilter.h"

#include <QCoreApplication>

const QString TypeFilter::OffPiece = QStringLiteral("&;");
const QString TypeFilter::SentinelPiece = QStringLiteral("*.zvq");

namespace {

int indexOf(TypeFilter::Type type)
{
    return static_cast<int>(type);
}

QString captionPiece(TypeFilter::Type type)
{
    switch (type) {
    case TypeFilter::Type::Bitmap:
        return QStringLiteral("*.bmp ");
    case TypeFilter::Type::Jpeg:
        return QStringLiteral("*.jpeg "); // names only the longer extension
    case TypeFilter::Type::Gif:
        return QStringLiteral("*.gif ");
    case TypeFilter::Type::Icon:
        return QStringLiteral("*.ico ");
    case TypeFilter::Type::Png:
        return QStringLiteral("*.png ");
    case TypeFilter::Type::Webp:
        return QStringLiteral("*.webp ");
    case TypeFilter::Type::Tiff:
        return QStringLiteral("*.tif ");
    case TypeFilter::Type::Svg:
        return QStringLiteral("*.svg ");
    }
    return {};
}

} // namespace

TypeFilter::TypeFilter()
    : TypeFilter(onPiece(Type::Bitmap), onPiece(Type::Jpeg), onPiece(Type::Gif), OffPiece)
{
}

TypeFilter::TypeFilter(const QString& bmp, const QString& jpg, const QString& gif,
                       const QString& ico)
    : m_pieces{bmp, jpg, gif, ico, OffPiece, OffPiece, OffPiece, OffPiece}
{
}

QString TypeFilter::onPiece(Type type)
{
    switch (type) {
    case Type::Bitmap:
        return QStringLiteral("*.bmp;");
    case Type::Jpeg:
        return QStringLiteral("*.jpeg;*.jpg;");
    case Type::Gif:
        return QStringLiteral("*.gif;");
    case Type::Icon:
        return QStringLiteral("*.ico;");
    case Type::Png:
        return QStringLiteral("*.png;");
    case Type::Webp:
        return QStringLiteral("*.webp;");
    case Type::Tiff:
        return QStringLiteral("*.tif;*.tiff;");
    case Type::Svg:
        return QStringLiteral("*.svg;");
    }
    return {};
}

QStringList TypeFilter::suffixes(Type type)
{
    QStringList result;
    const QStringList masks = onPiece(type).split(u';', Qt::SkipEmptyParts);
    for (const QString& mask : masks)
        result.append(mask.mid(2)); // "*.png" -> "png"
    return result;
}

QString TypeFilter::displayName(Type type)
{
    switch (type) {
    case Type::Bitmap:
        return QStringLiteral("BMP");
    case Type::Jpeg:
        return QStringLiteral("JPEG");
    case Type::Gif:
        return QStringLiteral("GIF");
    case Type::Icon:
        return QStringLiteral("ICO");
    case Type::Png:
        return QStringLiteral("PNG");
    case Type::Webp:
        return QStringLiteral("WebP");
    case Type::Tiff:
        return QStringLiteral("TIFF");
    case Type::Svg:
        return QStringLiteral("SVG");
    }
    return {};
}

bool TypeFilter::isAdded(Type type)
{
    return indexOf(type) >= indexOf(Type::Png);
}

QString TypeFilter::piece(Type type) const
{
    return m_pieces[size_t(indexOf(type))];
}

void TypeFilter::setPiece(Type type, const QString& piece)
{
    m_pieces[size_t(indexOf(type))] = piece;
}

void TypeFilter::setEnabled(Type type, bool on)
{
    setPiece(type, on ? onPiece(type) : OffPiece);
}

bool TypeFilter::isOn(Type type) const
{
    return piece(type) == onPiece(type);
}

QString TypeFilter::filePattern() const
{
    QString pattern;
    for (Type type : All) {
        if (!isAdded(type) || isOn(type))
            pattern += piece(type);
    }
    return pattern + SentinelPiece;
}

QString TypeFilter::typesCaption() const
{
    QString pieces;
    for (Type type : {Type::Bitmap, Type::Gif, Type::Jpeg, Type::Icon, Type::Png, Type::Webp,
                      Type::Tiff, Type::Svg}) {
        if (isOn(type))
            pieces += captionPiece(type);
    }
    return QCoreApplication::translate("TypeFilter", "Searching for %1 files.").arg(pieces);
}
