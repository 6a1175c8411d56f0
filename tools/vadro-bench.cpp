// Measures the program's own code on a folder, printing one line each:
//   vadro-bench list DIR    the folder scan (names, sizes, icons and type names into the list)
//                           "list files=N seconds=S files_per_s=F peak_rss_mib=M"
//   vadro-bench thumbs [--no-cache] DIR
//                           the thumbnail build of the grid over the listed files and PNGs,
//                           reading and then filling the shared thumbnail cache as the grid
//                           does ($XDG_CACHE_HOME/thumbnails), or without it
//                           "thumbs files=N seconds=S files_per_s=F peak_rss_mib=M cached=C
//                            written=W write_seconds=T budget_peak_mib=B"
//   vadro-bench grid DIR    the grid's background build as the window runs it, with a real event
//                           loop, in the grid's pane of a new 1500 x 900 window: an empty cache
//                           ($XDG_CACHE_HOME/thumbnails), then a second visit on what the first
//                           wrote, then a build cut short as closing the window does; each
//                           "grid VISIT files=N first_screen_s=F all_s=A longest_stall_ms=S
//                            peak_rss_mib=M" (times from the start of the folder's scan), and
//                           "grid close files=N close_ms=C"
//   vadro-bench tile        the tiled view's repaint of a 3840 x 2160 window, offset and grid on,
//                           for every repeat, tiles from 1 x 1 to 1024 x 1024 at zoom 1 to 8,
//                           beside a plain fill of the same area in the same run (the floor);
//                           one line each "tile SIDE zoom=Z repeat=KIND repaint_ms=R fill_ms=F
//                           ratio=X fastest_ratio=Q first_ms=M path=P", medians (Q: of the
//                           fastest runs); first_ms: the first paint, which makes the pattern;
//                           then "tile repeat=KIND worst_ratio=X worst_fastest_ratio=Q" per
//                           repeat, "tile worst_ratio=X" over all, and last "tile copy_floor
//                           fill_ms=F copy_ms=C ratio=X": the window copied row by row with
//                           memcpy from a 1024 x 256 picture, the least any repaint costs
//   vadro-bench seam [--repeat KIND] DIR
//                           the seam score of each picture of the folder (the listed types and
//                           PNG) in a repeat (straight unless given: straight, drop2, drop3,
//                           drop4, brick2, brick3, brick4, mirror-across, mirror-down,
//                           mirror-both), in name order, one line each: "seam NAME SCORE";
//                           then, on stderr, the slowest score's time and how many files did
//                           not decode
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/CommandLine.h"
#include "app/Resources.h"
#include "layout/PaneLayout.h"
#include "layout/Twips.h"
#include "listing/FileList.h"
#include "listing/FileListModel.h"
#include "listing/IconCache.h"
#include "listing/Listing.h"
#include "listing/TypeFilter.h"
#include "platform/FileTypeInfo.h"
#include "platform/ImageDecoder.h"
#include "platform/MessageBoxes.h"
#include "preview/SeamScore.h"
#include "preview/TilePainter.h"
#include "thumbs/ThumbGridGeometry.h"
#include "thumbs/ThumbnailBase.h"
#include "thumbs/ThumbnailBuilder.h"
#include "thumbs/ThumbnailCache.h"
#include "thumbs/ThumbnailCacheWriter.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"
#include "tile/Repeat.h"
#include "ui/FileText.h"
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
    QTextStream(stderr)
        << "usage: vadro-bench list DIR | thumbs [--no-cache] DIR | grid DIR | tile | "
           "seam [--repeat KIND] DIR\n";
    return 2;
}

void report(const char* what, int files, double seconds, const QString& extra = {})
{
    QTextStream(stdout) << what << " files=" << files
                        << " seconds=" << QString::number(seconds, 'f', 4) << " files_per_s="
                        << QString::number(seconds > 0 ? files / seconds : 0, 'f', 0)
                        << " peak_rss_mib=" << QString::number(peakRssMib(), 'f', 1) << extra
                        << "\n";
}

