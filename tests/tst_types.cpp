#include <QtTest>

#include <QImage>
#include <QLabel>

#include "Harness.h"
#include "app/Browser.h"
#include "app/Settings.h"
#include "app/TitleStrip.h"
#include "listing/FileList.h"
#include "listing/FolderTree.h"
#include "listing/TypeFilter.h"
#include "listing/UnlistedTypesHint.h"
#include "platform/IniSettingsStore.h"
#include "thumbs/ThumbnailGrid.h"
#include "thumbs/ThumbnailSurface.h"

using Type = TypeFilter::Type;
Q_DECLARE_METATYPE(Type)

class TestTypes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addedTypes_data();
    void addedTypes();
    void addedPieceCountsOnlyWhenExact();
    void oldSettingsFileReadsUnchanged();
    void storesEveryKey();
    void hintText();
    void hintAfterListing();
    void addedTypesShowThumbnails();
};

void TestTypes::addedTypes_data()
{
    QTest::addColumn<Type>("type");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("caption");

    // The defaults plus one added type: it comes after the icon's place, before the sentinel.
    QTest::newRow("png") << Type::Png << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.png;*.zvq"
                         << "Searching for *.bmp *.gif *.jpeg *.png  files.";
    QTest::newRow("webp") << Type::Webp << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.webp;*.zvq"
                          << "Searching for *.bmp *.gif *.jpeg *.webp  files.";
    QTest::newRow("tiff") << Type::Tiff << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.tif;*.tiff;*.zvq"
                          << "Searching for *.bmp *.gif *.jpeg *.tif  files.";
    QTest::newRow("svg") << Type::Svg << "*.bmp;*.jpeg;*.jpg;*.gif;&;*.svg;*.zvq"
                         << "Searching for *.bmp *.gif *.jpeg *.svg  files.";
}

void TestTypes::addedTypes()
{
    QFETCH(Type, type);
    QFETCH(QString, pattern);
    QFETCH(QString, caption);

    TypeFilter types;
    const QString before = types.filePattern();
    QCOMPARE(before, QStringLiteral("*.bmp;*.jpeg;*.jpg;*.gif;&;*.zvq"));
    types.setEnabled(type, true);
    QVERIFY(types.isOn(type));
    QCOMPARE(types.filePattern(), pattern);
    QCOMPARE(types.typesCaption(), caption);
    types.setEnabled(type, false);
    QCOMPARE(types.piece(type), QStringLiteral("&;"));
    QCOMPARE(types.filePattern(), before);

    // Every type on: the four, then the added ones in their order.
    TypeFilter all;
    for (Type each : TypeFilter::All)
        all.setEnabled(each, true);
    QCOMPARE(
        all.filePattern(),
        QStringLiteral("*.bmp;*.jpeg;*.jpg;*.gif;*.ico;*.png;*.webp;*.tif;*.tiff;*.svg;*.zvq"));
    QCOMPARE(
        all.typesCaption(),
        QStringLiteral("Searching for *.bmp *.gif *.jpeg *.ico *.png *.webp *.tif *.svg  files."));
}

void TestTypes::addedPieceCountsOnlyWhenExact()
{
    TypeFilter types;
    // Unlike the first four, an added piece that is not exactly on stays out of the pattern.
    types.setPiece(Type::Png, QStringLiteral("*.PNG;"));
    types.setPiece(Type::Bitmap, QStringLiteral("*.BMP;"));
    QVERIFY(!types.isOn(Type::Png));
    QCOMPARE(types.filePattern(), QStringLiteral("*.BMP;*.jpeg;*.jpg;*.gif;&;*.zvq"));
    QCOMPARE(types.typesCaption(), QStringLiteral("Searching for *.gif *.jpeg  files."));
}

void TestTypes::oldSettingsFileReadsUnchanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vadro.conf"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Type]\nBitmap=&;\nJpg=*.jpeg;*.jpg;\nGif=&;\nIco=*.ico;\n");
    }
    IniSettingsStore store(path);
    const TypeFilter types = Settings(store).types();
    QCOMPARE(types.filePattern(), QStringLiteral("&;*.jpeg;*.jpg;&;*.ico;*.zvq"));
    QCOMPARE(types.typesCaption(), QStringLiteral("Searching for *.jpeg *.ico  files."));
    for (Type type : {Type::Png, Type::Webp, Type::Tiff, Type::Svg})
        QVERIFY(!types.isOn(type));
    QVERIFY(!store.read(QStringLiteral("Type"), QStringLiteral("Png")));
}

