#include "platform/QtPlatformServices.h"

#include <QCursor>
#include <QMenu>
#include <QMessageBox>

void QtMessageBoxes::show(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QPoint QtCursorSource::globalPosition() const
{
    return QCursor::pos();
}

QAction* QtPopupMenus::exec(QMenu* menu, const QPoint& globalPosition)
{
    return menu->exec(globalPosition);
}
