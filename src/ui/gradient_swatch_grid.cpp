#include "gradient_swatch_grid.h"

#include <QAbstractButton>
#include <QPainter>
#include <QPainterPath>

namespace lustrelab {

namespace {

class GradientSwatch : public QAbstractButton
{
  public:
    GradientSwatch(const GradientPreset& preset, QWidget* parent)
        : QAbstractButton(parent), m_id(preset.id), m_gradient(preset.swatchGradient())
    {
        setCheckable(true);
        setFocusPolicy(Qt::StrongFocus);
        setToolTip(preset.name);
        setAccessibleName(preset.name);
    }
    QString id() const { return m_id; }

  protected:
    void nextCheckState() override {}
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
        QPainterPath shape;
        shape.addRoundedRect(box, 4, 4);
        painter.fillPath(shape, m_gradient);
        if (isChecked() || hasFocus()) {
            QColor ring = palette().color(QPalette::Highlight);
            if (!isChecked())
                ring.setAlphaF(0.6f);
            painter.setPen(QPen(ring, isChecked() ? 2 : 1.5, isChecked() ? Qt::SolidLine : Qt::DashLine));
            painter.drawPath(shape);
        }
    }

  private:
    QString m_id;
    QLinearGradient m_gradient;
};

} // namespace

GradientSwatchGrid::GradientSwatchGrid(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(tr("Gradients"));
}

void GradientSwatchGrid::setPresets(const QList<GradientPreset>& presets)
{
    qDeleteAll(m_swatches);
    m_swatches.clear();
    for (const GradientPreset& preset : presets) {
        auto* swatch = new GradientSwatch(preset, this);
        connect(swatch, &QAbstractButton::clicked, this, [this, id = preset.id] { emit presetChosen(id); });
        swatch->show();
        m_swatches.append(swatch);
    }
    placeSwatches();
    updateGeometry();
}

void GradientSwatchGrid::setSelectedId(const QString& id)
{
    for (QAbstractButton* swatch : m_swatches)
        swatch->setChecked(static_cast<GradientSwatch*>(swatch)->id() == id);
}

int GradientSwatchGrid::columnsFor(int width) const
{
    return std::max(1, (width + columnSpacing) / (minimumColumnWidth + columnSpacing));
}

int GradientSwatchGrid::heightForWidth(int width) const
{
    if (m_swatches.isEmpty())
        return 0;
    const int columns = columnsFor(width);
    const int rows = int((m_swatches.size() + columns - 1) / columns);
    return rows * swatchHeight + (rows - 1) * rowSpacing;
}

QSize GradientSwatchGrid::sizeHint() const
{
    const int width = 5 * minimumColumnWidth + 4 * columnSpacing;
    return {width, heightForWidth(width)};
}

QSize GradientSwatchGrid::minimumSizeHint() const
{
    return {minimumColumnWidth, 0};
}

void GradientSwatchGrid::resizeEvent(QResizeEvent*)
{
    placeSwatches();
}

void GradientSwatchGrid::placeSwatches()
{
    const int columns = columnsFor(width());
    const double columnWidth = (width() - (columns - 1) * columnSpacing) / double(columns);
    for (qsizetype i = 0; i < m_swatches.size(); ++i) {
        const int row = int(i / columns);
        const int column = int(i % columns);
        const int left = int(std::lround(column * (columnWidth + columnSpacing)));
        const int right = int(std::lround(column * (columnWidth + columnSpacing) + columnWidth));
        m_swatches[i]->setGeometry(left, row * (swatchHeight + rowSpacing), right - left, swatchHeight);
    }
}

} // namespace lustrelab