int benchThumbs(const QString& folder, bool useCache)
{
    FileList files;
    files.setPattern(TypeFilter().filePattern() + QStringLiteral(";*.png"));
    if (!files.setPath(folder))
        return 1;
    QtImageDecoder decoder;
    const QSize cell(Twips::toPixels(ThumbGridGeometry::Thumb),
                     Twips::toPixels(ThumbGridGeometry::Thumb));
    ThumbnailCache cache(ThumbnailCache::defaultRoot());
    ThumbnailCacheWriter writer(cache);
    ThumbnailBuilder::Options options;
    options.cache = useCache ? &cache : nullptr;
    options.flavour = ThumbnailBuilder::flavourFor(cell);

    QElapsedTimer clock;
    clock.start();
    ThumbnailBuilder::Result result =
        ThumbnailBuilder::run(files.paths(), cell, Qt::white, decoder, options);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const int toWrite = result.toWrite.size();
    // As the grid does: written after the build, on the writer's thread.
    clock.restart();
    writer.add(std::move(result.toWrite));
    writer.waitForIdle();
    const double writeSeconds = clock.nsecsElapsed() / 1e9;
    const QVector<QImage>& thumbs = result.cells;
    report("thumbs", thumbs.size(), seconds,
           QStringLiteral(" cached=%1 written=%2 write_seconds=%3 budget_peak_mib=%4")
               .arg(result.fromCache)
               .arg(writer.written())
               .arg(writeSeconds, 0, 'f', 4)
               .arg(result.peakInFlight / double(DecodeBudget::MiB), 0, 'f', 1));
    if (writer.written() != toWrite)
        QTextStream(stderr) << "vadro-bench: " << toWrite - writer.written() << " of " << toWrite
                            << " cache entries were not written\n";
    // Files that did not decode still count as done (a blank cell); say how many.
    const auto blank =
        std::count_if(thumbs.begin(), thumbs.end(), [](const QImage& t) { return t.isNull(); });
    if (blank > 0)
        QTextStream(stderr) << "vadro-bench: " << blank << " of " << thumbs.size()
                            << " files did not decode\n";
    return thumbs.isEmpty() ? 1 : 0;
}

class PrintedMessages : public MessageBoxes
{
public:
    void show(QWidget*, const QString&, const QString& text, Icon) override
    {
        QTextStream(stderr) << "vadro-bench: message: " << text << "\n";
    }
};

// The grid as the main window holds it, in its pane of a new 1500 x 900 window.
struct GridWindow
{
    explicit GridWindow(const ImageDecoder& decoder)
        : count(&window), progress(&window), base(&window),
          grid(new ThumbnailGrid(base, count, progress, decoder, messages, &window))
    {
        window.resize(1500, 900);
        PaneLayout layout;
        layout.windowResized(Twips::fromPixels(1500));
        LayoutInput in;
        in.windowWidth = Twips::fromPixels(1500);
        in.innerHeight = Twips::fromPixels(860);
        in.toolbarHeight = Twips::fromPixels(30);
        rects = layout.sizeControls(in);
        base.place(rects);
        base.show();
        window.show();
    }
    PrintedMessages messages;
    QWidget window;
    QLabel count;
    QProgressBar progress;
    ThumbnailBase base;
    ThumbnailGrid* grid;
    PaneRects rects;
};

struct GridVisit
{
    double firstScreen = -1;
    double all = -1;
    double longestStall = 0;
    qint64 files = 0;
    qint64 screen = 0;
};

