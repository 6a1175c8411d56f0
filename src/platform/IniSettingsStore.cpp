#include "platform/IniSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegularProblem(const QString& path)
{
    return IniSettingsStore::tr(
               "Settings file %1 is not a regular file; settings are kept for this session only.")
        .arg(path);
}

QString saveProblem(const QString& path)
{
    return IniSettingsStore::tr("Settings could not be saved to %1.").arg(path);
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
    IniSettingsStore::Stamp stamp;
};

IniSettingsStore::Stamp stampOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

// The file the path names now; an empty stamp when there is none.
IniSettingsStore::Stamp stampOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return stampOf(info);
}

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
        return {Kind::Absent, {}, {}, {}};
    case PathKind::NotRegular:
        return {Kind::NotRegular, {}, {}, {}};
    case PathKind::Unknown:
        return {Kind::Unreadable, {}, systemError(errno), {}};
    case PathKind::Regular:
        break;
    }

    // Non-blocking, and checked again on the descriptor: the path may have changed since.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {Kind::Unreadable, {}, systemError(errno), {}};
    const FdCloser closer(fd);
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return {Kind::Unreadable, {}, systemError(errno), {}};
    if (!S_ISREG(info.st_mode))
        return {Kind::NotRegular, {}, {}, {}};
    if (info.st_size > IniSettingsStore::MaxFileSize)
        return {Kind::TooBig, {}, {}, {}};

    QByteArray bytes(IniSettingsStore::MaxFileSize + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {Kind::Unreadable, {}, systemError(errno), {}};
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > IniSettingsStore::MaxFileSize)
        return {Kind::TooBig, {}, {}, {}}; // it grew while we read
    bytes.truncate(filled);
    return {Kind::Contents, bytes, {}, stampOf(info)};
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

// Characters a value spells as a backslash and a letter; the last two are only ever read.
constexpr char16_t Escapes[][2] = {{u'a', u'\a'},  {u'b', u'\b'}, {u'f', u'\f'}, {u'n', u'\n'},
                                   {u'r', u'\r'},  {u't', u'\t'}, {u'v', u'\v'}, {u'"', u'"'},
                                   {u'\\', u'\\'}, {u'?', u'?'},  {u'\'', u'\''}};
constexpr int WrittenEscapes = 9;

char16_t simpleEscape(QChar letter)
{
    for (const auto& [name, c] : Escapes) {
        if (letter == name)
            return c;
    }
    return 0;
}

char16_t escapeLetter(char16_t c)
{
    for (int i = 0; i < WrittenEscapes; ++i) {
        if (Escapes[i][1] == c)
            return Escapes[i][0];
    }
    return 0;
}

// Undoes the backslash escapes of values. Any other backslash is the user's own and stays,
// so "C:\q" is read as written.
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

// A written value is quoted whole or not at all; a quote inside is always escaped.
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
    // Markers of the dialect: a leading "@" is doubled, a text holding NUL is wrapped.
    if (text.startsWith(u"@String(") && text.endsWith(u')'))
        return text.sliced(8).chopped(1);
    if (text.startsWith(u"@@"))
        return text.sliced(1);
    return text;
}

// Names are escaped as "%XX" (up to U+00FF) or "%UXXXX", "/" as "\"; letters, digits and
// "_-." stand for themselves.
QString unescapeName(QStringView name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == u'\\') {
            out += u'/';
            continue;
        }
        const qsizetype digits = i + 1 < name.size() && name[i + 1] == u'U' ? 4 : 2;
        const qsizetype first = i + 1 + (digits == 4 ? 1 : 0);
        char16_t code = 0;
        bool escaped = name[i] == u'%' && first + digits <= name.size();
        for (qsizetype j = first; escaped && j < first + digits; ++j) {
            escaped = hexDigit(name[j]) >= 0;
            code = char16_t(code * 16 + hexDigit(name[j]));
        }
        if (escaped) {
            out += QChar(code);
            i = first + digits - 1;
        } else {
            out += name[i];
        }
    }
    return out;
}

QByteArray escapeName(const QString& name)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    QByteArray out;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u == u'/') {
            out += '\\';
        } else if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                   (u >= u'0' && u <= u'9') || u == u'_' || u == u'-' || u == u'.') {
            out += char(u);
        } else if (u <= 0xFF) {
            out += '%';
            out += Hex[u >> 4];
            out += Hex[u & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += Hex[(u >> shift) & 0xF];
        }
    }
    return out;
}

QByteArray sectionHeading(const QString& section)
{
    const QByteArray name = escapeName(section);
    if (name.isEmpty())
        return "[General]";
    // "[General]" holds the keys outside any section; a section of that name is marked.
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return "[%General]";
    return '[' + name + ']';
}

QString sectionName(QStringView heading)
{
    if (heading.compare(u"general", Qt::CaseInsensitive) == 0)
        return QString();
    if (heading.compare(u"%general", Qt::CaseInsensitive) == 0)
        return heading.sliced(1).toString();
    return unescapeName(heading);
}

