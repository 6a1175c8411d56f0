#include "app/MainMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>

#include "app/ViewState.h"
#include "platform/PopupMenus.h"

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

bool isSortCommand(Command c)
{
    return c >= Command::SortByName && c <= Command::SortDescending;
}

} // namespace

MainMenus::MainMenus(QMenuBar* menuBar, QWidget* owner, PopupMenus& popups)
    : QObject(owner), m_popupMenus(popups)
{
    int count = 0;
    const CommandTable::Menu* bar = CommandTable::menuBar(&count);
    for (int i = 0; i < count; ++i)
        menuBar->addMenu(buildMenu(bar[i], menuBar, true));
    const CommandTable::Menu* pops = CommandTable::popups(&count);
    for (int i = 0; i < count; ++i)
        m_popups.append(buildMenu(pops[i], owner, false));
    buildToolbar(owner);
}

QMenu* MainMenus::buildMenu(const CommandTable::Menu& description, QWidget* parent, bool onMenuBar)
{
    auto* menu = new QMenu(CommandTable::translated(description.caption), parent);
    menu->setObjectName(QString::fromLatin1(description.name));
    watchForHelp(menu, onMenuBar);
    QMenu* current = menu;
    for (int i = 0; i < description.count; ++i) {
        const CommandTable::Entry& e = description.entries[i];
        switch (e.kind) {
        case CommandTable::Entry::Item:
            addItem(current, e);
            break;
        case CommandTable::Entry::Separator:
            current->addSeparator()->setObjectName(QString::fromLatin1(e.name));
            break;
        case CommandTable::Entry::SubmenuBegin: {
            const QString caption = QString::fromLatin1(e.caption);
            QMenu* sub = current->addMenu(CommandTable::translated(e.caption));
            sub->setObjectName(QString::fromLatin1(e.name));
            sub->menuAction()->setProperty(CaptionProperty, caption);
            watchForHelp(sub, onMenuBar);
            current = sub;
            // Both arrange submenus hold only sort items.
            if (i + 1 < description.count && isSortCommand(description.entries[i + 1].command))
                m_sortMenus.append(sub);
            break;
        }
        case CommandTable::Entry::SubmenuEnd:
            current = menu;
            break;
        }
    }
    return menu;
}

void MainMenus::addItem(QMenu* menu, const CommandTable::Entry& entry)
{
    const CommandTable::Row& row = CommandTable::row(entry.command);
    const char* text = entry.caption ? entry.caption : row.caption;
    const QString caption = QString::fromLatin1(text);
    QAction* action = menu->addAction(displayText(CommandTable::translated(text)));
    action->setObjectName(QString::fromLatin1(entry.name ? entry.name : row.name));
    action->setProperty(CaptionProperty, caption);
    // The pop-ups' hide items run a toggle but show no mark of their own.
    const bool hideItem = entry.name && ViewState::paneOf(entry.command);
    action->setCheckable(row.checkable && !hideItem);
    const Command command = entry.command;
    connect(action, &QAction::triggered, this, [this, command] {
        // The handler's new state sets the marks back, whatever the click did to them.
        Q_EMIT commandRequested(command);
    });
    m_items.append({command, action});
}

void MainMenus::watchForHelp(QMenu* menu, bool onMenuBar)
{
    connect(menu, &QMenu::hovered, this, [this, onMenuBar](QAction* action) {
        // Pop-ups are not on the menu bar: their items always write the empty text.
        Q_EMIT menuHelpChanged(QString());
        if (onMenuBar)
            Q_EMIT menuHelpChanged(CommandTable::helpFor(captionOf(action)));
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

    int count = 0;
    const CommandTable::Button* buttons = CommandTable::toolbar(&count);
    for (int i = 0; i < count; ++i) {
        const CommandTable::Button& b = buttons[i];
        if (!b.key) {
            m_toolbar->addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(b.key);
        QAction* action = m_toolbar->addAction(
            QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(b.icon))), key);
        action->setToolTip(CommandTable::translated(b.tip));
        action->setObjectName(QStringLiteral("tb") + QString(key).remove(QLatin1Char(' ')));
        action->setData(key);
        if (b.grouped) {
            // The group keeps exactly one view button pressed.
            action->setCheckable(true);
            m_viewButtons->addAction(action);
            m_items.append({b.command, action});
        }
        const Command command = b.command;
        connect(action, &QAction::triggered, this,
                [this, command] { Q_EMIT commandRequested(command); });
    }
}

QMenu* MainMenus::popup(Popup which) const
{
    return m_popups.value(static_cast<int>(which));
}

void MainMenus::openPopup(Popup which, const QPoint& globalPosition)
{
    if (QMenu* menu = popup(which))
        m_popupMenus.exec(menu, globalPosition);
}

void MainMenus::reflect(const ViewState& state)
{
    for (const Item& item : std::as_const(m_items)) {
        if (!item.action->isCheckable())
            continue;
        if (const std::optional<bool> on = state.checkOf(item.command))
            item.action->setChecked(*on);
    }
    // Thumbnails keep the scan's order: there is nothing to sort in that view.
    for (QMenu* menu : std::as_const(m_sortMenus))
        menu->setEnabled(state.mode != ViewMode::Thumbnails);
}

QString MainMenus::captionOf(const QAction* action)
{
    return action ? action->property(CaptionProperty).toString() : QString();
}
