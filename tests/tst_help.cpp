#include <QtTest>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QToolBar>

#include <sys/stat.h>

#include "Harness.h"
#include "TestPlatform.h"
#include "help/AboutWindow.h"
#include "help/HelpCommands.h"

namespace {

const QUrl WebPage(QStringLiteral("https://vadro.test/"));
const QUrl Mail(QStringLiteral("mailto:vadro@vadro.test"));
const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);

void writeFile(const QString& path, const QByteArray& bytes = "<html></html>")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

// The caption a user reads: "&Open\tCtl+ O" is "Open".
QString readable(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')).trimmed();
}

void collectCaptions(const QMenu* menu, QStringList& into)
{
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        into.append(readable(action->text()));
        if (action->menu())
            collectCaptions(action->menu(), into);
    }
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void documentFoundBesideTheProgramOrInItsPrefix();
    void helpAndWebPageGoThroughTheShell();
    void builtDocumentIsWholeAndCoversEveryCommand();
    void aboutShowsTitleVersionAndLinks();
    void aboutLinksTurnBlueAndBlackAgainOnlyOverThePicture();
    void aboutLinksOpenAndKeepTheWindow();
    void aboutClosesOnThePictureAndOtherLabels();
    void mainWindowCommandsReachTheShell();
};

void TestHelp::documentFoundBesideTheProgramOrInItsPrefix()
{
    QTemporaryDir root;
    const QString build = root.filePath(QStringLiteral("build"));
    const QString prefix = root.filePath(QStringLiteral("usr"));
    QDir().mkpath(build);
    QDir().mkpath(prefix + QStringLiteral("/bin"));

    QCOMPARE(HelpCommands::findDocument(build), QString());
    QCOMPARE(HelpCommands::findDocument(QString()), QString());

    writeFile(build + QStringLiteral("/Vadro.html"));
    QCOMPARE(HelpCommands::findDocument(build), build + QStringLiteral("/Vadro.html"));

    // Installed: bin/vadro finds share/vadro/Vadro.html, as a clean absolute path.
    writeFile(prefix + QStringLiteral("/share/vadro/Vadro.html"));
    QCOMPARE(HelpCommands::findDocument(prefix + QStringLiteral("/bin")),
             prefix + QStringLiteral("/share/vadro/Vadro.html"));

    // The copy beside the program wins over an installed one.
    writeFile(prefix + QStringLiteral("/bin/Vadro.html"));
    QCOMPARE(HelpCommands::findDocument(prefix + QStringLiteral("/bin")),
             prefix + QStringLiteral("/bin/Vadro.html"));

    // A folder of that name is no document, nor is a FIFO.
    const QString odd = root.filePath(QStringLiteral("odd"));
    QDir().mkpath(odd + QStringLiteral("/Vadro.html"));
    QCOMPARE(HelpCommands::findDocument(odd), QString());
    const QString fifoFolder = root.filePath(QStringLiteral("fifo"));
    QDir().mkpath(fifoFolder);
    QCOMPARE(
        mkfifo(QFile::encodeName(fifoFolder + QStringLiteral("/Vadro.html")).constData(), 0600), 0);
    QCOMPARE(HelpCommands::findDocument(fifoFolder), QString());
}

