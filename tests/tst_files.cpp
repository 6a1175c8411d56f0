#include <QtTest>

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/TitleStrip.h"
#include "layout/PaneLayout.h"
#include "listing/FileList.h"
#include "listing/ItemCellDelegate.h"
#include "platform/SafeFile.h"
#include "ui/ElidedLabel.h"
#include "ui/FileText.h"
#include "ui/StatusLine.h"

namespace {

constexpr qint64 FourGiB = qint64(4) << 30;

bool touch(const QByteArray& path, qint64 size = 0)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    const bool ok = fd >= 0 && ::ftruncate(fd, off_t(size)) == 0;
    ::close(fd);
    return ok;
}

bool touch(const QString& path, qint64 size = 0)
{
    return touch(QFile::encodeName(path), size);
}

bool link(const char* target, const QString& path)
{
    return ::symlink(target, QFile::encodeName(path).constData()) == 0;
}

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void safeFileAcceptsRegularFilesOnly_data();
    void safeFileAcceptsRegularFilesOnly();
    void listsRegularPictureFilesOnly();
    void listsOddNamesInCaseInsensitiveOrder();
    void matches_data();
    void matches();
    void unreadableFolderListsNothing_data();
    void unreadableFolderListsNothing();
    void pathAndJoinNeverDoubleTheSlash();
    void listsTenThousandFiles();
    void namesAreWholeOrCutOnce_data();
    void namesAreWholeOrCutOnce();
    void labelsNeverRunTogether();

private:
    QString hostile(const QString& name) const { return m_dir.filePath("hostile/" + name); }
    QByteArray notUtf8() const { return QFile::encodeName(hostile("bad")) + "\xff.bmp"; }

    QTemporaryDir m_dir;
};

// A few good files among everything that must never be listed or opened.
void TestFiles::initTestCase()
{
    QVERIFY(QDir(m_dir.path()).mkpath("hostile/x.bmp"));
    QVERIFY(touch(hostile("good.bmp"), 6));
    QVERIFY(touch(hostile("PHOTO.JPG"), 10));
    QVERIFY(touch(hostile("big.bmp"), FourGiB)); // sparse
    QVERIFY(touch(hostile(".hidden.bmp")) && touch(hostile("notes.txt")));
    QVERIFY(touch(notUtf8()));
    QVERIFY(link("good.bmp", hostile("link.bmp")) && link("x.bmp", hostile("dirlink.bmp")));
    QVERIFY(link("/dev/zero", hostile("zero.bmp")) && link("nowhere", hostile("dangling.bmp")));
    QVERIFY(link("loop.bmp", hostile("loop.bmp")));
    QCOMPARE(::mkfifo(QFile::encodeName(hostile("pipe.jpg")).constData(), 0644), 0);
}

// QTemporaryDir cannot remove a name that is not valid text.
void TestFiles::cleanupTestCase()
{
    ::unlink(notUtf8().constData());
}

void TestFiles::safeFileAcceptsRegularFilesOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size"); // -1: refused

    QTest::newRow("regular") << "good.bmp" << qint64(6);
    QTest::newRow("link to regular") << "link.bmp" << qint64(6);
    QTest::newRow("sparse 4 GiB") << "big.bmp" << FourGiB;
    QTest::newRow("directory") << "x.bmp" << qint64(-1);
    QTest::newRow("FIFO without writer") << "pipe.jpg" << qint64(-1);
    QTest::newRow("link to device") << "zero.bmp" << qint64(-1);
    QTest::newRow("dangling link") << "dangling.bmp" << qint64(-1);
    QTest::newRow("link loop") << "loop.bmp" << qint64(-1);
    QTest::newRow("missing") << "missing.bmp" << qint64(-1);
}

void TestFiles::safeFileAcceptsRegularFilesOnly()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);

    QCOMPARE(SafeFile::regularFileSize(hostile(name)).value_or(-1), size);
    QString error;
    const std::unique_ptr<QFile> file = SafeFile::openForReading(hostile(name), &error);
    QCOMPARE(bool(file), size >= 0);
    QCOMPARE(error.isEmpty(), size >= 0);
    if (file) {
        QVERIFY(file->isReadable());
        QCOMPARE(file->size(), size);
    }
}

void TestFiles::listsRegularPictureFilesOnly()
{
    FileList files;
    QCOMPARE(files.pattern(), QStringLiteral("*.bmp"));
    files.setPattern("*.bmp;*.jpg");
    QVERIFY(files.setPath(m_dir.filePath("hostile")));
    QVERIFY(files.canRead());
    QCOMPARE(files.names(), QStringList({"big.bmp", "good.bmp", "link.bmp", "PHOTO.JPG"}));
    QCOMPARE(files.size(0), FourGiB);
    QCOMPARE(files.size(2), qint64(6));
    QCOMPARE(files.name(4), QString());
    QCOMPARE(files.name(-1), QString());
    QCOMPARE(files.size(4), qint64(-1));

    QVERIFY(touch(hostile("new.bmp")));
    QVERIFY(files.refresh());
    QCOMPARE(files.count(), 5);
    QFile::remove(hostile("new.bmp"));
}

