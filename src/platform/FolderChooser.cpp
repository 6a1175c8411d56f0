#include "platform/FolderChooser.h"

#include <QFileDialog>

std::optional<QString> DialogFolderChooser::choose(QWidget* parent, const QString& title,
                                                   const QString& startFolder)
{
    const QString chosen =
        QFileDialog::getExistingDirectory(parent, title, startFolder, QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
