#include "left_sidebar.h"

#include "canvas/tool_keys.h"
#include "choice_group.h"
#include "flow_layout.h"
#include "mark_settings_panel.h"
#include "model/display_name.h"
#include "redaction_panel.h"
#include "shape_settings_panel.h"
#include "sidebar_style.h"
#include "state/app_state.h"
#include "state/text_actions.h"
#include "symbol_icon.h"
#include "template_list.h"
#include "text_settings_panel.h"
#include "tool_options_panel.h"

#include <QBoxLayout>
#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>

namespace lustrelab {

namespace {

QToolButton* makeIconButton(const QString& symbol, const QString& label, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    setSymbol(button, symbol);
    button->setIconSize(QSize(20, 20));
    button->setText(label);
    button->setAccessibleName(label);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setFont(captionFont(button->font()));
    return button;
}

QWidget* group(QWidget* parent, QVBoxLayout*& column, int spacing = 8)
{
    auto* widget = new QWidget(parent);
    column = new QVBoxLayout(widget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    return widget;
}

QString toolSymbol(CanvasTool tool)
{
    switch (tool) {
    case CanvasTool::select:
        return QStringLiteral("cursorarrow");
    case CanvasTool::text:
        return QStringLiteral("textformat");
    case CanvasTool::shape:
        return QStringLiteral("square.on.circle");
    case CanvasTool::remove:
        return QStringLiteral("eraser.fill");
    case CanvasTool::marker:
        return QStringLiteral("number.circle");
    case CanvasTool::pen:
        return QStringLiteral("pencil.tip");
    case CanvasTool::highlighter:
        return QStringLiteral("highlighter");
    case CanvasTool::crop:
        return QStringLiteral("crop");
    }
    return {};
}

} // namespace

LeftSidebar::LeftSidebar(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);
    setAccessibleName(tr("Tools"));

    auto* content = new QWidget;
    content->setBackgroundRole(QPalette::Window);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(16);
    column->addWidget(buildCaptureGroup(content));
    column->addWidget(buildToolGroup(content));
    column->addWidget(new ToolOptionsPanel(m_state, content));
    column->addWidget(new TextSettingsPanel(m_state, content));
    column->addWidget(new ShapeSettingsPanel(m_state, content));
    column->addWidget(new MarkSettingsPanel(m_state, content));
    column->addWidget(buildHistoryRow(content));
    column->addWidget(new RedactionPanel(m_state.textActions(), content));
    column->addWidget(buildTemplatesGroup(content));
    column->addStretch(1);

