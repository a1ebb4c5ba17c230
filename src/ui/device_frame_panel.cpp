#include "device_frame_panel.h"

#include "choice_group.h"
#include "flow_layout.h"
#include "model/display_name.h"
#include "model/id_lookup.h"
#include "preset_chip.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QSignalBlocker>

namespace lustrelab {

DeviceCategory categoryOfFrame(QStringView frameId, const QList<DeviceFrame>& catalogue)
{
    const DeviceFrame* frame = recordWithId(catalogue, frameId);
    return frame ? frame->category : DeviceCategory::none;
}

QString frameIdForCategory(DeviceCategory category, const QList<DeviceFrame>& catalogue)
{
    if (category != DeviceCategory::none)
        for (const DeviceFrame& frame : catalogue)
            if (frame.category == category)
                return frame.id;
    return QStringLiteral("none");
}

DeviceFramePanel::DeviceFramePanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* holder = new QWidget(this);
    holder->setAccessibleName(tr("Device category"));
    auto* flow = new FlowLayout(holder, 6);
    for (DeviceCategory category : allCases<DeviceCategory>()) {
        auto* chip = new PresetChip(displayName(category), false, holder);
        connect(chip, &PresetChip::clicked, this, [this, category] {
            const QString id = frameIdForCategory(category, deviceFrames());
            editStyling(m_state, [&](BeautySettings& s) { s.deviceFrameId = id; });
        });
        flow->addWidget(chip);
        m_chips.append(chip);
    }
    // Each choice recomposes: the arrows only move, Space chooses.
    new ChoiceGroup(*holder, ChoiceGroup::Arrows::moveFocus);
    column->addWidget(holder);

    m_framePicker = new QComboBox(this);
    m_framePicker->setObjectName(QStringLiteral("frame"));
    m_framePicker->setAccessibleName(tr("Device frame"));
    m_framePicker->setFocusPolicy(Qt::StrongFocus);
    connect(m_framePicker, &QComboBox::activated, this, [this](int index) {
        const QString id = m_framePicker->itemData(index).toString();
        editStyling(m_state, [&](BeautySettings& s) { s.deviceFrameId = id; });
    });
    column->addWidget(m_framePicker);

    connect(&m_state, &AppState::settingsChanged, this, &DeviceFramePanel::sync);
    sync();
}

void DeviceFramePanel::sync()
{
    const QString& frameId = m_state.settings().deviceFrameId;
    const DeviceCategory current = categoryOfFrame(frameId, deviceFrames());
    const auto categories = allCases<DeviceCategory>();
    for (qsizetype i = 0; i < m_chips.size(); ++i)
        m_chips[i]->setSelected(categories[i] == current);

    const QSignalBlocker blocker(m_framePicker);
    if (current != m_listedCategory) {
        m_framePicker->clear();
        if (current != DeviceCategory::none)
            for (const DeviceFrame& frame : framesInCategory(current))
                m_framePicker->addItem(frame.name, frame.id);
        m_listedCategory = current;
    }
    m_framePicker->setCurrentIndex(m_framePicker->findData(frameId));
    m_framePicker->setVisible(current != DeviceCategory::none);
}

} // namespace lustrelab
