#include "toolbox/Toolbox.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleValidator>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include "layout/Twips.h"
#include "platform/FontCatalog.h"
#include "platform/MessageBoxes.h"
#include "platform/PrintService.h"
#include "tile/Contrast.h"
#include "tile/RealSize.h"
#include "tile/SampleSettings.h"
#include "tile/TileSettings.h"
#include "ui/WaitCursor.h"

namespace {

constexpr int ColourArrowStep = 10;
constexpr int ColourPageStep = 50;
constexpr int SizePageStep = 10;
// The colour bars stand this many text lines tall; the font list is this many characters wide
// at most, its names whole up to there.
constexpr int ColourBarLines = 7;
constexpr int FontListChars = 32;
// Room between the toolbox and the tiled view when it opens beside it, in pixels.
constexpr int BesideGap = 8;

template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QFrame* line(const char* name)
{
    auto* rule = named(new QFrame, name);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    return rule;
}

QScrollBar* bar(Qt::Orientation orientation, const char* name)
{
    auto* scroll = named(new QScrollBar(orientation), name);
    // Scroll bars take no keyboard focus by default: these are controls, reached by Tab.
    scroll->setFocusPolicy(Qt::StrongFocus);
    return scroll;
}

// A caption and a value on one row, the value on the right.
QHBoxLayout* captionRow(QLabel* caption, QLabel* value)
{
    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addStretch();
    row->addWidget(value);
    return row;
}

QPushButton* centred(QVBoxLayout* column, QPushButton* button)
{
    column->addWidget(button, 0, Qt::AlignHCenter);
    return button;
}

// A label that keeps the width of its widest text, so the window does not jump as it changes.
void reserveWidth(QLabel* label, const QString& widest)
{
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest));
}

} // namespace

Toolbox::Toolbox(SampleSettings& sample, TileSettings& tiles, const FontCatalog& fonts,
                 PrintService& printer, MessageBoxes& messages)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint), m_sample(sample), m_tiles(tiles),
      m_fonts(fonts), m_printer(printer), m_messages(messages)
{
    setObjectName(QStringLiteral("Toolbox"));
    setWindowTitle(tr("Toolbox"));
    // Not a main window: the program ends when the main window closes, whatever this shows.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The sample's controls on the left, the tile's on the right: one column of both stood
    // taller than a small screen.
    auto* columns = new QHBoxLayout(this);
    // As large as its controls at the desktop's font need, and no larger.
    columns->setSizeConstraint(QLayout::SetFixedSize);
    auto* column = new QVBoxLayout;
    columns->addLayout(column);
    build(column);
    column->addStretch();
    QFrame* rule = line("Line2");
    rule->setFrameShape(QFrame::VLine);
    columns->addWidget(rule);
    auto* block = new QVBoxLayout;
    columns->addLayout(block);
    buildTileControls(block);
    block->addStretch();
    watchKeys();
}

int Toolbox::sizeFromBar(int barValue)
{
    return SampleSettings::MinSize + barValue;
}

int Toolbox::barFromSize(int points)
{
    return points - SampleSettings::MinSize;
}

