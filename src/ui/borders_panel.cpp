#include "borders_panel.h"

#include "color_well.h"
#include "sidebar_style.h"
#include "slider_row.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>

namespace lustrelab {

BordersPanel::BordersPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_cornerRadius = new SliderRow(tr("Corner Radius"), 0, 48, QStringLiteral("px"), this);
    m_cornerRadius->setObjectName(QStringLiteral("cornerRadius"));
    connect(m_cornerRadius, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.cornerRadius = v; }); });
    column->addWidget(m_cornerRadius);

    m_borderWidth = new SliderRow(tr("Border Width"), 0, 20, QStringLiteral("px"), this);
    m_borderWidth->setObjectName(QStringLiteral("borderWidth"));
    connect(m_borderWidth, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.borderWidth = v; }); });
    column->addWidget(m_borderWidth);
    for (SliderRow* row : {m_cornerRadius, m_borderWidth})
        composeLiveWhileDragged(row, m_state);

    m_borderColor = makeStylingColorWell(tr("Border Color"), m_state, &BeautySettings::borderColor, this);
    m_borderColorRow = makeLabelledRow(tr("Border Color"), m_borderColor, this);
    m_borderColorRow->setObjectName(QStringLiteral("borderColorRow"));
    column->addWidget(m_borderColorRow);

    connect(&m_state, &AppState::settingsChanged, this, &BordersPanel::sync);
    sync();
}

void BordersPanel::sync()
{
    const BeautySettings& settings = m_state.settings();
    m_cornerRadius->setValue(settings.cornerRadius);
    m_borderWidth->setValue(settings.borderWidth);
    m_borderColor->setColor(settings.borderColor.toPlatformColor());
    m_borderColorRow->setVisible(settings.borderWidth > 0);
}

} // namespace lustrelab
