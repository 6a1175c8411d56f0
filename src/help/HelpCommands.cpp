#include "help/HelpCommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "help/ProductLinks.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

const QString HelpCommands::DocumentName = QStringLiteral("Vadro.html");
const QString HelpCommands::AboutSection = QStringLiteral("what");

HelpCommands::HelpCommands(Shell& shell, MessageBoxes& messages, QWidget* parent,
                           QString programFolder)
    : HelpCommands(shell, messages, parent, std::move(programFolder),
                   QString::fromUtf8(WebPageAddress))
{
}

HelpCommands::HelpCommands(Shell& shell, MessageBoxes& messages, QWidget* parent,
                           QString programFolder, QString webPage)
    : m_shell(shell), m_messages(messages), m_parent(parent),
      m_programFolder(std::move(programFolder)), m_webPage(std::move(webPage))
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

bool HelpCommands::openOrSay(Shell& shell, MessageBoxes& messages, QWidget* parent, const QUrl& url)
{
    if (shell.open(url))
        return true;
    const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
    messages.show(parent, tr("Vadro"),
                  tr("No program on this desktop opens %1. Open it by hand:\n%2")
                      .arg(url.isLocalFile()                         ? tr("the help document")
                           : url.scheme() == QLatin1String("mailto") ? tr("mail addresses")
                                                                     : tr("web pages"),
                           where),
                  MessageBoxes::Icon::Information);
    return false;
}

bool HelpCommands::openDocument(const QString& section) const
{
    const QString document = findDocument(m_programFolder);
    if (document.isEmpty()) {
        m_messages.show(
            m_parent, tr("Vadro"),
            tr("The help document %1 is not installed: it was looked for in %2 "
               "and in %3.")
                .arg(DocumentName, QDir::cleanPath(m_programFolder),
                     QDir::cleanPath(m_programFolder + QStringLiteral("/../share/vadro"))),
            MessageBoxes::Icon::Warning);
        return false;
    }
    QUrl url = QUrl::fromLocalFile(document);
    if (!section.isEmpty())
        url.setFragment(section);
    return openOrSay(m_shell, m_messages, m_parent, url);
}

bool HelpCommands::openContents() const
{
    return openDocument({});
}

bool HelpCommands::openWebPage() const
{
    if (m_webPage.isEmpty())
        return openDocument(AboutSection);
    return openOrSay(m_shell, m_messages, m_parent, QUrl(m_webPage));
}
