#include "toolbox/Toolbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "layout/Twips.h"
#include "platform/FontCatalog.h"
#include "platform/MessageBoxes.h"
#include "platform/PrintService.h"
#include "tile/Contrast.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"
#include "ui/WaitCursor.h"

const QString Toolbox::MessageTitle = QStringLiteral("Vadro");
const QString Toolbox::NoTiledViewText = QStringLiteral("You must have a tiled image first");
const QString Toolbox::PrintFailedText = QStringLiteral("Can't be printed.");
const QString Toolbox::FontColourCaption = QStringLiteral("Font's color");
const QString Toolbox::PageColourCaption = QStringLiteral("Background color");

namespace {

constexpr int ColourArrowStep = 10;
constexpr int ColourPageStep = 50;
constexpr int SizePageStep = 10;
constexpr double CompactPointSize = 7.0;

// Places a control from its twips, relative to its parent.
template <typename W>
W* place(W* widget, const char* name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(Twips::toPixels(left, top, width, height));
    return widget;
}

// A label that sizes itself to its caption, as the autosizing labels do.
QLabel* caption(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->adjustSize();
    label->move(Twips::toPixels(left), Twips::toPixels(top));
    return label;
}

} // namespace

Toolbox::Toolbox(SampleSettings& sample, TileSettings& tiles, const FontCatalog& fonts,
                 PrintService& printer, MessageBoxes& messages, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), m_sample(sample), m_tiles(tiles),
      m_fonts(fonts), m_printer(printer), m_messages(messages)
{
    setObjectName(QStringLiteral("Toolbox"));
    setWindowTitle(QStringLiteral("Toolbox"));
    setFixedSize(Twips::toPixels(InnerWidth), Twips::toPixels(InnerHeight));
    // The controls are placed for a small dialog font; a larger desktop font would overlap.
    QFont compact = font();
    if (compact.pointSizeF() > CompactPointSize)
        compact.setPointSizeF(CompactPointSize);
    setFont(compact);
    build();
    buildTileControls();
}

int Toolbox::sizeFromBar(int barValue)
{
    return SampleSettings::MinSize + barValue;
}

int Toolbox::barFromSize(int points)
{
    return points - SampleSettings::MinSize;
}

void Toolbox::build()
{
    m_text = place(new QLineEdit(m_sample.text(), this), "txtSample", 30, 90, 1365, 375);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_sample.setText(text); });

    auto* frame = place(new QGroupBox(FontColourCaption, this), "Frame1", 30, 630, 1365, 3195);
    m_colourFrame = frame;
    m_swatch = place(new QLabel(frame), "lblColor", 90, 270, 1185, 345);
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);

    static const int lefts[3] = {90, 510, 915};
    static const int barLefts[3] = {165, 570, 990};
    static const int letterLefts[3] = {195, 615, 1035};
    static const char* amountNames[3] = {"lblAmount0", "lblAmount1", "lblAmount2"};
    static const char* barNames[3] = {"vColor0", "vColor1", "vColor2"};
    static const char* letterNames[3] = {"Label1_0", "Label1_1", "Label1_2"};
    static const char* letters[3] = {"R", "G", "B"};
    for (int k = 0; k < 3; ++k) {
        m_amounts[k] =
            place(new QLabel(QStringLiteral("0"), frame), amountNames[k], lefts[k], 660, 330, 255);
        m_amounts[k]->setAlignment(Qt::AlignCenter);
        // The bar's top stands for 255: position 0 there, so the arrows step the right way.
        auto* bar =
            place(new QScrollBar(Qt::Vertical, frame), barNames[k], barLefts[k], 960, 195, 1785);
        bar->setRange(0, 255);
        bar->setSingleStep(ColourArrowStep);
        bar->setPageStep(ColourPageStep);
        bar->setValue(255);
        m_colours[k] = bar;
        connect(bar, &QScrollBar::valueChanged, this, &Toolbox::colourMoved);
        caption(frame, letterNames[k], QString::fromLatin1(letters[k]), letterLefts[k], 2850);
    }
    colourMoved();

    caption(this, "Label3", QStringLiteral("Font's size:"), 30, 3960);
    m_sizeLabel = place(new QLabel(this), "Label4", 870, 3960, 405, 225);
    m_size = place(new QScrollBar(Qt::Horizontal, this), "HScroll1", 30, 4260, 1365, 255);
    m_size->setRange(barFromSize(SampleSettings::MinSize), barFromSize(SampleSettings::MaxSize));
    m_size->setPageStep(SizePageStep);
    m_size->setValue(barFromSize(m_sample.size()));
    connect(m_size, &QScrollBar::valueChanged, this, &Toolbox::sizeMoved);
    sizeMoved(m_size->value());

    m_fontCount = place(new QLabel(this), "Label2", 30, 4650, 1275, 225);
    m_fontList = place(new QComboBox(this), "List1", 30, 4920, 1365, 315);
    m_fontList->setEditable(false);
    connect(m_fontList, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &Toolbox::fontChosen);

    auto* printButton =
        place(new QPushButton(QStringLiteral("Print"), this), "Butprint", 353, 5430, 735, 375);
    connect(printButton, &QPushButton::clicked, this, &Toolbox::print);

    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(Twips::toPixels(30, 5970 - 15, 1350, 30));

    m_onTop = place(new QCheckBox(QStringLiteral("On Top"), this), "Check1", 30, 6120, 915, 225);
    m_onTop->setChecked(true);
    connect(m_onTop, &QCheckBox::toggled, this, &Toolbox::setOnTop);

    auto* closeButton =
        place(new QPushButton(QStringLiteral("Close"), this), "Command1", 353, 6480, 735, 375);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