void TestHelp::helpAndWebPageGoThroughTheShell()
{
    QTemporaryDir root;
    FakeShell shell;
    FakeMessageBoxes messages;
    const auto help = [&](const QString& webPage = {}) {
        return HelpCommands(shell, messages, nullptr, root.path(), webPage);
    };

    // No document: nothing is asked of the desktop; the message says where it was looked for.
    QVERIFY(!help().openContents());
    QVERIFY(shell.opened.isEmpty());
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.contains(root.path()));

    writeFile(root.filePath(QStringLiteral("Vadro.html")));
    const QUrl document = QUrl::fromLocalFile(root.filePath(QStringLiteral("Vadro.html")));
    QVERIFY(help().openContents());
    QCOMPARE(shell.opened, QList<QUrl>{document});
    QCOMPARE(messages.shown.size(), 1);

    // No program for it: a message with the path to open by hand, and no hang.
    shell.answer = false;
    QVERIFY(!help().openContents());
    QCOMPARE(messages.shown.size(), 2);
    QVERIFY(messages.shown[1].text.endsWith(document.toLocalFile()));

    // Without a web page of its own, Web page opens the document's section about Vadro.
    shell.answer = true;
    shell.opened.clear();
    QVERIFY(help().openWebPage());
    QUrl about = document;
    about.setFragment(HelpCommands::AboutSection);
    QCOMPARE(shell.opened, QList<QUrl>{about});
    QVERIFY(help(WebPage.toString()).openWebPage());
    QCOMPARE(shell.opened.last(), WebPage);
    shell.answer = false;
    QVERIFY(!help(WebPage.toString()).openWebPage());
    QVERIFY(messages.shown.last().text.endsWith(WebPage.toString()));
}

void TestHelp::builtDocumentIsWholeAndCoversEveryCommand()
{
    const QString document = HelpCommands::findDocument(QStringLiteral(VADRO_BUILD_DIR));
    QCOMPARE(document, QStringLiteral(VADRO_BUILD_DIR "/Vadro.html"));
    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    QVERIFY(html.contains(QStringLiteral("name=\"viewport\"")));

    // Every link inside the document lands on a section, every local file it names is there.
    QSet<QString> ids;
    static const QRegularExpression id(QStringLiteral("\\sid=\"([^\"]+)\""));
    for (const auto& m : id.globalMatch(html))
        ids.insert(m.captured(1));
    static const QRegularExpression ref(QStringLiteral("(href|src)=\"([^\"]+)\""));
    const QDir folder = QFileInfo(document).dir();
    const QStringList pictures = {
        QStringLiteral("screenshot.png"), QStringLiteral("thumbnails.png"),
        QStringLiteral("tiled.png"),      QStringLiteral("toolbox.png"),
        QStringLiteral("options.png"),    QStringLiteral("seam.png"),
        QStringLiteral("zoom.png"),       QStringLiteral("halfdrop.png"),
        QStringLiteral("mirror.png"),     QStringLiteral("seammap.png")};
    for (const auto& m : ref.globalMatch(html)) {
        const QString target = m.captured(2);
        if (target.startsWith(QLatin1Char('#'))) {
            QVERIFY2(ids.contains(target.mid(1)), qPrintable(target));
        } else if (m.captured(1) == QLatin1String("src")) {
            // Pictures are made by the screenshot tool; the build copies those that exist.
            QVERIFY2(pictures.contains(QFileInfo(target).fileName()), qPrintable(target));
        } else {
            QVERIFY2(folder.exists(target), qPrintable(target));
        }
    }

    // Every caption of the menus, pop-ups and toolbar is explained.
    Sandbox box;
    Run run(box);
    QStringList captions;
    for (const QAction* top : run.main().menuBar()->actions())
        collectCaptions(top->menu(), captions);
    for (const QMenu* menu : run.main().findChildren<QMenu*>()) {
        if (!menu->parentWidget() || !qobject_cast<QMenu*>(menu->parentWidget()))
            collectCaptions(menu, captions);
    }
    const auto* toolbar = run.main().findChild<QToolBar*>(QStringLiteral("Tbar"));
    QVERIFY(toolbar);
    for (const QAction* button : toolbar->actions()) {
        if (!button->isSeparator())
            captions.append(button->toolTip());
    }
    QVERIFY(captions.size() > 40);
    for (const QString& caption : captions)
        QVERIFY2(html.contains(caption, Qt::CaseInsensitive), qPrintable(caption));
    run.close();
}

