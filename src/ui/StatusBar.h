#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

class StatusLine;
class QWidget;

// The status bar as the rest of the program writes to it: it exists only while it is on,
// and every writer's text is dropped while it is off.
class StatusBar : public QObject
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget* host);
    ~StatusBar() override;

    bool exists() const { return m_line != nullptr; }
    StatusLine* line() const { return m_line.get(); }

    void create();
    void destroy();

    // Simple mode with this text: the common way of writing a hint or a message.
    void showSimple(const QString& text);
    // The simple text without changing the mode (menu help, some messages).
    void setSimpleText(const QString& text);
    // Four parts with right edges q, 2q, 3q and the rest, for a window innerWidth pixels wide;
    // a part whose text does not fit borrows what the others do not need (partEdges).
    void showParts(int innerWidth, const QString& file, const QString& dim, const QString& size,
                   const QString& seam = QString());
    // The same across the window that holds the bar.
    void showParts(const QString& file, const QString& dim, const QString& size,
                   const QString& seam = QString());

    // The parts' right edges (the last -1: to the end) for texts needing `needs` pixels:
    // quarters where every text fits its own; otherwise a part short of room takes it from the
    // parts with room to spare, the last ones first, and the file's name comes last.
    static QVector<int> partEdges(int innerWidth, const QVector<int>& needs);

private:
    QWidget* m_host;
    std::unique_ptr<StatusLine> m_line;
};
