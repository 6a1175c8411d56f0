#pragma once

#include "platform/CommandRunner.h"

// The real runner: QProcess, killed when it outlives its time limit.
class ProcessCommandRunner : public CommandRunner
{
public:
    CommandResult run(const QString& program, const QStringList& arguments,
                      int timeoutMs = DefaultTimeoutMs) override;
    bool isAvailable(const QString& program) const override;
};
