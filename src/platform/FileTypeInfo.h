#pragma once

#include <QIcon>
#include <QString>

// The desktop's name and icon for a kind of file, judged by its name alone: nothing here
// reads a file's contents, so a folder of thousands of files lists at once.
class FileTypeInfo
{
public:
    virtual ~FileTypeInfo() = default;
    virtual QString typeName(const QString& path) const = 0;
    virtual QIcon icon(const QString& path) const = 0;
};

// The freedesktop MIME database and the icon theme, with our own icon when the theme has none.
class MimeFileTypeInfo : public FileTypeInfo
{
public:
    QString typeName(const QString& path) const override;
    QIcon icon(const QString& path) const override;

    // Without a desktop session Qt names no icon theme: use an installed one if there is.
    static void chooseIconTheme();
};
