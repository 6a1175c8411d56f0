#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVector>

#include <memory>

#include "platform/CursorSource.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/PopupMenus.h"
#include "platform/Shell.h"

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
    FakeShell* shell;
};

// Runs the start-up sequence at once, without the splash's timer, and waits until the
// main window is shown and the tree's first report has been delivered.
std::unique_ptr<StartupSequence> startVadro(TestPlatform& test, const QString& folderArgument = {});
