#pragma once

#include <QString>
#include <QVector>

#include <optional>

#include "listing/TypeFilter.h"
#include "platform/SettingsStore.h"
#include "tile/Repeat.h"

// The program's remembered state, one typed getter and setter per key, every default
// written once (in Settings.cpp). Getters read through the store each time; a stored text
// that does not convert, or lies out of range, reads as the key's default.
class Settings
{
public:
    explicit Settings(SettingsStore& store);

    // Between hold() and release() the setters' values are kept, then saved in one write.
    void hold();
    void release();

    // Section "Settings". Geometry is in twips.
    float mainLeft() const;
    float mainTop() const;
    float mainWidth() const;
    float mainHeight() const;
    void setMainLeft(float twips);
    void setMainTop(float twips);
    void setMainWidth(float twips);
    void setMainHeight(float twips);

    QString folder() const;
    // The pictures folder when it exists, else the home folder.
    static QString defaultFolder();
    void setFolder(const QString& path);

    // The list style 0..3 (large icons, small icons, list, details).
    int viewMode() const;
    void setViewMode(int style);

    bool toolbarOn() const;
    bool statusBarOn() const;
    bool treeOn() const;
    bool previewOn() const;
    void setToolbarOn(bool on);
    void setStatusBarOn(bool on);
    void setTreeOn(bool on);
    void setPreviewOn(bool on);

    int isaLeft() const;
    int isbLeft() const;
    void setIsaLeft(int twips);
    void setIsbLeft(int twips);

    int prvLeft() const;
    int prvTop() const;
    int prvWidth() const;
    int prvHeight() const;
    void setPrvLeft(int twips);
    void setPrvTop(int twips);
    void setPrvWidth(int twips);
    void setPrvHeight(int twips);

    float tlsLeft() const;
    float tlsTop() const;
    void setTlsLeft(float twips);
    void setTlsTop(float twips);

    // Section "Type": the pattern pieces, stored and used verbatim.
    QString bitmapPiece() const;
    QString jpgPiece() const;
    QString gifPiece() const;
    QString icoPiece() const;
    void setBitmapPiece(const QString& piece);
    void setJpgPiece(const QString& piece);
    void setGifPiece(const QString& piece);
    void setIcoPiece(const QString& piece);
    // Every type's piece by its type, the added ones ("Png", "Webp", "Tiff", "Svg") off when
    // missing; the whole filter read and written in the keys' order.
    QString typePiece(TypeFilter::Type type) const;
    void setTypePiece(TypeFilter::Type type, const QString& piece);
    TypeFilter types() const;
    void setTypes(const TypeFilter& types);

    // Section "Repeat", key "Kind": how the tiled view repeats a tile ("drop2", "mirror-both");
    // straight when missing or unknown.
    Repeat repeat() const;
    void setRepeat(const Repeat& repeat);

    // Text conversions, public for the tests.
    // "True"/"False" in any case; numeric text is true when non-zero; anything else: nothing.
    static std::optional<bool> toBool(const QString& text);
    // A finite single-precision number written in plain decimal; nothing otherwise.
    static std::optional<float> toSingle(const QString& text);
    // A number rounded (halves to even) into [min, max]; nothing when it does not convert or fit.
    static std::optional<int> toInteger(const QString& text, int min, int max);
    // The leading numeric part ("3abc" -> 3, "2.5" -> 2.5, "abc" -> 0), as a basic VAL reads it.
    static double numericPrefix(const QString& text);
    static QString fromBool(bool value);    // "True" / "False"
    static QString fromSingle(float value); // shortest text: "1000", "1234.5", "-3"
    static QString fromInteger(int value);

private:
    QString text(const char* section, const char* key, const QString& fallback) const;
    void write(const char* section, const char* key, const QString& value);

    SettingsStore& m_store;
    std::optional<QVector<SettingsStore::Entry>> m_held;
};
