#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

void QtClipboard::setImage(const QImage& image)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setImage(image);
}

void QtClipboard::setText(const QString& text)
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(text);
}
