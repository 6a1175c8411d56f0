#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

#include <optional>

class ImageDecoder;

// The desktop's shared thumbnail cache, as file managers and viewers keep it: one PNG per
// file under $XDG_CACHE_HOME/thumbnails/{normal,large}, named by the MD5 of the file's URI
// and valid while the URI, modification time and length it records still match the file.
// Failures are remembered under fail/vadro-2.0. Every call is safe from several threads.
class ThumbnailCache
{
public:
    enum class Flavour
    {
        Normal, // 128 pixels
        Large,  // 256 pixels
        XLarge, // 512 pixels, read only
        XXLarge // 1024 pixels, read only
    };
    static constexpr int NormalSide = 128;
    static constexpr int LargeSide = 256;
    static constexpr int XLargeSide = 512;
    static constexpr int XXLargeSide = 1024;
    // Entries are small pictures; anything much bigger is not one of them.
    static constexpr qint64 MaxEntryBytes = 8 * 1024 * 1024;
    static constexpr int MaxEntrySide = 1024;
    static const QString FailFolder;
    static const QString Software;

    // A file as the cache knows it, taken before the file is decoded.
    struct Source
    {
        QString path;
        QString uri;
        qint64 mtime = 0; // seconds
        qint64 size = -1;
        QString name; // the entry's file name, worked out once for all the look-ups
        bool isValid() const { return !uri.isEmpty() && size >= 0; }
    };

    // A thumbnail to be written, or a failure to be remembered (null image).
    struct Entry
    {
        Source source;
        QImage image;
        QSize natural;
        Flavour flavour = Flavour::Normal;
    };

    explicit ThumbnailCache(const QString& root);
    // $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails when that is unset or relative.
    static QString defaultRoot();
    QString root() const { return m_root; }

    static int side(Flavour flavour);
    // The file:// URI of an absolute path, escaped as the desktop's own libraries escape it.
    static QString fileUri(const QString& absolutePath);
    // The entry's file name: the MD5 of the URI in lower-case hex, ".png".
    static QString entryName(const QString& uri);
    QString entryPath(Flavour flavour, const QString& uri) const;
    QString failurePath(const QString& uri) const;

    // Whether the folder lies inside the cache, whose own pictures are never cached.
    bool holdsFolder(const QString& folder) const;
    // What the cache records of a regular file; invalid for anything else.
    static Source source(const QString& path);

    // A valid thumbnail of the source at least as large as the flavour, or a null image: the
    // flavour's own entry, or else the smallest larger one there is.
    // Entries go through the decoder and its caps like any file; a damaged one counts as
    // absent, and is replaced when the next one is written.
    QImage read(const Source& source, Flavour flavour, const ImageDecoder& decoder) const;
    // Whether a failure to make this source's thumbnail is recorded and still valid.
    bool hasFailed(const Source& source, const ImageDecoder& decoder) const;

    // Writes through a temporary file and a rename; folders 0700, files 0600.
    bool write(const Entry& entry) const;

    // The thumbnail of a picture of `natural` size, fitted into the flavour's square; a picture
    // no larger than it needs none (it is as cheap to decode as an entry is to read).
    static QSize thumbnailSize(const QSize& natural, Flavour flavour);
    // The entry of `picture` (at least thumbnailSize() of `natural`, which it is reduced to
    // smoothly), or nothing for a picture that needs none.
    static std::optional<Entry> entryOf(const Source& source, Flavour flavour,
                                        const QImage& picture, const QSize& natural);

private:
    static QString nameOf(const Source& source);
    QImage readEntry(const QString& file, const Source& source, const ImageDecoder& decoder) const;

    QString m_root;
    QString m_canonicalRoot;
};
