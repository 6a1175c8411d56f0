#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class QSizeGrip;

// The status bar window: a simple line across the bar, or parts whose right edges are
// given in pixels (-1: to the bar's end). The simple text is kept while parts show.
class StatusLine : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MinHeight = 16;

    explicit StatusLine(QWidget* parent);

    void setSimple(bool on);
    bool isSimple() const { return m_simple; }
    void setSimpleText(const QString& text);
    QString simpleText() const { return m_simpleText; }

    void setParts(const QVector<int>& rightEdges);
    QVector<int> partEdges() const { return m_edges; }
    void setPartText(int part, const QString& text);
    QString partText(int part) const;

    // What the bar shows now: the simple text, or the parts joined by " | ".
    QString displayedText() const;
    // A part's text as it is drawn: cut in the middle with "…" when it does not fit, so that a
    // file name keeps its start and its extension; the tooltip then gives it whole.
    QString shownPartText(int part) const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Where a part's text is drawn; empty when the part has no room.
    QRect partTextRect(int part) const;

    bool m_simple = true;
    QString m_simpleText;
    QVector<int> m_edges;
    QVector<QString> m_parts;
    QSizeGrip* m_grip;
};