void Toolbox::build(QVBoxLayout* column)
{
    auto* textCaption = named(new QLabel(tr("Sample te&xt:")), "lblSample");
    m_text = named(new QLineEdit(m_sample.text()), "txtSample");
    textCaption->setBuddy(m_text);
    column->addWidget(textCaption);
    column->addWidget(m_text);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_sample.setText(text); });

    m_colourFrame = named(new QGroupBox(tr("Font's color")), "Frame1");
    auto* grid = new QGridLayout(m_colourFrame);
    m_swatch = named(new QLabel, "lblColor");
    m_swatch->setFrameShape(QFrame::Box);
    m_swatch->setAutoFillBackground(true);
    m_swatch->setMinimumHeight(fontMetrics().height() + 2 * m_swatch->frameWidth());
    grid->addWidget(m_swatch, 0, 0, 1, 3);

    static const char* amountNames[3] = {"lblAmount0", "lblAmount1", "lblAmount2"};
    static const char* barNames[3] = {"vColor0", "vColor1", "vColor2"};
    static const char* letterNames[3] = {"Label1_0", "Label1_1", "Label1_2"};
    const QString letters[3] = {tr("&R"), tr("&G"), tr("&B")};
    for (int k = 0; k < 3; ++k) {
        m_amounts[k] = named(new QLabel(QStringLiteral("0")), amountNames[k]);
        m_amounts[k]->setAlignment(Qt::AlignCenter);
        reserveWidth(m_amounts[k], QStringLiteral("255"));
        // The bar's top stands for 255: position 0 there, so the arrows step the right way.
        QScrollBar* colour = bar(Qt::Vertical, barNames[k]);
        colour->setRange(0, 255);
        colour->setSingleStep(ColourArrowStep);
        colour->setPageStep(ColourPageStep);
        colour->setValue(255);
        colour->setMinimumHeight(ColourBarLines * fontMetrics().height());
        m_colours[k] = colour;
        connect(colour, &QScrollBar::valueChanged, this, &Toolbox::colourMoved);
        auto* letter = named(new QLabel(letters[k]), letterNames[k]);
        letter->setBuddy(colour);
        letter->setAlignment(Qt::AlignCenter);
        grid->addWidget(m_amounts[k], 1, k, Qt::AlignHCenter);
        grid->addWidget(colour, 2, k, Qt::AlignHCenter);
        grid->addWidget(letter, 3, k, Qt::AlignHCenter);
    }
    column->addWidget(m_colourFrame);
    colourMoved();

    auto* sizeCaption = named(new QLabel(tr("Font's &size:")), "Label3");
    m_sizeLabel = named(new QLabel, "Label4");
    m_sizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    reserveWidth(m_sizeLabel, tr("%1 point").arg(SampleSettings::MaxSize));
    m_size = bar(Qt::Horizontal, "HScroll1");
    sizeCaption->setBuddy(m_size);
    column->addLayout(captionRow(sizeCaption, m_sizeLabel));
    column->addWidget(m_size);
    m_size->setRange(barFromSize(SampleSettings::MinSize), barFromSize(SampleSettings::MaxSize));
    m_size->setPageStep(SizePageStep);
    m_size->setValue(barFromSize(m_sample.size()));
    connect(m_size, &QScrollBar::valueChanged, this, &Toolbox::sizeMoved);
    sizeMoved(m_size->value());

    m_fontCount = named(new QLabel(tr("&Fonts:")), "Label2");
    m_fontList = named(new QComboBox, "List1");
    m_fontList->setEditable(false);
    m_fontList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_fontList->setMaximumWidth(FontListChars * fontMetrics().averageCharWidth());
    m_fontCount->setBuddy(m_fontList);
    column->addWidget(m_fontCount);
    column->addWidget(m_fontList);
    connect(m_fontList, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &Toolbox::fontChosen);

    auto* printButton = centred(column, named(new QPushButton(tr("&Print")), "Butprint"));
    connect(printButton, &QPushButton::clicked, this, &Toolbox::print);

    column->addWidget(line("Line1"));

    m_onTop = named(new QCheckBox(tr("On &Top")), "Check1");
    m_onTop->setChecked(true);
    column->addWidget(m_onTop);
    connect(m_onTop, &QCheckBox::toggled, this, &Toolbox::setOnTop);

    auto* closeButton = centred(column, named(new QPushButton(tr("&Close")), "Command1"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
}

void Toolbox::buildTileControls(QVBoxLayout* block)
{
    auto* repeatCaption = named(new QLabel(tr("R&epeat:")), "lblRepeat");
    m_repeat = named(new QComboBox, "cmbRepeat");
    m_repeat->addItem(tr("Straight"), int(Repeat::Kind::Straight));
    m_repeat->addItem(tr("Drop"), int(Repeat::Kind::Drop));
    m_repeat->addItem(tr("Brick"), int(Repeat::Kind::Brick));
    m_repeat->addItem(tr("Mirror across"), int(Repeat::Kind::MirrorAcross));
    m_repeat->addItem(tr("Mirror down"), int(Repeat::Kind::MirrorDown));
    m_repeat->addItem(tr("Mirror both"), int(Repeat::Kind::MirrorBoth));
    repeatCaption->setBuddy(m_repeat);
    auto* fractionCaption = named(new QLabel(tr("Fractio&n:")), "lblFraction");
    m_fraction = named(new QComboBox, "cmbFraction");
    m_fraction->addItem(tr("1/2"), 2);
    m_fraction->addItem(tr("1/3"), 3);
    m_fraction->addItem(tr("1/4"), 4);
    fractionCaption->setBuddy(m_fraction);
    auto* repeatGrid = new QGridLayout;
    repeatGrid->addWidget(repeatCaption, 0, 0);
    repeatGrid->addWidget(m_repeat, 0, 1);
    repeatGrid->addWidget(fractionCaption, 1, 0);
    repeatGrid->addWidget(m_fraction, 1, 1);
    block->addLayout(repeatGrid);
    connect(m_repeat, qOverload<int>(&QComboBox::activated), this, &Toolbox::repeatChosen);
    connect(m_fraction, qOverload<int>(&QComboBox::activated), this, &Toolbox::repeatChosen);
    auto* saveRepeat =
        centred(block, named(new QPushButton(tr("Sa&ve repeat\u2026")), "butSaveRepeat"));
    connect(saveRepeat, &QPushButton::clicked, this, &Toolbox::saveRepeatRequested);

    m_seamMap = named(new QCheckBox(tr("Sea&m map")), "chkSeamMap");
    m_offset = named(new QCheckBox(tr("&Offset")), "chkOffset");
    m_grid = named(new QCheckBox(tr("Gr&id")), "chkGrid");
    m_across = named(new QCheckBox(tr("&Across")), "chkAcross");
    m_down = named(new QCheckBox(tr("&Down")), "chkDown");
    m_background = named(new QCheckBox(tr("Bac&kground")), "chkBackground");
    for (QCheckBox* check : {m_offset, m_grid, m_seamMap, m_across, m_down, m_background})
        block->addWidget(check);
    connect(m_seamMap, &QCheckBox::toggled, &m_tiles, &TileSettings::setSeamMap);
    connect(m_offset, &QCheckBox::toggled, &m_tiles, &TileSettings::setOffset);
    connect(m_grid, &QCheckBox::toggled, &m_tiles, &TileSettings::setGrid);
    connect(m_across, &QCheckBox::toggled, this, [this](bool on) {
        m_tiles.setAxis(on ? TileMode::Axis::Across : TileMode::Axis::Both);
    });
    connect(m_down, &QCheckBox::toggled, this,
            [this](bool on) { m_tiles.setAxis(on ? TileMode::Axis::Down : TileMode::Axis::Both); });
    connect(m_background, &QCheckBox::toggled, this, [this](bool page) {
        m_colourFrame->setTitle(page ? tr("Background color") : tr("Font's color"));
        showColourOnBars(page ? m_tiles.background() : m_sample.colour());
    });

    auto* zoomCaption = named(new QLabel(tr("&Zoom:")), "lblZoomCaption");
    m_zoomLabel = named(new QLabel, "lblZoom");
    m_zoom = bar(Qt::Horizontal, "HScrollZoom");
    zoomCaption->setBuddy(m_zoom);
    block->addLayout(captionRow(zoomCaption, m_zoomLabel));
    block->addWidget(m_zoom);
    m_zoom->setRange(TileMode::MinZoom, TileMode::MaxZoom);
    m_zoom->setPageStep(1);
    connect(m_zoom, &QScrollBar::valueChanged, &m_tiles, &TileSettings::setZoom);

    buildSizeControls(block);

    auto* copyCss = centred(block, named(new QPushButton(tr("Cop&y CSS")), "butCopyCss"));
    connect(copyCss, &QPushButton::clicked, this, &Toolbox::copyCssRequested);

    m_contrast = named(new QLabel, "lblContrast");
    reserveWidth(m_contrast, tr("Contrast %1").arg(QStringLiteral("21.0:1")));
    m_verdict = named(new QLabel, "lblVerdict");
    block->addWidget(m_contrast);
    block->addWidget(m_verdict);
    connect(&m_tiles, &TileSettings::modeChanged, this, &Toolbox::reflectMode);
    // The large-text threshold depends on the size.
    connect(&m_sample, &SampleSettings::sampleChanged, this, &Toolbox::showVerdict);
    reflectMode();
    showContrast(-1);
}

void Toolbox::buildSizeControls(QVBoxLayout* block)
{
    m_realSize = named(new QCheckBox(tr("Rea&l size")), "chkRealSize");
    m_webPage = named(new QCheckBox(tr("As a &web page")), "chkWebPage");
    block->addWidget(m_realSize);
    block->addWidget(m_webPage);
    connect(m_realSize, &QCheckBox::toggled, &m_tiles, &TileSettings::setRealSize);
    connect(m_webPage, &QCheckBox::toggled, &m_tiles, &TileSettings::setWebPage);

    auto* resolutionCaption = named(new QLabel(tr("Resol&ution:")), "lblResolution");
    m_resolution = named(new QComboBox, "cmbResolution");
    m_resolution->setEditable(true);
    m_resolution->setInsertPolicy(QComboBox::NoInsert);
    for (int dpi : {72, 96, 150, 300})
        m_resolution->addItem(QString::number(dpi));
    m_resolution->setToolTip(tr("Dots per inch of pictures whose file states none"));
    resolutionCaption->setBuddy(m_resolution);
    auto* screenCaption = named(new QLabel(tr("Screen dpi, &hand measured:")), "lblScreenDpi");
    m_screenDpi = named(new QLineEdit, "txtScreenDpi");
    m_screenDpi->setPlaceholderText(tr("as reported"));
    m_screenDpi->setToolTip(
        tr("Device pixels per inch, measured with a ruler; empty: as the screen reports it"));
    screenCaption->setBuddy(m_screenDpi);
    for (QLineEdit* edit : {m_resolution->lineEdit(), m_screenDpi}) {
        auto* validator = new QDoubleValidator(RealSize::MinDpi, RealSize::MaxDpi, 2, edit);
        validator->setNotation(QDoubleValidator::StandardNotation);
        edit->setValidator(validator);
    }
    auto* sizeGrid = new QGridLayout;
    sizeGrid->addWidget(resolutionCaption, 0, 0);
    sizeGrid->addWidget(m_resolution, 0, 1);
    sizeGrid->addWidget(screenCaption, 1, 0);
    sizeGrid->addWidget(m_screenDpi, 1, 1);
    block->addLayout(sizeGrid);
    m_sizeHint = named(new QLabel, "lblSizeHint");
    m_sizeHint->setWordWrap(true);
    m_sizeHint->hide(); // only while it has something to say
    block->addWidget(m_sizeHint);

    connect(m_resolution, qOverload<int>(&QComboBox::activated), this, &Toolbox::resolutionTyped);
    connect(m_resolution->lineEdit(), &QLineEdit::editingFinished, this, &Toolbox::resolutionTyped);
    connect(m_screenDpi, &QLineEdit::editingFinished, this, &Toolbox::screenDpiTyped);
    // A key the validator refuses, or a value out of range, says why at once.
    for (QLineEdit* edit : {m_resolution->lineEdit(), m_screenDpi}) {
        connect(edit, &QLineEdit::inputRejected, this, [this] { showSizeHint(resolutionHint()); });
        connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) {
            const bool fine = edit->hasAcceptableInput() || text.isEmpty();
            showSizeHint(fine ? QString() : resolutionHint());
        });
    }
    connect(&m_tiles, &TileSettings::resolutionChanged, this, &Toolbox::reflectResolution);
    reflectResolution();
}

