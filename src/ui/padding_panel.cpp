#include "padding_panel.h"

#include "slider_row.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QSignalBlocker>

namespace lustrelab {

PaddingPanel::PaddingPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_uniform = new QCheckBox(tr("Uniform"), this);
    m_uniform->setObjectName(QStringLiteral("uniform"));
    m_uniform->setAccessibleName(tr("Uniform padding"));
    connect(m_uniform, &QCheckBox::toggled, this,
            [this](bool on) { editStyling(m_state, [&](BeautySettings& s) { s.paddingUniform = on; }); });
    column->addWidget(m_uniform);

    m_autoBalance = new QCheckBox(tr("Auto-Balance"), this);
    m_autoBalance->setObjectName(QStringLiteral("autoBalance"));
    m_autoBalance->setToolTip(tr("Trim the single-color margins of the screenshot and pad it to its size"));
    // One undo step, unlike the sliders: the toggle changes the screenshot's
    // cut as well as the padding, which is worth taking back in one go.
    connect(m_autoBalance, &QCheckBox::toggled, this, [this](bool on) {
        m_state.beginEdit();
        editStyling(m_state, [&](BeautySettings& s) { s.autoBalance = on; });
        m_state.commit();
    });
    column->addWidget(m_autoBalance);

    const auto addRow = [&](const char* name, const QString& label, double BeautySettings::*field) {
        auto* row = new SliderRow(label, 0, 200, QStringLiteral("px"), this);
        row->setObjectName(QString::fromLatin1(name));
        connect(row, &SliderRow::valueEdited, this,
                [this, field](double v) { editStyling(m_state, [&](BeautySettings& s) { s.*field = v; }); });
        composeLiveWhileDragged(row, m_state);
        column->addWidget(row);
        return row;
    };
    m_size = addRow("size", tr("Size"), &BeautySettings::padding);
    m_top = addRow("top", tr("Top"), &BeautySettings::paddingTop);
    m_bottom = addRow("bottom", tr("Bottom"), &BeautySettings::paddingBottom);
    m_left = addRow("left", tr("Left"), &BeautySettings::paddingLeading);
    m_right = addRow("right", tr("Right"), &BeautySettings::paddingTrailing);

    connect(&m_state, &AppState::settingsChanged, this, &PaddingPanel::sync);
    sync();
}

void PaddingPanel::sync()
{
    const BeautySettings& settings = m_state.settings();
    {
        const QSignalBlocker blocker(m_uniform);
        m_uniform->setChecked(settings.paddingUniform);
    }
    {
        const QSignalBlocker blocker(m_autoBalance);
        m_autoBalance->setChecked(settings.autoBalance);
    }
    // Auto-balance sizes the padding itself; the fields wait until it is off.
    for (QWidget* control :
         std::initializer_list<QWidget*>{m_uniform, m_size, m_top, m_bottom, m_left, m_right})
        control->setEnabled(!settings.autoBalance);
    m_size->setValue(settings.padding);
    m_top->setValue(settings.paddingTop);
    m_bottom->setValue(settings.paddingBottom);
    m_left->setValue(settings.paddingLeading);
    m_right->setValue(settings.paddingTrailing);
    m_size->setVisible(settings.paddingUniform);
    for (SliderRow* side : {m_top, m_bottom, m_left, m_right})
        side->setVisible(!settings.paddingUniform);
}

} // namespace lustrelab
