#pragma once

#include <QDialog>

#include <array>

#include "listing/TypeFilter.h"

class MessageBoxes;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class Settings;

// Which picture types are listed: one box per type. OK stores the choice in the type filter
// and the settings, hides the dialog (which keeps its boxes) and says so through
// typesApplied(); the window's own close, or Escape, discards the boxes, and the next opening
// reads them again from the filter.
class OptionsDialog : public QDialog
{
    Q_OBJECT
public:
    // Inner size and positions in twips from the dialog's top-left.
    static constexpr int InnerWidth = 3030;
    static constexpr int InnerHeight = 2775;

    OptionsDialog(Settings& settings, TypeFilter& types, MessageBoxes& messages,
                  QWidget* parent = nullptr);

    // Tools > Options and the toolbar: waits until the dialog is closed. When the dialog is
    // already open without waiting, it comes to the front instead.
    void showModal();
    // F3: opens without blocking the main window, or brings the open dialog to the front.
    void showModeless();

    QCheckBox* box(TypeFilter::Type type) const { return m_boxes[size_t(type)]; }

Q_SIGNALS:
    // OK has stored new types; the folder is to be listed again with the new pattern.
    void typesApplied();

protected:
    void reject() override;

private:
    void build();
    void place();
    void load();
    void apply();
    void centreOnScreen();
    // False when the dialog is already open (it is brought to the front instead).
    bool prepareToShow();

    Settings& m_settings;
    TypeFilter& m_types;
    MessageBoxes& m_messages;
    std::array<QCheckBox*, TypeFilter::Count> m_boxes{};
    QLabel* m_label = nullptr;
    QLabel* m_moreCaption = nullptr;
    QPushButton* m_ok = nullptr;
    std::array<QFrame*, 4> m_frame{};
    bool m_loaded = false;
};
