#include <QtTest>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "Harness.h"
#include "TestPlatform.h"
#include "app/Browser.h"
#include "app/MainWindow.h"
#include "app/OptionsDialog.h"
#include "app/Settings.h"
#include "app/TitleStrip.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "listing/Listing.h"
#include "listing/TypeFilter.h"
#include "platform/IniSettingsStore.h"
#include "preview/CurrentImage.h"
#include "thumbs/ThumbnailGrid.h"
#include "ui/HoverHint.h"

using Type = TypeFilter::Type;

namespace {

// The dialog on its own, over a settings file and a type filter of the test's own.
struct Fixture
{
    QTemporaryDir dir;
    IniSettingsStore store{dir.filePath(QStringLiteral("Vadro.conf"))};
    Settings settings{store};
    TypeFilter types;
    FakeMessageBoxes messages;
    OptionsDialog dialog{settings, types, messages};
    QSignalSpy applied{&dialog, &OptionsDialog::typesApplied};

    QCheckBox* box(int index) const
    {
        return dialog.findChild<QCheckBox*>(QStringLiteral("Check%1").arg(index));
    }
    void ok() const
    {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdApply")),
                          Qt::LeftButton);
    }
    QString stored(const char* key) const
    {
        return store.read(QStringLiteral("Type"), QString::fromLatin1(key))
            .value_or(QStringLiteral("<absent>"));
    }
    QVector<bool> checks() const
    {
        QVector<bool> result;
        for (int i = 0; i < TypeFilter::Count; ++i)
            result.append(box(i)->isChecked());
        return result;
    }
};

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loadsTheBoxesByExactMatch();
    void okStoresEveryKeyAndHides();
    void refusesNoTypeAtAll();
    void hiddenKeepsBoxesClosedReloads();
    void modalAndModeless();
    void placesThePartsControls();
    void okListsTheFolderAgain();
};

void TestOptions::loadsTheBoxesByExactMatch()
{
    Fixture f;
    f.types.setPiece(Type::Jpeg, QStringLiteral("*.jpg;*.jpeg;"));
    f.types.setPiece(Type::Icon, QStringLiteral("*.ico;"));
    f.types.setPiece(Type::Svg, QStringLiteral("*.svg;"));
    f.types.setPiece(Type::Png, QStringLiteral("*.png"));
    f.dialog.showModeless();
    QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Options"));
    QCOMPARE(f.box(0)->text(), QStringLiteral("Bitmap"));
    QCOMPARE(f.checks(), (QVector<bool>{true, false, true, true, false, false, false, true}));
}

void TestOptions::okStoresEveryKeyAndHides()
{
    Fixture f;
    f.dialog.showModeless();
    f.box(0)->click(); // Bitmap off
    f.box(4)->click(); // Png on
    f.box(6)->click(); // Tiff on
    f.ok();

    QCOMPARE(f.applied.count(), 1);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.stored("Bitmap"), QStringLiteral("&;"));
    QCOMPARE(f.stored("Jpg"), QStringLiteral("*.jpeg;*.jpg;"));
    QCOMPARE(f.stored("Gif"), QStringLiteral("*.gif;"));
    QCOMPARE(f.stored("Ico"), QStringLiteral("&;"));
    QCOMPARE(f.stored("Png"), QStringLiteral("*.png;"));
    QCOMPARE(f.stored("Webp"), QStringLiteral("&;"));
    QCOMPARE(f.stored("Tiff"), QStringLiteral("*.tif;*.tiff;"));
    QCOMPARE(f.stored("Svg"), QStringLiteral("&;"));
    QCOMPARE(f.types.filePattern(),
             QStringLiteral("&;*.jpeg;*.jpg;*.gif;&;*.png;*.tif;*.tiff;*.zvq"));
    QVERIFY(f.messages.shown.isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestOptions::refusesNoTypeAtAll()
{
    Fixture f;
    f.dialog.showModeless();
    for (int i = 0; i < TypeFilter::Count; ++i)
        f.box(i)->setChecked(false);
    f.ok();
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.messages.shown[0].title, QStringLiteral("Check at least one"));
    QCOMPARE(f.messages.shown[0].text, QStringLiteral("At least one type must be checked."));
    QCOMPARE(f.messages.shown[0].icon, MessageBoxes::Icon::Error);
    QVERIFY(f.dialog.isVisible());
    QCOMPARE(f.applied.count(), 0);
    QCOMPARE(f.stored("Bitmap"), QStringLiteral("<absent>"));
    QCOMPARE(f.types.filePattern(), TypeFilter().filePattern());

    // One added type alone is enough.
    f.box(7)->setChecked(true);
    f.ok();
    QCOMPARE(f.messages.shown.size(), 1);
    QCOMPARE(f.applied.count(), 1);
    QCOMPARE(f.types.filePattern(), QStringLiteral("&;&;&;&;*.svg;*.zvq"));
}

