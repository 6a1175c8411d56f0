#include "listing/TypeFilter.h"

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
    : m_pieces{bmp, jpg, gif, ico}
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
    }
    return {};
}

QString TypeFilter::piece(Type type) const
{
    return m_pieces[indexOf(type)];
}

void TypeFilter::setPiece(Type type, const QString& piece)
{
    m_pieces[indexOf(type)] = piece;
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
    return m_pieces[0] + m_pieces[1] + m_pieces[2] + m_pieces[3] + SentinelPiece;
}

QString TypeFilter::typesCaption() const
{
    QString caption = QStringLiteral("Searching for ");
    for (Type type : {Type::Bitmap, Type::Gif, Type::Jpeg, Type::Icon}) {
        if (isOn(type))
            caption += captionPiece(type);
    }
    return caption + QStringLiteral(" files.");
}
