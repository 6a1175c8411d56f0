#pragma once

#include <QString>

// The four pattern pieces of the image types and what is derived from them: the file
// pattern the listing uses and the caption that names the types being searched for.
class TypeFilter
{
public:
    enum class Type
    {
        Bitmap,
        Jpeg,
        Gif,
        Icon
    };

    static const QString OffPiece;      // "&;": matches no ordinary image file
    static const QString SentinelPiece; // "*.zvq": keeps the pattern from ever being empty

    TypeFilter();
    TypeFilter(const QString& bmp, const QString& jpg, const QString& gif, const QString& ico);

    QString piece(Type type) const;
    void setPiece(Type type, const QString& piece);
    void setEnabled(Type type, bool on);
    // On only when the piece equals the type's on value exactly, same case.
    bool isOn(Type type) const;

    static QString onPiece(Type type);

    // Bitmap, JPEG, GIF, icon, sentinel: plain concatenation in that order.
    QString filePattern() const;
    // "Searching for " + the on types in the order bitmap, GIF, JPEG, icon + " files."
    QString typesCaption() const;

private:
    QString m_pieces[4];
};