void TestOptions::hiddenKeepsBoxesClosedReloads()
{
    Fixture f;
    f.dialog.showModeless();
    f.box(3)->click();
    f.ok();
    const QVector<bool> left = f.checks();

    // Hidden by OK: the boxes stay as the user left them, whatever the filter says now.
    f.types.setEnabled(Type::Icon, false);
    f.dialog.showModeless();
    QCOMPARE(f.checks(), left);

    // Closed by the window: the unconfirmed change is gone, and the boxes come from the filter.
    f.box(5)->click();
    QVERIFY(f.dialog.close());
    QCOMPARE(f.applied.count(), 1);
    f.dialog.showModeless();
    QCOMPARE(f.checks(), (QVector<bool>{true, true, true, false, false, false, false, false}));

    // Escape closes it the same way.
    f.box(5)->click();
    QTest::keyClick(&f.dialog, Qt::Key_Escape);
    QVERIFY(!f.dialog.isVisible());
    f.dialog.showModeless();
    QVERIFY(!f.box(5)->isChecked());
}

void TestOptions::modalAndModeless()
{
    Fixture f;
    f.dialog.showModeless();
    QVERIFY(f.dialog.isVisible());
    QVERIFY(!f.dialog.isModal());
    QVERIFY(!QApplication::activeModalWidget());
    // Asked for modally while open: no second dialog, no waiting, it stays as it is.
    f.dialog.showModal();
    QVERIFY(f.dialog.isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(f.dialog.close());

    bool wasModal = false;
    QTimer::singleShot(0, &f.dialog, [&] {
        wasModal = QApplication::activeModalWidget() == &f.dialog;
        f.box(2)->click();
        f.ok();
    });
    f.dialog.showModal(); // returns once OK has hidden it
    QVERIFY(wasModal);
    QVERIFY(!f.dialog.isVisible());
    QCOMPARE(f.applied.count(), 1);
    QCOMPARE(f.stored("Gif"), QStringLiteral("&;"));

    // The next F3 opening does not block, and keeps the boxes.
    f.dialog.showModeless();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!f.box(2)->isChecked());
}

void TestOptions::placesThePartsControls()
{
    Fixture f;
    f.dialog.showModeless();
    // Twips from the dialog's top-left, 15 to a pixel.
    QCOMPARE(f.box(0)->pos(), QPoint(104, 70));
    QCOMPARE(f.box(1)->pos(), QPoint(44, 70));
    QCOMPARE(f.box(2)->pos(), QPoint(44, 90));
    QCOMPARE(f.box(3)->pos(), QPoint(104, 90));
    auto* ok = f.dialog.findChild<QPushButton*>(QStringLiteral("cmdApply"));
    QCOMPARE(ok->geometry(), QRect(66, 144, 75, 25));
    QCOMPARE(f.dialog.height(), 185);
    QCOMPARE(f.dialog.minimumSize(), f.dialog.maximumSize());

    // The added columns to the right, on the same two rows as the first four, nothing cut or
    // overlapping.
    QCOMPARE(f.box(4)->y(), f.box(0)->y());
    QCOMPARE(f.box(6)->y(), f.box(0)->y());
    QCOMPARE(f.box(5)->y(), f.box(3)->y());
    QCOMPARE(f.box(7)->y(), f.box(3)->y());
    QVERIFY(f.box(4)->x() > f.box(0)->geometry().right());
    QVERIFY(f.box(6)->x() > f.box(4)->geometry().right());
    for (int i = 0; i < TypeFilter::Count; ++i) {
        QVERIFY(f.box(i)->width() >= f.box(i)->sizeHint().width());
        QVERIFY(f.dialog.rect().contains(f.box(i)->geometry()));
    }
    QVERIFY(f.dialog.width() >= 202);
    QVERIFY(!f.dialog.findChild<QLabel*>(QStringLiteral("lblMoreTypes"))->text().isEmpty());
}

