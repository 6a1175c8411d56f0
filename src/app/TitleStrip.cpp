#include "app/TitleStrip.h"

#include <QLabel>
#include <QProgressBar>

#include "layout/PaneLayout.h"
#include "ui/ElidedLabel.h"

namespace {

constexpr int Margin = 4; // pixels left of the types and between them and the count

} // namespace

TitleStrip::TitleStrip(QWidget* parent)
    : QWidget(parent), m_types(new ElidedLabel(this)), m_count(new QLabel(tr("Images :"), this)),
      m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("picTitles"));
    m_types->setObjectName(QStringLiteral("lblTypes"));
    m_count->setObjectName(QStringLiteral("lblImg"));
    m_progress->setObjectName(QStringLiteral("proBar"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    for (QLabel* label : {m_types, m_count}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
    }
}

int TitleStrip::countLabelLeftTwips() const
{
    const QString longest = QStringLiteral("Searching for *.bmp *.gif *.jpeg *.ico  files.");
    return Twips::fromPixels(Margin + m_types->fontMetrics().horizontalAdvance(longest) + 16);
}

void TitleStrip::place(const PaneRects& rects)
{
    setGeometry(rects.titleStrip.toPixels());
    const QRect count = rects.countLabel.toPixels();
    // The types give way to the count, cut with "…" short of it.
    m_types->setGeometry(Margin, 0, std::max(0, count.left() - 2 * Margin), count.height());
    m_count->setGeometry(count);
    m_progress->setGeometry(count.adjusted(0, 2, -4, -2));
}
