#include "right_sidebar.h"

#include "background_panel.h"
#include "borders_panel.h"
#include "collapsible_section.h"
#include "device_frame_panel.h"
#include "padding_panel.h"
#include "segmented_picker.h"
#include "shadow_panel.h"
#include "share_panel.h"
#include "sidebar_style.h"
#include "size_panel.h"
#include "state/app_state.h"
#include "symbol_icon.h"

#include <QBoxLayout>
#include <QEvent>
#include <QScrollArea>
#include <QStackedWidget>

namespace lustrelab {

namespace {

QScrollArea* scrolling(QWidget* content, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setBackgroundRole(QPalette::Window);
    content->setBackgroundRole(QPalette::Window);
    return area;
}

} // namespace

RightSidebar::RightSidebar(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Styling"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_tabPicker = new SegmentedPicker(QStringLiteral("Sidebar tab"), this);
    m_tabPicker->addSegment(QStringLiteral("Settings"), QStringLiteral("slider.horizontal.3"));
    m_tabPicker->addSegment(QStringLiteral("Share"), QStringLiteral("square.and.arrow.up"));
    auto* pickerBox = new QWidget(this);
    auto* pickerLayout = new QVBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(8, 8, 8, 8);
    pickerLayout->addWidget(m_tabPicker);
    column->addWidget(pickerBox);
    column->addWidget(makeDivider(this));

    m_settingsContent = new QWidget;
    auto* sectionsColumn = new QVBoxLayout(m_settingsContent);
    sectionsColumn->setContentsMargins(0, 0, 0, 0);
    sectionsColumn->setSpacing(0);
    m_size = new SizePanel(m_state);
    m_device = new DeviceFramePanel(m_state);
    m_background = new BackgroundPanel(m_state);
    m_borders = new BordersPanel(m_state);
    m_shadow = new ShadowPanel(m_state);
    m_padding = new PaddingPanel(m_state);
    addSection(QStringLiteral("Size"), QStringLiteral("aspectratio"), m_size, &AppState::canvasCollapsed,
               &AppState::setCanvasCollapsed, &AppState::canvasCollapsedChanged);
    addSection(QStringLiteral("Device Frame"), QStringLiteral("iphone"), m_device, &AppState::deviceCollapsed,
               &AppState::setDeviceCollapsed, &AppState::deviceCollapsedChanged);
    addSection(QStringLiteral("Background"), QStringLiteral("paintpalette"), m_background,
               &AppState::backgroundCollapsed, &AppState::setBackgroundCollapsed,
               &AppState::backgroundCollapsedChanged);
    addSection(QStringLiteral("Borders"), QStringLiteral("rectangle.roundedtop"), m_borders,
               &AppState::cornersCollapsed, &AppState::setCornersCollapsed,
               &AppState::cornersCollapsedChanged);
    addSection(QStringLiteral("Shadow"), QStringLiteral("shadow"), m_shadow, &AppState::shadowCollapsed,
               &AppState::setShadowCollapsed, &AppState::shadowCollapsedChanged);
    addSection(QStringLiteral("Padding"), QStringLiteral("rectangle.expand.vertical"), m_padding,
               &AppState::paddingCollapsed, &AppState::setPaddingCollapsed,
               &AppState::paddingCollapsedChanged);
    for (CollapsibleSection* section : m_sections)
        sectionsColumn->addWidget(section);
    sectionsColumn->addStretch(1);

    m_share = new SharePanel(m_state);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(scrolling(m_settingsContent, m_pages));
    m_pages->addWidget(scrolling(m_share, m_pages));
    column->addWidget(m_pages, 1);

    connect(m_tabPicker, &SegmentedPicker::activated, m_pages, &QStackedWidget::setCurrentIndex);
}

CollapsibleSection* RightSidebar::addSection(const QString& title, const QString& symbol, QWidget* panel,
                                             bool (AppState::*collapsed)() const,
                                             void (AppState::*setCollapsed)(bool),
                                             void (AppState::*collapsedChanged)(bool))
{
    auto* section = new CollapsibleSection(title, symbol);
    section->bodyLayout()->addWidget(panel);
    section->setCollapsed((m_state.*collapsed)());
    connect(section, &CollapsibleSection::toggleRequested, this,
            [this, setCollapsed](bool fold) { (m_state.*setCollapsed)(fold); });
    connect(&m_state, collapsedChanged, section, [section](bool fold) { section->setCollapsed(fold, true); });
    m_sections.append(section);
    return section;
}

void RightSidebar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        refreshSymbols(this);
    QWidget::changeEvent(event);
}

bool RightSidebar::isShowingShare() const
{
    return m_pages->currentIndex() == 1;
}

} // namespace lustrelab