// A listing and its build with the event loop running: when the cells in view are all filled,
// when every cell is, and the longest the loop went without serving a 1 ms timer.
GridVisit visitGrid(GridWindow& w, const QString& folder)
{
    GridVisit visit;
    ThumbnailGrid& grid = *w.grid;
    const ThumbnailSurface& surface = grid.surface();
    QElapsedTimer clock;
    clock.start();
    FileList files;
    files.setPattern(TypeFilter().filePattern());
    files.setPath(folder);
    visit.files = files.count();
    QEventLoop loop;
    QObject::connect(&grid, &ThumbnailGrid::built, &loop, &QEventLoop::quit);
    double last = 0;
    const auto [first, end] = ThumbGridGeometry::visibleRange(
        0, int(w.rects.thumbBase.height),
        ThumbGridGeometry::columns(w.rects.thumbSurfaceWidth, w.rects.thumbScrollBar.width),
        visit.files);
    visit.screen = end - first;
    const auto look = [&] {
        const double now = clock.nsecsElapsed() / 1e9;
        visit.longestStall = std::max(visit.longestStall, (now - last) * 1000);
        last = now;
        if (visit.firstScreen < 0) {
            bool filled = true;
            for (qint64 i = first; i < end && filled; ++i)
                filled = !surface.isPending(i);
            if (filled)
                visit.firstScreen = now;
        }
    };
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &loop, look);
    tick.start(1);
    last = clock.nsecsElapsed() / 1e9;
    grid.build(files);
    look();
    if (grid.isBuilding())
        loop.exec();
    look();
    visit.all = clock.nsecsElapsed() / 1e9;
    return visit;
}

int benchGrid(const QString& folder)
{
    QtImageDecoder decoder;
    QTextStream out(stdout);
    const auto report = [&out](const char* what, const GridVisit& v) {
        out << "grid " << what << " files=" << v.files << " screen_cells=" << v.screen
            << " first_screen_s=" << QString::number(v.firstScreen, 'f', 3)
            << " all_s=" << QString::number(v.all, 'f', 3)
            << " longest_stall_ms=" << QString::number(v.longestStall, 'f', 1)
            << " peak_rss_mib=" << QString::number(peakRssMib(), 'f', 1) << "\n";
        out.flush();
    };
    {
        GridWindow w(decoder);
        const GridVisit first = visitGrid(w, folder);
        report("first", first);
        if (first.files == 0)
            return 1;
        w.grid->waitForCacheWrites();
        report("second", visitGrid(w, folder));
        delete w.grid;
    }
    // Closing during a first visit: the grid goes while decodes run.
    QTemporaryDir empty;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(empty.path()));
    GridWindow w(decoder);
    FileList files;
    files.setPattern(TypeFilter().filePattern());
    files.setPath(folder);
    w.grid->build(files);
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
    QElapsedTimer clock;
    clock.start();
    delete w.grid;
    out << "grid close files=" << files.count()
        << " close_ms=" << QString::number(clock.nsecsElapsed() / 1e6, 'f', 1) << "\n";
    return 0;
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

// The median times of `runs` calls of each of two kinds of work, in milliseconds, taken in
// turns so that both see the same state of the machine.
template <typename A, typename B> std::pair<double, double> medianMs(int runs, A&& a, B&& b)
{
    std::vector<double> first, second;
    auto time = [](auto&& work) {
        QElapsedTimer clock;
        clock.start();
        work();
        return clock.nsecsElapsed() / 1e6;
    };
    for (int k = 0; k < runs; ++k) {
        first.push_back(time(a));
        second.push_back(time(b));
    }
    std::sort(first.begin(), first.end());
    std::sort(second.begin(), second.end());
    return {first[first.size() / 2], second[second.size() / 2]};
}