// The dialog as the running program opens it: F3, the menu and the toolbar.
void TestOptions::okListsTheFolderAgain()
{
    Sandbox box;
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::blue);
    QVERIFY(tile.save(box.folder() + QStringLiteral("/a.bmp")));
    QVERIFY(tile.save(box.folder() + QStringLiteral("/b.png")));
    Run run(box);
    MainWindow& main = run.main();
    QLabel& count = *main.titleStrip().countLabel();
    QTRY_COMPARE(count.text(), QStringLiteral("Images : 1"));
    QTest::mouseClick(
        main.fileList().currentView()->viewport(), Qt::LeftButton, {},
        main.fileList().currentView()->visualRect(main.fileList().model()->index(0, 0)).center());
    QTRY_VERIFY(main.browser().current().isSet());

    // F3 opens it without blocking the main window.
    main.activateWindow();
    QTest::keyClick(&main, Qt::Key_F3);
    auto* dialog = main.findChild<OptionsDialog*>(QStringLiteral("Options"));
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!QApplication::activeModalWidget());
    auto check = [dialog](int i) {
        return dialog->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i));
    };
    auto ok = [dialog] {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdApply")),
                          Qt::LeftButton);
    };
    // Asked for modally while it is open: the same dialog, still not blocking.
    run.action("mnuToolsOptions")->trigger();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(main.findChildren<OptionsDialog*>().size(), 1);

    check(4)->click();
    ok();
    QCOMPARE(count.text(), QStringLiteral("Images : 2"));
    QCOMPARE(main.browser().grid().count(), qint64(2));
    QVERIFY(!main.browser().current().isSet());
    QCOMPARE(run.line(), HoverHint::text());
    QCOMPARE(main.titleStrip().typesLabel()->text(),
             QStringLiteral("Searching for *.bmp *.gif *.jpeg *.png  files."));
    QCOMPARE(box.stored(QStringLiteral("Png"), QStringLiteral("Type")), QStringLiteral("*.png;"));
    // The browse dialog's title follows the new types too.
    run.test.chooser->answer.reset();
    run.action("mnuFileOpen")->trigger();
    QCOMPARE(run.test.chooser->titles.last(), main.titleStrip().typesLabel()->text());

    // From the toolbar it waits; only icons, and the folder holds none.
    bool wasModal = false;
    QTimer::singleShot(0, dialog, [&] {
        wasModal = QApplication::activeModalWidget() == dialog;
        for (int i = 0; i < TypeFilter::Count; ++i)
            check(i)->setChecked(i == 3);
        ok();
    });
    run.action("tbOptions")->trigger();
    QVERIFY(wasModal);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(count.text(), QStringLiteral("Images :"));
    QCOMPARE(main.browser().grid().count(), qint64(0));
    QCOMPARE(run.line(), Listing::noImagesText());
    QCOMPARE(main.fileList().model()->rowCount(), 0);

    // Closing the program keeps what OK stored: all eight keys, none overwritten.
    run.close();
    const QStringList expected{QStringLiteral("&;"),     QStringLiteral("&;"), QStringLiteral("&;"),
                               QStringLiteral("*.ico;"), QStringLiteral("&;"), QStringLiteral("&;"),
                               QStringLiteral("&;"),     QStringLiteral("&;")};
    QStringList stored;
    for (const char* key : {"Bitmap", "Jpg", "Gif", "Ico", "Png", "Webp", "Tiff", "Svg"})
        stored.append(box.stored(QString::fromLatin1(key), QStringLiteral("Type")));
    QCOMPARE(stored, expected);
    // And the next start lists with them.
    Run again(box);
    QTRY_COMPARE(again.main().titleStrip().typesLabel()->text(),
                 QStringLiteral("Searching for *.ico  files."));
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