void Toolbox::buildTileControls()
{
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line2"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(Twips::toPixels(30, 6990 - 15, 1350, 30));

    auto check = [this](const char* name, const QString& text, int left, int top, int width) {
        return place(new QCheckBox(text, this), name, left, top, width, 240);
    };
    // One a row: two side by side would cut their captions at this width.
    m_offset = check("chkOffset", QStringLiteral("Offset"), 30, 7080, 1365);
    m_grid = check("chkGrid", QStringLiteral("Grid"), 30, 7335, 1365);
    m_across = check("chkAcross", QStringLiteral("Across"), 30, 7590, 1365);
    m_down = check("chkDown", QStringLiteral("Down"), 30, 7845, 1365);
    m_background = check("chkBackground", QStringLiteral("Background"), 30, 8100, 1365);
    connect(m_offset, &QCheckBox::toggled, &m_tiles, &TileSettings::setOffset);
    connect(m_grid, &QCheckBox::toggled, &m_tiles, &TileSettings::setGrid);
    connect(m_across, &QCheckBox::toggled, this, [this](bool on) {
        m_tiles.setAxis(on ? TileMode::Axis::Across : TileMode::Axis::Both);
    });
    connect(m_down, &QCheckBox::toggled, this,
            [this](bool on) { m_tiles.setAxis(on ? TileMode::Axis::Down : TileMode::Axis::Both); });
    connect(m_background, &QCheckBox::toggled, this, [this](bool page) {
        m_colourFrame->setTitle(page ? PageColourCaption : FontColourCaption);
        showColourOnBars(page ? m_tiles.background() : m_sample.colour());
    });

    caption(this, "lblZoomCaption", QStringLiteral("Zoom:"), 30, 8400);
    m_zoomLabel = place(new QLabel(this), "lblZoom", 870, 8400, 405, 225);
    m_zoom = place(new QScrollBar(Qt::Horizontal, this), "HScrollZoom", 30, 8670, 1365, 255);
    m_zoom->setRange(TileMode::MinZoom, TileMode::MaxZoom);
    m_zoom->setPageStep(1);
    connect(m_zoom, &QScrollBar::valueChanged, &m_tiles, &TileSettings::setZoom);

    m_contrast = place(new QLabel(this), "lblContrast", 30, 9030, 1365, 225);
    m_verdict = place(new QLabel(this), "lblVerdict", 30, 9285, 1365, 225);
    connect(&m_tiles, &TileSettings::modeChanged, this, &Toolbox::reflectMode);
    // The large-text threshold depends on the size.
    connect(&m_sample, &SampleSettings::sampleChanged, this, &Toolbox::showVerdict);
    reflectMode();
    showContrast(-1);
}

void Toolbox::reflectMode()
{
    const TileMode& mode = m_tiles.mode();
    const QSignalBlocker offset(m_offset), grid(m_grid), across(m_across), down(m_down),
        zoom(m_zoom);
    m_offset->setChecked(mode.offset);
    m_grid->setChecked(mode.grid);
    m_across->setChecked(mode.axis == TileMode::Axis::Across);
    m_down->setChecked(mode.axis == TileMode::Axis::Down);
    m_zoom->setValue(mode.zoom);
    m_zoomLabel->setText(QStringLiteral("%1\u00d7").arg(mode.zoom));
}

