// Decodes one file the way the program would and prints what it cost, one line:
//   vadro-decode full FILE    the preview's full-size decode
//   vadro-decode thumb FILE   the thumbnail build's road: the budget's estimate, then a scaled
//                             decode unless the estimate passes the ceiling
//   vadro-decode cache FILE   FILE placed as the shared cache's entry of a picture, then read
//   vadro-decode folder DIR   the thumbnail build over every file of DIR, whatever its type,
//                             with the shared cache ($XDG_CACHE_HOME/thumbnails)
//   "MODE result=R estimate_mib=E seconds=S peak_rss_mib=M"
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <memory>

#include "platform/ImageDecoder.h"
#include "platform/SafeFile.h"
#include "thumbs/DecodeBudget.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"

namespace {

double peakRssMib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

QString describe(const DecodedImage& decoded)
{
    if (decoded.ok())
        return QStringLiteral("%1x%2").arg(decoded.image.width()).arg(decoded.image.height());
    return QStringLiteral("refused(%1)").arg(int(decoded.failure));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: vadro-decode full|thumb|cache FILE\n";
        return 2;
    }
    const QString mode = args[1];
    const QString path = args[2];
    QtImageDecoder decoder;
    QString result;
    double estimateMib = -1;
    QElapsedTimer clock;
    clock.start();
    if (mode == QLatin1String("full")) {
        result = describe(decoder.decode(path));
    } else if (mode == QLatin1String("thumb")) {
        const QSize target(ThumbnailCache::LargeSide, ThumbnailCache::LargeSide);
        const std::unique_ptr<QFile> file = SafeFile::openForReading(path);
        const DecodeBudget::Estimate e =
            file ? DecodeBudget::estimate(*file, file->size(), target) : DecodeBudget::Estimate();
        estimateMib = e.bytes / double(DecodeBudget::MiB);
        result = e.bytes > DecodeBudget::Ceiling ? QStringLiteral("over-ceiling")
                                                 : describe(decoder.decodeScaled(path, target));
    } else if (mode == QLatin1String("cache")) {
        // A fuzzer's entry: its first byte names the folder (normal, large, fail), the rest is
        // the entry of a 10-byte picture whose URI and time the entry's keys give.
        QFile input(path);
        const QByteArray bytes = input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray();
        const QString picture = QStringLiteral("/tmp/vadro-fuzz-tc/pic.png");
        QDir().mkpath(QStringLiteral("/tmp/vadro-fuzz-tc"));
        QFile file(picture);
        file.open(QIODevice::WriteOnly);
        file.write("0123456789");
        file.flush();
        file.setFileTime(QDateTime::fromSecsSinceEpoch(1700000000),
                         QFileDevice::FileModificationTime);
        file.close();
        QTemporaryDir dir;
        const ThumbnailCache cache(dir.filePath(QStringLiteral("thumbnails")));
        const ThumbnailCache::Source source = ThumbnailCache::source(picture);
        const int folder = bytes.isEmpty() ? 0 : bytes[0];
        const QString entry = folder == 2 ? cache.failurePath(source.uri)
                              : folder == 1
                                  ? cache.entryPath(ThumbnailCache::Flavour::Large, source.uri)
                                  : cache.entryPath(ThumbnailCache::Flavour::Normal, source.uri);
        QDir().mkpath(QFileInfo(entry).path());
        QFile out(entry);
        out.open(QIODevice::WriteOnly);
        out.write(bytes.mid(1));
        out.close();
        clock.restart();
        const QImage image = cache.read(source, ThumbnailCache::Flavour::Normal, decoder);
        const bool failed = cache.hasFailed(source, decoder);
        result = image.isNull() ? QString::fromLatin1(failed ? "failure-recorded" : "absent")
                                : QStringLiteral("%1x%2").arg(image.width()).arg(image.height());
    } else if (mode == QLatin1String("folder")) {
        QStringList paths;
        for (const QFileInfo& info : QDir(path).entryInfoList(QDir::Files, QDir::Name))
            paths.append(info.filePath());
        const ThumbnailCache cache(ThumbnailCache::defaultRoot());
        ThumbnailBuilder::Options options;
        options.cache = &cache;
        options.flavour = ThumbnailCache::Flavour::Normal;
        const ThumbnailBuilder::Result built =
            ThumbnailBuilder::run(paths, QSize(96, 96), Qt::white, decoder, options);
        const auto blank = std::count_if(built.cells.begin(), built.cells.end(),
                                         [](const QImage& cell) { return cell.isNull(); });
        result = QStringLiteral("%1-files,%2-blank").arg(paths.size()).arg(blank);
        estimateMib = built.peakInFlight / double(DecodeBudget::MiB);
    } else {
        return 2;
    }
    QTextStream(stdout) << mode << " result=" << result
                        << " estimate_mib=" << QString::number(estimateMib, 'f', 1)
                        << " seconds=" << QString::number(clock.nsecsElapsed() / 1e9, 'f', 3)
                        << " peak_rss_mib=" << QString::number(peakRssMib(), 'f', 1) << "\n";
    return 0;
}
