#include "thumbs/ThumbnailBase.h"

#include <QScrollBar>

ThumbnailBase::ThumbnailBase(QWidget* parent)
    : QWidget(parent), m_surface(new QWidget(this)), m_scrollBar(new QScrollBar(Qt::Vertical, this))
{
    setObjectName(QStringLiteral("picBase"));
    m_surface->setObjectName(QStringLiteral("picScroll"));
    m_surface->setFocusPolicy(Qt::StrongFocus);
    m_scrollBar->setObjectName(QStringLiteral("VScroll1"));
    m_scrollBar->setRange(0, 1);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->setPageStep(7);
    m_scrollBar->hide();
    setAutoFillBackground(true);
}

void ThumbnailBase::place(const PaneRects& rects)
{
    m_rects = rects;
    setGeometry(rects.thumbBase.toPixels());
    m_scrollBar->setGeometry(rects.thumbScrollBar.toPixels());
    const QRect surface = m_surface->geometry();
    m_surface->setGeometry(surface.x(), surface.y(), Twips::toPixels(rects.thumbSurfaceWidth),
                           std::max(surface.height(), height()));
    m_scrollBar->raise();
}
