#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

class QFile;

// File access that never blocks and never reads a device: a FIFO, socket or device behind a
// picture's name is refused before anything is read from it.
class SafeFile
{
public:
    // What stat says of a regular file, links followed.
    struct Status
    {
        qint64 size = 0;
        qint64 modifiedSeconds = 0; // since the epoch
        qint64 modifiedNs = 0;      // the same, to the nanosecond
        quint64 device = 0;
        quint64 inode = 0;
    };

    // The status of a regular file; nothing for anything else or on any error. stat never
    // opens the file, so a FIFO in a picture's place cannot block here.
    static std::optional<Status> regularFile(const QString& path);
    // The size of a regular file (links followed); nothing for anything else or on any error.
    static std::optional<qint64> regularFileSize(const QString& path);

    // Opens a regular file read-only without blocking; the type is checked on the open
    // descriptor, so a FIFO swapped in after an earlier check is still refused. Null, with a
    // short reason in *error, when the file cannot be opened or is not a regular file.
    static std::unique_ptr<QFile> openForReading(const QString& path, QString* error = nullptr);
};
