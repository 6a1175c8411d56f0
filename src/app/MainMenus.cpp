#include "app/MainMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>

#include <iterator>

#include "app/MenuHelp.h"

namespace {

const char CaptionProperty[] = "vadroCaption";

// Shows "&Open             Ctl+ O" as "&Open" with "Ctl+ O" in the shortcut column.
QString displayText(const QString& caption)
{
    static const QRegularExpression split(QStringLiteral("^(.*?\\S)\\s{2,}(\\S.*)$"));
    const QRegularExpressionMatch m = split.match(caption);
    if (!m.hasMatch())
        return caption;
    return m.captured(1) + QLatin1Char('\t') + m.captured(2);
}

} // namespace

// One line of a menu description: an item, a separator, or the start and end of a submenu.
struct MainMenus::Entry
{
    enum Kind
    {
        Item,
        Check,
        Separator,
        SubmenuBegin,
        SubmenuEnd
    } kind;
    const char* name;
    const char* caption;
    Command command;
};

MainMenus::MainMenus(QMenuBar* menuBar, QWidget* owner) : QObject(owner)
{
    using K = Entry;
    static const Entry file[] = {
        {K::Item, "mnuFileOpen", "&Open             Ctl+ O", Command::Open},
        {K::Item, "mnuWallp", "&Wallpaper      Ctl+ W", Command::Wallpaper},
        {K::Separator, "mnuBar0", "-", Command::Open},
        {K::Item, "mnuFileExit", "Exit                Alt+ X", Command::Exit},
    };
    static const Entry view[] = {
        {K::Check, "mnuViewToolbar", "Toolbar               Ctl+ T", Command::ToggleToolbar},
        {K::Check, "mnuViewStatusBar", "Status Bar          Ctl+ S", Command::ToggleStatusBar},
        {K::Check, "mnuViewTv", "Folders tree        Ctl+ F", Command::ToggleTree},
        {K::Check, "mnuViewPv", "Preview              Ctl+ P", Command::TogglePreview},
        {K::Separator, "mnuBar1", "-", Command::Open},
        {K::Check, "mnuListViewMode0", "Thumbnails          F4", Command::ViewThumbnails},
        {K::Check, "mnuListViewMode1", "Large Icons         F6", Command::ViewLargeIcons},
        {K::Check, "mnuListViewMode2", "Small Icons          F7", Command::ViewSmallIcons},
        {K::Check, "mnuListViewMode3", "List                      F8", Command::ViewList},
        {K::Check, "mnuListViewMode4", "Details                 F9", Command::ViewDetails},
        {K::Separator, "mnuBar2", "-", Command::Open},
        {K::SubmenuBegin, "mnuViewArrangeIcons", "Arrange Icons", Command::Open},
        {K::Check, "mnuArrange0", "By Name", Command::SortByName},
        {K::Check, "mnuArrange1", "By Size", Command::SortBySize},
        {K::Check, "mnuArrange2", "By Type", Command::SortByType},
        {K::Separator, "mnuBar3", "-", Command::Open},
        {K::Check, "mnuShortAZ", "Ascending", Command::SortAscending},
        {K::Check, "mnuShortZA", "Descending", Command::SortDescending},
        {K::SubmenuEnd, "", "", Command::Open},
        {K::Separator, "mnuBar4", "-", Command::Open},
        {K::Item, "mnuViewRefresh", "Refresh              F5", Command::Refresh},
    };
    static const Entry tools[] = {
        {K::Item, "mnuTbox", "Toolbox         F2", Command::Toolbox},
        {K::Separator, "mnuBar5", "-", Command::Open},
        {K::Item, "mnuToolsOptions", "Options         F3", Command::Options},
    };
    static const Entry help[] = {
        {K::Item, "mnuHelpContents", "Contents          F1", Command::HelpContents},
        {K::Item, "mnuWeb", "Web page       Ctl+ I", Command::WebPage},
        {K::Separator, "mnuBar6", "-", Command::Open},
        {K::Item, "mnuHelpAbout", "About", Command::About},
    };
    static const Entry list[] = {
        {K::Item, "mnuLvRefresh", "Refresh", Command::Refresh},
        {K::Separator, "", "-", Command::Open},
        {K::SubmenuBegin, "mnuLvView", "View", Command::Open},
        {K::Check, "mnuIcons0", "Thumbnails", Command::ViewThumbnails},
        {K::Check, "mnuIcons1", "Large icons", Command::ViewLargeIcons},
        {K::Check, "mnuIcons2", "Small icons", Command::ViewSmallIcons},
        {K::Check, "mnuIcons3", "List", Command::ViewList},
        {K::Check, "mnuIcons4", "Details", Command::ViewDetails},
        {K::SubmenuEnd, "", "", Command::Open},
        {K::Separator, "", "-", Command::Open},
        {K::SubmenuBegin, "mnuLvSort", "Arrange icons", Command::Open},
        {K::Check, "mnuLvArr0", "By Name", Command::SortByName},
        {K::Check, "mnuLvArr1", "By Size", Command::SortBySize},
        {K::Check, "mnuLvArr2", "By Type", Command::SortByType},
        {K::Separator, "", "-", Command::Open},
        {K::Check, "mnuLvShortAZ", "Ascending", Command::SortAscending},
        {K::Check, "mnuLvShortZA", "Descending", Command::SortDescending},
        {K::SubmenuEnd, "", "", Command::Open},
    };
    static const Entry hidePv[] = {{K::Item, "mnuHidePv", "Hide Preview", Command::TogglePreview}};
    static const Entry hideTb[] = {{K::Item, "mnuHideTb", "Hide Toolbar", Command::ToggleToolbar}};
    static const Entry hideTv[] = {
        {K::Item, "mnuHideTv", "Hide Folders Tree", Command::ToggleTree}};
    static const Entry wall[] = {{K::Item, "mnuPWallp", "Set Wallpaper", Command::Wallpaper}};

    struct TopMenu
    {
        const char* name;
        const char* caption;
        const Entry* entries;
        int count;
    };
    const TopMenu bar[] = {
        {"mnuFile", "File", file, int(std::size(file))},
        {"mnuView", "View", view, int(std::size(view))},
        {"mnuTools", "Tools", tools, int(std::size(tools))},
        {"mnuHelp", "Help", help, int(std::size(help))},
    };
    for (const TopMenu& top : bar) {
        QMenu* menu = menuBar->addMenu(QString::fromLatin1(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        m_menus.insert(menu->objectName(), menu);
        build(menu, top.entries, top.count, true);
    }

    const TopMenu popups[] = {
        {"mnuPv", "Pv", hidePv, 1},
        {"mnuTb", "Tb", hideTb, 1},
        {"mnuTv", "Tv", hideTv, 1},
        {"mnuWall", "Wall", wall, 1},
        {"mnuLv", "Lv", list, int(std::size(list))},
    };
    for (int i = 0; i < 5; ++i) {
        auto* menu = new QMenu(QString::fromLatin1(popups[i].caption), owner);
        menu->setObjectName(QString::fromLatin1(popups[i].name));
        m_menus.insert(menu->objectName(), menu);
        m_popups[i] = menu;
        build(menu, popups[i].entries, popups[i].count, false);
    }

    for (const char* name : {"mnuViewToolbar", "mnuViewStatusBar", "mnuViewTv", "mnuViewPv"})
        setChecked(QString::fromLatin1(name), true);
    buildToolbar(owner);
}

void MainMenus::build(QMenu* menu, const Entry* entries, int count, bool onMenuBar)
{
    watchForHelp(menu, onMenuBar);
    QMenu* current = menu;
    for (int i = 0; i < count; ++i) {
        const Entry& e = entries[i];
        const QString name = QString::fromLatin1(e.name);
        const QString caption = QString::fromLatin1(e.caption);
        switch (e.kind) {
        case Entry::Item:
        case Entry::Check:
            addItem(current, name, caption, e.command, e.kind == Entry::Check);
            break;
        case Entry::Separator:
            current->addSeparator()->setObjectName(name);
            break;
        case Entry::SubmenuBegin: {
            QMenu* sub = current->addMenu(caption);
            sub->setObjectName(name);
            sub->menuAction()->setProperty(CaptionProperty, caption);
            m_menus.insert(name, sub);
            watchForHelp(sub, onMenuBar);
            current = sub;
            break;
        }
        case Entry::SubmenuEnd:
            current = menu;
            break;
        }
    }
}

QAction* MainMenus::addItem(QMenu* menu, const QString& name, const QString& caption,
                            Command command, bool checkable)
{
    QAction* action = menu->addAction(displayText(caption));
    action->setObjectName(name);
    action->setProperty(CaptionProperty, caption);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, action, command] {
        // Check marks follow the program's state, not the click: the command sets them.
        if (action->isCheckable())
            action->setChecked(!action->isChecked());
        Q_EMIT commandRequested(command);
    });
    m_actions.insert(name, action);
    return action;
}