QString Toolbox::resolutionHint()
{
    const QLocale locale;
    return tr("Type a resolution from %1 to %2 dpi.")
        .arg(locale.toString(RealSize::MinDpi), locale.toString(RealSize::MaxDpi, 'f', 0));
}

void Toolbox::resolutionTyped()
{
    const std::optional<double> dpi = RealSize::parse(m_resolution->currentText());
    if (!dpi) {
        showSizeHint(resolutionHint());
        reflectResolution();
        return;
    }
    showSizeHint(QString());
    m_tiles.setPictureDpi(*dpi);
}

void Toolbox::showSizeHint(const QString& text)
{
    m_sizeHint->setText(text);
    m_sizeHint->setVisible(!text.isEmpty());
}

void Toolbox::screenDpiTyped()
{
    const QString text = m_screenDpi->text().trimmed();
    if (text.isEmpty()) {
        showSizeHint(QString());
        m_tiles.setScreenDpi(std::nullopt);
        return;
    }
    const std::optional<double> dpi = RealSize::parse(text);
    if (!dpi) {
        showSizeHint(resolutionHint());
        reflectResolution();
        return;
    }
    showSizeHint(QString());
    m_tiles.setScreenDpi(dpi);
}

void Toolbox::reflectResolution()
{
    const QLocale locale;
    if (RealSize::parse(m_resolution->currentText()) != m_tiles.pictureDpi())
        m_resolution->setEditText(locale.toString(m_tiles.pictureDpi(), 'g', 6));
    const std::optional<double> screen = m_tiles.screenDpi();
    if (RealSize::parse(m_screenDpi->text()) != screen)
        m_screenDpi->setText(screen ? locale.toString(*screen, 'g', 6) : QString());
}

