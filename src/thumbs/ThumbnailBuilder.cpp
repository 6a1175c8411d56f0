#include "thumbs/ThumbnailBuilder.h"

#include <QPainter>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/ImageDecoder.h"

namespace {

// Each direction on its own: shrunk smoothly, enlarged by repeating pixels, so that a
// 16 x 16 pattern shows its pixels crisp in a 60 x 60 cell instead of a blur.
QImage stretched(const QImage& image, const QSize& size)
{
    const QSize reduced = image.size().boundedTo(size);
    QImage out = reduced == image.size()
                     ? image
                     : image.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (out.size() != size)
        out = out.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return out;
}

} // namespace

QImage ThumbnailBuilder::makeThumbnail(const QString& path, const QSize& pixelSize,
                                       const QColor& background, const ImageDecoder& decoder)
{
    const DecodedImage decoded = decoder.decodeScaled(path, pixelSize);
    if (!decoded.ok())
        return {};
    // Each picture starts from a cleared background, so transparent pixels show the
    // background and never a previous picture.
    QImage thumb(pixelSize, QImage::Format_RGB32);
    thumb.fill(background);
    QPainter p(&thumb);
    p.drawImage(QPoint(0, 0), stretched(decoded.image, pixelSize));
    return thumb;
}

QVector<QImage> ThumbnailBuilder::build(const QStringList& paths, const QVector<qint64>& sizes,
                                        const QSize& pixelSize, const QColor& background,
                                        const ImageDecoder& decoder,
                                        const std::function<void(int done)>& progress)
{
    const int count = paths.size();
    QVector<QImage> thumbs(count);
    if (count == 0)
        return thumbs;

    // Largest files first: the long decodes start early and no core idles at the end.
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i)
        order[i] = i;
    if (sizes.size() == count)
        std::stable_sort(order.begin(), order.end(),
                         [&sizes](int a, int b) { return sizes[a] > sizes[b]; });

    std::atomic<int> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    int done = 0;
    int workersLeft = std::max(1, std::min(QThread::idealThreadCount(), count));
    const int workers = workersLeft;

    // A pool of our own, so that nothing else queued on the global pool delays the build.
    QThreadPool pool;
    pool.setMaxThreadCount(workers);
    for (int w = 0; w < workers; ++w) {
        pool.start([&] {
            for (int k = next++; k < count; k = next++) {
                const int i = order[k];
                QImage thumb = makeThumbnail(paths[i], pixelSize, background, decoder);
                std::lock_guard<std::mutex> lock(mutex);
                thumbs[i] = std::move(thumb);
                ++done;
                finished.notify_one();
            }
            std::lock_guard<std::mutex> lock(mutex);
            --workersLeft;
            finished.notify_one();
        });
    }

    int reported = -1;
    std::unique_lock<std::mutex> lock(mutex);
    while (workersLeft > 0) {
        finished.wait_for(lock, std::chrono::milliseconds(30));
        if (done != reported && progress) {
            reported = done;
            lock.unlock();
            progress(reported);
            lock.lock();
        }
    }
    lock.unlock();
    pool.waitForDone();
    if (progress && reported != count)
        progress(count);
    return thumbs;
}
