#pragma once

#include <QString>

class Shell;

// Help > Contents (also the toolbar's Help button and F1) and Help > Web page. Both hand an
// address to the desktop; neither shows a message of its own when nothing opens it.
class HelpCommands
{
public:
    static const QString DocumentName;

    // programFolder: the folder of the running executable.
    HelpCommands(Shell& shell, QString programFolder);

    // The help document beside the executable (a build tree) or in share/vadro of the
    // prefix the executable is installed in; empty when there is none.
    static QString findDocument(const QString& programFolder);

    // False when there is no document to open.
    bool openContents() const;
    void openWebPage() const;

private:
    Shell& m_shell;
    QString m_programFolder;
};
