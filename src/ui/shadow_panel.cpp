#include "shadow_panel.h"

#include "color_well.h"
#include "sidebar_style.h"
#include "slider_row.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QSignalBlocker>
#include <cmath>

namespace lustrelab {

double ShadowPanel::opacityPercent(float opacity)
{
    return std::round(double(opacity) * 100.0 * 1e4) / 1e4;
}

ShadowPanel::ShadowPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_enabled = new QCheckBox(tr("Enabled"), this);
    m_enabled->setObjectName(QStringLiteral("enabled"));
    m_enabled->setAccessibleName(tr("Shadow enabled"));
    connect(m_enabled, &QCheckBox::toggled, this,
            [this](bool on) { editStyling(m_state, [&](BeautySettings& s) { s.shadowEnabled = on; }); });
    column->addWidget(m_enabled);

    const QString px = QStringLiteral("px");
    m_blur = new SliderRow(tr("Blur"), 0, 100, px, this);
    m_blur->setObjectName(QStringLiteral("blur"));
    connect(m_blur, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.shadowBlur = v; }); });
    m_offsetX = new SliderRow(tr("Offset X"), -50, 50, px, this);
    m_offsetX->setObjectName(QStringLiteral("offsetX"));
    connect(m_offsetX, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.shadowOffsetX = v; }); });
    m_offsetY = new SliderRow(tr("Offset Y"), -50, 50, px, this);
    m_offsetY->setObjectName(QStringLiteral("offsetY"));
    connect(m_offsetY, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.shadowOffsetY = v; }); });
    m_opacity = new SliderRow(tr("Opacity"), 0, 100, QStringLiteral("%"), this);
    m_opacity->setObjectName(QStringLiteral("opacity"));
    connect(m_opacity, &SliderRow::valueEdited, this, [this](double v) {
        editStyling(m_state, [&](BeautySettings& s) { s.shadowOpacity = float(v / 100.0); });
    });
    for (SliderRow* row : {m_blur, m_offsetX, m_offsetY, m_opacity}) {
        composeLiveWhileDragged(row, m_state);
        column->addWidget(row);
    }

    m_color = makeStylingColorWell(tr("Shadow Color"), m_state, &BeautySettings::shadowColor, this);
    m_colorRow = makeLabelledRow(tr("Color"), m_color, this);
    m_colorRow->setObjectName(QStringLiteral("shadowColorRow"));
    column->addWidget(m_colorRow);

    connect(&m_state, &AppState::settingsChanged, this, &ShadowPanel::sync);
    sync();
}

void ShadowPanel::sync()
{
    const BeautySettings& settings = m_state.settings();
    {
        const QSignalBlocker blocker(m_enabled);
        m_enabled->setChecked(settings.shadowEnabled);
    }
    m_blur->setValue(settings.shadowBlur);
    m_offsetX->setValue(settings.shadowOffsetX);
    m_offsetY->setValue(settings.shadowOffsetY);
    m_opacity->setValue(opacityPercent(settings.shadowOpacity));
    m_color->setColor(settings.shadowColor.toPlatformColor());
    for (QWidget* row : std::initializer_list<QWidget*>{m_blur, m_offsetX, m_offsetY, m_opacity, m_colorRow})
        row->setVisible(settings.shadowEnabled);
}

} // namespace lustrelab