// The spelling of a text as a value: a leading "@" doubled, a text holding NUL wrapped,
// control characters, quotes and backslashes escaped, and the whole quoted when it holds
// ";", "," or "=" or would start or end with a blank.
QString encodeValue(const QString& value)
{
    QString text = value;
    if (text.contains(QChar(0)))
        text = QStringLiteral("@String(") + text + u')';
    else if (text.startsWith(u'@'))
        text.prepend(u'@');

    QString out;
    out.reserve(text.size() + 2);
    bool needsQuotes = false;
    // After a numeric escape a hex digit would be read as part of it, so it is escaped too.
    bool escapeHexDigit = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u';' || u == u',' || u == u'=')
            needsQuotes = true;
        if (escapeHexDigit && hexDigit(c) >= 0) {
            out += QStringLiteral("\\x") + QString::number(u, 16);
            continue;
        }
        escapeHexDigit = false;
        const char16_t named = u == 0 ? u'0' : escapeLetter(u);
        if (named) {
            out += u'\\';
            out += QChar(named);
            escapeHexDigit = u == 0;
        } else if (u <= 0x1F) {
            out += QStringLiteral("\\x") + QString::number(u, 16);
            escapeHexDigit = true;
        } else {
            out += c;
        }
    }
    if (needsQuotes || out.startsWith(u' ') || out.endsWith(u' '))
        return u'"' + out + u'"';
    return out;
}

// The dialect never writes a quote or a semicolon in a name; a line that has one before
// its "=" is not a line of ours.
bool isName(QStringView name)
{
    return !name.isEmpty() && !name.contains(u'"') && !name.contains(u';');
}

// A strict line reader: sections, key=value lines, ";" comment lines and blank lines.
// Anything else means the file is not ours to read.
std::optional<IniSettingsStore::Values> parseIni(QByteArrayView data, QString* why)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data);
    if (decoder.hasError()) {
        *why = IniSettingsStore::tr("it is not UTF-8 text");
        return std::nullopt;
    }

    IniSettingsStore::Values values;
    QString section;
    int keys = 0;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView rawLine = QStringView(text).sliced(start, end - start);
        start = end + 1;

        if (rawLine.size() > IniSettingsStore::MaxLineLength) {
            *why = IniSettingsStore::tr("a line is too long");
            return std::nullopt;
        }
        for (QChar c : rawLine) {
            if (c.unicode() < 0x20 && c != u'\t') {
                *why = IniSettingsStore::tr("it contains control characters");
                return std::nullopt;
            }
        }
        const QStringView line = trimBlanks(rawLine);
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView rest = close < 0 ? QStringView() : trimBlanks(line.sliced(close + 1));
            const QStringView name =
                close < 0 ? QStringView() : trimBlanks(line.sliced(1, close - 1));
            if (close < 0 || !(rest.isEmpty() || rest.startsWith(u';')) || name.contains(u'"') ||
                name.contains(u';')) {
                *why = IniSettingsStore::tr("a section heading is malformed");
                return std::nullopt;
            }
            section = sectionName(name);
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QStringView key = equals < 0 ? QStringView() : trimBlanks(line.first(equals));
        if (!isName(key)) {
            *why = IniSettingsStore::tr("a line is not of the form key=value");
            return std::nullopt;
        }
        if (++keys > IniSettingsStore::MaxKeys) {
            *why = IniSettingsStore::tr("it holds too many keys");
            return std::nullopt;
        }
        values[section].insert(unescapeName(key), trimBlanks(line.sliced(equals + 1)).toString());
    }
    return values;
}

QByteArray toIni(const IniSettingsStore::Values& values)
{
    QByteArray out;
    for (auto section = values.cbegin(); section != values.cend(); ++section) {
        if (section->isEmpty())
            continue;
        if (!out.isEmpty())
            out += '\n';
        out += sectionHeading(section.key()) + '\n';
        for (auto it = section->cbegin(); it != section->cend(); ++it)
            out += escapeName(it.key()) + '=' + it.value().toUtf8() + '\n';
    }
    return out;
}

// Long section names repeated over many keys: the measure of a file that is not ours.
qint64 repeatedNameCost(const IniSettingsStore::Values& values)
{
    qint64 cost = 0;
    for (auto section = values.cbegin(); section != values.cend(); ++section)
        cost += qint64(section->size()) * (section.key().size() + 1);
    return cost;
}

} // namespace

bool IniSettingsStore::Stamp::operator==(const Stamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

IniSettingsStore::IniSettingsStore(const QString& path) : m_path(path)
{
    load();
}

void IniSettingsStore::load()
{
    using Kind = Inspection::Kind;
    const Inspection found = inspect(m_path);
    m_stamp = found.stamp;
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
            m_state = repeatedNameCost(m_values) > MaxRewriteCost ? State::Costly : State::OnDisk;
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
    return decodeValue(*found);
}

void IniSettingsStore::write(const QString& section, const QString& key, const QString& value)
{
    writeAll({{section, key, value}});
}

void IniSettingsStore::writeAll(const QVector<Entry>& entries)
{
    // Another program may have saved the file since we read it: its values are the base, and
    // only the keys written now are ours.
    if (m_state != State::MemoryOnly && !(stampOf(m_path) == m_stamp))
        load();
    bool changed = false;
    for (const Entry& e : entries) {
        QMap<QString, QString>& keys = m_values[e.section];
        const auto found = keys.constFind(e.key);
        if (found != keys.constEnd() && decodeValue(*found) == e.value)
            continue; // the spelling it was read with stays
        keys.insert(e.key, encodeValue(e.value));
        changed = true;
    }
    if ((changed || m_state != State::OnDisk) && prepareForWriting())
        save();
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
    return (m_state != State::Damaged && m_state != State::Costly) || setAsideDamagedFile();
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

// The whole file at once, through a temporary file renamed over it: a crash or a full disk
// leaves the old file whole.
void IniSettingsStore::save()
{
    const QByteArray bytes = toIni(m_values);
    QSaveFile file(m_path);
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        report(saveProblem(m_path));
        return;
    }
    m_state = State::OnDisk;
    m_stamp = stampOf(m_path);
}

void IniSettingsStore::keepInMemory(const QString& why)
{
    m_state = State::MemoryOnly;
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