void Toolbox::watchKeys()
{
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool Toolbox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        hide();
        return true;
    }
    // The text boxes take every key the user types, Ctrl+C and digits included.
    if (watched == m_text || watched == m_screenDpi || watched == m_resolution ||
        watched == m_resolution->lineEdit())
        return false;
    return passToView(key);
}

bool Toolbox::passToView(const QKeyEvent* key)
{
    QWidget* view = m_view.data();
    // Tab and Backtab move through the toolbox; Escape and F2 are the toolbox's own here.
    static const int ownKeys[] = {Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Escape, Qt::Key_F2};
    if (!view || !view->isVisible() ||
        std::find(std::begin(ownKeys), std::end(ownKeys), key->key()) != std::end(ownKeys))
        return false;
    // A copy: the view accepts what it acts on and ignores the rest, which goes on to the
    // control that has the focus here.
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   key->count());
    QCoreApplication::sendEvent(view, &copy);
    return copy.isAccepted();
}

void Toolbox::repeatChosen()
{
    const auto kind = Repeat::Kind(m_repeat->currentData().toInt());
    m_tiles.setRepeat(Repeat(kind, m_fraction->currentData().toInt()));
}

void Toolbox::reflectMode()
{
    const TileMode& mode = m_tiles.mode();
    const QSignalBlocker offset(m_offset), grid(m_grid), across(m_across), down(m_down),
        zoom(m_zoom), seams(m_seamMap), real(m_realSize), web(m_webPage);
    m_repeat->setCurrentIndex(m_repeat->findData(int(mode.repeat.kind)));
    // A fraction belongs to a drop or a brick; the list keeps the last one for the next.
    const bool shifts = mode.repeat.isDrop() || mode.repeat.isBrick();
    if (shifts)
        m_fraction->setCurrentIndex(m_fraction->findData(mode.repeat.parts()));
    m_fraction->setEnabled(shifts);
    m_seamMap->setChecked(mode.seamMap);
    m_offset->setChecked(mode.offset);
    m_grid->setChecked(mode.grid);
    m_across->setChecked(mode.axis == TileMode::Axis::Across);
    m_down->setChecked(mode.axis == TileMode::Axis::Down);
    m_zoom->setValue(mode.zoom);
    m_realSize->setChecked(mode.realSize);
    m_webPage->setChecked(mode.webPage);
    m_zoomLabel->setText(tr("%1\u00d7").arg(mode.zoom));
}

