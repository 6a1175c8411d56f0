#include "preview/SampleTextBox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "layout/Twips.h"
#include "tile/SampleSettings.h"

SampleTextBox::SampleTextBox(const SampleSettings& settings, QWidget* view)
    : QWidget(view), m_settings(settings), m_colour(settings.colour())
{
    setObjectName(QStringLiteral("Smpl"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    move(Twips::toPixels(HiddenLeft), Twips::toPixels(Top));
    fitToText();
    view->installEventFilter(this);

    connect(&settings, &SampleSettings::colourChanged, this, &SampleTextBox::applyColour);
    connect(&settings, &SampleSettings::sampleChanged, this, [this] {
        if (window()->isVisible())
            applySample();
    });
    connect(&settings, &SampleSettings::toolboxShowingChanged, this, [this](bool showing) {
        if (window()->isVisible())
            present(showing);
    });
}

void SampleTextBox::applySample()
{
    m_font = m_settings.font();
    m_text = m_settings.text();
    m_colour = m_settings.colour();
    fitToText();
    update();
}

void SampleTextBox::present(bool toolboxShowing)
{
    if (toolboxShowing) {
        applySample();
        move(shownAt());
    } else {
        m_text.clear();
        move(Twips::toPixels(HiddenLeft), Twips::toPixels(Top));
        fitToText();
    }
}

bool SampleTextBox::isOnScreen() const
{
    return geometry().intersects(parentWidget()->rect()) && !m_text.isEmpty();
}

void SampleTextBox::applyColour()
{
    m_colour = m_settings.colour();
    update();
}

QSize SampleTextBox::sizeFor(const QFont& font, const QString& text)
{
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(text) + Twips::toPixels(ExtraWidth), metrics.height()};
}

void SampleTextBox::drawSample(QPainter& painter, const QRect& box, const QFont& font,
                               const QColor& colour, const QString& text)
{
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

QImage SampleTextBox::coverage(const QFont& font, const QString& text, const QSize& within)
{
    const QSize box = sizeFor(font, text);
    const QSize size = box.boundedTo(within);
    if (text.isEmpty() || size.isEmpty())
        return {};
    QImage mask(size, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    QPainter painter(&mask);
    // Laid out in the whole box, left-aligned: the cut-off part is only the box's far side.
    drawSample(painter, QRect(QPoint(0, 0), box), font, Qt::black, text);
    return mask;
}

QPoint SampleTextBox::shownAt()
{
    return {Twips::toPixels(Left), Twips::toPixels(Top)};
}

void SampleTextBox::fitToText()
{
    resize(sizeFor(m_font, m_text));
}

void SampleTextBox::paintEvent(QPaintEvent*)
{
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    drawSample(painter, rect(), m_font, m_colour, m_text);
}

bool SampleTextBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() &&
        (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show))
        present(m_settings.toolboxShowing());
    return QWidget::eventFilter(watched, event);
}
