#include <QtTest>

#include <QDirIterator>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "help/HelpCommands.h"

namespace {

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

// Runs a program to its end; a program that hangs fails the test instead of hanging it.
Result runProgram(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
                  const QString& folder = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    Result result;
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("did not finish");
        return result;
    }
    result.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

QString failure(const QString& what, const Result& r)
{
    return QStringLiteral("%1 (exit %2)\n%3\n%4").arg(what).arg(r.code).arg(r.out, r.err);
}

const QStringList InstalledFiles = {
    QStringLiteral("bin/vadro"),
    QStringLiteral("share/vadro/Vadro.html"),
    QStringLiteral("share/vadro/help/vadro.css"),
    QStringLiteral("share/applications/vadro.desktop"),
    QStringLiteral("share/metainfo/org.example.vadro.metainfo.xml"),
    QStringLiteral("share/icons/hicolor/scalable/apps/vadro.svg"),
    QStringLiteral("share/icons/hicolor/16x16/apps/vadro.png"),
    QStringLiteral("share/icons/hicolor/48x48/apps/vadro.png"),
    QStringLiteral("share/icons/hicolor/256x256/apps/vadro.png"),
    QStringLiteral("share/doc/vadro/copyright"),
    QStringLiteral("share/doc/vadro/changelog.gz"),
    QStringLiteral("share/man/man1/vadro.1.gz"),
};

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void installPutsEveryFileInItsPlace();
    void packageHoldsTheProgramAndItsFiles();
    void waylandSessionRunsThroughX11Quietly();
    void commandLines_data();
    void commandLines();
};

void TestInstall::installPutsEveryFileInItsPlace()
{
    QTemporaryDir prefix;
    const Result install = runProgram(QStringLiteral(VADRO_CMAKE),
                                      {QStringLiteral("--install"), QStringLiteral(VADRO_BUILD_DIR),
                                       QStringLiteral("--prefix"), prefix.path()});
    QVERIFY2(install.code == 0, qPrintable(failure(QStringLiteral("cmake --install"), install)));
    const QDir root(prefix.path());
    for (const QString& file : InstalledFiles)
        QVERIFY2(root.exists(file), qPrintable(file));
    QVERIFY(QFileInfo(root.filePath(QStringLiteral("bin/vadro"))).isExecutable());

    // The installed program finds its help in the prefix.
    QCOMPARE(HelpCommands::findDocument(root.filePath(QStringLiteral("bin"))),
             root.filePath(QStringLiteral("share/vadro/Vadro.html")));

    // Each PNG icon is a picture of its own size.
    int pngs = 0;
    QDirIterator icons(root.filePath(QStringLiteral("share/icons/hicolor")), {"vadro.png"},
                       QDir::Files, QDirIterator::Subdirectories);
    while (icons.hasNext()) {
        const QString path = icons.next();
        const int side =
            path.section(QLatin1Char('/'), -3, -3).section(QLatin1Char('x'), 0, 0).toInt();
        QCOMPARE(QImageReader(path).size(), QSize(side, side));
        ++pngs;
    }
    QCOMPARE(pngs, 7);

    // No placeholder address anywhere; the licence where packagers and software centres look.
    QDirIterator all(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (all.hasNext()) {
        QFile installed(all.next());
        QVERIFY(installed.open(QIODevice::ReadOnly));
        const QByteArray bytes = installed.readAll();
        for (const char* placeholder : {"example.org", "example.com"})
            QVERIFY2(!bytes.contains(placeholder), qPrintable(installed.fileName()));
    }
    for (const char* licensed :
         {"share/doc/vadro/copyright", "share/metainfo/org.example.vadro.metainfo.xml"}) {
        QFile file(root.filePath(QLatin1String(licensed)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll().contains("GPL-3.0-or-later"), licensed);
    }

    // Read as text: QSettings would take the ';' of the lists for comments.
    QFile entryFile(root.filePath(QStringLiteral("share/applications/vadro.desktop")));
    QVERIFY(entryFile.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(entryFile.readAll());
    QVERIFY(entry.contains(QStringLiteral("\nExec=vadro %f\n")));
    QVERIFY(entry.contains(QStringLiteral("\nCategories=Graphics;Viewer;\n")));
    static const QRegularExpression mimeLine(QStringLiteral("\nMimeType=([^\n]*)\n"));
    const QStringList types = mimeLine.match(entry).captured(1).split(QLatin1Char(';'));
    for (const char* type : {"image/bmp", "image/jpeg", "image/gif", "image/vnd.microsoft.icon",
                             "image/png", "image/webp", "image/tiff", "image/svg+xml"})
        QVERIFY2(types.contains(QLatin1String(type)), type);

    const QString desktopValidate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (desktopValidate.isEmpty() || appstream.isEmpty())
        QSKIP("desktop-file-validate or appstreamcli is missing: install desktop-file-utils and "
              "appstream (./test does)");
    const Result desktop = runProgram(
        desktopValidate, {root.filePath(QStringLiteral("share/applications/vadro.desktop"))});
    QVERIFY2(desktop.code == 0 && desktop.out.trimmed().isEmpty() && desktop.err.isEmpty(),
             qPrintable(failure(QStringLiteral("desktop-file-validate"), desktop)));
    const Result meta = runProgram(
        appstream,
        {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
         root.filePath(QStringLiteral("share/metainfo/org.example.vadro.metainfo.xml"))});
    QVERIFY2(meta.code == 0, qPrintable(failure(QStringLiteral("appstreamcli validate"), meta)));
}

void TestInstall::packageHoldsTheProgramAndItsFiles()
{
    const QString dpkgDeb = QStandardPaths::findExecutable(QStringLiteral("dpkg-deb"));
    if (dpkgDeb.isEmpty())
        QSKIP("dpkg-deb is missing: the Debian package can only be built on Debian and its "
              "relatives");
    if (QStandardPaths::findExecutable(QStringLiteral("dpkg-shlibdeps")).isEmpty())
        QSKIP("dpkg-shlibdeps is missing: install dpkg-dev (./test does)");

    // The package is made from this build, as tools/package does from its own.
    QTemporaryDir out;
    const Result cpack =
        runProgram(QStringLiteral(VADRO_CPACK),
                   {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path()},
                   QProcessEnvironment::systemEnvironment(), QStringLiteral(VADRO_BUILD_DIR));
    QVERIFY2(cpack.code == 0, qPrintable(failure(QStringLiteral("cpack"), cpack)));
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("vadro_2.0_*.deb")});
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.constFirst());

    const Result contents = runProgram(dpkgDeb, {QStringLiteral("--contents"), deb});
    QCOMPARE(contents.code, 0);
    for (const QString& file : InstalledFiles) {
        QVERIFY2(contents.out.contains(QStringLiteral(" ./usr/") + file + QLatin1Char('\n')),
                 qPrintable(file));
    }
    // Nothing of the build's own: no tests, no tools, no static library.
    for (const char* stray : {"tst_", "vadro-samples", "vadro-bench", "vadro-icons", ".a\n"})
        QVERIFY2(!contents.out.contains(QLatin1String(stray)), stray);
    QVERIFY(contents.out.contains(QStringLiteral("-rwxr-xr-x root/root")));

    const Result depends =
        runProgram(dpkgDeb, {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
    QCOMPARE(depends.code, 0);
    // Linked libraries come from dpkg-shlibdeps, plugins from our own list.
    for (const char* package :
         {"libqt6widgets6", "libqt6svg6", "libc6", "qt6-image-formats-plugins"})
        QVERIFY2(depends.out.contains(QLatin1String(package)), qPrintable(depends.out));
}

void TestInstall::waylandSessionRunsThroughX11Quietly()
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        QSKIP("xvfb-run is missing: install xvfb (./run does where there is no display)");
    // A Wayland session whose compositor offers XWayland; the user chose no platform.
    QTemporaryDir runtime; // made private, as Qt wants it, so that Qt has nothing to say
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-vadro-test"));
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("KDE"));
    const Result run = runProgram(xvfbRun,
                                  {QStringLiteral("-a"), QStringLiteral(VADRO_BUILD_DIR "/vadro"),
                                   QStringLiteral("--version")},
                                  environment);
    QVERIFY2(run.code == 0, qPrintable(failure(QStringLiteral("vadro --version"), run)));
    QCOMPARE(run.out.trimmed(), QStringLiteral("Vadro 2.0"));
    QCOMPARE(run.err, QString());
}

