#include "platform/SafeFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void setError(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

std::optional<SafeFile::Status> SafeFile::regularFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    Status status;
    status.size = qint64(st.st_size);
    status.modifiedSeconds = qint64(st.st_mtim.tv_sec);
    status.modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    status.device = quint64(st.st_dev);
    status.inode = quint64(st.st_ino);
    return status;
}

std::optional<qint64> SafeFile::regularFileSize(const QString& path)
{
    const std::optional<Status> status = regularFile(path);
    if (!status)
        return std::nullopt;
    return status->size;
}

std::unique_ptr<QFile> SafeFile::openForReading(const QString& path, QString* error)
{
    if (path.isEmpty()) {
        setError(error, QStringLiteral("No file name"));
        return nullptr;
    }
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer for ever.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setError(error, systemError(errno));
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        setError(error, systemError(code));
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        setError(error, QStringLiteral("Not a regular file"));
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setError(error, file->errorString());
        return nullptr;
    }
    return file;
}
