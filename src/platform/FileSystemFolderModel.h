#pragma once

#include "platform/FolderModel.h"

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
    QFileSystemModel* m_source;
    HiddenFolderFilter* m_proxy;
};