void TestFiles::listsOddNamesInCaseInsensitiveOrder()
{
    const QString folder = m_dir.filePath("odd");
    QVERIFY(QDir().mkpath(folder));
    // Worked out by hand: case-folded UTF-16 order, then exact case.
    const QStringList expected = {
        "-dash.bmp",
        "a\tb.bmp",
        "a\nb.bmp",
        "a b.bmp",
        "a\"b.bmp",
        "a%b.bmp",
        "a&b.bmp",
        "a'b.bmp",
        "a;b.bmp",
        "Apple.bmp",
        "apple.BMP",
        QString::fromUtf8("a\u200Bb.bmp"), // zero-width space
        QString::fromUtf8("a\u200Fb.bmp"), // right-to-left mark
        "banana.bmp",
        "Cherry.bmp",
        QString::fromUtf8("e\u0301.bmp"), // decomposed
        QString(251, u'z') + ".bmp",      // 255 bytes
        QString::fromUtf8("\u00E9.bmp"),  // composed
    };
    for (auto it = expected.crbegin(); it != expected.crend(); ++it)
        QVERIFY(touch(folder + u'/' + *it));

    FileList files;
    QVERIFY(files.setPath(folder));
    QCOMPARE(files.names(), expected);
}

void TestFiles::matches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("matches");

    QTest::newRow("case of the mask") << "a.bmp"
                                      << "*.BMP;" << true;
    QTest::newRow("accented case")
        << QString::fromUtf8("\u00C9T\u00C9.BMP") << QString::fromUtf8("\u00E9t\u00E9.bmp") << true;
    QTest::newRow("exact name") << "&"
                                << "&;" << true;
    QTest::newRow("exact name is whole") << "a&.bmp"
                                         << "&;" << false;
    QTest::newRow("sentinel") << "a.bmp"
                              << "&;&;*.zvq" << false;
    QTest::newRow("second mask") << "a.jpg"
                                 << "*.jpeg;*.jpg" << true;
    QTest::newRow("longer extension") << "a.bmp.txt"
                                      << "*.bmp" << false;
    QTest::newRow("one character") << "a1.bmp"
                                   << "a?.bmp" << true;
    QTest::newRow("not two") << "a12.bmp"
                             << "a?.bmp" << false;
    QTest::newRow("emoji is one character")
        << QString::fromUtf8("\U0001F600.bmp") << "?.bmp" << true;
    QTest::newRow("star backtracks") << "mississippi"
                                     << "m*s*p*i" << true;
    QTest::newRow("star backtracks, no") << "mississippi"
                                         << "m*s*p*x" << false;
    QTest::newRow("semicolon splits") << "a;b"
                                      << "a;b" << false;
    QTest::newRow("only separators") << "a"
                                     << ";;" << false;
}

void TestFiles::matches()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, matches);
    QCOMPARE(FileList::matches(name, pattern), matches);
}

void TestFiles::unreadableFolderListsNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("error");

    QTest::newRow("missing") << m_dir.filePath("no-such-folder") << ENOENT;
    QTest::newRow("file") << hostile("good.bmp") << ENOTDIR;
    QTest::newRow("FIFO") << hostile("pipe.jpg") << ENOTDIR;
    QTest::newRow("no permission") << m_dir.filePath("locked") << EACCES;
}

void TestFiles::unreadableFolderListsNothing()
{
    QFETCH(QString, folder);
    QFETCH(int, error);
    if (QTest::currentDataTag() == QLatin1String("no permission")) {
        if (::geteuid() == 0)
            QSKIP("permissions do not stop root from reading a folder");
        QVERIFY(QDir().mkpath(folder) && touch(folder + "/a.bmp"));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0), 0);
    }

    FileList files;
    QVERIFY(files.setPath(m_dir.filePath("hostile")));
    QCOMPARE(files.error(), 0);
    QVERIFY(!files.setPath(folder));
    QCOMPARE(files.error(), error);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QCOMPARE(files.path(), folder);
    QVERIFY(!files.canRead());
    QVERIFY(files.names().isEmpty());
    QCOMPARE(files.name(0), QString());
    // A later good read forgets the reason.
    QVERIFY(files.setPath(m_dir.filePath("hostile")));
    QCOMPARE(files.error(), 0);
}

