#pragma once

#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <time.h>

// The settings as one INI file, read and written here in the INI dialect Qt has always written
// (so that a file from an earlier version reads the same and is written back byte for byte).
// The file is looked at with plain system calls before it is opened, so that a FIFO or a
// device behind its name is never read. Values keep the spelling they were read with until
// they change: a hand-written "/a;b" comes back as written.
class IniSettingsStore : public SettingsStore
{
    Q_DECLARE_TR_FUNCTIONS(IniSettingsStore)

public:
    // Anything bigger, or with more keys, is not a settings file of ours.
    static constexpr qint64 MaxFileSize = 1 << 20;
    static constexpr int MaxKeys = 10000;
    static constexpr int MaxLineLength = 64 * 1024;
    // A file whose long section names are repeated over many keys (name length times keys
    // beyond this) is not one we wrote: it is set aside before the first write, and only the
    // sections of a sensible name come along into the new file.
    static constexpr qint64 MaxRewriteCost = 1 << 20;
    static constexpr int MaxCarriedSectionName = 256;

    explicit IniSettingsStore(const QString& path);

    std::optional<QString> read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    void writeAll(const QVector<Entry>& entries) override;
    void setProblemSink(ProblemSink sink) override;

    QString path() const { return m_path; }
    // Where a damaged file is kept before the first write replaces it.
    QString backupPath() const { return m_path + QStringLiteral(".broken"); }

    // Section -> key -> the value as spelled in the file (escapes and quotes included).
    using Values = QMap<QString, QMap<QString, QString>>;

    // Which file was seen last, to tell when another program has replaced it since.
    struct Stamp
    {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified = {};
        bool operator==(const Stamp& other) const;
    };

private:
    enum class State
    {
        Absent,     // no file yet: the first write creates it
        OnDisk,     // read, and written through
        Damaged,    // a file we cannot read: set aside before the first write
        Costly,     // read, but set aside before the first write, which starts a new file
        MemoryOnly, // never written through: values live for this run only
    };

    void load();
    bool prepareForWriting();
    bool setAsideDamagedFile();
    void save();
    void keepInMemory(const QString& why);
    void report(const QString& message);

    QString m_path;
    State m_state = State::Absent;
    Stamp m_stamp;
    Values m_values;
    ProblemSink m_sink;
    QStringList m_undelivered;
    QSet<QString> m_said;
};
