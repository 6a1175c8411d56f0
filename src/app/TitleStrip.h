#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
struct PaneRects;

// The strip above the panes: the searched types, the image count, and the progress bar
// that lies exactly over the count while thumbnails are built.
class TitleStrip : public QWidget
{
    Q_OBJECT
public:
    explicit TitleStrip(QWidget* parent);

    QLabel* typesLabel() const { return m_types; }
    QLabel* countLabel() const { return m_count; }
    QProgressBar* progressBar() const { return m_progress; }

    // The count label's design position: right of the longest types caption.
    int countLabelLeftTwips() const;
    void place(const PaneRects& rects);

private:
    QLabel* m_types;
    QLabel* m_count;
    QProgressBar* m_progress;
};
