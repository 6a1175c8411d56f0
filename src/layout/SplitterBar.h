#pragma once

#include <QWidget>

// A vertical splitter bar. It never moves while dragged: it reports the press, the
// pointer's offset from its left edge (twips) and the release.
class SplitterBar : public QWidget
{
    Q_OBJECT
public:
    explicit SplitterBar(QWidget* parent);

Q_SIGNALS:
    void pressed();
    void dragged(int offsetTwips);
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
