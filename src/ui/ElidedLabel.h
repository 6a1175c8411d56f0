#pragma once

#include <QLabel>

// A one-line label that, short of room, draws its text cut at the end with "…" and gives the
// whole text in its tooltip; text() stays whole. It asks for no more width than "…" needs.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // The text as drawn now.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
