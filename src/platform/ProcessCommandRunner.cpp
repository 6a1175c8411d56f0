#include "platform/ProcessCommandRunner.h"

#include <QProcess>
#include <QStandardPaths>

CommandResult ProcessCommandRunner::run(const QString& program, const QStringList& arguments,
                                        int timeoutMs)
{
    CommandResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return result;
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

bool ProcessCommandRunner::isAvailable(const QString& program) const
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}