void TestHelp::aboutShowsTitleVersionAndLinks()
{
    FakeShell shell;
    FakeMessageBoxes messages;
    AboutWindow about(shell, messages, nullptr, WebPage.toString(), Mail.path());
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("AboutTitle"))->text(),
             QStringLiteral("The image Vadro"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("AboutVersion"))->text(),
             QStringLiteral("v 2.0"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label1_1"))->text(), QStringLiteral("Web :"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label1_2"))->text(),
             QStringLiteral("Mail :"));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label1_3"))->text(), WebPage.toString());
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label1_4"))->text(),
             QStringLiteral("vadro@vadro.test"));
    QCOMPARE(textColour(about.label(3)), Black);
    QCOMPARE(textColour(about.label(4)), Black);
    QCOMPARE(about.label(3)->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(about.label(AboutWindow::Licence)->text().contains(QStringLiteral("GPL-3.0-or-later")));
    QVERIFY(shell.opened.isEmpty());

    // A link with no program for it says so; an address the build does not name is no link.
    shell.answer = false;
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    about.label(AboutWindow::MailLink)->setFocus();
    QTest::keyClick(about.label(AboutWindow::MailLink), Qt::Key_Return);
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.endsWith(Mail.toString()));
    AboutWindow bare(shell, messages, nullptr, {}, {});
    bare.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bare));
    for (int hidden : {AboutWindow::WebCaption, AboutWindow::WebLink, AboutWindow::MailCaption,
                       AboutWindow::MailLink})
        QVERIFY(!bare.label(hidden)->isVisible());
    QVERIFY(bare.label(AboutWindow::Licence)->isVisible());
}

void TestHelp::aboutLinksTurnBlueAndBlackAgainOnlyOverThePicture()
{
    FakeShell shell;
    FakeMessageBoxes messages;
    AboutWindow about(shell, messages, nullptr, WebPage.toString(), Mail.path());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QLabel* web = about.label(AboutWindow::WebLink);
    QLabel* mail = about.label(AboutWindow::MailLink);
    auto* picture = about.findChild<QWidget*>(QStringLiteral("Image1"));

    QTest::mouseMove(web, QPoint(3, 3));
    QTRY_COMPARE(textColour(web), Blue);
    QCOMPARE(textColour(mail), Black);

    // Onto the mail link: both stay blue; over a caption or the window: nothing changes.
    QTest::mouseMove(mail, QPoint(3, 3));
    QTRY_COMPARE(textColour(mail), Blue);
    QTest::mouseMove(about.label(AboutWindow::WebCaption), QPoint(3, 3));
    QTest::mouseMove(&about, QPoint(about.width() - 2, about.height() - 2));
    QCoreApplication::processEvents();
    QCOMPARE(textColour(web), Blue);
    QCOMPARE(textColour(mail), Blue);

    // Over the title, which lies on the picture, both turn black.
    auto* title = about.findChild<QWidget*>(QStringLiteral("AboutTitle"));
    QTest::mouseMove(picture, title->geometry().center());
    QTRY_COMPARE(textColour(web), Black);
    QCOMPARE(textColour(mail), Black);
    QVERIFY(shell.opened.isEmpty());
}

void TestHelp::aboutLinksOpenAndKeepTheWindow()
{
    FakeShell shell;
    FakeMessageBoxes messages;
    AboutWindow about(shell, messages, nullptr, WebPage.toString(), Mail.path());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));

    press(about.label(AboutWindow::WebLink), Qt::LeftButton, QPoint(3, 3));
    press(about.label(AboutWindow::MailLink), Qt::LeftButton, QPoint(3, 3));
    // The right button is no click.
    press(about.label(AboutWindow::WebLink), Qt::RightButton, QPoint(3, 3));
    QCOMPARE(shell.opened, (QList<QUrl>{WebPage, Mail}));
    QVERIFY(about.isVisible());

    // A press that ends outside the link is no click either.
    QTest::mousePress(about.label(AboutWindow::WebLink), Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseRelease(about.label(AboutWindow::WebLink), Qt::LeftButton, {}, QPoint(-50, -50));
    QCOMPARE(shell.opened.size(), 2);

    // The keyboard reaches the links too.
    about.label(AboutWindow::MailLink)->setFocus();
    QTest::keyClick(about.label(AboutWindow::MailLink), Qt::Key_Return);
    QCOMPARE(shell.opened.size(), 3);
    QCOMPARE(shell.opened.last(), Mail);
    QVERIFY(about.isVisible());
    QTest::keyClick(&about, Qt::Key_Escape);
    QVERIFY(!about.isVisible());
}

