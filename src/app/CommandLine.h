#pragma once

#include <QStringList>

#include <optional>

class QCommandLineParser;
class QTextStream;

// The command line of each of the program's executables, read the same way: --help prints the
// usage, --version the version, and an unknown option or too many arguments is refused, so
// that no option is ever taken for a folder.
class CommandLine
{
public:
    // Parses the arguments (program name first) with the parser's options, help and version
    // included. Returns the exit status when the program must stop now: 0 after the help or
    // the version on `out`, 2 after the reason on `err`. Nothing: go on.
    static std::optional<int> parse(QCommandLineParser& parser, const QStringList& arguments,
                                    int maxPositional, QTextStream& out, QTextStream& err);
};
