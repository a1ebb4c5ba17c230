#include "background_panel.h"

#include "background_image_controls.h"
#include "choice_group.h"
#include "color_well.h"
#include "custom_gradient_editor.h"
#include "flow_layout.h"
#include "gradient_swatch_grid.h"
#include "model/display_name.h"
#include "preset_chip.h"
#include "segmented_picker.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QLabel>

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
    connect(m_typePicker, &SegmentedPicker::activated, this,
            [this](int index) { chooseType(allCases<BackgroundType>()[index]); });
    column->addWidget(m_typePicker);
    m_morePicker = new SegmentedPicker(tr("More background types"), this);
    m_morePicker->setObjectName(QStringLiteral("moreTypes"));
    for (const QString& label : {tr("Custom"), tr("Image"), tr("Match")})
        m_morePicker->addSegment(label);
    connect(m_morePicker, &SegmentedPicker::activated, this,
            [this](int index) { chooseType(allCases<BackgroundType>()[index + 3]); });
    column->addWidget(m_morePicker);

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
    new ChoiceGroup(*chipHolder, ChoiceGroup::Arrows::choose);
    gradientColumn->addWidget(chipHolder);
    m_swatches = new GradientSwatchGrid(m_gradientBlock);
    connect(m_swatches, &GradientSwatchGrid::presetChosen, this, [this](const QString& id) {
        editStyling(m_state, [&](BeautySettings& s) { s.gradientPresetId = id; });
    });
    connectUserGradients(*m_swatches, m_state);
    connect(&m_state.userGradients(), &UserGradients::gradientsChanged, this,
            [this] { showCategory(m_category); });
    gradientColumn->addWidget(m_swatches);
    column->addWidget(m_gradientBlock);

    m_solidColor = makeStylingColorWell(tr("Color"), m_state, &BeautySettings::solidColor, this);
    m_solidBlock = makeLabelledRow(tr("Color"), m_solidColor, this);
    m_solidBlock->setObjectName(QStringLiteral("solidControls"));
    column->addWidget(m_solidBlock);

    m_customBlock = new CustomGradientEditor(m_state, this);
    m_customBlock->setObjectName(QStringLiteral("customControls"));
    column->addWidget(m_customBlock);
    m_imageBlock = new BackgroundImageControls(m_state, this);
    m_imageBlock->setObjectName(QStringLiteral("imageControls"));
    column->addWidget(m_imageBlock);
    auto* matchNote = new QLabel(tr("Colors taken from the screenshot."), this);
    matchNote->setWordWrap(true);
    matchNote->setForegroundRole(QPalette::PlaceholderText);
    m_matchBlock = matchNote;
    m_matchBlock->setObjectName(QStringLiteral("matchControls"));
    column->addWidget(m_matchBlock);

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
    // The user's own come after the presets of every category but the flat ones.
    const bool withOwn = category == GradientCategory::all || category == GradientCategory::featured;
    m_swatches->setPresets(presetsInCategory(category),
                           withOwn ? m_state.userGradients().gradients() : QList<UserGradient>{});
    sync();
}

void BackgroundPanel::chooseType(BackgroundType type)
{
    editStyling(m_state, [&](BeautySettings& s) { s.backgroundType = type; });
    sync(); // a choice that changed nothing still shows in the right row
}

void BackgroundPanel::sync()
{
    const BeautySettings& settings = m_state.settings();
    const auto types = allCases<BackgroundType>();
    const int type = int(std::find(types.begin(), types.end(), settings.backgroundType) - types.begin());
    m_typePicker->setCurrentIndex(type < 3 ? type : -1);
    m_morePicker->setCurrentIndex(type >= 3 ? type - 3 : -1);
    m_gradientBlock->setVisible(settings.backgroundType == BackgroundType::gradient);
    m_solidBlock->setVisible(settings.backgroundType == BackgroundType::solid);
    m_customBlock->setVisible(settings.backgroundType == BackgroundType::customGradient);
    m_imageBlock->setVisible(settings.backgroundType == BackgroundType::image);
    m_matchBlock->setVisible(settings.backgroundType == BackgroundType::match);
    if (settings.backgroundType == BackgroundType::customGradient) {
        m_swatches->setSelectedId({});
        m_swatches->setSelectedUserIndex(ownGradientIndex(m_state));
    } else {
        m_swatches->setSelectedId(
            settings.backgroundType == BackgroundType::gradient ? settings.gradientPresetId : QString());
    }
    m_solidColor->setColor(settings.solidColor.toPlatformColor());
}

} // namespace lustrelab
