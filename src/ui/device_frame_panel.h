#pragma once

#include "model/device_frame.h"

#include <QList>
#include <QWidget>
#include <optional>

class QComboBox;

namespace lustrelab {

class AppState;
class PresetChip;

// The category of the frame a styling names; an id that names no frame of
// the catalogue counts as no frame.
DeviceCategory categoryOfFrame(QStringView frameId, const QList<DeviceFrame>& catalogue);
// The frame a category chip chooses: the first of that category in catalogue
// order, or "none" for no frame and for a category that has none.
QString frameIdForCategory(DeviceCategory category, const QList<DeviceFrame>& catalogue);

// The device mock-up: one chip per category and, for a category with frames,
// a pop-up of its frames.
class DeviceFramePanel : public QWidget
{
    Q_OBJECT

  public:
    explicit DeviceFramePanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();

    AppState& m_state;
    QList<PresetChip*> m_chips;
    QComboBox* m_framePicker;
    std::optional<DeviceCategory> m_listedCategory; // whose frames the pop-up lists
};

} // namespace lustrelab
