#include "size_panel.h"

#include "choice_group.h"
#include "flow_layout.h"
#include "model/canvas_preset.h"
#include "preset_chip.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QLabel>

namespace lustrelab {

SizePanel::SizePanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    const auto addGroup = [&](const QString& caption, const QList<CanvasPreset>& presets, int topPadding) {
        QLabel* label = makeCaption(caption, this);
        label->setContentsMargins(0, topPadding, 0, 0);
        column->addWidget(label);
        auto* holder = new QWidget(this);
        holder->setAccessibleName(caption);
        auto* flow = new FlowLayout(holder, 6);
        for (const CanvasPreset& preset : presets) {
            auto* chip = new PresetChip(preset.name, false, holder);
            connect(chip, &PresetChip::clicked, this, [this, id = preset.id] {
                editStyling(m_state, [&](BeautySettings& s) { s.canvasPresetId = id; });
            });
            flow->addWidget(chip);
            m_chips.append(chip);
            m_ids.append(preset.id);
        }
        // Each choice recomposes: the arrows only move, Space chooses.
        new ChoiceGroup(*holder, ChoiceGroup::Arrows::moveFocus);
        column->addWidget(holder);
    };
    addGroup(tr("Ratio"), ratioCanvasPresets(), 0);
    addGroup(tr("Social"), socialCanvasPresets(), 4);

    connect(&m_state, &AppState::settingsChanged, this, &SizePanel::sync);
    sync();
}

void SizePanel::sync()
{
    const QString& chosen = m_state.settings().canvasPresetId;
    for (qsizetype i = 0; i < m_chips.size(); ++i)
        m_chips[i]->setSelected(m_ids[i] == chosen);
}

} // namespace lustrelab