void Toolbox::showContrast(double ratio)
{
    m_ratio = ratio;
    m_contrast->setText(ratio < 0 ? tr("Contrast: -")
                                  : tr("Contrast %1").arg(Contrast::ratioText(ratio)));
    showVerdict();
}

void Toolbox::showVerdict()
{
    if (m_ratio < 0)
        m_verdict->clear();
    else
        m_verdict->setText(Contrast::passesAA(m_ratio, m_sample.size()) ? tr("AA") : tr("fails"));
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
    m_fontCount->setText(tr("%1 &fonts").arg(families.size()));
}

void Toolbox::open()
{
    const bool first = !m_loaded;
    if (first)
        load();
    if (!isVisible()) {
        // The size the layout wants, before the window shows, so the place below is right.
        adjustSize();
        // Where it never stood elsewhere, it opens beside the view; a place of the user's
        // choosing stays, unless it covers the view.
        placeBesideView(first && m_startTwips == DefaultStart);
    }
    show();
    raise();
    activateWindow();
}

QPoint Toolbox::besideView(const QRect& view, const QSize& box, const QRect& screen)
{
    int left = view.right() + 1 + BesideGap;
    if (left + box.width() > screen.right() + 1) {
        left = view.left() - BesideGap - box.width();
        if (left < screen.left())
            left = screen.right() + 1 - box.width();
    }
    const int top = std::clamp(view.top(), screen.top(),
                               std::max(screen.top(), screen.bottom() + 1 - box.height()));
    return {std::max(screen.left(), left), top};
}

