#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <optional>

#include "platform/ImageDecoder.h"
#include "tile/Repeat.h"

class QThreadPool;

// The picture the user last chose: its folder, its name and the decoded picture at natural
// size. The preview, the tiled view and the wallpaper all paint from this one picture,
// which nothing else empties (a thumbnail build has its own).
//
// A large photograph is shown first from a quick scaled decode that covers the preview; the
// whole picture follows from a thread of its own (fullPictureArrived), and until it has,
// image() is null while preview() already shows. A newer choice drops an older decode.
class CurrentImage : public QObject
{
    Q_OBJECT
public:
    // Files up to this length are read whole at once, whatever their kind.
    static constexpr qint64 QuickLength = 1024 * 1024;

    explicit CurrentImage(const ImageDecoder& decoder, QObject* parent = nullptr);
    ~CurrentImage() override;

    QString folder() const { return m_folder; }
    QString file() const { return m_file; }
    QString path() const;
    bool isSet() const { return !m_file.isEmpty(); }
    // A picture decoded from the current file, whole or for now scaled; false for a file that
    // did not decode, and while a file's first decode is still on its way.
    bool hasPicture() const { return !m_preview.isNull(); }
    // The whole picture is still being decoded.
    bool isLoading() const { return m_loading; }
    // The whole picture at natural size; null while it is being decoded.
    const QImage& image() const { return m_image; }
    // The picture for painting the preview, converted once: the whole one, or the scaled one
    // until the whole one arrives.
    const QPixmap& pixmap() const;
    // How well the picture tiles in a repeat, 0..100, worked out on first asking for that
    // repeat; none without the whole picture.
    std::optional<int> seamScore(const Repeat& repeat = Repeat()) const;
    DecodedImage::Failure failure() const { return m_failure; }
    // Natural size in twips (15 per pixel); kept after a clear until the next load.
    int picWidth() const { return m_picWidth; }
    int picHeight() const { return m_picHeight; }

    // Makes a file current. A file that does not decode is current with no picture:
    // never the previous one's. `previewPixels`: the size the preview shows it at, which a
    // quick first decode of a large file covers; empty: decode it whole at once.
    void load(const QString& folder, const QString& file, const QSize& previewPixels = {});
    // Reads the current file again, after it changed on disk, on a thread of its own so that a
    // large picture does not stop the windows. Only a whole new picture replaces the one shown,
    // and only while that file is still current: a file that fails to decode or is still being
    // written changes nothing. Reloads finish in the order they were asked for.
    void reload();
    void clear();

Q_SIGNALS:
    void changed();
    void cleared();
    // The whole picture of a large file has arrived (changed() came first), or it failed.
    void fullPictureArrived();
    // A reload is over; `replaced`: it brought a new picture (changed() came first).
    void reloadFinished(bool replaced);

private:
    void setPicture(const QImage& image, const QSize& natural);
    void loadInBackground(const QString& path);

    const ImageDecoder& m_decoder;
    QString m_folder;
    QString m_file;
    QImage m_image;
    QImage m_preview;
    mutable QPixmap m_pixmap;
    mutable std::optional<int> m_seamScore;
    mutable Repeat m_scoredRepeat;
    DecodedImage::Failure m_failure = DecodedImage::Failure::None;
    int m_picWidth = 0;
    int m_picHeight = 0;
    bool m_loading = false;
    // One decode of each kind at a time; only the newest asked for is applied.
    QThreadPool* m_loads;
    QThreadPool* m_reloads;
    quint64 m_loadTicket = 0;
    quint64 m_reloadTicket = 0;
};
