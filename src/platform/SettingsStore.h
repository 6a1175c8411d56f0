#pragma once

#include <QString>
#include <QVector>

#include <functional>
#include <optional>

// The per-user store of text values, by section and key. Every value is a string;
// typed reading and the defaults live in Settings.
class SettingsStore
{
public:
    using ProblemSink = std::function<void(const QString& message)>;

    virtual ~SettingsStore() = default;

    // The stored text, or nothing when the key is absent.
    virtual std::optional<QString> read(const QString& section, const QString& key) const = 0;
    // Writes through at once; a failure is reported to the problem sink, never thrown.
    virtual void write(const QString& section, const QString& key, const QString& value) = 0;

    struct Entry
    {
        QString section;
        QString key;
        QString value;
    };
    // Several values at once, saved together; a store that cannot do better writes each.
    virtual void writeAll(const QVector<Entry>& entries)
    {
        for (const Entry& e : entries)
            write(e.section, e.key, e.value);
    }

    // Where problems with the store go (an unusable file, a failed save), each said once.
    // Problems found before a sink is set are delivered when it is set.
    virtual void setProblemSink(ProblemSink sink) = 0;
};
