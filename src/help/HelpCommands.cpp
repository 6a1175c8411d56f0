#include "help/HelpCommands.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "help/ProductLinks.h"
#include "platform/Shell.h"

const QString HelpCommands::DocumentName = QStringLiteral("Vadro.html");

HelpCommands::HelpCommands(Shell& shell, QString programFolder)
    : m_shell(shell), m_programFolder(std::move(programFolder))
{
}

QString HelpCommands::findDocument(const QString& programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QDir folder(programFolder);
    const QString candidates[] = {
        folder.filePath(DocumentName),
        folder.filePath(QStringLiteral("../share/vadro/") + DocumentName),
    };
    for (const QString& candidate : candidates) {
        // Only a regular file: a folder or a device of that name is no document.
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

bool HelpCommands::openContents() const
{
    const QString document = findDocument(m_programFolder);
    if (document.isEmpty())
        return false;
    m_shell.open(QUrl::fromLocalFile(document));
    return true;
}

void HelpCommands::openWebPage() const
{
    m_shell.open(QUrl(QString::fromLatin1(WebPageAddress)));
}