void TestInstall::commandLines_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out"); // what standard output holds, or "" for nothing
    QTest::addColumn<QString>("err"); // what standard error holds, or "" for nothing
    const QString usage = QStringLiteral("Usage: ");
    for (const char* program : {"vadro", "tools/vadro-samples", "tools/vadro-bench"}) {
        const QString name = QString::fromLatin1(program).section(QLatin1Char('/'), -1);
        QTest::addRow("%s --help", program)
            << program << QStringList{"--help"} << 0 << usage << QString();
        QTest::addRow("%s --version", program)
            << program << QStringList{"--version"} << 0 << QStringLiteral(" 2.0\n") << QString();
        QTest::addRow("%s --frobnicate", program)
            << program << QStringList{"--frobnicate"} << 2 << QString()
            << QStringLiteral("Unknown option 'frobnicate'");
    }
    QTest::newRow("vadro two folders") << "vadro" << QStringList{"a", "b"} << 2 << QString()
                                       << QStringLiteral("too many arguments: b");
    QTest::newRow("vadro-samples no folder")
        << "tools/vadro-samples" << QStringList{} << 2 << QString() << QStringLiteral("OUTDIR");
}

void TestInstall::commandLines()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir folder;
    QTemporaryDir home; // private, as Qt wants its runtime folder
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    const Result r = runProgram(QStringLiteral(VADRO_BUILD_DIR "/") + program, arguments,
                                environment, folder.path());
    QVERIFY2(r.code == code, qPrintable(failure(program, r)));
    QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.contains(out), qPrintable(r.out));
    QVERIFY2(err.isEmpty() ? !r.err.contains(QStringLiteral(": ")) : r.err.contains(err),
             qPrintable(r.err));
    // No option was taken for a folder to write or open.
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
