#include "platform/IniSettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("IniSettingsStore", text);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// One name per value, as QSettings spells it: "Settings/Folder"; keys outside any section
// (or in [General]) have no prefix.
QString joinKey(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + u'/' + key;
}

QString notRegularProblem(const QString& path)
{
    return tr("Settings file %1 is not a regular file; settings are kept for this session only.")
        .arg(path);
}

QString saveProblem(const QString& path)
{
    return tr("Settings could not be saved to %1.").arg(path);
}

struct Inspection
{
    enum class Kind
    {
        Absent,
        Contents,
        NotRegular,
        Unreadable,
        TooBig
    };
    Kind kind = Kind::Absent;
    QByteArray bytes;
    QString reason;
};

class FdCloser
{
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

enum class PathKind
{
    Absent, // nothing there, or a missing folder on the way
    Regular,
    NotRegular, // also a link to nothing: writing through it would create its target
    Unknown,    // lstat failed; errno says why
};

// What the path names after following links, without opening it.
PathKind pathKind(const QByteArray& name)
{
    struct stat info = {};
    if (::lstat(name.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Absent : PathKind::Unknown;
    if (S_ISLNK(info.st_mode) && ::stat(name.constData(), &info) != 0)
        return PathKind::NotRegular;
    return S_ISREG(info.st_mode) ? PathKind::Regular : PathKind::NotRegular;
}

Inspection inspect(const QString& path)
{
    using Kind = Inspection::Kind;
    const QByteArray name = QFile::encodeName(path);
    switch (pathKind(name)) {
    case PathKind::Absent:
        return {Kind::Absent, {}, {}};
    case PathKind::NotRegular:
        return {Kind::NotRegular, {}, {}};
    case PathKind::Unknown:
        return {Kind::Unreadable, {}, systemError(errno)};
    case PathKind::Regular:
        break;
    }

    // Non-blocking, and checked again on the descriptor: the path may have changed since.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {Kind::Unreadable, {}, systemError(errno)};
    const FdCloser closer(fd);
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return {Kind::Unreadable, {}, systemError(errno)};
    if (!S_ISREG(info.st_mode))
        return {Kind::NotRegular, {}, {}};
    if (info.st_size > IniSettingsStore::MaxFileSize)
        return {Kind::TooBig, {}, {}};

    QByteArray bytes(IniSettingsStore::MaxFileSize + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {Kind::Unreadable, {}, systemError(errno)};
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > IniSettingsStore::MaxFileSize)
        return {Kind::TooBig, {}, {}}; // it grew while we read
    bytes.truncate(filled);
    return {Kind::Contents, bytes, {}};
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

int hexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

char16_t simpleEscape(QChar c)
{
    switch (c.unicode()) {
    case u'a':
        return u'\a';
    case u'b':
        return u'\b';
    case u'f':
        return u'\f';
    case u'n':
        return u'\n';
    case u'r':
        return u'\r';
    case u't':
        return u'\t';
    case u'v':
        return u'\v';
    case u'"':
        return u'"';
    case u'?':
        return u'?';
    case u'\'':
        return u'\'';
    case u'\\':
        return u'\\';
    default:
        return 0;
    }
}

// Undoes the backslash escapes QSettings writes. Any other backslash is the user's own
// and stays, so "C:\q" is read as written.
QString unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar e = text[i + 1];
        if (const char16_t simple = simpleEscape(e)) {
            out += QChar(simple);
            ++i;
        } else if (e == u'x' && i + 2 < text.size() && hexDigit(text[i + 2]) >= 0) {
            char16_t code = 0;
            qsizetype j = i + 2;
            for (; j < text.size() && hexDigit(text[j]) >= 0; ++j)
                code = char16_t(code * 16 + hexDigit(text[j]));
            out += QChar(code);
            i = j - 1;
        } else if (e >= u'0' && e <= u'7') {
            char16_t code = 0;
            qsizetype j = i + 1;
            for (; j < text.size() && text[j] >= u'0' && text[j] <= u'7'; ++j)
                code = char16_t(code * 8 + (text[j].unicode() - u'0'));
            out += QChar(code);
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

// QSettings quotes a whole value or nothing; a quote inside is always escaped.
bool isQuoted(QStringView value)
{
    if (value.size() < 2 || value.front() != u'"' || value.back() != u'"')
        return false;
    qsizetype i = 1;
    while (i < value.size() - 1) {
        if (value[i] == u'\\')
            i += 2;
        else if (value[i] == u'"')
            return false;
        else
            ++i;
    }
    return i == value.size() - 1;
}

QString decodeValue(QStringView raw)
{
    const QString text = isQuoted(raw) ? unescape(raw.sliced(1, raw.size() - 2)) : unescape(raw);
    // QSettings' own markers: a leading "@" is doubled, a text holding NUL is wrapped.
    if (text.startsWith(u"@String(") && text.endsWith(u')'))
        return text.sliced(8).chopped(1);
    if (text.startsWith(u"@@"))
        return text.sliced(1);
    return text;
}

// Keys by section: a section's name is held once, however many keys it has.
using Section = QHash<QString, QString>;
using Values = QHash<QString, Section>;

bool isIniSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// QSettings splits lines its own way: a quoted stretch or a backslash runs on over a line
// end, and ";" outside quotes ends the line. One line as it would see it, from pos on;
// false at the end of the data. Comment lines are skipped as it skips them.
bool nextQSettingsLine(QByteArrayView data, qsizetype& pos, QByteArrayView* line, bool* hasEquals)
{
    const qsizetype size = data.size();
    qsizetype start = pos;
    while (start < size && isIniSpace(data[start]))
        ++start;
    bool inQuotes = false;
    *hasEquals = false;
    qsizetype i = start;
    while (i < size) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes)
                *hasEquals = true;
        } else if (c == '\n' || c == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char next = data[i++];
                if (i < size &&
                    ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) {
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && isIniSpace(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    *line = data.sliced(start, i - start);
    return i > start;
}

// What QSettings would call a format error, found in one pass without keeping anything:
// parsing the file through QSettings itself would copy the section's name into every key.
bool qsettingsFindsFormatError(QByteArrayView data)
{
    qsizetype pos = 0;
    QByteArrayView line;
    bool hasEquals = false;
    while (nextQSettingsLine(data, pos, &line, &hasEquals)) {
        if (line.startsWith('[')) {
            if (!line.contains(']'))
                return true;
        } else if (!hasEquals && !line.startsWith(';')) {
            return true;
        }
    }
    return false;
}

// A strict line reader: sections, key=value lines, ";" comment lines and blank lines.
// Anything else means the file is not ours to read.
std::optional<Values> parseIni(QByteArrayView data, QString* why)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data);
    if (decoder.hasError()) {
        *why = tr("it is not UTF-8 text");
        return std::nullopt;
    }

    Values values;
    Section* section = &values[QString()];
    int keys = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView rawLine = QStringView(text).sliced(start, end - start);
        start = end + 1;

        if (rawLine.size() > IniSettingsStore::MaxLineLength) {
            *why = tr("a line is too long");
            return std::nullopt;
        }
        for (QChar c : rawLine) {
            if (c.unicode() < 0x20 && c != u'\t') {
                *why = tr("it contains control characters");
                return std::nullopt;
            }
        }
        const QStringView line = trimBlanks(rawLine);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView rest = close < 0 ? QStringView() : trimBlanks(line.sliced(close + 1));
            if (close < 0 || !(rest.isEmpty() || rest.startsWith(u';'))) {
                *why = tr("a section heading is malformed");
                return std::nullopt;
            }
            const QStringView name = trimBlanks(line.sliced(1, close - 1));
            section = &values[name.compare(u"general", Qt::CaseInsensitive) == 0 ? QString()
                                                                                 : name.toString()];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QStringView key = equals < 0 ? QStringView() : trimBlanks(line.first(equals));
        if (key.isEmpty()) {
            *why = tr("a line is not of the form key=value");
            return std::nullopt;
        }
        if (++keys > IniSettingsStore::MaxKeys) {
            *why = tr("it holds too many keys");
            return std::nullopt;
        }
        section->insert(key.toString(), decodeValue(trimBlanks(line.sliced(equals + 1))));
    }
    if (qsettingsFindsFormatError(data)) {
        *why = tr("it is not in INI format");
        return std::nullopt;
    }
    return values;
}

// What QSettings would hold for these values: every key carries its section's name.
qint64 qsettingsCost(const Values& values)
{
    qint64 cost = 0;
    for (auto section = values.cbegin(); section != values.cend(); ++section)
        cost += qint64(section->size()) * (section.key().size() + 1);
    return cost;
}

// Names QSettings writes unescaped; only those can be handed back to it unchanged.
bool isPlainName(const QString& name)
{
    for (QChar c : name) {
        const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.' ||
                           c == u'/';
        if (!plain)
            return false;
    }
    return !name.isEmpty() && !name.startsWith(u'/') && !name.endsWith(u'/') &&
           name.count(u'/') <= 1;
}

} // namespace

IniSettingsStore::IniSettingsStore(const QString& path) : m_path(path)
{
    load();
}

IniSettingsStore::~IniSettingsStore() = default;

void IniSettingsStore::load()
{
    using Kind = Inspection::Kind;
    const Inspection found = inspect(m_path);
    QString why;
    switch (found.kind) {
    case Kind::Absent:
        m_state = State::Absent;
        return;
    case Kind::NotRegular:
        keepInMemory(notRegularProblem(m_path));
        return;
    case Kind::Unreadable:
        keepInMemory(tr("Settings file %1 cannot be read (%2); settings are kept for this "
                        "session only.")
                         .arg(m_path, found.reason));
        return;
    case Kind::TooBig:
        why = tr("it is larger than %1 bytes").arg(MaxFileSize);
        break;
    case Kind::Contents:
        if (std::optional<Values> values = parseIni(found.bytes, &why)) {
            m_values = std::move(*values);
            m_state = qsettingsCost(m_values) > MaxRewriteCost ? State::Costly : State::OnDisk;
            return;
        }
        break;
    }
    m_state = State::Damaged;
    report(tr("Settings file %1 is damaged (%2); defaults are used and the file will be kept "
              "as %3.")
               .arg(m_path, why, backupPath()));
}

std::optional<QString> IniSettingsStore::read(const QString& section, const QString& key) const
{
    const auto keys = m_values.constFind(section);
    if (keys == m_values.constEnd())
        return std::nullopt;
    const auto found = keys->constFind(key);
    if (found == keys->constEnd())
        return std::nullopt;
    return *found;
}

void IniSettingsStore::write(const QString& section, const QString& key, const QString& value)
{
    writeAll({{section, key, value}});
}

void IniSettingsStore::writeAll(const QVector<Entry>& entries)
{
    for (const Entry& e : entries)
        m_values[e.section].insert(e.key, e.value);
    if (!prepareForWriting())
        return;
    for (const Entry& e : entries)
        m_settings->setValue(joinKey(e.section, e.key), e.value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        report(saveProblem(m_path));
}

bool IniSettingsStore::prepareForWriting()
{
    if (m_state == State::MemoryOnly)
        return false;
    // Looked at again on every write: the file may have been replaced since it was read.
    if (pathKind(QFile::encodeName(m_path)) == PathKind::NotRegular) {
        keepInMemory(notRegularProblem(m_path));
        return false;
    }
    if (m_settings)
        return true;
    if (m_state == State::Costly) {
        report(tr("Settings file %1 is too costly to rewrite (its section names are very long); "
                  "it is kept as %2 and a new one is written.")
                   .arg(m_path, backupPath()));
        // Only sections of a sensible name come along; the rest stays in the kept file.
        for (auto it = m_values.begin(); it != m_values.end();) {
            if (it.key().size() > MaxCarriedSectionName)
                it = m_values.erase(it);
            else
                ++it;
        }
    }
    if ((m_state == State::Damaged || m_state == State::Costly) && !setAsideDamagedFile())
        return false;
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        report(saveProblem(m_path));
        return false;
    }
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    m_settings->setFallbacksEnabled(false);
    restoreOurReading();
    m_state = State::OnDisk;
    return true;
}

bool IniSettingsStore::setAsideDamagedFile()
{
    // rename() rather than QFile::rename: an older backup is replaced, not kept.
    const QByteArray from = QFile::encodeName(m_path);
    const QByteArray to = QFile::encodeName(backupPath());
    const int error = std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
    if (error != 0 && error != ENOENT) {
        keepInMemory(tr("Damaged settings file %1 could not be kept as %2 (%3); settings are "
                        "kept for this session only.")
                         .arg(m_path, backupPath(), systemError(error)));
        return false;
    }
    m_state = State::Absent;
    return true;
}

// QSettings saves every key it has read, as it read it. Where that differs from our reading
// (a hand-written "/a;b" it takes for "/a" and a comment), hand it ours, so that a write of
// one key never changes another.
void IniSettingsStore::restoreOurReading()
{
    for (auto section = m_values.cbegin(); section != m_values.cend(); ++section) {
        for (auto it = section->cbegin(); it != section->cend(); ++it) {
            const QString name = joinKey(section.key(), it.key());
            if (!isPlainName(name))
                continue;
            const QVariant theirs = m_settings->value(name);
            if (theirs.typeId() != QMetaType::QString || theirs.toString() != it.value())
                m_settings->setValue(name, it.value());
        }
    }
}

void IniSettingsStore::keepInMemory(const QString& why)
{
    m_state = State::MemoryOnly;
    m_settings.reset();
    report(why);
}

void IniSettingsStore::setProblemSink(ProblemSink sink)
{
    m_sink = std::move(sink);
    if (!m_sink)
        return;
    const QStringList pending = std::exchange(m_undelivered, {});
    for (const QString& message : pending)
        m_sink(message);
}

void IniSettingsStore::report(const QString& message)
{
    if (m_said.contains(message))
        return;
    m_said.insert(message);
    if (m_sink)
        m_sink(message);
    else
        m_undelivered.append(message);
}
