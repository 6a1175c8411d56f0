#pragma once

#include <QString>

#include <optional>

class QWidget;

// The save-file dialog.
class SaveFileChooser
{
public:
    virtual ~SaveFileChooser() = default;
    // The path the user chose, or nothing when the user cancelled. startPath names the folder
    // and the suggested file name; filter is a dialog filter such as "PNG pictures (*.png)".
    // The dialog itself asks before an existing file is replaced.
    virtual std::optional<QString> choose(QWidget* parent, const QString& title,
                                          const QString& startPath, const QString& filter) = 0;
};

// QFileDialog for saving.
class DialogSaveFileChooser : public SaveFileChooser
{
public:
    std::optional<QString> choose(QWidget* parent, const QString& title, const QString& startPath,
                                  const QString& filter) override;
};
