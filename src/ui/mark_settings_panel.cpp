#include "mark_settings_panel.h"

#include "color_well.h"
#include "sidebar_style.h"
#include "slider_row.h"
#include "state/app_state.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace lustrelab {

MarkSettingsPanel::MarkSettingsPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("markSettings"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    QToolButton* remove = addSettingsHeader(column, tr("Marker Settings"), tr("Delete"), this);
    connect(remove, &QToolButton::clicked, &m_state, &AppState::deleteSelectedAnnotation);
    // The header's title is the first label of the panel; it names what is selected.
    m_title = findChild<QLabel*>();

    m_color = new ColorWell(tr("Color"));
    m_color->setObjectName(QStringLiteral("markColor"));
    connect(m_color, &ColorWell::colorPicked, this, [this](const QColor& color) {
        const CodableColor picked = CodableColor::fromPlatformColor(color);
        editMarker([&](StepMarker& m) { m.color = picked; });
        editStroke([&](PenStroke& s) { s.color = picked; });
    });
    column->addWidget(makeLabelledRow(tr("Color"), m_color, this));

    m_size = new SliderRow(tr("Size"), 16, 96, QStringLiteral("px"), this);
    m_size->setObjectName(QStringLiteral("markerSize"));
    connect(m_size, &SliderRow::valueEdited, this,
            [this](double size) { editMarker([&](StepMarker& m) { m.size = size; }); });
    column->addWidget(m_size);

    m_width = new SliderRow(tr("Width"), 1, 48, QStringLiteral("px"), this);
    m_width->setObjectName(QStringLiteral("strokeWidth"));
    connect(m_width, &SliderRow::valueEdited, this,
            [this](double width) { editStroke([&](PenStroke& s) { s.width = width; }); });
    column->addWidget(m_width);

    m_opacity = new SliderRow(tr("Opacity"), 10, 100, QStringLiteral("%"), this);
    m_opacity->setObjectName(QStringLiteral("strokeOpacity"));
    connect(m_opacity, &SliderRow::valueEdited, this,
            [this](double percent) { editStroke([&](PenStroke& s) { s.opacity = percent / 100; }); });
    column->addWidget(m_opacity);

    connect(&m_state, &AppState::selectionChanged, this, &MarkSettingsPanel::sync);
    connect(&m_state, &AppState::tabsChanged, this, &MarkSettingsPanel::sync);
    connect(&m_state, &AppState::currentTabIdChanged, this, &MarkSettingsPanel::sync);
    sync();
}

void MarkSettingsPanel::editMarker(const std::function<void(StepMarker&)>& change)
{
    if (std::optional<StepMarker> marker = m_state.selectedStepMarker()) {
        const StepMarker before = *marker;
        change(*marker);
        if (*marker != before)
            m_state.updateStepMarker(*marker);
    }
}

void MarkSettingsPanel::editStroke(const std::function<void(PenStroke&)>& change)
{
    if (std::optional<PenStroke> stroke = m_state.selectedPenStroke()) {
        const PenStroke before = *stroke;
        change(*stroke);
        if (*stroke != before)
            m_state.updatePenStroke(*stroke);
    }
}

void MarkSettingsPanel::sync()
{
    const std::optional<StepMarker> marker = m_state.selectedStepMarker();
    const std::optional<PenStroke> stroke = marker ? std::nullopt : m_state.selectedPenStroke();
    setVisible(marker || stroke);
    m_size->setVisible(marker.has_value());
    m_width->setVisible(stroke.has_value());
    m_opacity->setVisible(stroke.has_value());
    if (marker) {
        if (m_title)
            m_title->setText(tr("Marker Settings"));
        m_color->setColor(marker->color.toPlatformColor());
        m_size->setValue(marker->size);
    } else if (stroke) {
        if (m_title)
            m_title->setText(stroke->highlighter ? tr("Highlighter Settings") : tr("Pen Settings"));
        m_color->setColor(stroke->color.toPlatformColor());
        m_width->setValue(stroke->width);
        m_opacity->setValue(stroke->opacity * 100);
    }
}

} // namespace lustrelab
