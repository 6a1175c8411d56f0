#pragma once

#include <QString>
#include <QVector>

#include <optional>

#include "listing/TypeFilter.h"
#include "platform/SettingsStore.h"
#include "tile/Repeat.h"

// One stored value: its section and key, its default and how its text reads (Settings.cpp).
template <typename Value> struct SettingsKey;

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
    float mainLeft() const { return get(MainLeft); }
    float mainTop() const { return get(MainTop); }
    float mainWidth() const { return get(MainWidth); }
    float mainHeight() const { return get(MainHeight); }
    void setMainLeft(float twips) { set(MainLeft, twips); }
    void setMainTop(float twips) { set(MainTop, twips); }
    void setMainWidth(float twips) { set(MainWidth, twips); }
    void setMainHeight(float twips) { set(MainHeight, twips); }

    QString folder() const;
    // The pictures folder when it exists, else the home folder.
    static QString defaultFolder();
    void setFolder(const QString& path) { set(Folder, path); }

    // The list style 0..3 (large icons, small icons, list, details).
    int viewMode() const { return get(ViewMode); }
    void setViewMode(int style) { set(ViewMode, style); }

    bool toolbarOn() const { return get(Tbaron); }
    bool statusBarOn() const { return get(Baron); }
    bool treeOn() const { return get(Tvon); }
    bool previewOn() const { return get(Pvon); }
    void setToolbarOn(bool on) { set(Tbaron, on); }
    void setStatusBarOn(bool on) { set(Baron, on); }
    void setTreeOn(bool on) { set(Tvon, on); }
    void setPreviewOn(bool on) { set(Pvon, on); }

    int isaLeft() const { return get(IsaLeft); }
    int isbLeft() const { return get(IsbLeft); }
    void setIsaLeft(int twips) { set(IsaLeft, twips); }
    void setIsbLeft(int twips) { set(IsbLeft, twips); }

    int prvLeft() const { return get(PrvLeft); }
    int prvTop() const { return get(PrvTop); }
    int prvWidth() const { return get(PrvWidth); }
    int prvHeight() const { return get(PrvHeight); }
    void setPrvLeft(int twips) { set(PrvLeft, twips); }
    void setPrvTop(int twips) { set(PrvTop, twips); }
    void setPrvWidth(int twips) { set(PrvWidth, twips); }
    void setPrvHeight(int twips) { set(PrvHeight, twips); }

    float tlsLeft() const { return get(TlsLeft); }
    float tlsTop() const { return get(TlsTop); }
    void setTlsLeft(float twips) { set(TlsLeft, twips); }
    void setTlsTop(float twips) { set(TlsTop, twips); }

    // Section "Type": every type's pattern piece, stored and used verbatim; the added types
    // ("Png", "Webp", "Tiff", "Svg") off when missing.
    TypeFilter types() const;
    void setTypes(const TypeFilter& types);

    // Section "Repeat", key "Kind": how the tiled view repeats a tile ("drop2", "mirror-both");
    // straight when missing or unknown.
    Repeat repeat() const;
    void setRepeat(const Repeat& repeat);

    // Section "Size": "Resolution", the dots per inch of pictures whose file states none (96
    // when missing or out of range); "ScreenDpi", the screen's as the user measured it (0 or
    // missing: as the screen reports); "WebPage", the tiled view at a fractional scale drawn as
    // a browser would.
    double pictureDpi() const;
    void setPictureDpi(double dpi);
    std::optional<double> screenDpi() const;
    void setScreenDpi(std::optional<double> dpi);
    bool webPage() const { return get(WebPage); }
    void setWebPage(bool on) { set(WebPage, on); }

    // Text conversions, public for the tests.
    // "True"/"False" in any case; numeric text is true when non-zero; anything else: nothing.
    static std::optional<bool> toBool(const QString& text);
    // A finite single-precision number written in plain decimal; nothing otherwise.
    static std::optional<float> toSingle(const QString& text);
    // A number rounded (halves to even) into [min, max]; nothing when it does not convert or fit.
    static std::optional<int> toInteger(const QString& text, int min, int max);
    // The number the text starts with, 0 when it starts with none ("3abc" -> 3, "2.5" -> 2.5,
    // "abc" -> 0), so that a hand-edited "3 (details)" still reads as 3.
    static double numericPrefix(const QString& text);
    static QString fromBool(bool value);    // "True" / "False"
    static QString fromSingle(float value); // shortest text: "1000", "1234.5", "-3"
    static QString fromInteger(int value);

private:
    static const SettingsKey<float> MainLeft, MainTop, MainWidth, MainHeight, TlsLeft, TlsTop;
    static const SettingsKey<int> ViewMode, IsaLeft, IsbLeft, PrvLeft, PrvTop, PrvWidth, PrvHeight;
    static const SettingsKey<bool> Tbaron, Baron, Tvon, Pvon, WebPage;
    static const SettingsKey<float> PictureDpi, ScreenDpi;
    static const SettingsKey<QString> Folder, RepeatKind;

    // The stored value when there is one and it converts.
    template <typename Value> std::optional<Value> stored(const SettingsKey<Value>& key) const;
    // The stored value, or the key's default.
    template <typename Value> Value get(const SettingsKey<Value>& key) const;
    template <typename Value> void set(const SettingsKey<Value>& key, const Value& value);
    void write(const QString& section, const QString& key, const QString& value);

    SettingsStore& m_store;
    std::optional<QVector<SettingsStore::Entry>> m_held;
};
