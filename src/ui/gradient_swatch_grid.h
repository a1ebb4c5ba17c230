#pragma once

#include "model/gradient_preset.h"
#include "state/user_gradients.h"

#include <QList>
#include <QWidget>

class QAbstractButton;

namespace lustrelab {

// The gradient presets as a grid of swatches, as many columns as fit at 36
// points or more each, stretched to fill the width, followed by the user's
// own gradients (whose context menu removes them). The chosen swatch is
// outlined in the accent colour; a swatch's name is its tooltip.
class GradientSwatchGrid : public QWidget
{
    Q_OBJECT

  public:
    explicit GradientSwatchGrid(QWidget* parent = nullptr);

    void setPresets(const QList<GradientPreset>& presets, const QList<UserGradient>& own = {});
    void setSelectedId(const QString& id);
    // -1 selects none of the user's gradients.
    void setSelectedUserIndex(int index);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr int minimumColumnWidth = 36;
    static constexpr int swatchHeight = 36;
    static constexpr int columnSpacing = 8;
    static constexpr int rowSpacing = 6;

  signals:
    void presetChosen(const QString& id);
    void userGradientChosen(int index);
    void userGradientRemoveRequested(int index);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    int columnsFor(int width) const;
    // The first `presetCount` swatches are presets, the rest the user's own.
    void nameSwatchesApart(qsizetype presetCount);
    void placeSwatches();

    QList<QAbstractButton*> m_swatches;
};

} // namespace lustrelab
