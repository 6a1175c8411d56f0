#pragma once

#include <QCoreApplication>
#include <QString>

class MessageBoxes;
class QUrl;
class QWidget;
class Shell;

// Help > Contents (also the toolbar's Help button and F1) and Help > Web page. Both hand an
// address to the desktop; when nothing opens it, a message gives the path or the address so
// that the user can open it by hand.
class HelpCommands
{
    Q_DECLARE_TR_FUNCTIONS(HelpCommands)
public:
    static const QString DocumentName;
    // The help document's section about Vadro, which Web page opens while the project has no
    // web page of its own.
    static const QString AboutSection;

    // programFolder: the folder of the running executable; parent: where messages show;
    // webPage: the product's web page, unless given the one the build names (maybe none).
    HelpCommands(Shell& shell, MessageBoxes& messages, QWidget* parent, QString programFolder);
    HelpCommands(Shell& shell, MessageBoxes& messages, QWidget* parent, QString programFolder,
                 QString webPage);

    // The help document beside the executable (a build tree) or in share/vadro of the
    // prefix the executable is installed in; empty when there is none.
    static QString findDocument(const QString& programFolder);

    // False when nothing opened.
    bool openContents() const;
    bool openWebPage() const;
    // Hands the address to the desktop; says so when nothing opens it.
    static bool openOrSay(Shell& shell, MessageBoxes& messages, QWidget* parent, const QUrl& url);

private:
    bool openDocument(const QString& section) const;

    Shell& m_shell;
    MessageBoxes& m_messages;
    QWidget* m_parent;
    QString m_programFolder;
    QString m_webPage;
};
