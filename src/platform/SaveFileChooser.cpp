#include "platform/SaveFileChooser.h"

#include <QFileDialog>

std::optional<QString> DialogSaveFileChooser::choose(QWidget* parent, const QString& title,
                                                     const QString& startPath,
                                                     const QString& filter)
{
    const QString chosen = QFileDialog::getSaveFileName(parent, title, startPath, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}
