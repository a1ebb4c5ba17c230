#include "shape_settings_panel.h"

#include "color_well.h"
#include "model/display_name.h"
#include "segmented_picker.h"
#include "sidebar_style.h"
#include "slider_row.h"
#include "state/app_state.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <cmath>

namespace lustrelab {

namespace {

// The width slider moves in hundredths of a point, so a drag feels continuous.
constexpr double widthSteps = 100;

} // namespace

CodableColor ShapeSettingsPanel::defaultFillColor()
{
    return {0.0, 122.0 / 255.0, 1.0, 0.3};
}

ShapeSettingsPanel::ShapeSettingsPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    QToolButton* remove = addSettingsHeader(column, tr("Shape Settings"), tr("Delete Shape"), this);
    connect(remove, &QToolButton::clicked, &m_state, &AppState::deleteSelectedShapeOverlay);

    m_type = new QComboBox;
    m_type->setObjectName(QStringLiteral("type"));
    for (ShapeType type : allCases<ShapeType>())
        m_type->addItem(displayName(type), int(type));
    connect(m_type, &QComboBox::activated, this, [this](int index) {
        const auto type = ShapeType(m_type->itemData(index).toInt());
        edit([&](ShapeOverlay& o) {
            // A spotlight at full opacity would black out the rest; it takes
            // its own dimming, and leaving it gives the shape's opacity back.
            if (type == ShapeType::spotlight && o.shapeType != type)
                o.opacity = freshShape(type).opacity;
            else if (o.shapeType == ShapeType::spotlight && type != o.shapeType)
                o.opacity = ShapeOverlay{}.opacity;
            o.shapeType = type;
        });
    });
    column->addWidget(makeLabelledRow(tr("Type"), m_type, this));

    m_stroke = new ColorWell(tr("Stroke"));
    connect(m_stroke, &ColorWell::colorPicked, this, [this](const QColor& color) {
        edit([&](ShapeOverlay& o) { o.strokeColor = CodableColor::fromPlatformColor(color); });
    });
    m_strokeRow = makeLabelledRow(tr("Stroke"), m_stroke, this);
    m_strokeRow->setObjectName(QStringLiteral("strokeRow"));
    column->addWidget(m_strokeRow);

    m_widthRow = new QWidget(this);
    m_widthRow->setObjectName(QStringLiteral("widthRow"));
    auto* widthRow = new QHBoxLayout(m_widthRow);
    widthRow->setContentsMargins(0, 0, 0, 0);
    auto* widthName = new QLabel(tr("Width"), m_widthRow);
    m_width = new QSlider(Qt::Horizontal, m_widthRow);
    m_width->setRange(int(1 * widthSteps), int(20 * widthSteps));
    m_width->setSingleStep(int(widthSteps));
    m_width->setPageStep(int(5 * widthSteps));
    m_width->setFocusPolicy(Qt::StrongFocus);
    m_width->setObjectName(QStringLiteral("width"));
    m_width->setAccessibleName(tr("Stroke width"));
    widthName->setBuddy(m_width);
    m_widthLabel = makeCaption(QString(), m_widthRow);
    m_widthLabel->setObjectName(QStringLiteral("widthValue"));
    m_widthLabel->setFixedWidth(35);
    m_widthLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(m_width, &QSlider::valueChanged, this, [this](int steps) {
        const double width = steps / widthSteps;
        m_widthLabel->setText(SliderRow::formatValue(width, QStringLiteral("px")));
        edit([&](ShapeOverlay& o) { o.strokeWidth = width; });
    });
    widthRow->addWidget(widthName);
    widthRow->addWidget(m_width, 1);
    widthRow->addWidget(m_widthLabel);
    column->addWidget(m_widthRow);

    m_fill = new QCheckBox(tr("Fill"), this);
    m_fill->setObjectName(QStringLiteral("fill"));
    connect(m_fill, &QCheckBox::toggled, this, [this](bool on) {
        edit([&](ShapeOverlay& o) {
            if (on)
                o.fillColor = defaultFillColor();
            else
                o.fillColor.reset();
        });
    });
    column->addWidget(m_fill);

    m_fillColor = new ColorWell(tr("Fill Color"));
    m_fillColor->setObjectName(QStringLiteral("fillColor"));
    connect(m_fillColor, &ColorWell::colorPicked, this, [this](const QColor& color) {
        edit([&](ShapeOverlay& o) { o.fillColor = CodableColor::fromPlatformColor(color); });
    });
    m_fillColorRow = makeLabelledRow(tr("Fill Color"), m_fillColor, this);
    m_fillColorRow->setObjectName(QStringLiteral("fillColorRow"));
    column->addWidget(m_fillColorRow);

