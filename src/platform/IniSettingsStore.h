#pragma once

#include "platform/SettingsStore.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

// The settings as one INI file, written through QSettings. The file is looked at with plain
// system calls before QSettings may touch it (QSettings blocks for ever on a FIFO), and its
// values are read by a strict reader of our own, so that a hand-written "/a;b" comes back as
// written instead of as "/a" and a comment.
class IniSettingsStore : public SettingsStore
{
public:
    // Anything bigger, or with more keys, is not a settings file of ours.
    static constexpr qint64 MaxFileSize = 1 << 20;
    static constexpr int MaxKeys = 10000;
    static constexpr int MaxLineLength = 64 * 1024;
    // QSettings keeps a copy of a section's name with each of its keys: a file that would
    // cost it more characters than this is set aside rather than rewritten through it.
    static constexpr qint64 MaxRewriteCost = 1 << 20;
    static constexpr int MaxCarriedSectionName = 256;

    explicit IniSettingsStore(const QString& path);
    ~IniSettingsStore() override;

    std::optional<QString> read(const QString& section, const QString& key) const override;
    void write(const QString& section, const QString& key, const QString& value) override;
    void writeAll(const QVector<Entry>& entries) override;
    void setProblemSink(ProblemSink sink) override;

    QString path() const { return m_path; }
    // Where a damaged file is kept before the first write replaces it.
    QString backupPath() const { return m_path + QStringLiteral(".broken"); }

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
    void restoreOurReading();
    void keepInMemory(const QString& why);
    void report(const QString& message);

    QString m_path;
    State m_state = State::Absent;
    QHash<QString, QHash<QString, QString>> m_values; // section -> key -> text, read and written
    std::unique_ptr<QSettings> m_settings;
    ProblemSink m_sink;
    QStringList m_undelivered;
    QSet<QString> m_said;
};
