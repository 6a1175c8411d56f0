#include "app/OptionsDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "app/Settings.h"
#include "layout/Twips.h"
#include "platform/MessageBoxes.h"
#include "ui/WaitCursor.h"

namespace {

using Type = TypeFilter::Type;

constexpr int LabelLeft = 120;
constexpr int LabelTop = 120;
constexpr int LabelHeight = 540;
constexpr int RowOne = 1050;
constexpr int RowTwo = 1350;
constexpr int LeftColumn = 660;
constexpr int RightColumn = 1560;
constexpr int ColumnGap = 240;
constexpr int MoreCaptionTop = 690;
constexpr int FrameLeft = 480;
constexpr int FrameTop = 960;
constexpr int FrameRight = 2550; // before the added columns widen it
constexpr int FrameBottom = 1740;
constexpr int FrameMargin = 180;
constexpr int OkLeft = 990;
constexpr int OkTop = 2160;
constexpr int OkWidth = 1125;
constexpr int OkHeight = 375;

struct BoxPlace
{
    Type type;
    const char* caption;
    int column; // 0 and 1: the first four's columns; 2 and 3: the added types'
    int top;
};

constexpr BoxPlace Places[] = {
    {Type::Bitmap, "Bitmap", 1, RowOne}, {Type::Jpeg, "Jpg", 0, RowOne},
    {Type::Gif, "Gif", 0, RowTwo},       {Type::Icon, "Ico", 1, RowTwo},
    {Type::Png, "Png", 2, RowOne},       {Type::Webp, "Webp", 2, RowTwo},
    {Type::Tiff, "Tiff", 3, RowOne},     {Type::Svg, "Svg", 3, RowTwo},
};

QRect pixels(int left, int top, int width, int height)
{
    return Twips::toPixels(left, top, width, height);
}

} // namespace

OptionsDialog::OptionsDialog(Settings& settings, TypeFilter& types, MessageBoxes& messages,
                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_settings(settings), m_types(types), m_messages(messages)
{
    setObjectName(QStringLiteral("Options"));
    setWindowTitle(tr("Options"));
    build();
    place();
}

void OptionsDialog::build()
{
    m_label =
        new QLabel(tr(" Check the appropriate file types   to enable them for browsing."), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_moreCaption = new QLabel(tr("More types:"), this);
    m_moreCaption->setObjectName(QStringLiteral("lblMoreTypes"));
    for (const BoxPlace& place : Places) {
        auto* box = new QCheckBox(QString::fromLatin1(place.caption), this);
        box->setObjectName(QStringLiteral("Check%1").arg(int(place.type)));
        m_boxes[size_t(place.type)] = box;
    }
    for (size_t i = 0; i < m_frame.size(); ++i) {
        m_frame[i] = new QFrame(this);
        m_frame[i]->setFrameShape(i < 2 ? QFrame::HLine : QFrame::VLine);
        m_frame[i]->setFrameShadow(QFrame::Sunken);
    }
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName(QStringLiteral("cmdApply"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &OptionsDialog::apply);
}

// The first four boxes, the label and OK keep their places; the added columns follow the
// widest box of the column before them, so that no caption is cut in any font.
void OptionsDialog::place()
{
    int columnLeft[4] = {LeftColumn, RightColumn, 0, 0};
    int columnWidth[4] = {0, 0, 0, 0};
    for (const BoxPlace& place : Places) {
        const int width = Twips::fromPixels(box(place.type)->sizeHint().width());
        columnWidth[place.column] = std::max(columnWidth[place.column], width);
    }
    columnLeft[2] = std::max(FrameRight, columnLeft[1] + columnWidth[1] + ColumnGap);
    columnLeft[3] = columnLeft[2] + columnWidth[2] + ColumnGap;
    const int rowHeight = RowTwo - RowOne;
    for (const BoxPlace& place : Places) {
        box(place.type)
            ->setGeometry(
                pixels(columnLeft[place.column], place.top, columnWidth[place.column], rowHeight));
    }

    const int frameRight = std::max(FrameRight, columnLeft[3] + columnWidth[3] + FrameMargin);
    const int line = Twips::PerPixel * 2;
    m_frame[0]->setGeometry(pixels(FrameLeft, FrameTop, frameRight - FrameLeft, line));
    m_frame[1]->setGeometry(pixels(FrameLeft, FrameBottom, frameRight - FrameLeft, line));
    m_frame[2]->setGeometry(pixels(FrameLeft, FrameTop, line, FrameBottom - FrameTop + line));
    m_frame[3]->setGeometry(pixels(frameRight, FrameTop, line, FrameBottom - FrameTop + line));

    // The label takes the width the added columns bring, so that it wraps less, never more.
    const int width = std::max(InnerWidth, frameRight + FrameLeft);
    const int labelWidth = width - 2 * LabelLeft;
    const int labelHeight = std::max(
        LabelHeight, Twips::fromPixels(m_label->heightForWidth(Twips::toPixels(labelWidth))));
    m_label->setGeometry(pixels(LabelLeft, LabelTop, labelWidth, labelHeight));
    m_moreCaption->setGeometry(pixels(columnLeft[2], MoreCaptionTop,
                                      Twips::fromPixels(m_moreCaption->sizeHint().width()),
                                      FrameTop - MoreCaptionTop));
    m_ok->setGeometry(pixels(OkLeft, OkTop, OkWidth, OkHeight));

    setFixedSize(Twips::toPixels(width), Twips::toPixels(InnerHeight));
}

void OptionsDialog::load()
{
    for (TypeFilter::Type type : TypeFilter::All)
        box(type)->setChecked(m_types.isOn(type));
    m_loaded = true;
}

void OptionsDialog::centreOnScreen()
{
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool OptionsDialog::prepareToShow()
{
    // Asked for again while open, in either way: the open dialog comes to the front.
    if (isVisible()) {
        raise();
        activateWindow();
        return false;
    }
    if (!m_loaded)
        load();
    centreOnScreen();
    return true;
}

void OptionsDialog::showModeless()
{
    if (!prepareToShow())
        return;
    setModal(false);
    show();
    raise();
    activateWindow();
}

void OptionsDialog::showModal()
{
    if (prepareToShow())
        exec();
}

void OptionsDialog::reject()
{
    m_loaded = false;
    QDialog::reject();
}

void OptionsDialog::apply()
{
    const bool any = std::any_of(m_boxes.cbegin(), m_boxes.cend(),
                                 [](const QCheckBox* box) { return box->isChecked(); });
    if (!any) {
        m_messages.show(this, tr("Check at least one"), tr("At least one type must be checked."),
                        MessageBoxes::Icon::Error);
        return;
    }
    const WaitCursor wait;
    for (TypeFilter::Type type : TypeFilter::All)
        m_types.setEnabled(type, box(type)->isChecked());
    // Hidden, not closed: the next opening shows the boxes as they are now.
    done(QDialog::Accepted);
    m_settings.setTypes(m_types);
    Q_EMIT typesApplied();
}
