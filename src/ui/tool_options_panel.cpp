#include "tool_options_panel.h"

#include "choice_group.h"
#include "flow_layout.h"
#include "model/display_name.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "symbol_icon.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

namespace lustrelab {

namespace {

QString shapeSymbol(ShapeType type)
{
    switch (type) {
    case ShapeType::rectangle:
        return QStringLiteral("rectangle");
    case ShapeType::roundedRectangle:
        return QStringLiteral("rectangle.roundedtop");
    case ShapeType::ellipse:
        return QStringLiteral("circle");
    case ShapeType::line:
        return QStringLiteral("line.diagonal");
    case ShapeType::arrow:
        return QStringLiteral("arrow.up.right");
    case ShapeType::highlight:
        return QStringLiteral("highlighter");
    case ShapeType::blur:
        return QStringLiteral("drop.halffull");
    case ShapeType::pixelate:
        return QStringLiteral("square.grid.3x3");
    case ShapeType::redact:
        return QStringLiteral("rectangle.fill");
    case ShapeType::spotlight:
        return QStringLiteral("circle.dashed.inset.filled");
    }
    return {};
}

} // namespace

ToolOptionsPanel::ToolOptionsPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    m_addText = new QPushButton(tr("Add Text"), this);
    m_addText->setObjectName(QStringLiteral("addText"));
    setSymbol(m_addText, QStringLiteral("plus"));
    m_addText->setAccessibleName(tr("Add Text"));
    connect(m_addText, &QPushButton::clicked, &m_state, &AppState::addTextOverlay);
    column->addWidget(m_addText);

    m_shapeOptions = new QWidget(this);
    m_shapeOptions->setObjectName(QStringLiteral("shapeOptions"));
    auto* shapeColumn = new QVBoxLayout(m_shapeOptions);
    shapeColumn->setContentsMargins(0, 0, 0, 0);
    shapeColumn->setSpacing(6);
    shapeColumn->addWidget(makeCaption(tr("Shape Type"), m_shapeOptions));
    auto* typeHolder = new QWidget(m_shapeOptions);
    typeHolder->setAccessibleName(tr("Shape Type"));
    auto* flow = new FlowLayout(typeHolder, 4);
    for (ShapeType type : allCases<ShapeType>()) {
        auto* button = new QToolButton(typeHolder);
        button->setObjectName(rawValue(type) + QStringLiteral("Shape"));
        button->setText(displayName(type));
        button->setAccessibleName(displayName(type));
        setSymbol(button, shapeSymbol(type));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setFont(captionFont(button->font()));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setMinimumWidth(56);
        connect(button, &QToolButton::clicked, this, [this, type] {
            m_state.setCurrentShapeType(type);
            sync(); // a click on the current type must not leave it unchecked
        });
        flow->addWidget(button);
        m_shapeTypes.append(button);
    }
    new ChoiceGroup(*typeHolder, ChoiceGroup::Arrows::choose);
    shapeColumn->addWidget(typeHolder);
    m_addShape = new QPushButton(tr("Add Shape"), m_shapeOptions);
    m_addShape->setObjectName(QStringLiteral("addShape"));
    setSymbol(m_addShape, QStringLiteral("plus"));
    m_addShape->setAccessibleName(tr("Add Shape"));
    connect(m_addShape, &QPushButton::clicked, this, [this] { m_state.addShapeOverlay(); });
    shapeColumn->addWidget(m_addShape);
    column->addWidget(m_shapeOptions);

    m_markerOptions = new QWidget(this);
    m_markerOptions->setObjectName(QStringLiteral("markerOptions"));
    auto* markerRow = new QHBoxLayout(m_markerOptions);
    markerRow->setContentsMargins(0, 0, 0, 0);
    auto* startLabel = new QLabel(tr("Start Number"), m_markerOptions);
    m_startNumber = new QSpinBox(m_markerOptions);
    m_startNumber->setObjectName(QStringLiteral("startNumber"));
    m_startNumber->setRange(0, 999);
    m_startNumber->setAccessibleName(tr("Start number of the step markers"));
    startLabel->setBuddy(m_startNumber);
    connect(m_startNumber, &QSpinBox::valueChanged, &m_state, &AppState::setMarkerStartNumber);
    markerRow->addWidget(startLabel);
    markerRow->addStretch(1);
    markerRow->addWidget(m_startNumber);
    column->addWidget(m_markerOptions);

    m_cropOptions = new QWidget(this);
    m_cropOptions->setObjectName(QStringLiteral("cropOptions"));
    auto* cropColumn = new QVBoxLayout(m_cropOptions);
    cropColumn->setContentsMargins(0, 0, 0, 0);
    QLabel* cropHint =
        makeCaption(tr("Drag over the image, Return to apply, Escape to cancel"), m_cropOptions);
    cropHint->setWordWrap(true);
    cropColumn->addWidget(cropHint);
    m_resetCrop = new QPushButton(tr("Reset Crop"), m_cropOptions);
    m_resetCrop->setObjectName(QStringLiteral("resetCrop"));
    connect(m_resetCrop, &QPushButton::clicked, &m_state, &AppState::resetCrop);
    cropColumn->addWidget(m_resetCrop);
    column->addWidget(m_cropOptions);
    connect(&m_state, &AppState::tabsChanged, this, &ToolOptionsPanel::sync);
    connect(&m_state, &AppState::currentTabIdChanged, this, &ToolOptionsPanel::sync);
    connect(&m_state, &AppState::markerStartNumberChanged, this, &ToolOptionsPanel::sync);

    connect(&m_state, &AppState::currentToolChanged, this, &ToolOptionsPanel::sync);
    connect(&m_state, &AppState::currentShapeTypeChanged, this, &ToolOptionsPanel::sync);
    sync();
}

void ToolOptionsPanel::sync()
{
    const CanvasTool tool = m_state.currentTool();
    m_addText->setVisible(tool == CanvasTool::text);
    m_shapeOptions->setVisible(tool == CanvasTool::shape);
    const auto types = allCases<ShapeType>();
    for (qsizetype i = 0; i < m_shapeTypes.size(); ++i)
        m_shapeTypes[i]->setChecked(types[i] == m_state.currentShapeType());
    m_markerOptions->setVisible(tool == CanvasTool::marker);
    m_cropOptions->setVisible(tool == CanvasTool::crop);
    m_resetCrop->setEnabled(m_state.currentCrop().has_value());
    const QSignalBlocker blocker(m_startNumber);
    m_startNumber->setValue(m_state.markerStartNumber());
    setVisible(tool == CanvasTool::text || tool == CanvasTool::shape || tool == CanvasTool::marker ||
               tool == CanvasTool::crop);
}

} // namespace lustrelab
