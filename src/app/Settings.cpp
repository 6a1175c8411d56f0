#include "app/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "layout/PaneLayout.h"
#include "layout/Twips.h"
#include "listing/TypeFilter.h"
#include "platform/SettingsStore.h"
#include "tile/RealSize.h"
#include "tile/TileSettings.h"

#include <charconv>
#include <cmath>
#include <limits>

template <typename Value> struct SettingsKey
{
    const char* section;
    const char* name;
    Value fallback;
    std::optional<Value> (*parse)(const QString& text);
};

namespace {

constexpr char Main[] = "Settings";
constexpr char Types[] = "Type";
constexpr char Repeats[] = "Repeat";
constexpr char Sizes[] = "Size";

constexpr int Int16Min = std::numeric_limits<qint16>::min();
constexpr int Int16Max = std::numeric_limits<qint16>::max();
constexpr int Int32Min = std::numeric_limits<qint32>::min();
constexpr int Int32Max = std::numeric_limits<qint32>::max();

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the decimal number that text starts with (sign, digits, point, fraction,
// exponent), 0 when it starts with none. "inf", "nan" and hex are not numbers here.
qsizetype decimalLength(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isAsciiDigit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == u'.') {
        for (++i; i < text.size() && isAsciiDigit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        const qsizetype exponentStart = j;
        while (j < text.size() && isAsciiDigit(text[j]))
            ++j;
        if (j > exponentStart)
            i = j;
    }
    return i;
}

// from_chars is locale-independent (the user's locale may write "1,5"), but takes no "+".
template <typename Number> std::errc parseNumber(QStringView number, Number* value)
{
    QByteArray bytes = number.toLatin1();
    if (bytes.startsWith('+') && !bytes.startsWith("+-"))
        bytes.remove(0, 1);
    const char* end = bytes.constData() + bytes.size();
    const auto result = std::from_chars(bytes.constData(), end, *value);
    return result.ptr == end ? result.ec : std::errc::invalid_argument;
}

// The whole text (blanks around it aside) as a finite number; "inf" and "nan" are not.
template <typename Number> std::optional<Number> wholeNumber(const QString& text)
{
    Number value{};
    if (parseNumber(QStringView(text).trimmed(), &value) != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Rounded with halves to even into [min, max]; nothing outside, checked before the rounding
// so that a huge number cannot overflow it.
std::optional<int> roundedInto(double value, int min, int max)
{
    if (!(value >= double(min) - 1.0 && value <= double(max) + 1.0))
        return std::nullopt;
    const long long rounded = Twips::roundHalfEven(value);
    if (rounded < min || rounded > max)
        return std::nullopt;
    return int(rounded);
}

std::optional<int> int16(const QString& text)
{
    return Settings::toInteger(text, Int16Min, Int16Max);
}

std::optional<int> int32(const QString& text)
{
    return Settings::toInteger(text, Int32Min, Int32Max);
}

// Read by the numeric-prefix rule, so "3 (details)" still means details.
std::optional<int> listStyle(const QString& text)
{
    return roundedInto(Settings::numericPrefix(text), 0, 3);
}

std::optional<QString> verbatim(const QString& text)
{
    return text;
}

QString textOf(float value)
{
    return Settings::fromSingle(value);
}

QString textOf(int value)
{
    return Settings::fromInteger(value);
}

QString textOf(bool value)
{
    return Settings::fromBool(value);
}

QString textOf(const QString& value)
{
    return value;
}

// In TypeFilter::Type's order. No fixed default: a missing piece keeps the type filter's own.
const SettingsKey<QString> TypeKeys[TypeFilter::Count] = {
    {Types, "Bitmap", {}, verbatim}, {Types, "Jpg", {}, verbatim}, {Types, "Gif", {}, verbatim},
    {Types, "Ico", {}, verbatim},    {Types, "Png", {}, verbatim}, {Types, "Webp", {}, verbatim},
    {Types, "Tiff", {}, verbatim},   {Types, "Svg", {}, verbatim},
};

const SettingsKey<QString>& typeKey(TypeFilter::Type type)
{
    return TypeKeys[int(type)];
}

} // namespace

// Every key with its default, once.
const SettingsKey<float> Settings::MainLeft{Main, "MainLeft", 1000, toSingle};
const SettingsKey<float> Settings::MainTop{Main, "MainTop", 1000, toSingle};
const SettingsKey<float> Settings::MainWidth{Main, "MainWidth", 6500, toSingle};
const SettingsKey<float> Settings::MainHeight{Main, "MainHeight", 6500, toSingle};
// No fixed default: a first start opens the user's pictures folder when there is one, else
// the home folder (defaultFolder); the tree itself is still rooted at "/".
const SettingsKey<QString> Settings::Folder{Main, "Folder", {}, verbatim};
const SettingsKey<int> Settings::ViewMode{Main, "ViewMode", 0, listStyle};
const SettingsKey<bool> Settings::Tbaron{Main, "Tbaron", true, toBool};
const SettingsKey<bool> Settings::Baron{Main, "Baron", true, toBool};
const SettingsKey<bool> Settings::Tvon{Main, "Tvon", true, toBool};
const SettingsKey<bool> Settings::Pvon{Main, "Pvon", true, toBool};
// The splitters' defaults are their owner's.
const SettingsKey<int> Settings::IsaLeft{Main, "IsaLeft", PaneLayout().isaLeft(), int16};
const SettingsKey<int> Settings::IsbLeft{Main, "IsbLeft", PaneLayout().isbLeft(), int16};
// The tiled view's window.
const SettingsKey<int> Settings::PrvLeft{Main, "PrvLeft", 1000, int32};
const SettingsKey<int> Settings::PrvTop{Main, "PrvTop", 1000, int32};
const SettingsKey<int> Settings::PrvWidth{Main, "PrvWidth", 6500, int32};
const SettingsKey<int> Settings::PrvHeight{Main, "PrvHeight", 6500, int32};
const SettingsKey<float> Settings::TlsLeft{Main, "TlsLeft", 1000, toSingle};
const SettingsKey<float> Settings::TlsTop{Main, "TlsTop", 1000, toSingle};
// The repeat is a choice of work, kept in a section of its own.
const SettingsKey<QString> Settings::RepeatKind{Repeats, "Kind", QStringLiteral("straight"),
                                                verbatim};
namespace {

// A resolution in dots per inch; 0 for the screen's means "as the screen reports".
std::optional<float> resolution(const QString& text)
{
    const std::optional<float> dpi = Settings::toSingle(text);
    return dpi && RealSize::sane(*dpi) ? dpi : std::nullopt;
}

std::optional<float> screenResolution(const QString& text)
{
    const std::optional<float> dpi = Settings::toSingle(text);
    return dpi && *dpi == 0 ? dpi : resolution(text);
}

} // namespace

// Real size: what the user chose for pictures without a resolution and measured on the screen.
const SettingsKey<float> Settings::PictureDpi{Sizes, "Resolution",
                                              float(TileSettings::DefaultPictureDpi), resolution};
const SettingsKey<float> Settings::ScreenDpi{Sizes, "ScreenDpi", 0, screenResolution};
const SettingsKey<bool> Settings::WebPage{Sizes, "WebPage", false, toBool};

Settings::Settings(SettingsStore& store) : m_store(store) {}

template <typename Value> std::optional<Value> Settings::stored(const SettingsKey<Value>& key) const
{
    const std::optional<QString> text =
        m_store.read(QLatin1String(key.section), QLatin1String(key.name));
    return text ? key.parse(*text) : std::nullopt;
}

template <typename Value> Value Settings::get(const SettingsKey<Value>& key) const
{
    return stored(key).value_or(key.fallback);
}

template <typename Value> void Settings::set(const SettingsKey<Value>& key, const Value& value)
{
    write(QLatin1String(key.section), QLatin1String(key.name), textOf(value));
}

// The header's accessors use these.
template float Settings::get(const SettingsKey<float>&) const;
template int Settings::get(const SettingsKey<int>&) const;
template bool Settings::get(const SettingsKey<bool>&) const;
template void Settings::set(const SettingsKey<float>&, const float&);
template void Settings::set(const SettingsKey<int>&, const int&);
template void Settings::set(const SettingsKey<bool>&, const bool&);
template void Settings::set(const SettingsKey<QString>&, const QString&);

QString Settings::folder() const
{
    return stored(Folder).value_or(defaultFolder());
}

QString Settings::defaultFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return QDir::cleanPath(pictures);
    return QDir::homePath();
}

TypeFilter Settings::types() const
{
    TypeFilter types;
    for (TypeFilter::Type type : TypeFilter::All) {
        if (const std::optional<QString> piece = stored(typeKey(type)))
            types.setPiece(type, *piece);
    }
    return types;
}

void Settings::setTypes(const TypeFilter& types)
{
    for (TypeFilter::Type type : TypeFilter::All)
        set(typeKey(type), types.piece(type));
}

std::optional<bool> Settings::toBool(const QString& text)
{
    const QStringView word = QStringView(text).trimmed();
    if (word.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    if (const std::optional<double> number = wholeNumber<double>(text))
        return *number != 0;
    return std::nullopt;
}

std::optional<float> Settings::toSingle(const QString& text)
{
    return wholeNumber<float>(text);
}

std::optional<int> Settings::toInteger(const QString& text, int min, int max)
{
    const std::optional<double> number = wholeNumber<double>(text);
    if (!number)
        return std::nullopt;
    return roundedInto(*number, min, max);
}

double Settings::numericPrefix(const QString& text)
{
    QStringView rest(text);
    while (!rest.isEmpty() && (rest.front() == u' ' || rest.front() == u'\t' ||
                               rest.front() == u'\n' || rest.front() == u'\r'))
        rest = rest.sliced(1);
    const QStringView number = rest.first(decimalLength(rest));
    if (number.isEmpty())
        return 0;
    // Parsed wide, so that only an absurd exponent is out of range.
    long double value = 0;
    if (parseNumber(number, &value) == std::errc::result_out_of_range) {
        const bool negative = number.startsWith(u'-');
        if (number.contains(u"e-", Qt::CaseInsensitive))
            return negative ? -0.0 : 0.0;
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (std::fabs(value) > std::numeric_limits<double>::max())
        return value < 0 ? -HUGE_VAL : HUGE_VAL;
    return double(value);
}

QString Settings::fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString Settings::fromSingle(float value)
{
    if (value == 0)
        value = 0; // no "-0" in the file
    // Fixed notation, shortest text that reads back as the same float: "1234.5", not "1.2345e+03".
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString Settings::fromInteger(int value)
{
    return QString::number(value);
}

Repeat Settings::repeat() const
{
    // A missing or unknown kind reads as the straight repeat.
    const std::optional<QString> token = stored(RepeatKind);
    return token ? Repeat::fromToken(*token).value_or(Repeat()) : Repeat();
}

double Settings::pictureDpi() const
{
    return get(PictureDpi);
}

void Settings::setPictureDpi(double dpi)
{
    set(PictureDpi, float(dpi));
}

std::optional<double> Settings::screenDpi() const
{
    const float dpi = get(ScreenDpi);
    return dpi > 0 ? std::optional<double>(dpi) : std::nullopt;
}

void Settings::setScreenDpi(std::optional<double> dpi)
{
    set(ScreenDpi, dpi ? float(*dpi) : 0.0f);
}

void Settings::setRepeat(const Repeat& repeat)
{
    set(RepeatKind, repeat.token());
}

void Settings::write(const QString& section, const QString& key, const QString& value)
{
    if (m_held) {
        m_held->append({section, key, value});
        return;
    }
    m_store.write(section, key, value);
}

void Settings::hold()
{
    if (!m_held)
        m_held.emplace();
}

void Settings::release()
{
    if (!m_held)
        return;
    const QVector<SettingsStore::Entry> entries = std::move(*m_held);
    m_held.reset();
    if (!entries.isEmpty())
        m_store.writeAll(entries);
}