void TestTypes::storesEveryKey()
{
    QTemporaryDir dir;
    IniSettingsStore store(dir.filePath(QStringLiteral("Vadro.conf")));
    Settings settings(store);
    TypeFilter types;
    types.setEnabled(Type::Tiff, true);
    settings.setTypes(types);
    const auto stored = [&store](const char* key) {
        return store.read(QStringLiteral("Type"), QString::fromLatin1(key)).value_or("<absent>");
    };
    QCOMPARE(stored("Bitmap"), QStringLiteral("*.bmp;"));
    QCOMPARE(stored("Ico"), QStringLiteral("&;"));
    QCOMPARE(stored("Png"), QStringLiteral("&;"));
    QCOMPARE(stored("Webp"), QStringLiteral("&;"));
    QCOMPARE(stored("Tiff"), QStringLiteral("*.tif;*.tiff;"));
    QCOMPARE(stored("Svg"), QStringLiteral("&;"));
    QCOMPARE(settings.types().filePattern(), types.filePattern());
}

void TestTypes::hintText()
{
    QCOMPARE(UnlistedTypesHint::text({}), QString());
    QCOMPARE(UnlistedTypesHint::text({{"txt", 4}, {"zip", 1}}), QString());
    QCOMPARE(UnlistedTypesHint::text({{"png", 12}}),
             QStringLiteral("12 PNG pictures here are not listed: Tools > Options (F3) turns "
                            "them on"));
    QCOMPARE(UnlistedTypesHint::text({{"svg", 1}}),
             QStringLiteral("1 SVG picture here is not listed: Tools > Options (F3) turns it on"));
    // Both TIFF extensions count together; the types in the filter's order.
    QCOMPARE(UnlistedTypesHint::text({{"tiff", 2}, {"tif", 1}, {"ico", 1}, {"webp", 5}}),
             QStringLiteral("1 ICO, 5 WebP and 3 TIFF pictures here are not listed: Tools > "
                            "Options (F3) turns them on"));
}

void TestTypes::hintAfterListing()
{
    Sandbox box;
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::red);
    for (const char* name : {"a.png", "B.PNG", "c.svg", "d.bmp"})
        QVERIFY(tile.save(box.folder() + u'/' + QLatin1String(name), "png"));
    QVERIFY(QDir(box.folder()).mkdir(QStringLiteral("folder.png")));
    QVERIFY(QDir(box.folder()).mkdir(QStringLiteral("pngs")));

    FileList files;
    files.setPattern(TypeFilter().filePattern());
    files.setPath(box.folder());
    QCOMPARE(files.names(), QStringList{"d.bmp"});
    QCOMPARE(files.unlistedSuffixes().value("png"), 2);

    Run run(box);
    QTRY_COMPARE(run.line(), UnlistedTypesHint::text({{"png", 2}, {"svg", 1}}));

    // An empty folder of its own says nothing of the kind.
    QVERIFY(QDir(box.folder()).mkdir(QStringLiteral("empty")));
    run.main().folderTree().setSelectedPath(box.folder() + QStringLiteral("/empty"));
    QTRY_COMPARE(run.main().currentFolder(), box.folder() + QStringLiteral("/empty"));
    QCOMPARE(run.line(), QString());
}

void TestTypes::addedTypesShowThumbnails()
{
    Sandbox box;
    const QPair<const char*, Type> keys[] = {
        {"Png", Type::Png}, {"Webp", Type::Webp}, {"Tiff", Type::Tiff}, {"Svg", Type::Svg}};
    for (const auto& [key, type] : keys)
        box.store(QStringLiteral("Type"), QLatin1String(key), TypeFilter::onPiece(type));
    QImage tile(24, 24, QImage::Format_RGB32);
    tile.fill(Qt::green);
    QVERIFY(tile.save(box.folder() + QStringLiteral("/a.png")));
    QVERIFY(tile.save(box.folder() + QStringLiteral("/b.webp")));
    QVERIFY(tile.save(box.folder() + QStringLiteral("/c.tif")));
    QVERIFY(tile.save(box.folder() + QStringLiteral("/d.tiff")));
    QFile drawing(box.folder() + QStringLiteral("/e.svg"));
    QVERIFY(drawing.open(QIODevice::WriteOnly));
    drawing.write("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 8\">"
                  "<rect width=\"8\" height=\"8\" fill=\"#0f0\"/></svg>");
    drawing.close();

    Run run(box);
    const ThumbnailSurface& surface = run.main().browser().grid().surface();
    QTRY_COMPARE(surface.count(), qint64(5));
    QTRY_VERIFY(!run.main().browser().grid().isBuilding());
    for (qint64 i = 0; i < surface.count(); ++i) {
        const QImage& thumb = surface.thumbnail(i);
        QVERIFY2(!thumb.isNull(), qPrintable(run.main().browser().grid().nameAt(i)));
        QCOMPARE(thumb.pixelColor(thumb.width() / 2, thumb.height() / 2).green(), 255);
    }
    QCOMPARE(run.main().titleStrip().typesLabel()->text(),
             QStringLiteral("Searching for *.bmp *.gif *.jpeg *.png *.webp *.tif *.svg  files."));
}

QTEST_MAIN(TestTypes)
#include "tst_types.moc"
