#include "ui/StatusBar.h"

#include <QWidget>

#include "ui/StatusLine.h"

StatusBar::StatusBar(QWidget* host) : QObject(host), m_host(host) {}

StatusBar::~StatusBar() = default;

void StatusBar::create()
{
    if (m_line)
        return;
    m_line = std::make_unique<StatusLine>(m_host);
    m_line->setSimple(true);
    m_line->show();
}

void StatusBar::destroy()
{
    if (!m_line)
        return;
    m_line.reset();
}

void StatusBar::showSimple(const QString& text)
{
    if (!m_line)
        return;
    m_line->setSimple(true);
    m_line->setSimpleText(text);
}

void StatusBar::setSimpleText(const QString& text)
{
    if (m_line)
        m_line->setSimpleText(text);
}

void StatusBar::showParts(const QString& file, const QString& dim, const QString& size,
                          const QString& seam)
{
    showParts(m_host->width(), file, dim, size, seam);
}

void StatusBar::showParts(int innerWidth, const QString& file, const QString& dim,
                          const QString& size, const QString& seam)
{
    if (!m_line)
        return;
    const int q = innerWidth / 4;
    m_line->setSimple(false);
    m_line->setParts({q, 2 * q, 3 * q, -1});
    m_line->setPartText(0, file);
    m_line->setPartText(1, dim);
    m_line->setPartText(2, size);
    m_line->setPartText(3, seam);
}