    QScrollArea* scroll = makeSidebarScrollArea(content, this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(scroll, 1);
    // Paste, Copy and Export stay below the scrolling column: on a short
    // screen they are still in view.
    QWidget* actions = buildImageActions(this);
    actions->layout()->setContentsMargins(12, 8, 12, 12);
    outer->addWidget(actions);

    connect(&m_state, &AppState::currentToolChanged, this, &LeftSidebar::syncTool);
    connect(&m_state, &AppState::tabsChanged, this, &LeftSidebar::syncImageActions);
    connect(&m_state, &AppState::currentTabIdChanged, this, &LeftSidebar::syncImageActions);
    syncTool();
    syncImageActions();
}

QWidget* LeftSidebar::buildCaptureGroup(QWidget* parent)
{
    QVBoxLayout* column = nullptr;
    QWidget* box = group(parent, column);
    column->addWidget(makeHeadline(tr("Capture"), box));
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    struct Capture
    {
        const char* label;
        const char* symbol;
        const char* keys;
        const char* objectName;
        void (AppState::*start)();
    };
    const Capture captures[] = {
        {QT_TR_NOOP("Region"), "rectangle.dashed", "Ctrl+Shift+6", "captureRegionButton",
         &AppState::startRegionCapture},
        {QT_TR_NOOP("Window"), "macwindow", "Ctrl+Shift+7", "captureWindowButton",
         &AppState::startWindowCapture},
        {QT_TR_NOOP("Screen"), "display", "Ctrl+Shift+8", "captureFullScreenButton",
         &AppState::startFullScreenCapture},
    };
    for (const Capture& capture : captures) {
        QToolButton* button = makeIconButton(QString::fromLatin1(capture.symbol), tr(capture.label), box);
        button->setObjectName(QString::fromLatin1(capture.objectName));
        button->setToolTip(QString::fromLatin1(capture.keys));
        button->setAccessibleDescription(tr("Capture, %1").arg(QString::fromLatin1(capture.keys)));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(button, &QToolButton::clicked, &m_state, capture.start);
        row->addWidget(button);
    }
    column->addLayout(row);
    return box;
}

QWidget* LeftSidebar::buildToolGroup(QWidget* parent)
{
    QVBoxLayout* column = nullptr;
    QWidget* box = group(parent, column);
    column->addWidget(makeHeadline(tr("Tools"), box));
    auto* holder = new QWidget(box);
    holder->setAccessibleName(tr("Canvas tool"));
    // Seven tools do not fit one line of a narrow sidebar: they wrap.
    auto* row = new FlowLayout(holder, 2);
    row->setContentsMargins(0, 0, 0, 0);
    for (CanvasTool tool : allCases<CanvasTool>()) {
        // The tool's own name is what the rest of the code calls it too.
        QToolButton* button = makeIconButton(toolSymbol(tool), displayName(tool), holder);
        button->setObjectName(rawValue(tool) + QStringLiteral("Tool"));
        const QString key = QKeySequence(canvas::toolKey(tool)).toString(QKeySequence::NativeText);
        button->setToolTip(tr("%1 (%2)").arg(displayName(tool), key));
        button->setAccessibleDescription(tr("Key %1 on the canvas").arg(key));
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setMinimumWidth(52);
        connect(button, &QToolButton::clicked, this, [this, tool] {
            m_state.setCurrentTool(tool);
            syncTool(); // clicking the current tool must leave it highlighted
        });
        row->addWidget(button);
        m_toolButtons.append(button);
    }
    new ChoiceGroup(*holder, ChoiceGroup::Arrows::choose);
    column->addWidget(holder);
    return box;
}

QWidget* LeftSidebar::buildHistoryRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    const auto historyButton = [&](const char* symbol, const char* objectName, const QString& name,
                                   const QString& tip) {
        auto* button = new QToolButton(row);
        button->setObjectName(QString::fromLatin1(objectName));
        setSymbol(button, QString::fromLatin1(symbol));
        button->setIconSize(QSize(18, 18));
        button->setToolTip(tip);
        button->setAccessibleName(name);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        layout->addWidget(button);
        return button;
    };
    // The keys themselves belong to the window's Edit menu; these only show them.
    m_undo = historyButton("arrow.uturn.backward", "undo", tr("Undo"), tr("Undo (Ctrl+Z)"));
    m_redo = historyButton("arrow.uturn.forward", "redo", tr("Redo"), tr("Redo (Ctrl+Shift+Z)"));
    connect(m_undo, &QToolButton::clicked, &m_state, &AppState::undo);
    connect(m_redo, &QToolButton::clicked, &m_state, &AppState::redo);
    HistoryManager& history = m_state.historyManager();
    connect(&history, &HistoryManager::canUndoChanged, m_undo, &QWidget::setEnabled);
    connect(&history, &HistoryManager::canRedoChanged, m_redo, &QWidget::setEnabled);
    m_undo->setEnabled(history.canUndo());
    m_redo->setEnabled(history.canRedo());
    return row;
}

QWidget* LeftSidebar::buildTemplatesGroup(QWidget* parent)
{
    QVBoxLayout* column = nullptr;
    QWidget* box = group(parent, column, 4);
    auto* header = new QHBoxLayout;
    header->addWidget(makeHeadline(tr("Templates"), box));
    header->addStretch(1);
    auto* saveTemplate = new QToolButton(box);
    saveTemplate->setObjectName(QStringLiteral("saveTemplate"));
    setSymbol(saveTemplate, QStringLiteral("plus"));
    saveTemplate->setAutoRaise(true);
    saveTemplate->setFocusPolicy(Qt::StrongFocus);
    saveTemplate->setToolTip(tr("Save Template"));
    saveTemplate->setAccessibleName(tr("Save Template"));
    connect(saveTemplate, &QToolButton::clicked, this, [this] { m_state.setShowSaveTemplateDialog(true); });
    header->addWidget(saveTemplate);
    column->addLayout(header);
    column->addWidget(new TemplateList(m_state, box));
    return box;
}

QWidget* LeftSidebar::buildImageActions(QWidget* parent)
{
    QVBoxLayout* column = nullptr;
    QWidget* box = group(parent, column, 8);
    const auto action = [&](const char* symbol, const char* objectName, const QString& label) {
        auto* button = new QPushButton(label, box);
        button->setObjectName(QString::fromLatin1(objectName));
        setSymbol(button, QString::fromLatin1(symbol));
        button->setAccessibleName(label);
        column->addWidget(button);
        return button;
    };
    QPushButton* paste = action("doc.on.clipboard", "paste", tr("Paste Image"));
    paste->setToolTip(QStringLiteral("Ctrl+V"));
    m_copy = action("doc.on.doc", "copy", tr("Copy"));
    m_export = action("square.and.arrow.up", "export", tr("Export"));
    connect(paste, &QPushButton::clicked, &m_state, &AppState::pasteImage);
    connect(m_copy, &QPushButton::clicked, &m_state, &AppState::copyToClipboard);
    connect(m_export, &QPushButton::clicked, this, [this] { m_state.setShowExportDialog(true); });
    return box;
}

void LeftSidebar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        refreshSymbols(this);
    QWidget::changeEvent(event);
}

void LeftSidebar::syncTool()
{
    const auto tools = allCases<CanvasTool>();
    for (qsizetype i = 0; i < m_toolButtons.size(); ++i)
        m_toolButtons[i]->setChecked(tools[i] == m_state.currentTool());
}

void LeftSidebar::syncImageActions()
{
    const ScreenshotTab* tab = m_state.currentTab();
    const bool composed = tab && tab->processedImage;
    m_copy->setEnabled(composed);
    m_export->setEnabled(composed);
}

} // namespace lustrelab
