#pragma once

#include <QString>

#include <optional>

class QWidget;

// The folder-browse dialog.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<QString> choose(QWidget* parent, const QString& title,
                                          const QString& startFolder) = 0;
};

// QFileDialog in directory mode.
class DialogFolderChooser : public FolderChooser
{
public:
    std::optional<QString> choose(QWidget* parent, const QString& title,
                                  const QString& startFolder) override;
};
