#include "custom_gradient_editor.h"

#include "color_well.h"
#include "gradient_stop_bar.h"
#include "gradient_swatch_grid.h"
#include "segmented_picker.h"
#include "sidebar_style.h"
#include "slider_row.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QPushButton>

namespace lustrelab {

namespace {

template <typename Change> void editGradient(AppState& state, Change&& change)
{
    editStyling(state, [&](BeautySettings& s) { change(s.customGradient); });
}

} // namespace

void connectUserGradients(GradientSwatchGrid& grid, AppState& state)
{
    QObject::connect(&grid, &GradientSwatchGrid::userGradientChosen, &grid, [&state](int index) {
        const QList<UserGradient>& own = state.userGradients().gradients();
        if (index < 0 || index >= own.size())
            return;
        editStyling(state, [&](BeautySettings& s) {
            s.backgroundType = BackgroundType::customGradient;
            s.customGradient = own[index].gradient;
        });
    });
    QObject::connect(&grid, &GradientSwatchGrid::userGradientRemoveRequested, &state.userGradients(),
                     &UserGradients::remove);
}

int ownGradientIndex(const AppState& state)
{
    const QList<UserGradient>& own = state.userGradients().gradients();
    const auto match = std::find_if(own.cbegin(), own.cend(), [&](const UserGradient& g) {
        return g.gradient == state.settings().customGradient;
    });
    return match == own.cend() ? -1 : int(match - own.cbegin());
}

CustomGradientEditor::CustomGradientEditor(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_kind = new SegmentedPicker(tr("Gradient kind"), this);
    m_kind->setObjectName(QStringLiteral("kind"));
    for (const QString& label : {tr("Linear"), tr("Radial"), tr("Conic")})
        m_kind->addSegment(label);
    connect(m_kind, &SegmentedPicker::activated, this, [this](int index) {
        editGradient(m_state, [&](CustomGradient& g) { g.kind = allCases<GradientKind>()[index]; });
    });
    column->addWidget(m_kind);

    m_stops = new GradientStopBar(this);
    m_stops->setObjectName(QStringLiteral("stops"));
    connect(m_stops, &GradientStopBar::stopsEdited, this, [this](const QList<GradientStop>& stops) {
        editGradient(m_state, [&](CustomGradient& g) { g.stops = stops; });
    });
    connect(m_stops, &GradientStopBar::selectionChanged, this, &CustomGradientEditor::showStopColor);
    column->addWidget(m_stops);

    m_stopColor = new ColorWell(tr("Stop Color"), this);
    m_stopColor->setObjectName(QStringLiteral("stopColor"));
    connect(m_stopColor, &ColorWell::colorPicked, this, [this](const QColor& color) {
        const int index = m_stops->selectedIndex();
        editGradient(m_state, [&](CustomGradient& g) {
            if (index >= 0 && index < g.stops.size())
                g.stops[index].color = CodableColor::fromPlatformColor(color);
        });
    });
    column->addWidget(makeLabelledRow(tr("Stop Color"), m_stopColor, this));

    const auto addSlider = [&](const char* name, const QString& label, double low, double high,
                               const QString& unit, auto write) {
        auto* row = new SliderRow(label, low, high, unit, this);
        row->setObjectName(QString::fromLatin1(name));
        connect(row, &SliderRow::valueEdited, this,
                [this, write](double v) { editGradient(m_state, [&](CustomGradient& g) { write(g, v); }); });
        composeLiveWhileDragged(row, m_state);
        column->addWidget(row);
        return row;
    };
    m_angle = addSlider("angle", tr("Angle"), 0, 360, QStringLiteral("°"),
                        [](CustomGradient& g, double v) { g.angle = v; });
    // The centre is shown in per cent of the canvas, from the left and the bottom.
    m_centerX = addSlider("centerX", tr("Center X"), 0, 100, QStringLiteral("%"),
                          [](CustomGradient& g, double v) { g.centerX = v / 100; });
    m_centerY = addSlider("centerY", tr("Center Y"), 0, 100, QStringLiteral("%"),
                          [](CustomGradient& g, double v) { g.centerY = v / 100; });

    m_save = new QPushButton(tr("Save as Preset"), this);
    m_save->setObjectName(QStringLiteral("savePreset"));
    connect(m_save, &QPushButton::clicked, this,
            [this] { m_state.userGradients().add(m_state.settings().customGradient); });
    column->addWidget(m_save);
    m_saved = new GradientSwatchGrid(this);
    m_saved->setObjectName(QStringLiteral("savedGradients"));
    m_saved->setAccessibleName(tr("Saved gradients"));
    connectUserGradients(*m_saved, m_state);
    const auto showSaved = [this] {
        m_saved->setPresets({}, m_state.userGradients().gradients());
        m_saved->setSelectedUserIndex(ownGradientIndex(m_state));
    };
    connect(&m_state.userGradients(), &UserGradients::gradientsChanged, this, showSaved);
    showSaved();
    column->addWidget(m_saved);

    connect(&m_state, &AppState::settingsChanged, this, &CustomGradientEditor::sync);
    sync();
    m_stops->setSelectedIndex(0); // the well always has a stop to colour

}

void CustomGradientEditor::showStopColor()
{
    const QList<GradientStop>& stops = m_stops->stops();
    const int selected = m_stops->selectedIndex();
    m_stopColor->setEnabled(selected >= 0);
    if (selected >= 0 && selected < stops.size())
        m_stopColor->setColor(stops[selected].color.toPlatformColor());
}

void CustomGradientEditor::sync()
{
    const CustomGradient& gradient = m_state.settings().customGradient;
    const auto kinds = allCases<GradientKind>();
    m_kind->setCurrentIndex(int(std::find(kinds.begin(), kinds.end(), gradient.kind) - kinds.begin()));
    m_stops->setStops(gradient.stops);
    showStopColor();
    m_angle->setValue(gradient.angle);
    m_centerX->setValue(gradient.centerX * 100);
    m_centerY->setValue(gradient.centerY * 100);
    m_angle->setVisible(gradient.kind != GradientKind::radial);
    m_centerX->setVisible(gradient.kind != GradientKind::linear);
    m_centerY->setVisible(gradient.kind != GradientKind::linear);
    m_saved->setSelectedUserIndex(ownGradientIndex(m_state));
}

} // namespace lustrelab
