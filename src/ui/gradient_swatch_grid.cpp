#include "gradient_swatch_grid.h"

#include "choice_group.h"
#include "model/display_name.h"
#include "render/surface_coordinates.h"

#include <QAbstractButton>
#include <QAction>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace lustrelab {

namespace {

// The custom gradient as the canvas shows it, in the swatch's unit square (y down).
QGradient swatchOf(const CustomGradient& custom)
{
    QGradient gradient;
    const QPointF center = unitToSurface({custom.centerX, custom.centerY}, QSizeF(1, 1));
    switch (custom.kind) {
    case GradientKind::linear: {
        const double theta = custom.angle * std::numbers::pi / 180.0;
        const double dx = 0.5 * std::cos(theta), dy = 0.5 * std::sin(theta);
        gradient = QLinearGradient(flipPoint(0.5 - dx, 0.5 - dy, 1), flipPoint(0.5 + dx, 0.5 + dy, 1));
        break;
    }
    case GradientKind::radial:
        gradient = QRadialGradient(
            center, std::hypot(std::max(center.x(), 1 - center.x()), std::max(center.y(), 1 - center.y())));
        break;
    case GradientKind::conic:
        gradient = QConicalGradient(center, custom.angle);
        break;
    }
    gradient.setCoordinateMode(QGradient::ObjectMode);
    for (const GradientStop& stop : custom.stops)
        gradient.setColorAt(std::clamp(stop.position, 0.0, 1.0), stop.color.toPlatformColor());
    return gradient;
}

class GradientSwatch : public QAbstractButton
{
  public:
    GradientSwatch(const QString& id, const QString& name, QGradient gradient, QWidget* parent)
        : QAbstractButton(parent), m_id(id), m_gradient(std::move(gradient))
    {
        setCheckable(true);
        setFocusPolicy(Qt::StrongFocus);
        setToolTip(name);
        setAccessibleName(name);
    }
    QString id() const { return m_id; }
    int userIndex = -1; // the user's own gradient at this index, or a preset

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
    QGradient m_gradient;
};

} // namespace

GradientSwatchGrid::GradientSwatchGrid(QWidget* parent) : QWidget(parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(tr("Gradients"));
    // Each choice recomposes: the arrows only move, Space chooses.
    new ChoiceGroup(*this, ChoiceGroup::Arrows::moveFocus);
}

void GradientSwatchGrid::setPresets(const QList<GradientPreset>& presets, const QList<UserGradient>& own)
{
    // The list changes from inside a swatch's own context menu (Delete
    // Preset): that menu and its action belong to the swatch and are still
    // running, so the old swatches are deleted once control is back in the
    // event loop. They leave the grid at once, which then holds only the new.
    for (QAbstractButton* swatch : std::as_const(m_swatches)) {
        swatch->hide();
        swatch->setParent(nullptr);
        swatch->deleteLater();
    }
    m_swatches.clear();
    for (const GradientPreset& preset : presets) {
        auto* swatch = new GradientSwatch(preset.id, preset.name, preset.swatchGradient(), this);
        connect(swatch, &QAbstractButton::clicked, this, [this, id = preset.id] { emit presetChosen(id); });
        swatch->show();
        m_swatches.append(swatch);
    }
    for (int i = 0; i < own.size(); ++i) {
        auto* swatch = new GradientSwatch({}, own[i].name, swatchOf(own[i].gradient), this);
        swatch->userIndex = i;
        connect(swatch, &QAbstractButton::clicked, this, [this, i] { emit userGradientChosen(i); });
        swatch->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto* remove = new QAction(tr("Delete Preset"), swatch);
        connect(remove, &QAction::triggered, this, [this, i] { emit userGradientRemoveRequested(i); });
        swatch->addAction(remove);
        swatch->show();
        m_swatches.append(swatch);
    }
    nameSwatchesApart(presets.size());
    placeSwatches();
    updateGeometry();
}

void GradientSwatchGrid::nameSwatchesApart(qsizetype presetCount)
{
    // A name shown twice ("Cotton Candy" is a multicolour and a pink preset,
    // and the user may name a gradient like a preset) is spoken with what
    // tells the swatches apart: the preset's category, or that it is the user's own.
    const QList<GradientPreset>& catalogue = gradientPresets();
    const auto category = [&](const QString& id) {
        const auto found = std::find_if(catalogue.begin(), catalogue.end(),
                                        [&](const GradientPreset& preset) { return preset.id == id; });
        return found == catalogue.end() ? QString() : displayName(found->category);
    };
    for (qsizetype i = 0; i < m_swatches.size(); ++i) {
        auto* swatch = static_cast<GradientSwatch*>(m_swatches[i]);
        const QString name = swatch->toolTip();
        const bool shared =
            std::count_if(m_swatches.begin(), m_swatches.end(),
                          [&](const QAbstractButton* other) { return other->toolTip() == name; }) > 1;
        if (!shared)
            continue;
        swatch->setAccessibleName(i >= presetCount ? tr("%1, custom").arg(name)
                                                   : tr("%1, %2").arg(name, category(swatch->id())));
    }
}

void GradientSwatchGrid::setSelectedId(const QString& id)
{
    for (QAbstractButton* button : m_swatches) {
        auto* swatch = static_cast<GradientSwatch*>(button);
        swatch->setChecked(swatch->userIndex < 0 && swatch->id() == id);
    }
}

void GradientSwatchGrid::setSelectedUserIndex(int index)
{
    for (QAbstractButton* button : m_swatches) {
        auto* swatch = static_cast<GradientSwatch*>(button);
        swatch->setChecked(index >= 0 && swatch->userIndex == index);
    }
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