void TestFiles::pathAndJoinNeverDoubleTheSlash()
{
    FileList files;
    QCOMPARE(files.path(), QString());
    QVERIFY(files.setPath("//"));
    QCOMPARE(files.path(), QStringLiteral("/"));
    QVERIFY(files.setPath(m_dir.path() + "//"));
    QCOMPARE(files.path(), m_dir.path());

    QCOMPARE(FileText::join("/", "a"), QStringLiteral("/a"));
    QCOMPARE(FileText::join("/home/me", "a"), QStringLiteral("/home/me/a"));
    QCOMPARE(FileText::join("/home/me/", "/a"), QStringLiteral("/home/me/a"));
}

// How long it takes is the benchmark's business, not a test's.
void TestFiles::listsTenThousandFiles()
{
    const QString folder = m_dir.filePath("many");
    QVERIFY(QDir().mkpath(folder));
    for (int i = 0; i < 11000; ++i) {
        const QString name =
            i < 10000
                ? QStringLiteral("tile%1.%2").arg(i, 5, 10, QChar(u'0')).arg(i % 2 ? "bmp" : "BMP")
                : QStringLiteral("other%1.txt").arg(i);
        QVERIFY(touch(folder + u'/' + name));
    }

    FileList files;
    QVERIFY(files.setPath(folder));
    QCOMPARE(files.count(), 10000);
    QCOMPARE(files.name(0), QStringLiteral("tile00000.BMP"));
    QCOMPARE(files.name(9999), QStringLiteral("tile09999.bmp"));
}

void TestFiles::namesAreWholeOrCutOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("room"); // the line's width, in widths of the whole name
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("whole");
    QTest::newRow("fits on one line") << "photo-0001.jpg" << 1.0 << 1 << true;
    QTest::newRow("wraps onto the second line") << "photo-0001.jpg" << 0.6 << 2 << true;
    QTest::newRow("no separator still wraps") << "photoalbumcover.jpg" << 0.55 << 2 << true;
    QTest::newRow("one line, cut") << "stripes-calm-400x48.bmp" << 0.6 << 1 << false;
    QTest::newRow("two lines, cut")
        << "an extremely long file name of many words.bmp" << 0.3 << 2 << false;
}

void TestFiles::namesAreWholeOrCutOnce()
{
    QFETCH(QString, name);
    QFETCH(double, room);
    QFETCH(int, lines);
    QFETCH(bool, whole);
    const QFontMetrics metrics{QFont()};
    const int width = int(metrics.horizontalAdvance(name) * room);
    const QString shown = ItemCellDelegate::fitted(name, metrics, width, lines);
    const QStringList shownLines = shown.split(QChar(0x2028));
    QVERIFY(shownLines.size() <= lines);
    for (const QString& line : shownLines)
        QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
    const QString joined = shownLines.join(QString());
    if (whole) {
        QCOMPARE(joined, name);
        return;
    }
    // Cut once: the start and the extension stay.
    QCOMPARE(joined.count(QChar(0x2026)), 1);
    QVERIFY(joined.startsWith(name.left(3)));
    QVERIFY(joined.endsWith(name.right(4)));
}

void TestFiles::labelsNeverRunTogether()
{
    // The title strip: however many types, their text stops short of the count, with "…".
    TitleStrip strip(nullptr);
    strip.typesLabel()->setText(QStringLiteral(
        "Searching for *.bmp *.gif *.jpg *.jpeg *.ico *.png *.webp *.tif *.tiff *.svg files."));
    PaneRects rects;
    rects.titleStrip = {0, 0, 9000, 300};
    rects.countLabel = {strip.countLabelLeftTwips(), 0, 1500, 300};
    strip.place(rects);
    const QRect types = strip.typesLabel()->geometry();
    QVERIFY(types.right() < strip.countLabel()->geometry().left());
    auto* elided = qobject_cast<ElidedLabel*>(strip.typesLabel());
    QVERIFY(elided);
    QVERIFY(elided->shownText().endsWith(QChar(0x2026)));
    QVERIFY(elided->fontMetrics().horizontalAdvance(elided->shownText()) <= types.width());

    // The status bar's file part: a long name cut in the middle, its extension kept.
    StatusLine line(nullptr);
    line.resize(400, 20);
    line.setSimple(false);
    line.setParts({120, -1});
    const QString name = QStringLiteral("a-rather-long-picture-name-for-its-part.png");
    line.setPartText(0, name);
    const QString shown = line.shownPartText(0);
    QCOMPARE(shown.count(QChar(0x2026)), 1);
    QVERIFY(shown.endsWith(QStringLiteral(".png")));
    QVERIFY(line.fontMetrics().horizontalAdvance(shown) <= 120 - 8);
    line.setPartText(1, QStringLiteral("short"));
    QCOMPARE(line.shownPartText(1), QStringLiteral("short"));
}

// The labels and the list's names are widgets: a full application.
QTEST_MAIN(TestFiles)
#include "tst_files.moc"
