#pragma once

#include <QModelIndex>
#include <QObject>
#include <QString>

class QAbstractItemModel;

// The folder hierarchy the tree shows: directories only, hidden ones left out except
// the ancestors of a folder that must be shown. Loads rows asynchronously.
class FolderModel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QAbstractItemModel* itemModel() = 0;
    // The row of a folder; asks the model to load what is needed. Invalid when unknown yet.
    virtual QModelIndex indexOf(const QString& path) = 0;
    virtual QString pathOf(const QModelIndex& index) const = 0;
    // Keeps this folder and its ancestors visible even when they are hidden folders.
    virtual void revealPath(const QString& path) = 0;

Q_SIGNALS:
    // The children of this folder have been read.
    void directoryLoaded(const QString& path);
};
