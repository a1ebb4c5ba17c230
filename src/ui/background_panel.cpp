#include "background_panel.h"

#include "color_well.h"
#include "flow_layout.h"
#include "gradient_swatch_grid.h"
#include "model/display_name.h"
#include "preset_chip.h"
#include "segmented_picker.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>

namespace lustrelab {

BackgroundPanel::BackgroundPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_typePicker = new SegmentedPicker(tr("Background type"), this);
    m_typePicker->setObjectName(QStringLiteral("type"));
    for (const QString& label : {tr("Gradient"), tr("Solid Color"), tr("Transparent")})
        m_typePicker->addSegment(label);
    connect(m_typePicker, &SegmentedPicker::activated, this, [this](int index) {
        editStyling(m_state,
                    [&](BeautySettings& s) { s.backgroundType = allCases<BackgroundType>()[index]; });
    });
    column->addWidget(m_typePicker);

    m_gradientBlock = new QWidget(this);
    m_gradientBlock->setObjectName(QStringLiteral("gradientControls"));
    auto* gradientColumn = new QVBoxLayout(m_gradientBlock);
    gradientColumn->setContentsMargins(0, 0, 0, 0);
    gradientColumn->setSpacing(10);
    auto* chipHolder = new QWidget(m_gradientBlock);
    chipHolder->setAccessibleName(tr("Gradient category"));
    auto* chipFlow = new FlowLayout(chipHolder, 4);
    for (GradientCategory category : allCases<GradientCategory>()) {
        auto* chip = new PresetChip(displayName(category), true, chipHolder);
        connect(chip, &PresetChip::clicked, this, [this, category] { showCategory(category); });
        chipFlow->addWidget(chip);
        m_categoryChips.append(chip);
    }
    gradientColumn->addWidget(chipHolder);
    m_swatches = new GradientSwatchGrid(m_gradientBlock);
    connect(m_swatches, &GradientSwatchGrid::presetChosen, this, [this](const QString& id) {
        editStyling(m_state, [&](BeautySettings& s) { s.gradientPresetId = id; });
    });
    gradientColumn->addWidget(m_swatches);
    column->addWidget(m_gradientBlock);

    m_solidColor = makeStylingColorWell(tr("Color"), m_state, &BeautySettings::solidColor, this);
    m_solidBlock = makeLabelledRow(tr("Color"), m_solidColor, this);
    m_solidBlock->setObjectName(QStringLiteral("solidControls"));
    column->addWidget(m_solidBlock);

    connect(&m_state, &AppState::settingsChanged, this, &BackgroundPanel::sync);
    showCategory(GradientCategory::all);
    sync();
}

void BackgroundPanel::showCategory(GradientCategory category)
{
    m_category = category;
    const auto categories = allCases<GradientCategory>();
    for (qsizetype i = 0; i < m_categoryChips.size(); ++i)
        m_categoryChips[i]->setSelected(categories[i] == category);
    m_swatches->setPresets(presetsInCategory(category));
    m_swatches->setSelectedId(m_state.settings().gradientPresetId);
}

void BackgroundPanel::sync()
{
    const BeautySettings& settings = m_state.settings();
    const auto types = allCases<BackgroundType>();
    m_typePicker->setCurrentIndex(
        int(std::find(types.begin(), types.end(), settings.backgroundType) - types.begin()));
    m_gradientBlock->setVisible(settings.backgroundType == BackgroundType::gradient);
    m_solidBlock->setVisible(settings.backgroundType == BackgroundType::solid);
    m_swatches->setSelectedId(settings.gradientPresetId);
    m_solidColor->setColor(settings.solidColor.toPlatformColor());
}

} // namespace lustrelab
