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

RightSidebar::RightSidebar(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setAccessibleName(tr("Styling"));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* tabPicker = new SegmentedPicker(tr("Sidebar tab"), this);
    tabPicker->setObjectName(QStringLiteral("tabPicker"));
    tabPicker->addSegment(tr("Settings"), QStringLiteral("slider.horizontal.3"));
    tabPicker->addSegment(tr("Share"), QStringLiteral("square.and.arrow.up"));
    auto* pickerBox = new QWidget(this);
    auto* pickerLayout = new QVBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(8, 8, 8, 8);
    pickerLayout->addWidget(tabPicker);
    column->addWidget(pickerBox);
    column->addWidget(makeDivider(this));

    m_settingsContent = new QWidget;
    auto* sectionsColumn = new QVBoxLayout(m_settingsContent);
    sectionsColumn->setContentsMargins(0, 0, 0, 0);
    sectionsColumn->setSpacing(0);
    addSection("sizeSection", tr("Size"), QStringLiteral("aspectratio"), new SizePanel(m_state),
               &AppState::canvasCollapsed, &AppState::setCanvasCollapsed, &AppState::canvasCollapsedChanged);
    addSection("deviceSection", tr("Device Frame"), QStringLiteral("iphone"), new DeviceFramePanel(m_state),
               &AppState::deviceCollapsed, &AppState::setDeviceCollapsed, &AppState::deviceCollapsedChanged);
    addSection("backgroundSection", tr("Background"), QStringLiteral("paintpalette"),
               new BackgroundPanel(m_state), &AppState::backgroundCollapsed,
               &AppState::setBackgroundCollapsed, &AppState::backgroundCollapsedChanged);
    addSection("bordersSection", tr("Borders"), QStringLiteral("rectangle.roundedtop"),
               new BordersPanel(m_state), &AppState::cornersCollapsed, &AppState::setCornersCollapsed,
               &AppState::cornersCollapsedChanged);
    addSection("shadowSection", tr("Shadow"), QStringLiteral("shadow"), new ShadowPanel(m_state),
               &AppState::shadowCollapsed, &AppState::setShadowCollapsed, &AppState::shadowCollapsedChanged);
    addSection("paddingSection", tr("Padding"), QStringLiteral("rectangle.expand.vertical"),
               new PaddingPanel(m_state), &AppState::paddingCollapsed, &AppState::setPaddingCollapsed,
               &AppState::paddingCollapsedChanged);
    sectionsColumn->addStretch(1);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(makeSidebarScrollArea(m_settingsContent, m_pages));
    m_pages->addWidget(makeSidebarScrollArea(new SharePanel(m_state), m_pages));
    column->addWidget(m_pages, 1);

    connect(tabPicker, &SegmentedPicker::activated, m_pages, &QStackedWidget::setCurrentIndex);
}

CollapsibleSection* RightSidebar::addSection(const char* name, const QString& title, const QString& symbol,
                                             QWidget* panel, bool (AppState::*collapsed)() const,
                                             void (AppState::*setCollapsed)(bool),
                                             void (AppState::*collapsedChanged)(bool))
{
    auto* section = new CollapsibleSection(title, symbol);
    section->setObjectName(QString::fromLatin1(name));
    section->bodyLayout()->addWidget(panel);
    section->setCollapsed((m_state.*collapsed)());
    connect(section, &CollapsibleSection::toggleRequested, this,
            [this, setCollapsed](bool fold) { (m_state.*setCollapsed)(fold); });
    connect(&m_state, collapsedChanged, section, [section](bool fold) { section->setCollapsed(fold, true); });
    m_settingsContent->layout()->addWidget(section);
    return section;
}

void RightSidebar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        refreshSymbols(this);
    QWidget::changeEvent(event);
}

} // namespace lustrelab
