#include "app/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "layout/PaneLayout.h"
#include "layout/Twips.h"
#include "listing/TypeFilter.h"
#include "platform/SettingsStore.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

constexpr char Main[] = "Settings";
constexpr char Types[] = "Type";
constexpr char Repeats[] = "Repeat";

struct SingleKey
{
    const char* name;
    float fallback;
};

struct IntegerKey
{
    const char* name;
    int fallback;
    int min;
    int max;
};

struct BoolKey
{
    const char* name;
    bool fallback;
};

struct TextKey
{
    const char* section;
    const char* name;
    const char* fallback;
};

constexpr int Int16Min = std::numeric_limits<qint16>::min();
constexpr int Int16Max = std::numeric_limits<qint16>::max();
constexpr int Int32Min = std::numeric_limits<qint32>::min();
constexpr int Int32Max = std::numeric_limits<qint32>::max();

// Every key with its default, once.
constexpr SingleKey MainLeft{"MainLeft", 1000};
constexpr SingleKey MainTop{"MainTop", 1000};
constexpr SingleKey MainWidth{"MainWidth", 6500};
constexpr SingleKey MainHeight{"MainHeight", 6500};
// No fixed fallback: a first start opens the user's pictures folder when there is one, else
// the home folder (Settings::defaultFolder); the tree itself is still rooted at "/".
constexpr TextKey Folder{Main, "Folder", nullptr};
constexpr IntegerKey ViewMode{"ViewMode", 0, 0, 3};
constexpr BoolKey Tbaron{"Tbaron", true};
constexpr BoolKey Baron{"Baron", true};
constexpr BoolKey Tvon{"Tvon", true};
constexpr BoolKey Pvon{"Pvon", true};
// The splitters' defaults are their owner's.
const IntegerKey IsaLeft{"IsaLeft", PaneLayout().isaLeft(), Int16Min, Int16Max};
const IntegerKey IsbLeft{"IsbLeft", PaneLayout().isbLeft(), Int16Min, Int16Max};
constexpr IntegerKey PrvLeft{"PrvLeft", 1000, Int32Min, Int32Max};
constexpr IntegerKey PrvTop{"PrvTop", 1000, Int32Min, Int32Max};
constexpr IntegerKey PrvWidth{"PrvWidth", 6500, Int32Min, Int32Max};
constexpr IntegerKey PrvHeight{"PrvHeight", 6500, Int32Min, Int32Max};
constexpr SingleKey TlsLeft{"TlsLeft", 1000};
constexpr SingleKey TlsTop{"TlsTop", 1000};
// The type pieces' defaults are the type filter's own.
constexpr TextKey Bitmap{Types, "Bitmap", nullptr};
constexpr TextKey Jpg{Types, "Jpg", nullptr};
constexpr TextKey Gif{Types, "Gif", nullptr};
constexpr TextKey Ico{Types, "Ico", nullptr};
constexpr TextKey Png{Types, "Png", nullptr};
constexpr TextKey RepeatKind{Repeats, "Kind", "straight"};
constexpr TextKey Webp{Types, "Webp", nullptr};
constexpr TextKey Tiff{Types, "Tiff", nullptr};
constexpr TextKey Svg{Types, "Svg", nullptr};

const TextKey& typeKey(TypeFilter::Type type)
{
    switch (type) {
    case TypeFilter::Type::Bitmap:
        return Bitmap;
    case TypeFilter::Type::Jpeg:
        return Jpg;
    case TypeFilter::Type::Gif:
        return Gif;
    case TypeFilter::Type::Icon:
        return Ico;
    case TypeFilter::Type::Png:
        return Png;
    case TypeFilter::Type::Webp:
        return Webp;
    case TypeFilter::Type::Tiff:
        return Tiff;
    case TypeFilter::Type::Svg:
        return Svg;
    }
    return Bitmap;
}

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

float readSingle(const SettingsStore& store, const SingleKey& key)
{
    const std::optional<QString> stored = store.read(QLatin1String(Main), QLatin1String(key.name));
    return stored ? Settings::toSingle(*stored).value_or(key.fallback) : key.fallback;
}

int readInteger(const SettingsStore& store, const IntegerKey& key)
{
    const std::optional<QString> stored = store.read(QLatin1String(Main), QLatin1String(key.name));
    return stored ? Settings::toInteger(*stored, key.min, key.max).value_or(key.fallback)
                  : key.fallback;
}

bool readBool(const SettingsStore& store, const BoolKey& key)
{
    const std::optional<QString> stored = store.read(QLatin1String(Main), QLatin1String(key.name));
    return stored ? Settings::toBool(*stored).value_or(key.fallback) : key.fallback;
}

} // namespace

Settings::Settings(SettingsStore& store) : m_store(store) {}

float Settings::mainLeft() const
{
    return readSingle(m_store, MainLeft);
}

float Settings::mainTop() const
{
    return readSingle(m_store, MainTop);
}

float Settings::mainWidth() const
{
    return readSingle(m_store, MainWidth);
}

float Settings::mainHeight() const
{
    return readSingle(m_store, MainHeight);
}

void Settings::setMainLeft(float twips)
{
    write(Main, MainLeft.name, fromSingle(twips));
}

void Settings::setMainTop(float twips)
{
    write(Main, MainTop.name, fromSingle(twips));
}

void Settings::setMainWidth(float twips)
{
    write(Main, MainWidth.name, fromSingle(twips));
}

void Settings::setMainHeight(float twips)
{
    write(Main, MainHeight.name, fromSingle(twips));
}

QString Settings::folder() const
{
    return text(Folder.section, Folder.name, defaultFolder());
}

