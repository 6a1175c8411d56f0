#pragma once

#include <QDialog>
#include <QString>
#include <QVector>

class MessageBoxes;
class QLabel;
class Shell;

// The About window: a picture with the title and version, and the labels Label1_0 ..
// Label1_6, of which 3 (the web page) and 4 (the mail address) are links, shown only when the
// build names them. A link turns blue under the pointer and black again only over the
// picture; clicking it asks the shell (a message says so when nothing opens it) and leaves
// the window open. Clicking the picture or any other label closes it.
class AboutWindow : public QDialog
{
    Q_OBJECT
public:
    enum LabelIndex
    {
        Blurb = 0,
        WebCaption = 1,
        MailCaption = 2,
        WebLink = 3,
        MailLink = 4,
        Build = 5,
        Licence = 6,
        LabelCount
    };

    // webPage, mail: the addresses the links show; an empty one shows no link. Unless given,
    // those the build names.
    AboutWindow(Shell& shell, MessageBoxes& messages, QWidget* parent, const QString& webPage,
                const QString& mail);
    AboutWindow(Shell& shell, MessageBoxes& messages, QWidget* parent);

    // Shows a new About window modally over parent; returns when it is closed.
    static void showModal(Shell& shell, MessageBoxes& messages, QWidget* parent);

    QLabel* label(int index) const { return m_labels.value(index); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildPicture();
    void pointerOver(QObject* watched);
    void clicked(QObject* watched);
    void openLink(int index);
    void setLinkColour(int index, const QColor& colour);

    Shell& m_shell;
    MessageBoxes& m_messages;
    QWidget* m_picture = nullptr;
    QVector<QLabel*> m_labels;
    QObject* m_pressed = nullptr;
};
