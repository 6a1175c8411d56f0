#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QThreadPool>

#include <optional>

#include "platform/ImageDecoder.h"
#include "tile/Repeat.h"

// The picture the user last chose: its folder, its name and the decoded picture at natural
// size. The preview, the tiled view and the wallpaper all paint from this one picture,
// which nothing else empties (a thumbnail build has its own).
class CurrentImage : public QObject
{
    Q_OBJECT
public:
    explicit CurrentImage(const ImageDecoder& decoder, QObject* parent = nullptr);

    QString folder() const { return m_folder; }
    QString file() const { return m_file; }
    QString path() const;
    bool isSet() const { return !m_file.isEmpty(); }
    // A picture decoded from the current file; false for a file that did not decode.
    bool hasPicture() const { return !m_image.isNull(); }
    const QImage& image() const { return m_image; }
    // The picture for painting, converted once.
    const QPixmap& pixmap() const;
    // How well the picture tiles in a repeat, 0..100, worked out on first asking for that
    // repeat; none without a picture.
    std::optional<int> seamScore(const Repeat& repeat = Repeat()) const;
    DecodedImage::Failure failure() const { return m_failure; }
    // Natural size in twips (15 per pixel); kept after a clear until the next load.
    int picWidth() const { return m_picWidth; }
    int picHeight() const { return m_picHeight; }

    // Makes a file current. A file that does not decode is current with no picture:
    // never the previous one's.
    void load(const QString& folder, const QString& file);
    // Reads the current file again, after it changed on disk, on a thread of its own so that a
    // large picture does not stop the windows. Only a whole new picture replaces the one shown,
    // and only while that file is still current: a file that fails to decode or is still being
    // written changes nothing. Reloads finish in the order they were asked for.
    void reload();
    void clear();

Q_SIGNALS:
    void changed();
    void cleared();
    // A reload is over; `replaced`: it brought a new picture (changed() came first).
    void reloadFinished(bool replaced);

private:
    const ImageDecoder& m_decoder;
    QString m_folder;
    QString m_file;
    QImage m_image;
    mutable QPixmap m_pixmap;
    mutable std::optional<int> m_seamScore;
    mutable Repeat m_scoredRepeat;
    DecodedImage::Failure m_failure = DecodedImage::Failure::None;
    int m_picWidth = 0;
    int m_picHeight = 0;
    // One reload at a time; the newest one asked for is the only one applied.
    QThreadPool m_reloads;
    quint64 m_reloadTicket = 0;
};