void Toolbox::showContrast(double ratio)
{
    m_ratio = ratio;
    m_contrast->setText(ratio < 0 ? QStringLiteral("Contrast: -")
                                  : QStringLiteral("Contrast ") + Contrast::ratioText(ratio));
    showVerdict();
}

void Toolbox::showVerdict()
{
    if (m_ratio < 0)
        m_verdict->clear();
    else
        m_verdict->setText(Contrast::passesAA(m_ratio, m_sample.size()) ? QStringLiteral("AA")
                                                                        : QStringLiteral("fails"));
}

void Toolbox::load()
{
    m_loaded = true;
    move(Twips::toPixels(m_startTwips.x()), Twips::toPixels(m_startTwips.y()));
    m_sample.setText(m_text->text());
    QStringList families;
    {
        WaitCursor wait;
        families = m_fonts.trueTypeFamilies();
    }
    {
        const QSignalBlocker quiet(m_fontList);
        m_fontList->clear();
        m_fontList->addItems(families);
        m_fontList->setCurrentIndex(-1);
    }
    // With no TrueType font the list stays empty and the sample keeps the default font.
    if (!families.isEmpty())
        m_fontList->setCurrentIndex(0);
    m_fontCount->setText(QStringLiteral("%1 fonts").arg(families.size()));
}

void Toolbox::open()
{
    if (!m_loaded)
        load();
    show();
    raise();
    activateWindow();
}

void Toolbox::setPositionTwips(const QPoint& twips)
{
    m_startTwips = twips;
    if (m_loaded)
        move(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()));
}

QPoint Toolbox::positionTwips() const
{
    if (!m_loaded)
        return m_startTwips;
    return {Twips::fromPixels(pos().x()), Twips::fromPixels(pos().y())};
}

void Toolbox::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_sample.setToolboxShowing(true);
}

void Toolbox::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Changing the On Top flag hides the window for a moment; that is not the user hiding it.
    if (!m_changingFlags)
        m_sample.setToolboxShowing(false);
}

void Toolbox::showColourOnBars(const QColor& colour)
{
    const int rgb[3] = {colour.red(), colour.green(), colour.blue()};
    {
        const QSignalBlocker r(m_colours[0]), g(m_colours[1]), b(m_colours[2]);
        for (int k = 0; k < 3; ++k)
            m_colours[k]->setValue(255 - rgb[k]);
    }
    colourMoved();
}

void Toolbox::colourMoved()
{
    int rgb[3];
    for (int k = 0; k < 3; ++k) {
        rgb[k] = colourFromBar(m_colours[k]->value());
        m_amounts[k]->setText(QString::number(rgb[k]));
    }
    const QColor colour(rgb[0], rgb[1], rgb[2]);
    QPalette palette = m_swatch->palette();
    palette.setColor(QPalette::Window, colour);
    m_swatch->setPalette(palette);
    if (m_background && m_background->isChecked())
        m_tiles.setBackground(colour);
    else
        m_sample.setColour(colour);
}

void Toolbox::sizeMoved(int barValue)
{
    const int points = sizeFromBar(barValue);
    m_sizeLabel->setText(QStringLiteral("%1 point").arg(points));
    m_sizeLabel->adjustSize(); // grows to the right like an autosizing label
    m_sample.setSize(points);
}

void Toolbox::fontChosen(int index)
{
    if (index >= 0)
        m_sample.setFontFamily(m_fontList->itemText(index));
}

void Toolbox::setOnTop(bool on)
{
    // Qt re-creates the window to change this flag, which hides it: put it back where it was.
    const QPoint at = pos();
    const bool shown = isVisible();
    m_changingFlags = true;
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        move(at);
        show();
    }
    m_changingFlags = false;
}

void Toolbox::print()
{
    QWidget* view = m_view.data();
    if (!view || !view->isVisible()) {
        m_messages.show(this, MessageTitle, NoTiledViewText, MessageBoxes::Icon::Information);
        return;
    }
    QString why;
    bool printed = false;
    {
        WaitCursor wait;
        printed = m_printer.printWindow(view, &why);
    }
    if (printed)
        return;
    qWarning("Printing failed: %s", qPrintable(why));
    view->close();
    m_messages.show(this, MessageTitle, PrintFailedText, MessageBoxes::Icon::Warning);
}