int benchTile()
{
    // The window's buffer as the X server's 24-bit visual has it.
    QImage window(3840, 2160, QImage::Format_RGB32);
    const QColor page(0xd6, 0xd2, 0xcb);
    constexpr int Runs = 21;
    double worst = 0;
    std::vector<QImage> tiles;
    for (const int side : {1, 2, 16, 64, 256, 1024}) {
        // Opaque noise, so that no draw can be skipped for a flat colour.
        QImage tile(side, side, QImage::Format_RGB32);
        quint32 seed = 12345;
        for (int y = 0; y < side; ++y) {
            auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
            for (int x = 0; x < side; ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = 0xff000000u | (seed >> 8);
            }
        }
        tiles.push_back(tile);
    }
    QTextStream out(stdout);
    for (const Repeat& repeat : Repeat::all()) {
        double worstHere = 0, worstFastest = 0;
        for (const QImage& tile : tiles) {
            for (const int zoom : {1, 2, 4, 8}) {
                TileMode mode;
                mode.repeat = repeat;
                mode.offset = true;
                mode.grid = true;
                mode.zoom = zoom;
                TilePainter painter;
                auto repaint = [&] {
                    QPainter p(&window);
                    painter.paint(p, window.rect(), window.size(), tile, mode, page);
                };
                auto fill = [&] {
                    QPainter p(&window);
                    p.fillRect(window.rect(), page);
                };
                // The pattern is made once, on the first paint after a change: a key's cost.
                QElapsedTimer first;
                first.start();
                repaint();
                const double firstMs = first.nsecsElapsed() / 1e6;
                fill();
                // Taken in turns; the medians, and the fastest of each, which a busy machine
                // disturbs least.
                std::vector<double> repaints, fills;
                for (int k = 0; k < Runs; ++k) {
                    QElapsedTimer clock;
                    clock.start();
                    repaint();
                    repaints.push_back(clock.nsecsElapsed() / 1e6);
                    clock.restart();
                    fill();
                    fills.push_back(clock.nsecsElapsed() / 1e6);
                }
                std::sort(repaints.begin(), repaints.end());
                std::sort(fills.begin(), fills.end());
                const double repaintMs = repaints[Runs / 2], fillMs = fills[Runs / 2];
                const double ratio = repaintMs / fillMs;
                const double fastestRatio = repaints.front() / fills.front();
                worstHere = std::max(worstHere, ratio);
                worstFastest = std::max(worstFastest, fastestRatio);
                out << "tile " << tile.width() << " zoom=" << zoom << " repeat=" << repeat.token()
                    << " repaint_ms=" << QString::number(repaintMs, 'f', 2)
                    << " fill_ms=" << QString::number(fillMs, 'f', 2)
                    << " ratio=" << QString::number(ratio, 'f', 2)
                    << " fastest_ratio=" << QString::number(fastestRatio, 'f', 2)
                    << " first_ms=" << QString::number(firstMs, 'f', 1)
                    << " path=" << (painter.usesPattern() ? "pattern" : "tiles") << "\n";
            }
        }
        out << "tile repeat=" << repeat.token()
            << " worst_ratio=" << QString::number(worstHere, 'f', 2)
            << " worst_fastest_ratio=" << QString::number(worstFastest, 'f', 2) << "\n";
        out.flush();
        worst = std::max(worst, worstHere);
    }
    out << "tile worst_ratio=" << QString::number(worst, 'f', 2) << "\n";

    // A repaint reads a picture and writes the window, a fill only writes: the bare copy is
    // the bound of the memory the machine has.
    const QImage& source = tiles.back();
    std::vector<double> copies, fills;
    for (int k = 0; k < Runs; ++k) {
        QElapsedTimer clock;
        clock.start();
        for (int y = 0; y < window.height(); ++y) {
            auto* to = window.scanLine(y);
            const uchar* from = source.constScanLine(y % 256);
            for (int x = 0; x < window.width(); x += 1024) {
                const int n = std::min(1024, window.width() - x);
                std::memcpy(to + x * 4, from, size_t(n) * 4);
            }
        }
        copies.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        QPainter(&window).fillRect(window.rect(), page);
        fills.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(copies.begin(), copies.end());
    std::sort(fills.begin(), fills.end());
    out << "tile copy_floor fill_ms=" << QString::number(fills[Runs / 2], 'f', 2)
        << " copy_ms=" << QString::number(copies[Runs / 2], 'f', 2)
        << " ratio=" << QString::number(copies[Runs / 2] / fills[Runs / 2], 'f', 2) << "\n";
    return 0;
}

int benchSeam(const QString& folder, const Repeat& repeat)
{
    FileList files;
    files.setPattern(TypeFilter().filePattern() + QStringLiteral(";*.png"));
    if (!files.setPath(folder)) {
        QTextStream(stderr) << "vadro-bench: cannot read " << folder << "\n";
        return 1;
    }
    QtImageDecoder decoder;
    QTextStream out(stdout);
    int scored = 0, broken = 0;
    qint64 slowest = 0;
    QString slowestName;
    for (int i = 0; i < files.count(); ++i) {
        const DecodedImage decoded = decoder.decode(FileText::join(folder, files.name(i)));
        if (!decoded.ok()) {
            ++broken;
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        const int score = SeamScore::of(decoded.image, repeat);
        const qint64 nanoseconds = clock.nsecsElapsed();
        if (nanoseconds > slowest) {
            slowest = nanoseconds;
            slowestName = files.name(i);
        }
        out << "seam " << files.name(i) << ' ' << score << '\n';
        ++scored;
    }
    out.flush();
    if (scored > 0)
        QTextStream(stderr) << "vadro-bench: slowest score "
                            << QString::number(slowest / 1e6, 'f', 2) << " ms (" << slowestName
                            << ")\n";
    if (broken > 0)
        QTextStream(stderr) << "vadro-bench: " << broken << " of " << files.count()
                            << " files did not decode\n";
    if (scored == 0)
        QTextStream(stderr) << "vadro-bench: no picture to score in " << folder << "\n";
    return scored > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The thumbnail build needs no windows: the grid's process has its desktop connection
    // long before, and starting one here would be counted against the build.
    const bool thumbs = argc > 1 && qstrcmp(argv[1], "thumbs") == 0;
    const std::unique_ptr<QCoreApplication> app =
        thumbs ? std::make_unique<QCoreApplication>(argc, argv)
               : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(VADRO_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times the program's work. Subcommands: list DIR | thumbs [--no-cache] "
                       "DIR | tile | seam DIR"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("subcommand"), QStringLiteral("What to time."),
                                 QStringLiteral("SUBCOMMAND [ARGUMENTS]"));
    // Whatever follows the subcommand is its own.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const std::optional<int> status =
            CommandLine::parse(parser, app->arguments(), std::numeric_limits<int>::max(), out, err))
        return *status;
    const QStringList args =
        QStringList{app->arguments().constFirst()} + parser.positionalArguments();
    if (!thumbs) {
        loadVadroResources();
        MimeFileTypeInfo::chooseIconTheme();
    }
    if (args.size() == 2 && args[1] == QLatin1String("tile"))
        return benchTile();
    if (args.size() == 3 && args[1] == QLatin1String("seam"))
        return benchSeam(args[2], Repeat());
    if (args.size() == 5 && args[1] == QLatin1String("seam") &&
        args[2] == QLatin1String("--repeat")) {
        const std::optional<Repeat> repeat = Repeat::fromToken(args[3]);
        if (!repeat) {
            QTextStream(stderr) << "vadro-bench: no repeat called " << args[3] << "\n";
            return usage();
        }
        return benchSeam(args[4], *repeat);
    }
    if (args.size() == 3 && args[1] == QLatin1String("list"))
        return benchList(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("grid"))
        return benchGrid(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("thumbs"))
        return benchThumbs(args[2], true);
    if (args.size() == 4 && args[1] == QLatin1String("thumbs") &&
        args[2] == QLatin1String("--no-cache"))
        return benchThumbs(args[3], false);
    return usage();
}