void TestHelp::aboutClosesOnThePictureAndOtherLabels()
{
    const QStringList closers = {QStringLiteral("Image1"),   QStringLiteral("AboutTitle"),
                                 QStringLiteral("Label1_0"), QStringLiteral("Label1_1"),
                                 QStringLiteral("Label1_2"), QStringLiteral("Label1_5")};
    for (const QString& name : closers) {
        FakeShell shell;
        FakeMessageBoxes messages;
        AboutWindow about(shell, messages, nullptr, WebPage.toString(), Mail.path());
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* target = about.findChild<QWidget*>(name);
        QVERIFY2(target, qPrintable(name));
        // The title lies on the picture; a click on it reaches the picture underneath.
        QWidget* clicked = name == QLatin1String("AboutTitle") ? target->parentWidget() : target;
        const QPoint at =
            name == QLatin1String("AboutTitle") ? target->geometry().center() : QPoint(3, 3);
        press(clicked, Qt::LeftButton, at);
        QVERIFY2(!about.isVisible(), qPrintable(name));
        QCOMPARE(about.result(), int(QDialog::Rejected));
        QVERIFY(shell.opened.isEmpty());
    }
}

void TestHelp::mainWindowCommandsReachTheShell()
{
    Sandbox box;
    Run run(box);
    run.main().activateWindow();
    // Contents, its toolbar button and F1 open the document beside the program; with none
    // there they ask nothing of the desktop and say where they looked. So does Web page,
    // which opens the document's section about Vadro while the build names no web page.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/Vadro.html");
    if (QFile::exists(beside))
        QSKIP("a help document lies beside the test program");
    QTest::keyClick(&run.main(), Qt::Key_F1);
    QTest::keyClick(&run.main(), Qt::Key_I, Qt::ControlModifier);
    QVERIFY(run.test.shell->opened.isEmpty());
    QCOMPARE(run.test.messages->shown.size(), 2);
    QVERIFY(run.test.messages->shown[1].text.contains(QCoreApplication::applicationDirPath()));
    writeFile(beside);
    const auto removeLater = qScopeGuard([&beside] { QFile::remove(beside); });
    QTest::keyClick(&run.main(), Qt::Key_F1);
    run.action("mnuHelpContents")->trigger();
    run.action("tbHelp")->trigger();
    QCOMPARE(run.test.shell->opened, QList<QUrl>(3, QUrl::fromLocalFile(beside)));
    run.test.shell->opened.clear();
    run.action("mnuWeb")->trigger();
    QUrl about = QUrl::fromLocalFile(beside);
    about.setFragment(HelpCommands::AboutSection);
    QCOMPARE(run.test.shell->opened, QList<QUrl>{about});
    run.test.shell->opened.clear();

    // The About window is modal over the main window; a click on its picture ends it.
    bool wasAbout = false;
    QWidget* parent = nullptr;
    QTimer::singleShot(0, &run.main(), [&] {
        QWidget* modal = QApplication::activeModalWidget();
        wasAbout = qobject_cast<AboutWindow*>(modal) != nullptr;
        parent = modal ? modal->parentWidget() : nullptr;
        if (wasAbout)
            press(modal->findChild<QWidget*>(QStringLiteral("Image1")), Qt::LeftButton);
        else if (modal)
            modal->close(); // never leave the test waiting on some other window
    });
    run.action("tbAbout")->trigger();
    QVERIFY(wasAbout);
    QCOMPARE(parent, &run.main());
    QVERIFY(run.test.shell->opened.isEmpty());
    run.close();
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
