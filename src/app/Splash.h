#pragma once

#include <QWidget>

class QLabel;

// The borderless start-up window with its progress caption.
class Splash : public QWidget
{
    Q_OBJECT
public:
    Splash();

    // Shows the n-th "Loading ..." caption (1..8) and repaints it at once.
    void progress(int stage);
    QString progressText() const;

    static QString progressCaption(int stage);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_art;
    QLabel* m_progress;
};
