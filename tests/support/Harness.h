#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "TestPlatform.h"
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "app/StartupSequence.h"
#include "listing/FileListModel.h"
#include "listing/FileListView.h"
#include "platform/IniSettingsStore.h"
#include "ui/StatusBar.h"
#include "ui/StatusLine.h"

// One run of the program on a settings file and a folder of the test's own.
struct Sandbox
{
    QTemporaryDir dir;
    QString settingsPath() const { return dir.filePath(QStringLiteral("Vadro.conf")); }
    QString folder() const { return dir.filePath(QStringLiteral("pictures")); }

    Sandbox() { QDir(dir.path()).mkpath(QStringLiteral("pictures")); }

    void store(const QString& section, const QString& key, const QString& value) const
    {
        IniSettingsStore(settingsPath()).write(section, key, value);
    }
    QString stored(const QString& key, const QString& section = QStringLiteral("Settings")) const
    {
        return IniSettingsStore(settingsPath())
            .read(section, key)
            .value_or(QStringLiteral("<absent>"));
    }
    QByteArray fileBytes() const
    {
        QFile f(settingsPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// A running program: the platform, the start-up and its window.
struct Run
{
    explicit Run(const Sandbox& box, const QString& folder = {})
        : test(box.settingsPath()),
          startup(startVadro(test, folder.isEmpty() ? box.folder() : folder))
    {
    }
    MainWindow& main() const { return *startup->mainWindow(); }
    MainMenus& menus() const { return main().menus(); }
    // Menu items, pop-up items and toolbar buttons by object name.
    QAction* action(const QString& name) const { return main().findChild<QAction*>(name); }
    QAction* action(const char* name) const { return action(QString::fromLatin1(name)); }
    QMenu* menu(const QString& name) const { return main().findChild<QMenu*>(name); }
    bool isChecked(const QString& name) const
    {
        const QAction* a = action(name);
        return a && a->isChecked();
    }
    QString line() const
    {
        StatusLine* l = main().statusBar().line();
        return l ? l->displayedText() : QStringLiteral("<no bar>");
    }
    void close() const { main().close(); }

    TestPlatform test;
    std::unique_ptr<StartupSequence> startup;
};

// Clicks a row of the list in the view that shows, as the user would.
inline void click(Run& run, int row)
{
    QAbstractItemView* view = run.main().fileList().currentView();
    const QModelIndex index = run.main().fileList().model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->visualRect(index).center());
}

inline void press(QWidget* widget, Qt::MouseButton button, QPoint at = QPoint(5, 5))
{
    QTest::mousePress(widget, button, Qt::NoModifier, at);
    QTest::mouseRelease(widget, button, Qt::NoModifier, at);
}
