#include "preview/SampleTextBox.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "layout/Twips.h"
#include "toolbox/SampleSettings.h"

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
    QFont font = m_settings.fontFamily().isEmpty() ? QFont() : QFont(m_settings.fontFamily());
    font.setPointSize(m_settings.size());
    m_font = font;
    m_text = m_settings.text();
    m_colour = m_settings.colour();
    fitToText();
    update();
}

void SampleTextBox::present(bool toolboxShowing)
{
    if (toolboxShowing) {
        applySample();
        move(Twips::toPixels(Left), Twips::toPixels(Top));
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

void SampleTextBox::fitToText()
{
    const QFontMetrics metrics(m_font);
    resize(metrics.horizontalAdvance(m_text) + Twips::toPixels(ExtraWidth), metrics.height());
}

void SampleTextBox::paintEvent(QPaintEvent*)
{
    if (m_text.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(m_font);
    painter.setPen(m_colour);
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

bool SampleTextBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() &&
        (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show))
        present(m_settings.toolboxShowing());
    return QWidget::eventFilter(watched, event);
}
