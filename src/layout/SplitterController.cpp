#include "layout/SplitterController.h"

#include <QWidget>

#include "layout/SplitterBar.h"
#include "layout/SplitterDrag.h"

namespace {

QWidget* makeStrip(QWidget* parent, const char* name)
{
    auto* strip = new QWidget(parent);
    strip->setObjectName(QString::fromLatin1(name));
    strip->setAutoFillBackground(true);
    QPalette palette = strip->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Midlight));
    strip->setPalette(palette);
    strip->hide();
    return strip;
}

} // namespace

SplitterController::SplitterController(QWidget* surface, PaneLayout& layout, Host host)
    : QObject(surface), m_layout(layout), m_host(std::move(host)), m_isa(new SplitterBar(surface)),
      m_isb(new SplitterBar(surface)), m_psa(makeStrip(surface, "Psa")),
      m_psb(makeStrip(surface, "Psb"))
{
    m_isa->setObjectName(QStringLiteral("Isa"));
    m_isb->setObjectName(QStringLiteral("Isb"));
    connect(m_isa, &SplitterBar::pressed, this, [this] { press(true); });
    connect(m_isb, &SplitterBar::pressed, this, [this] { press(false); });
    connect(m_isa, &SplitterBar::dragged, this, [this](int x) { drag(true, x); });
    connect(m_isb, &SplitterBar::dragged, this, [this](int x) { drag(false, x); });
    connect(m_isa, &SplitterBar::released, this, [this] { release(true); });
    connect(m_isb, &SplitterBar::released, this, [this] { release(false); });
}

void SplitterController::place(const PaneRects& rects)
{
    m_isaRect = rects.isa;
    m_isbRect = rects.isb;
    m_isa->setGeometry(rects.isa.toPixels());
    m_isb->setGeometry(rects.isb.toPixels());
    m_isa->setVisible(m_host.treeVisible());
    m_isb->setVisible(m_host.previewVisible());
}

void SplitterController::press(bool first)
{
    m_stripRect = SplitterDrag::stripAtPress(first ? m_isaRect : m_isbRect);
    QWidget* strip = first ? m_psa : m_psb;
    strip->setGeometry(m_stripRect.toPixels());
    strip->raise();
    strip->show();
    m_dragging = true;
}

void SplitterController::drag(bool first, int offsetTwips)
{
    if (!m_dragging)
        return;
    const TwipRect& bar = first ? m_isaRect : m_isbRect;
    m_stripRect.left = SplitterDrag::stripLeft(bar.left, offsetTwips, m_host.windowWidth());
    (first ? m_psa : m_psb)->setGeometry(m_stripRect.toPixels());
}

void SplitterController::release(bool first)
{
    // Without a move the strip still stands on the bar, so the positions stay as they were.
    const SplitterDrag::Positions p =
        first ? SplitterDrag::releaseFirst(m_stripRect.left, m_layout.isbLeft(),
                                           m_host.previewVisible())
              : SplitterDrag::releaseSecond(m_layout.isaLeft(), m_stripRect.left,
                                            m_host.treeVisible());
    m_layout.setPositions(p.isaLeft, p.isbLeft);
    m_host.sizeControls();
    (first ? m_psa : m_psb)->hide();
    m_dragging = false;
}
