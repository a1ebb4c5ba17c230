#include "text_settings_panel.h"

#include "color_well.h"
#include "font_menu.h"
#include "model/display_name.h"
#include "render/font_resolution.h"
#include "sidebar_style.h"
#include "state/app_state.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

namespace lustrelab {

namespace {

// Selects the item holding `value`; a value the list does not offer (an
// annotation from a file, say) is added for the moment so that it shows as it is.
void showValue(QComboBox* picker, const QVariant& value, const QString& text)
{
    int index = picker->findData(value);
    if (index < 0) {
        picker->addItem(text, value);
        index = picker->count() - 1;
    }
    picker->setCurrentIndex(index);
}

} // namespace

TextSettingsPanel::TextSettingsPanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);

    QToolButton* remove = addSettingsHeader(column, tr("Text Settings"), tr("Delete Text"), this);
    connect(remove, &QToolButton::clicked, &m_state, &AppState::deleteSelectedTextOverlay);

    m_font = new QComboBox(this);
    m_font->setObjectName(QStringLiteral("font"));
    m_font->setAccessibleName(tr("Font"));
    fillFontMenu(*m_font);
    // As wide as the pane allows, not as the longest font name: the pane
    // grows to hold its controls, and a long name would push it past its
    // maximum.
    m_font->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_font->setMinimumContentsLength(10);
    connect(m_font, &QComboBox::activated, this, [this](int index) {
        const QString name = m_font->itemData(index).toString();
        edit([&](TextOverlay& o) { o.fontName = name; });
    });
    column->addWidget(m_font);

    auto* sizeRow = new QHBoxLayout;
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setAccessibleName(tr("Font size"));
    m_size->setFixedWidth(60);
    for (double size : fontSizes())
        m_size->addItem(QString::number(qRound(size)), size);
    connect(m_size, &QComboBox::activated, this, [this](int index) {
        const double size = m_size->itemData(index).toDouble();
        edit([&](TextOverlay& o) { o.fontSize = size; });
    });
    m_weight = new QComboBox(this);
    m_weight->setObjectName(QStringLiteral("weight"));
    m_weight->setAccessibleName(tr("Font weight"));
    for (FontWeight weight : allCases<FontWeight>())
        m_weight->addItem(displayName(weight), int(weight));
    connect(m_weight, &QComboBox::activated, this, [this](int index) {
        const auto weight = FontWeight(m_weight->itemData(index).toInt());
        edit([&](TextOverlay& o) { o.fontWeight = weight; });
    });
    sizeRow->addWidget(m_size);
    sizeRow->addWidget(m_weight, 1);
    column->addLayout(sizeRow);

    m_color = new ColorWell(tr("Color"));
    connect(m_color, &ColorWell::colorPicked, this, [this](const QColor& color) {
        edit([&](TextOverlay& o) { o.textColor = CodableColor::fromPlatformColor(color); });
    });
    column->addWidget(makeLabelledRow(tr("Color"), m_color, this));

    m_redacted = new QCheckBox(tr("Redacted"), this);
    m_redacted->setObjectName(QStringLiteral("redacted"));
    connect(m_redacted, &QCheckBox::toggled, this,
            [this](bool on) { edit([&](TextOverlay& o) { o.isRedacted = on; }); });
    column->addWidget(m_redacted);

    connect(&m_state, &AppState::selectionChanged, this, &TextSettingsPanel::sync);
    connect(&m_state, &AppState::tabsChanged, this, &TextSettingsPanel::sync);
    connect(&m_state, &AppState::currentTabIdChanged, this, &TextSettingsPanel::sync);
    sync();
}

template <typename Change> void TextSettingsPanel::edit(Change&& change)
{
    std::optional<TextOverlay> overlay = m_state.selectedTextOverlay();
    if (!overlay)
        return;
    change(*overlay);
    m_state.updateTextOverlay(*overlay);
}

void TextSettingsPanel::sync()
{
    const std::optional<TextOverlay> overlay = m_state.selectedTextOverlay();
    setVisible(overlay.has_value());
    if (!overlay)
        return;
    const QSignalBlocker fontBlocker(m_font);
    const QSignalBlocker sizeBlocker(m_size);
    const QSignalBlocker weightBlocker(m_weight);
    const QSignalBlocker redactedBlocker(m_redacted);
    showValue(m_font, overlay->fontName,
              fontMenuLabel(overlay->fontName, resolveFontName(overlay->fontName)));
    showValue(m_size, overlay->fontSize, QString::number(qRound(overlay->fontSize)));
    showValue(m_weight, int(overlay->fontWeight), displayName(overlay->fontWeight));
    m_color->setColor(overlay->textColor.toPlatformColor());
    m_redacted->setChecked(overlay->isRedacted);
}

} // namespace lustrelab
