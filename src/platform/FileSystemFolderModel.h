#pragma once

#include "platform/FolderModel.h"

#include <memory>

class QFileIconProvider;
class QFileSystemModel;
class HiddenFolderFilter;

// Directories of the local file system from "/", through QFileSystemModel, with hidden
// folders filtered out by a proxy unless they lead to a revealed folder.
class FileSystemFolderModel : public FolderModel
{
    Q_OBJECT
public:
    explicit FileSystemFolderModel(QObject* parent = nullptr);
    ~FileSystemFolderModel() override;

    QAbstractItemModel* itemModel() override;
    QModelIndex indexOf(const QString& path) override;
    QString pathOf(const QModelIndex& index) const override;
    void revealPath(const QString& path) override;

private:
    // Declared in this order so that the model, and the thread that reads icons for it, ends
    // before the provider does.
    std::unique_ptr<QFileIconProvider> m_icons;
    std::unique_ptr<QFileSystemModel> m_source;
    HiddenFolderFilter* m_proxy;
};
