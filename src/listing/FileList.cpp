#include "listing/FileList.h"

#include <QFile>
#include <QStringView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "ui/FileText.h"

namespace {

struct Entry
{
    QString name;
    qint64 size;
};

class DirCloser
{
public:
    explicit DirCloser(DIR* dir) : m_dir(dir) {}
    ~DirCloser() { ::closedir(m_dir); }
    DirCloser(const DirCloser&) = delete;
    DirCloser& operator=(const DirCloser&) = delete;

private:
    DIR* m_dir;
};

// Masks are case-folded once per scan, names once per entry.
QVector<QString> foldedMasks(const QString& pattern)
{
    QVector<QString> masks;
    for (const QStringView mask : QStringView(pattern).split(u';', Qt::SkipEmptyParts))
        masks.append(mask.toString().toCaseFolded());
    return masks;
}

// "?" stands for one character, so a surrogate pair is stepped over whole.
qsizetype nextCharacter(QStringView text, qsizetype at)
{
    if (at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate())
        return at + 2;
    return at + 1;
}

// Greedy match with a single backtrack point per "*": linear in practice, never exponential.
bool wildcardMatch(QStringView name, QStringView mask)
{
    qsizetype n = 0;
    qsizetype m = 0;
    qsizetype afterStar = -1;
    qsizetype starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == u'*') {
            afterStar = ++m;
            starName = n;
        } else if (m < mask.size() && mask[m] == u'?') {
            n = nextCharacter(name, n);
            ++m;
        } else if (m < mask.size() && mask[m] == name[n]) {
            ++n;
            ++m;
        } else if (afterStar >= 0) {
            starName = nextCharacter(name, starName);
            n = starName;
            m = afterStar;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == u'*')
        ++m;
    return m == mask.size();
}

bool matchesAny(QStringView foldedName, const QVector<QString>& foldedMasks)
{
    return std::any_of(foldedMasks.cbegin(), foldedMasks.cend(), [foldedName](const QString& mask) {
        return wildcardMatch(foldedName, mask);
    });
}

// Types that can never be a picture file; links and unknown types are settled by fstatat.
bool neverListed(unsigned char type)
{
    return type == DT_DIR || type == DT_FIFO || type == DT_SOCK || type == DT_CHR || type == DT_BLK;
}

QString withoutTrailingSlash(QString folder)
{
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

} // namespace

bool FileList::setPath(const QString& folder)
{
    m_path = withoutTrailingSlash(folder);
    return refresh();
}

bool FileList::refresh()
{
    clear();
    if (m_path.isEmpty()) {
        m_error = ENOENT;
        return false;
    }

    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        m_error = errno;
        ::close(fd);
        return false;
    }
    const DirCloser closer(dir);

    const QVector<QString> masks = foldedMasks(m_pattern);
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0) {
                // A half-read folder is not shown as if it were complete.
                m_error = errno;
                return false;
            }
            break;
        }
        const char* raw = entry->d_name;
        if (raw[0] == '.' || neverListed(entry->d_type))
            continue;
        const QByteArray rawName = QByteArray::fromRawData(raw, qsizetype(std::strlen(raw)));
        const QString name = QFile::decodeName(rawName);
        // A name that does not survive the round trip could not be opened again by its text.
        if (QFile::encodeName(name) != rawName)
            continue;
        const QString folded = name.toCaseFolded();
        if (!matchesAny(folded, masks)) {
            const qsizetype dot = folded.lastIndexOf(u'.');
            if (dot > 0)
                ++m_unlistedSuffixes[folded.mid(dot + 1)];
            continue;
        }
        struct stat st;
        if (::fstatat(fd, raw, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        entries.push_back({name, qint64(st.st_size)});
    }

    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        const int order = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    m_names.reserve(qsizetype(entries.size()));
    m_sizes.reserve(qsizetype(entries.size()));
    for (Entry& entry : entries) {
        m_names.append(std::move(entry.name));
        m_sizes.append(entry.size);
    }
    m_canRead = true;
    return true;
}

QString FileList::name(int index) const
{
    return index >= 0 && index < m_names.size() ? m_names.at(index) : QString();
}

QStringList FileList::paths() const
{
    QStringList result;
    result.reserve(m_names.size());
    for (const QString& name : m_names)
        result.append(FileText::join(m_path, name));
    return result;
}

qint64 FileList::size(int index) const
{
    return index >= 0 && index < m_sizes.size() ? m_sizes.at(index) : -1;
}

bool FileList::matches(const QString& name, const QString& pattern)
{
    return matchesAny(name.toCaseFolded(), foldedMasks(pattern));
}

void FileList::clear()
{
    m_canRead = false;
    m_error = 0;
    m_names.clear();
    m_sizes.clear();
    m_unlistedSuffixes.clear();
}