void Toolbox::placeBesideView(bool always)
{
    QWidget* view = m_view.data();
    if (!view || !view->isVisible())
        return;
    const QRect outer = frameGeometry();
    if (!always && !outer.intersects(view->frameGeometry()))
        return;
    const QScreen* screen = view->screen();
    const QRect area = screen ? screen->availableGeometry() : view->frameGeometry();
    move(besideView(view->frameGeometry(), outer.size(), area));
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
    m_sizeLabel->setText(tr("%1 point").arg(points));
    m_sample.setSize(points);
}

void Toolbox::fontChosen(int index)
{
    if (index >= 0)
        m_sample.setFontFamily(m_fontList->itemText(index));
    m_fontList->setToolTip(m_fontList->currentText());
}

void Toolbox::setOnTop(bool on)
{
    // Qt re-creates the window to change its kind, which hides it: put it back where it was.
    // Off top it is an ordinary window, which others may cover.
    const QPoint at = pos();
    const bool shown = isVisible();
    const QPointer<QWidget> focused = focusWidget();
    m_changingFlags = true;
    setWindowFlags(on ? Qt::Tool | Qt::WindowStaysOnTopHint : Qt::Window);
    if (shown) {
        move(at);
        show();
        // The user was at the On Top box: the keyboard stays there.
        activateWindow();
        if (focused)
            focused->setFocus();
    }
    m_changingFlags = false;
}

void Toolbox::print()
{
    QWidget* view = m_view.data();
    if (!view || !view->isVisible()) {
        m_messages.show(this, tr("Vadro"), tr("You must have a tiled image first"),
                        MessageBoxes::Icon::Information);
        return;
    }
    QString why;
    // A failure keeps the tiled view open, to try again once the printer is set up.
    if (m_printer.printWindow(view, &why) == PrintService::Outcome::Failed)
        m_messages.show(this, tr("Vadro"), tr("Can't be printed: %1").arg(why),
                        MessageBoxes::Icon::Warning);
}
