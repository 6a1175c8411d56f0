#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr int UsageError = 2;

int refuse(QTextStream& err, const QString& program, const QString& reason)
{
    err << program << ": " << reason << '\n'
        << QCoreApplication::translate("CommandLine", "Try '%1 --help' for more information.")
               .arg(program)
        << '\n';
    err.flush();
    return UsageError;
}

} // namespace

std::optional<int> CommandLine::parse(QCommandLineParser& parser, const QStringList& arguments,
                                      int maxPositional, QTextStream& out, QTextStream& err)
{
    const QString program =
        arguments.isEmpty() ? QString() : QFileInfo(arguments.constFirst()).fileName();
    if (!parser.parse(arguments))
        return refuse(err, program, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        out.flush();
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
            << '\n';
        out.flush();
        return 0;
    }
    if (parser.positionalArguments().size() > maxPositional)
        return refuse(err, program,
                      QCoreApplication::translate("CommandLine", "too many arguments: %1")
                          .arg(parser.positionalArguments().mid(maxPositional).join(u' ')));
    return std::nullopt;
}