    m_arrow = new SegmentedPicker(tr("Arrow"));
    m_arrow->setObjectName(QStringLiteral("arrow"));
    for (ArrowStyle style : allCases<ArrowStyle>())
        m_arrow->addSegment(displayName(style));
    connect(m_arrow, &SegmentedPicker::activated, this, [this](int index) {
        edit([&](ShapeOverlay& o) { o.arrowStyle = allCases<ArrowStyle>()[index]; });
    });
    m_arrowRow = makeLabelledRow(tr("Arrow"), m_arrow, this);
    m_arrowRow->setObjectName(QStringLiteral("arrowRow"));
    column->addWidget(m_arrowRow);

    m_cellSize = new SliderRow(tr("Cell Size"), 4, 64, QStringLiteral("px"), this);
    m_cellSize->setObjectName(QStringLiteral("cellSize"));
    connect(m_cellSize, &SliderRow::valueEdited, this,
            [this](double size) { edit([&](ShapeOverlay& o) { o.cellSize = size; }); });
    column->addWidget(m_cellSize);

    m_dimming = new SliderRow(tr("Dimming"), 10, 100, QStringLiteral("%"), this);
    m_dimming->setObjectName(QStringLiteral("dimming"));
    connect(m_dimming, &SliderRow::valueEdited, this,
            [this](double percent) { edit([&](ShapeOverlay& o) { o.opacity = percent / 100; }); });
    column->addWidget(m_dimming);

    m_spotlight = new SegmentedPicker(tr("Spotlight"));
    m_spotlight->setObjectName(QStringLiteral("spotlightShape"));
    for (SpotlightShape outline : allCases<SpotlightShape>())
        m_spotlight->addSegment(displayName(outline));
    connect(m_spotlight, &SegmentedPicker::activated, this, [this](int index) {
        edit([&](ShapeOverlay& o) { o.spotlightShape = allCases<SpotlightShape>()[index]; });
    });
    m_spotlightRow = makeLabelledRow(tr("Outline"), m_spotlight, this);
    m_spotlightRow->setObjectName(QStringLiteral("spotlightRow"));
    column->addWidget(m_spotlightRow);

    connect(&m_state, &AppState::selectionChanged, this, &ShapeSettingsPanel::sync);
    connect(&m_state, &AppState::tabsChanged, this, &ShapeSettingsPanel::sync);
    connect(&m_state, &AppState::currentTabIdChanged, this, &ShapeSettingsPanel::sync);
    sync();
}

template <typename Change> void ShapeSettingsPanel::edit(Change&& change)
{
    std::optional<ShapeOverlay> overlay = m_state.selectedShapeOverlay();
    if (!overlay)
        return;
    const ShapeOverlay before = *overlay;
    change(*overlay);
    if (*overlay != before)
        m_state.updateShapeOverlay(*overlay);
}

void ShapeSettingsPanel::sync()
{
    const std::optional<ShapeOverlay> overlay = m_state.selectedShapeOverlay();
    setVisible(overlay.has_value());
    if (!overlay)
        return;
    const QSignalBlocker typeBlocker(m_type);
    const QSignalBlocker widthBlocker(m_width);
    const QSignalBlocker fillBlocker(m_fill);
    m_type->setCurrentIndex(m_type->findData(int(overlay->shapeType)));
    m_stroke->setColor(overlay->strokeColor.toPlatformColor());
    m_width->setValue(int(std::lround(overlay->strokeWidth * widthSteps)));
    m_widthLabel->setText(SliderRow::formatValue(overlay->strokeWidth, QStringLiteral("px")));
    // Pixelate and spotlight draw no outline and no fill; a redact box is its fill.
    const ShapeType type = overlay->shapeType;
    const bool outlined =
        type != ShapeType::pixelate && type != ShapeType::redact && type != ShapeType::spotlight;
    const bool filled = type != ShapeType::pixelate && type != ShapeType::spotlight;
    m_strokeRow->setVisible(outlined);
    m_widthRow->setVisible(outlined);
    m_fill->setVisible(filled);
    m_fill->setChecked(overlay->fillColor.has_value());
    m_fillColorRow->setVisible(filled && overlay->fillColor.has_value());
    if (overlay->fillColor)
        m_fillColor->setColor(overlay->fillColor->toPlatformColor());
    m_arrow->setCurrentIndex(int(overlay->arrowStyle));
    m_arrowRow->setVisible(overlay->shapeType == ShapeType::arrow);
    const bool pixelate = overlay->shapeType == ShapeType::pixelate;
    const bool spotlight = overlay->shapeType == ShapeType::spotlight;
    m_cellSize->setVisible(pixelate);
    m_cellSize->setValue(overlay->cellSize);
    m_dimming->setVisible(spotlight);
    m_dimming->setValue(overlay->opacity * 100);
    m_spotlightRow->setVisible(spotlight);
    m_spotlight->setCurrentIndex(int(overlay->spotlightShape));
}

} // namespace lustrelab
