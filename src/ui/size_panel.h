#pragma once

#include <QList>
#include <QWidget>

namespace lustrelab {

class AppState;
class PresetChip;

// The canvas proportions: one chip per ratio preset and per social preset.
class SizePanel : public QWidget
{
    Q_OBJECT

  public:
    explicit SizePanel(AppState& state, QWidget* parent = nullptr);

  private:
    void sync();

    AppState& m_state;
    QList<PresetChip*> m_chips;
    QStringList m_ids;
};

} // namespace lustrelab
