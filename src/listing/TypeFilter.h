#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The pattern pieces of the image types and what is derived from them: the file pattern the
// listing uses and the caption that names the types being searched for. The first four types
// are always part of the pattern, whatever their text; the later ones join it only while on,
// so that a settings file that never heard of them lists what it always listed.
class TypeFilter
{
public:
    enum class Type
    {
        Bitmap,
        Jpeg,
        Gif,
        Icon,
        Png,
        Webp,
        Tiff,
        Svg
    };
    static constexpr int Count = 8;
    static constexpr std::array<Type, Count> All{Type::Bitmap, Type::Jpeg, Type::Gif,  Type::Icon,
                                                 Type::Png,    Type::Webp, Type::Tiff, Type::Svg};

    static const QString OffPiece;      // "&;": matches no ordinary image file
    static const QString SentinelPiece; // "*.zvq": keeps the pattern from ever being empty

    // Bitmap, JPEG and GIF on; the others off.
    TypeFilter();
    // The four first pieces as given; the added types off.
    TypeFilter(const QString& bmp, const QString& jpg, const QString& gif, const QString& ico);

    QString piece(Type type) const;
    void setPiece(Type type, const QString& piece);
    void setEnabled(Type type, bool on);
    // On only when the piece equals the type's on value exactly, same case.
    bool isOn(Type type) const;

    static QString onPiece(Type type);
    // The name extensions of the type's on value, lower case, without the dot.
    static QStringList suffixes(Type type);
    // A short name for messages: "PNG", "JPEG".
    static QString displayName(Type type);
    // True for the types that join the pattern only while on.
    static bool isAdded(Type type);

    // Bitmap, JPEG, GIF, icon, the added types that are on, sentinel: plain concatenation.
    QString filePattern() const;
    // "Searching for " + the on types in the order bitmap, GIF, JPEG, icon, then the added ones,
    // + " files."
    QString typesCaption() const;

private:
    std::array<QString, Count> m_pieces;
};
