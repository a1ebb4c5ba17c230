#include "share_panel.h"

#include "export_pickers.h"
#include "prominent_button.h"
#include "segmented_picker.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "symbol_icon.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace lustrelab {

namespace {

QString wholeNumber(double value)
{
    return QString::number(static_cast<long long>(std::isfinite(value) ? std::trunc(value) : 0.0));
}

QWidget* block(QWidget* parent, int spacing, QVBoxLayout*& column)
{
    auto* widget = new QWidget(parent);
    column = new QVBoxLayout(widget);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(spacing);
    return widget;
}

QWidget* captionRow(const QString& name, QLabel* value, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeCaption(name, row));
    layout->addStretch(1);
    value->setParent(row);
    value->setFont(captionFont(value->font()));
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(value);
    return row;
}

} // namespace

QString sizeText(double width, double height)
{
    return wholeNumber(width) + QStringLiteral(" \u00d7 ") + wholeNumber(height);
}

SharePanel::SharePanel(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    QVBoxLayout* output = nullptr;
    column->addWidget(block(this, 10, output));
    SegmentedPicker* scale = makeExportScalePicker(m_state);
    scale->setFixedWidth(120);
    output->addWidget(makeLabelledRow(tr("Scale"), scale, this));
    SegmentedPicker* format = makeExportFormatPicker(m_state);
    format->setFixedWidth(120);
    output->addWidget(makeLabelledRow(tr("Format"), format, this));
    column->addWidget(makeDivider(this));

    QVBoxLayout* actions = nullptr;
    column->addWidget(block(this, 8, actions));
    m_copy = new ProminentButton(QStringLiteral("doc.on.doc"), tr("Copy"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    connect(m_copy, &QPushButton::clicked, &m_state, &AppState::copyToClipboard);
    actions->addWidget(m_copy);
    m_download = new QPushButton(tr("Download"), this);
    m_download->setObjectName(QStringLiteral("download"));
    setSymbol(m_download, QStringLiteral("arrow.down.circle"));
    m_download->setAccessibleName(tr("Download"));
    connect(m_download, &QPushButton::clicked, this, [this] { m_state.setShowExportDialog(true); });
    actions->addWidget(m_download);
    m_pin = new QPushButton(tr("Pin to Screen"), this);
    m_pin->setObjectName(QStringLiteral("pinToScreen"));
    m_pin->setToolTip(tr("Show the result in a window above the others (Ctrl+Shift+P)"));
    connect(m_pin, &QPushButton::clicked, &m_state, &AppState::pinToScreen);
    actions->addWidget(m_pin);
    column->addWidget(makeDivider(this));

    QVBoxLayout* info = nullptr;
    m_info = block(this, 6, info);
    m_info->setObjectName(QStringLiteral("info"));
    auto* heading = new QLabel(tr("Image Info"), m_info);
    heading->setFont(subheadlineFont(heading->font()));
    heading->setForegroundRole(QPalette::PlaceholderText);
    info->addWidget(heading);
    m_imageSize = new QLabel;
    m_exportSize = new QLabel;
    info->addWidget(captionRow(tr("Size:"), m_imageSize, m_info));
    info->addWidget(captionRow(tr("Export Size:"), m_exportSize, m_info));
    column->addWidget(m_info);
    column->addStretch(1);

    connect(&m_state, &AppState::settingsChanged, this, &SharePanel::sync);
    connect(&m_state, &AppState::tabsChanged, this, &SharePanel::sync);
    connect(&m_state, &AppState::currentTabIdChanged, this, &SharePanel::sync);
    sync();
}

QString SharePanel::imageSizeText() const
{
    return m_imageSize->text();
}

QString SharePanel::exportSizeText() const
{
    return m_exportSize->text();
}

void SharePanel::sync()
{
    const BeautySettings& settings = m_state.settings();

    const ScreenshotTab* tab = m_state.currentTab();
    const bool composed = tab && tab->processedImage;
    m_copy->setEnabled(composed);
    m_download->setEnabled(composed);
    m_pin->setEnabled(composed);
    m_info->setVisible(composed);
    if (!composed)
        return;
    const QSizeF points = tab->processedImage->deviceIndependentSize();
    m_imageSize->setText(sizeText(points.width(), points.height()));
    m_exportSize->setText(
        sizeText(points.width() * settings.exportScale, points.height() * settings.exportScale));
}

} // namespace lustrelab
