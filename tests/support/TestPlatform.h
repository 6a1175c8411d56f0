#pragma once

#include <QHash>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVector>

#include <memory>

#include "platform/Clipboard.h"
#include "platform/CommandRunner.h"
#include "platform/CursorSource.h"
#include "platform/FolderChooser.h"
#include "platform/FontCatalog.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/PopupMenus.h"
#include "platform/PrintService.h"
#include "platform/SaveFileChooser.h"
#include "platform/Shell.h"
#include "platform/WallpaperSetter.h"

class MainWindow;
class StartupSequence;

// Message boxes that record what was shown and return at once.
class FakeMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString title;
        QString text;
        Icon icon;
    };
    void show(QWidget*, const QString& title, const QString& text, Icon icon) override
    {
        shown.append({title, text, icon});
    }
    QVector<Shown> shown;
};

// A pointer that stands where the test puts it.
class FakeCursor : public CursorSource
{
public:
    QPoint globalPosition() const override { return position; }
    QPoint position;
};

// Pop-up menus that record which menu opened and pick the item named by the test.
class FakePopupMenus : public PopupMenus
{
public:
    QAction* exec(QMenu* menu, const QPoint& globalPosition) override;

    QStringList opened; // object names of the menus, in order
    QString answer;     // object name of the item to choose; empty dismisses the menu
    QPoint lastPosition;
};

// The browse dialog, answered by the test.
class FakeFolderChooser : public FolderChooser
{
public:
    std::optional<QString> choose(QWidget*, const QString& title,
                                  const QString& startFolder) override
    {
        titles.append(title);
        starts.append(startFolder);
        return answer;
    }
    std::optional<QString> answer; // nothing: the user cancels
    QStringList titles;
    QStringList starts;
};

// The save dialog, answered by the test.
class FakeSaveFileChooser : public SaveFileChooser
{
public:
    std::optional<QString> choose(QWidget*, const QString&, const QString& startPath,
                                  const QString&) override
    {
        starts.append(startPath);
        return answer;
    }
    std::optional<QString> answer; // nothing: the user cancels
    QStringList starts;
};

// A font list of the test's choosing.
class FakeFontCatalog : public FontCatalog
{
public:
    QStringList trueTypeFamilies() const override { return families; }
    QStringList families{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Serif")};
};

// A printer that records what it was asked to print and succeeds unless told otherwise.
class FakePrintService : public PrintService
{
public:
    Outcome printWindow(QWidget* window, QString* why) override
    {
        printed.append(window);
        if (!failure.isEmpty() && why)
            *why = failure;
        return failure.isEmpty() ? Outcome::Printed : Outcome::Failed;
    }
    QVector<QWidget*> printed;
    QString failure; // non-empty: the print fails with this reason
};

// The clipboard, kept in the fake.
class FakeClipboard : public Clipboard
{
public:
    void setImage(const QImage& image) override
    {
        this->image = image;
        ++sets;
    }
    void setText(const QString& text) override { texts.append(text); }
    QImage image;
    QStringList texts;
    int sets = 0;
};

// Records every command line; answers from a table keyed by the program, success otherwise.
class FakeCommandRunner : public CommandRunner
{
public:
    CommandResult run(const QString& program, const QStringList& arguments, int) override
    {
        commands.append(QStringList{program} + arguments);
        if (answers.contains(program))
            return answers.value(program);
        CommandResult ok;
        ok.started = true;
        ok.exitCode = 0;
        return ok;
    }
    bool isAvailable(const QString& program) const override { return !missing.contains(program); }
    QVector<QStringList> commands;
    QHash<QString, CommandResult> answers;
    QStringList missing;
};

// Records the files it was asked to make the wallpaper.
class FakeWallpaperSetter : public WallpaperSetter
{
public:
    bool set(const QString& path, QString* why) override
    {
        paths.append(path);
        if (!failure.isEmpty() && why)
            *why = failure;
        return failure.isEmpty();
    }
    QStringList paths;
    QString failure;
};

// A desktop that records every address it is asked to open.
class FakeShell : public Shell
{
public:
    bool open(const QUrl& url) override
    {
        opened.append(url);
        return answer;
    }
    QList<QUrl> opened;
    bool answer = true; // false: no program took it
};

// The real settings store on a file of the test's own, the real folder model, fakes for
// everything that would touch the desktop.
struct TestPlatform
{
    explicit TestPlatform(const QString& settingsPath);

    Platform platform;
    FakeMessageBoxes* messages;
    FakeCursor* cursor;
    FakePopupMenus* popups;
    FakeFolderChooser* chooser;
    FakeSaveFileChooser* saver;
    FakeFontCatalog* fonts;
    FakePrintService* printer;
    FakeClipboard* clipboard;
    FakeCommandRunner* runner;
    FakeWallpaperSetter* wallpaper;
    FakeShell* shell;
};

// Runs the start-up sequence at once, without the splash's timer, and waits until the
// main window is shown and the tree's first report has been delivered.
std::unique_ptr<StartupSequence> startVadro(TestPlatform& test, const QString& folderArgument = {});
