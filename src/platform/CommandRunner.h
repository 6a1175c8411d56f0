#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What became of one external command.
struct CommandResult
{
    bool started = false;  // false: the program is missing or could not run
    bool timedOut = false; // killed at its time limit
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;

    bool ok() const { return started && !timedOut && exitCode == 0; }
    // A short reason for a failure, for the user: the tool's own words where it gave any.
    QString failureText(const QString& program) const;
};

// Runs desktop tools. Every call has a time limit, so a hung tool cannot hang the program.
class CommandRunner
{
public:
    static constexpr int DefaultTimeoutMs = 10'000;

    virtual ~CommandRunner() = default;

    virtual CommandResult run(const QString& program, const QStringList& arguments,
                              int timeoutMs = DefaultTimeoutMs) = 0;
    // True when the program can be found on the search path.
    virtual bool isAvailable(const QString& program) const = 0;
};