QString Settings::defaultFolder()
{
    // A first start opens where pictures are; the tree is still rooted at "/".
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return QDir::cleanPath(pictures);
    return QDir::homePath();
}

void Settings::setFolder(const QString& path)
{
    write(Folder.section, Folder.name, path);
}

// Read by the numeric-prefix rule, so "3 (details)" still means details.
int Settings::viewMode() const
{
    const std::optional<QString> stored =
        m_store.read(QLatin1String(Main), QLatin1String(ViewMode.name));
    if (!stored)
        return ViewMode.fallback;
    return roundedInto(numericPrefix(*stored), ViewMode.min, ViewMode.max)
        .value_or(ViewMode.fallback);
}

void Settings::setViewMode(int style)
{
    write(Main, ViewMode.name, fromInteger(style));
}

bool Settings::toolbarOn() const
{
    return readBool(m_store, Tbaron);
}

bool Settings::statusBarOn() const
{
    return readBool(m_store, Baron);
}

bool Settings::treeOn() const
{
    return readBool(m_store, Tvon);
}

bool Settings::previewOn() const
{
    return readBool(m_store, Pvon);
}

void Settings::setToolbarOn(bool on)
{
    write(Main, Tbaron.name, fromBool(on));
}

void Settings::setStatusBarOn(bool on)
{
    write(Main, Baron.name, fromBool(on));
}

void Settings::setTreeOn(bool on)
{
    write(Main, Tvon.name, fromBool(on));
}

void Settings::setPreviewOn(bool on)
{
    write(Main, Pvon.name, fromBool(on));
}

int Settings::isaLeft() const
{
    return readInteger(m_store, IsaLeft);
}

int Settings::isbLeft() const
{
    return readInteger(m_store, IsbLeft);
}

void Settings::setIsaLeft(int twips)
{
    write(Main, IsaLeft.name, fromInteger(twips));
}

void Settings::setIsbLeft(int twips)
{
    write(Main, IsbLeft.name, fromInteger(twips));
}

int Settings::prvLeft() const
{
    return readInteger(m_store, PrvLeft);
}

int Settings::prvTop() const
{
    return readInteger(m_store, PrvTop);
}

int Settings::prvWidth() const
{
    return readInteger(m_store, PrvWidth);
}

int Settings::prvHeight() const
{
    return readInteger(m_store, PrvHeight);
}

void Settings::setPrvLeft(int twips)
{
    write(Main, PrvLeft.name, fromInteger(twips));
}

void Settings::setPrvTop(int twips)
{
    write(Main, PrvTop.name, fromInteger(twips));
}

void Settings::setPrvWidth(int twips)
{
    write(Main, PrvWidth.name, fromInteger(twips));
}

void Settings::setPrvHeight(int twips)
{
    write(Main, PrvHeight.name, fromInteger(twips));
}

float Settings::tlsLeft() const
{
    return readSingle(m_store, TlsLeft);
}

float Settings::tlsTop() const
{
    return readSingle(m_store, TlsTop);
}

void Settings::setTlsLeft(float twips)
{
    write(Main, TlsLeft.name, fromSingle(twips));
}

void Settings::setTlsTop(float twips)
{
    write(Main, TlsTop.name, fromSingle(twips));
}

QString Settings::bitmapPiece() const
{
    return text(Bitmap.section, Bitmap.name, TypeFilter().piece(TypeFilter::Type::Bitmap));
}

QString Settings::jpgPiece() const
{
    return text(Jpg.section, Jpg.name, TypeFilter().piece(TypeFilter::Type::Jpeg));
}

QString Settings::gifPiece() const
{
    return text(Gif.section, Gif.name, TypeFilter().piece(TypeFilter::Type::Gif));
}

QString Settings::icoPiece() const
{
    return text(Ico.section, Ico.name, TypeFilter().piece(TypeFilter::Type::Icon));
}

void Settings::setBitmapPiece(const QString& piece)
{
    write(Bitmap.section, Bitmap.name, piece);
}

void Settings::setJpgPiece(const QString& piece)
{
    write(Jpg.section, Jpg.name, piece);
}

void Settings::setGifPiece(const QString& piece)
{
    write(Gif.section, Gif.name, piece);
}

void Settings::setIcoPiece(const QString& piece)
{
    write(Ico.section, Ico.name, piece);
}

QString Settings::typePiece(TypeFilter::Type type) const
{
    const TextKey& key = typeKey(type);
    return text(key.section, key.name, TypeFilter().piece(type));
}

void Settings::setTypePiece(TypeFilter::Type type, const QString& piece)
{
    const TextKey& key = typeKey(type);
    write(key.section, key.name, piece);
}

TypeFilter Settings::types() const
{
    TypeFilter types;
    for (TypeFilter::Type type : TypeFilter::All)
        types.setPiece(type, typePiece(type));
    return types;
}

void Settings::setTypes(const TypeFilter& types)
{
    for (TypeFilter::Type type : TypeFilter::All)
        setTypePiece(type, types.piece(type));
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
    const QString stored =
        text(RepeatKind.section, RepeatKind.name, QLatin1String(RepeatKind.fallback));
    return Repeat::fromToken(stored).value_or(Repeat());
}

void Settings::setRepeat(const Repeat& repeat)
{
    write(RepeatKind.section, RepeatKind.name, repeat.token());
}

QString Settings::text(const char* section, const char* key, const QString& fallback) const
{
    return m_store.read(QLatin1String(section), QLatin1String(key)).value_or(fallback);
}

void Settings::write(const char* section, const char* key, const QString& value)
{
    if (m_held) {
        m_held->append({QLatin1String(section), QLatin1String(key), value});
        return;
    }
    m_store.write(QLatin1String(section), QLatin1String(key), value);
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
