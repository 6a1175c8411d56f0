#include "platform/CommandRunner.h"

QString CommandResult::failureText(const QString& program) const
{
    if (!started)
        return QStringLiteral("%1 could not be run").arg(program);
    if (timedOut)
        return QStringLiteral("%1 did not answer in time").arg(program);
    const QString said = QString::fromLocal8Bit(errors).trimmed().section(QLatin1Char('\n'), 0, 0);
    if (!said.isEmpty())
        return QStringLiteral("%1: %2").arg(program, said);
    return QStringLiteral("%1 failed (exit code %2)").arg(program).arg(exitCode);
}