void MainMenus::watchForHelp(QMenu* menu, bool onMenuBar)
{
    connect(menu, &QMenu::hovered, this, [this, onMenuBar](QAction* action) {
        // Pop-ups are not on the menu bar: their items always write the empty text.
        Q_EMIT menuHelpChanged(QString());
        if (onMenuBar)
            Q_EMIT menuHelpChanged(MenuHelp::textFor(captionOf(action)));
    });
    // A submenu closes whenever the highlight moves on; only a whole menu closing empties the line.
    if (!qobject_cast<QMenu*>(menu->parent()))
        connect(menu, &QMenu::aboutToHide, this, [this] { Q_EMIT menuHelpChanged(QString()); });
}

void MainMenus::buildToolbar(QWidget* owner)
{
    m_toolbar = new QToolBar(owner);
    m_toolbar->setObjectName(QStringLiteral("Tbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_viewButtons = new QActionGroup(this);
    m_viewButtons->setExclusive(true);

    struct Button
    {
        const char* key;
        const char* tip;
        const char* icon;
        Command command;
        bool grouped;
    };
    static const Button buttons[] = {
        {"Open", "Open", "open", Command::Open, false},
        {nullptr, nullptr, nullptr, Command::Open, false},
        {"View Thumbnails", "View Thumbnails", "thumbnails", Command::ViewThumbnails, true},
        {"View Large Icons", "Large Icons", "large-icons", Command::ViewLargeIcons, true},
        {"View Small Icons", "Small Icons", "small-icons", Command::ViewSmallIcons, true},
        {"View List", "List", "list", Command::ViewList, true},
        {"View Details", "Details", "details", Command::ViewDetails, true},
        {nullptr, nullptr, nullptr, Command::Open, false},
        {"Toolbox", "Toolbox", "toolbox", Command::Toolbox, false},
        {"Options", "Options", "options", Command::Options, false},
        {nullptr, nullptr, nullptr, Command::Open, false},
        {"Help", "Help", "help", Command::HelpContents, false},
        {"About", "About", "about", Command::About, false},
    };
    for (const Button& b : buttons) {
        if (!b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction* action = m_toolbar->addAction(
            QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.icon))), key);
        action->setToolTip(QString::fromLatin1(b.tip));
        action->setObjectName(QStringLiteral("tb") + QString(key).remove(QLatin1Char(' ')));
        action->setData(key);
        if (b.grouped) {
            // The group keeps exactly one view button pressed.
            action->setCheckable(true);
            m_viewButtons->addAction(action);
        }
        const Command command = b.command;
        connect(action, &QAction::triggered, this,
                [this, command] { Q_EMIT commandRequested(command); });
        m_actions.insert(action->objectName(), action);
    }
}

QAction* MainMenus::action(const QString& name) const
{
    return m_actions.value(name);
}

QMenu* MainMenus::menu(const QString& name) const
{
    return m_menus.value(name);
}

QMenu* MainMenus::popup(Popup which) const
{
    return m_popups[static_cast<int>(which)];
}

QAction* MainMenus::viewButton(int modeIndex) const
{
    static const char* const names[] = {"tbViewThumbnails", "tbViewLargeIcons", "tbViewSmallIcons",
                                        "tbViewList", "tbViewDetails"};
    if (modeIndex < 0 || modeIndex > 4)
        return nullptr;
    return action(QString::fromLatin1(names[modeIndex]));
}

bool MainMenus::isChecked(const QString& name) const
{
    const QAction* a = action(name);
    return a && a->isChecked();
}

void MainMenus::setChecked(const QString& name, bool on)
{
    if (QAction* a = action(name))
        a->setChecked(on);
}

QString MainMenus::captionOf(const QAction* action)
{
    return action ? action->property(CaptionProperty).toString() : QString();
}
