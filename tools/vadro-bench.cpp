// Measures the program's own code on a folder, printing one line each:
//   vadro-bench list DIR    the folder scan (names, sizes, icons and type names into the list)
//                           "list files=N seconds=S files_per_s=F peak_rss_mib=M"
//   vadro-bench thumbs DIR  the thumbnail build of the grid over the listed files and PNGs
//                           "thumbs files=N seconds=S files_per_s=F peak_rss_mib=M"
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>

#include "app/Resources.h"
#include "layout/Twips.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/IconCache.h"
#include "listing/Listing.h"
#include "listing/TypeFilter.h"
#include "platform/FileTypeInfo.h"
#include "platform/ImageDecoder.h"
#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbnailBuilder.h"
#include "ui/StatusBar.h"

namespace {

double peakRssMib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

int usage()
{
    QTextStream(stderr) << "usage: vadro-bench list|thumbs DIR\n";
    return 2;
}

void report(const char* what, int files, double seconds)
{
    QTextStream(stdout) << what << " files=" << files
                        << " seconds=" << QString::number(seconds, 'f', 4) << " files_per_s="
                        << QString::number(seconds > 0 ? files / seconds : 0, 'f', 0)
                        << " peak_rss_mib=" << QString::number(peakRssMib(), 'f', 1) << "\n";
}

int benchThumbs(const QString& folder)
{
    FileList files;
    files.setPattern(TypeFilter().filePattern() + QStringLiteral(";*.png"));
    if (!files.setPath(folder))
        return 1;
    QtImageDecoder decoder;
    const QSize cell(Twips::toPixels(ThumbGridGeometry::Thumb),
                     Twips::toPixels(ThumbGridGeometry::Thumb));

    QElapsedTimer clock;
    clock.start();
    const QVector<QImage> thumbs =
        ThumbnailBuilder::build(files.paths(), files.sizes(), cell, Qt::white, decoder, {});
    const double seconds = clock.nsecsElapsed() / 1e9;
    report("thumbs", thumbs.size(), seconds);
    // Files that did not decode still count as done (a blank cell); say how many.
    const auto blank =
        std::count_if(thumbs.begin(), thumbs.end(), [](const QImage& t) { return t.isNull(); });
    if (blank > 0)
        QTextStream(stderr) << "vadro-bench: " << blank << " of " << thumbs.size()
                            << " files did not decode\n";
    return thumbs.isEmpty() ? 1 : 0;
}

int benchList(const QString& folder)
{
    MimeFileTypeInfo types;
    QtImageDecoder decoder;
    IconCache icons(types, decoder);
    FileList files;
    FileListModel model;
    QWidget host;
    QLabel count(&host);
    StatusBar status(&host);
    Listing::Hooks hooks;
    hooks.closeTiledView = [] {};
    hooks.clearPreview = [] {};
    hooks.showThumbSurface = [](bool) {};
    hooks.buildThumbnails = [] {};
    hooks.emptyThumbnails = [] {};
    hooks.treeFolder = [folder] { return folder; };
    hooks.setTreeFolder = [](const QString&) {};
    hooks.saveFolder = [](const QString&) {};
    hooks.listFilled = [] {};
    Listing listing(files, model, icons, count, status, hooks, nullptr);
    files.setPattern(TypeFilter().filePattern());

    QElapsedTimer clock;
    clock.start();
    listing.treeChanged();
    const double seconds = clock.nsecsElapsed() / 1e9;
    report("list", model.rowCount(), seconds);
    return model.rowCount() > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    loadVadroResources();
    MimeFileTypeInfo::chooseIconTheme();
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return usage();
    if (args[1] == QLatin1String("list"))
        return benchList(args[2]);
    if (args[1] == QLatin1String("thumbs"))
        return benchThumbs(args[2]);
    return usage();
}
