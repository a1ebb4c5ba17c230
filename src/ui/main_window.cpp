#include "main_window.h"

#include "accessible_interfaces.h"
#include "canvas/canvas_view.h"
#include "drop_highlight.h"
#include "export_dialog.h"
#include "file_commands.h"
#include "file_dialogs.h"
#include "io/mime_image_source.h"
#include "left_sidebar.h"
#include "menu_commands.h"
#include "readable_text.h"
#include "right_sidebar.h"
#include "save_template_dialog.h"
#include "settings_view.h"
#include "stitch_dialog.h"
#include "shell_palette.h"
#include "state/app_state.h"
#include "state/preferences_store.h"
#include "state/text_actions.h"
#include "tab_bar.h"
#include "window_presence.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace lustrelab {

namespace {

// Pane widths: ideal and maximum. A pane's minimum is its controls' own (its
// scroll area follows its column), so that no control is ever cut at its edge;
// the columns are laid out to need about 200 and 260.
struct PaneWidths
{
    int ideal, maximum;
};
constexpr PaneWidths leftPane{220, 280};
constexpr PaneWidths rightPane{280, 320};
// The centre column's least: room for the tab strip and a usable canvas, small
// enough that the window, panes included, fits an 800 x 500 screen (a laptop
// at scale 2).
constexpr QSize centreMinimum{280, 300};

// The one-pixel line between the tab strip and the canvas, in a tone that
// reads as a separator on light and dark themes alike.
class Divider : public QWidget
{
  public:
    explicit Divider(QWidget* parent) : QWidget(parent) { setFixedHeight(1); }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), shell::withOpacity(palette().color(QPalette::WindowText), 0.15));
    }
};

// A dropped file is only read, so the drop is always a copy: a file manager
// that honours a Move would otherwise remove the user's original. A source
// that offers no copy is refused.
bool acceptAsCopy(QDropEvent* event)
{
    if (!event->possibleActions().testFlag(Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

MainWindow::MainWindow(AppState& state, QWidget* parent, const ProjectStorage* projects, FileDialogs* dialogs)
    : QMainWindow(parent), m_state(state), m_ownDialogs(dialogs ? nullptr : new StandardFileDialogs),
      m_files(new FileCommands(state, *this, dialogs ? *dialogs : *m_ownDialogs, projects, this)),
      m_splitter(nullptr), m_leftSidebar(nullptr), m_tabBar(nullptr), m_canvas(nullptr),
      m_rightSidebar(nullptr), m_dropHighlight(nullptr), m_presence(nullptr)
{
    // "Lustrelab*" while the current tab has unsaved changes.
    setWindowTitle(QStringLiteral("Lustrelab[*]"));
    setAcceptDrops(true);
    installAccessibleInterfaces();
    // Before any pane exists: the panes then start with this palette instead
    // of each receiving the change and redrawing its symbols for it.
    keepSecondaryTextReadable(*this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("panes"));
    m_leftSidebar = new LeftSidebar(state, m_splitter);

    m_commands = new MenuCommands(m_state, *menuBar(), this);
    m_commands->addTabKeysTo(*this);
    m_files->addTo(*m_commands->fileMenu(), m_commands->captureRegionAction(), m_commands->exportAction());
    m_commands->setTabCloser([this](const QUuid& id) { m_files->closeTab(id); });
    connect(m_files, &FileCommands::readyToClose, this, [this] {
        if (close() && m_quitWhenClosed)
            QCoreApplication::quit();
    });
    connect(&m_state, &AppState::tabsChanged, this, &MainWindow::updateTitle);
    connect(&m_state, &AppState::currentTabIdChanged, this, &MainWindow::updateTitle);
    connect(&m_state, &AppState::settingsChanged, this, &MainWindow::updateTitle);
    m_presence = new WindowPresence(*this);
    m_state.screenCaptureService().setPresence(m_presence);
    connect(m_commands, &MenuCommands::preferencesRequested, this, &MainWindow::showPreferences);
    connect(m_commands, &MenuCommands::stitchRequested, this, &MainWindow::showStitchDialog);
    connect(m_commands, &MenuCommands::quitRequested, this, [this] {
        // A close the user cancelled keeps the application; one that waits
        // for its saves quits when they are written.
        m_quitWhenClosed = true;
        if (close())
            QCoreApplication::quit();
    });

    m_splitter->addWidget(m_leftSidebar);
    m_splitter->addWidget(buildCentreColumn());
    // The text commands under the pointer too; a Shift-drag copies the text of an area.
    m_canvas->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_canvas->addActions(m_commands->textCommands());
    connect(m_canvas, &CanvasView::textAreaChosen, &m_state.textActions(),
            [this](const UnitRect& area) { m_state.textActions().copyText(area); });
    m_rightSidebar = new RightSidebar(state, m_splitter);
    m_splitter->addWidget(m_rightSidebar);
    m_leftSidebar->setMaximumWidth(leftPane.maximum);
    m_rightSidebar->setMaximumWidth(rightPane.maximum);
    m_splitter->widget(1)->setMinimumSize(centreMinimum);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setStretchFactor(2, 0);
    setCentralWidget(m_splitter);

    // A comfortable first size within the screen; the panes start at their
    // ideal widths and the canvas takes the rest.
    QSize size(1280, 820);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size.expandedTo(minimumSizeHint()));
    m_splitter->setSizes({leftPane.ideal, width() - leftPane.ideal - rightPane.ideal, rightPane.ideal});

    m_dropHighlight = new DropHighlight(this);
    m_dropHighlight->hide();

    connect(&m_state, &AppState::showExportDialogChanged, this, &MainWindow::syncExportSheet);
    connect(&m_state, &AppState::showSaveTemplateDialogChanged, this, &MainWindow::syncSaveTemplateSheet);
    if (m_state.showExportDialog())
        QTimer::singleShot(0, this, [this] { syncExportSheet(m_state.showExportDialog()); });
    if (m_state.showSaveTemplateDialog())
        QTimer::singleShot(0, this, [this] { syncSaveTemplateSheet(m_state.showSaveTemplateDialog()); });
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::buildCentreColumn()
{
    auto* column = new QWidget(m_splitter);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabBar = new TabBar(m_state, column);
    m_canvas = new CanvasView(m_state, column);
    // A stop of the Tab chain too: its keys (tools, nudging, Delete) need the focus.
    m_canvas->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(m_tabBar);
    layout->addWidget(new Divider(column));
    layout->addWidget(m_canvas, 1);
    return column;
}

template <typename Sheet>
void MainWindow::syncSheet(QPointer<Sheet>& sheet, bool show, void (AppState::*setShown)(bool))
{
    if (!show) {
        if (sheet)
            sheet->close();
        return;
    }
    if (sheet)
        return;
    sheet = new Sheet(m_state, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, &m_state, [this, setShown] { (m_state.*setShown)(false); });
    sheet->open();
}

void MainWindow::syncExportSheet(bool show)
{
    syncSheet(m_exportSheet, show, &AppState::setShowExportDialog);
}

void MainWindow::syncSaveTemplateSheet(bool show)
{
    syncSheet(m_saveTemplateSheet, show, &AppState::setShowSaveTemplateDialog);
}

void MainWindow::setGlobalShortcutRegistered(bool registered)
{
    m_globalShortcutRegistered = registered;
    if (m_preferences)
        m_preferences->setGlobalShortcutRegistered(registered);
}

void MainWindow::showPreferences()
{
    if (!m_preferences) {
        m_preferences = new SettingsView(m_state, this);
        m_preferences->setWindowFlag(Qt::Window);
        m_preferences->setWindowTitle(tr("Preferences"));
        // A window of its own that behaves like a dialog: Escape closes it.
        new QShortcut(QKeySequence::Cancel, m_preferences.data(), m_preferences.data(), &QWidget::close);
        m_commands->addApplicationKeysTo(*m_preferences);
        // Over the window it belongs to: some window managers (openbox) place
        // a normal window of a program by its own rules, in a corner of the
        // screen, unless the program says where it goes.
        m_preferences->adjustSize();
        m_preferences->move(geometry().center() - m_preferences->rect().center());
    }
    m_preferences->setGlobalShortcutRegistered(m_globalShortcutRegistered);
    m_preferences->show();
    m_preferences->raise();
    m_preferences->activateWindow();
}

void MainWindow::showStitchDialog()
{
    auto* dialog = new StitchDialog(m_state, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    emit contentShown();
    // Only the first time: the window also reappears after every screen
    // capture, and pasting then would replace the image just captured.
    if (!m_shownBefore) {
        m_shownBefore = true;
        QTimer::singleShot(0, this, &MainWindow::runAutomaticPaste);
    }
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Wayland hands the clipboard only to a window with keyboard focus, which
    // comes after the first show: the launch paste gets a second chance then.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_pasteAwaitsActivation) {
        m_pasteAwaitsActivation = false;
        QTimer::singleShot(0, this, &MainWindow::runAutomaticPaste);
    }
}

void MainWindow::runAutomaticPaste()
{
    if (!m_automaticPaste || !m_state.preferences().autoPasteOnLaunch())
        return;
    if (m_state.clipboardService().canReadImage()) {
        m_pasteAwaitsActivation = false;
        m_state.pasteImage();
    } else if (!isActiveWindow()) {
        m_pasteAwaitsActivation = true;
    }
}

void MainWindow::updateTitle()
{
    const ScreenshotTab* tab = m_state.currentTab();
    setWindowModified(tab && tab->isModified());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!m_files->mayCloseWindow()) {
        event->ignore();
        return;
    }
    if (m_preferences)
        m_preferences->close();
    // Pins belong to the window's session: they would otherwise keep the
    // application running, unseen in any task list, after its window went.
    m_state.screenPins().closeAll();
    QMainWindow::closeEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeDropHighlight();
}

void MainWindow::setDropTargeted(bool targeted)
{
    if (targeted == m_dropTargeted)
        return;
    m_dropTargeted = targeted;
    placeDropHighlight();
    m_dropHighlight->setVisible(targeted);
    if (targeted)
        m_dropHighlight->raise();
}

void MainWindow::placeDropHighlight()
{
    if (m_dropHighlight)
        m_dropHighlight->setGeometry(centralWidget()->geometry());
}

namespace {

// The local project files among dropped URLs.
QStringList droppedProjects(const QMimeData& mime)
{
    QStringList projects;
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).suffix() == u"lustrelab")
            projects.append(url.toLocalFile());
    return projects;
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // The styled image dragged out of this window is not a new image for it.
    if (const auto* source = qobject_cast<const QWidget*>(event->source());
        source && source->window() == this) {
        event->ignore();
        return;
    }
    if (event->mimeData() && !droppedProjects(*event->mimeData()).isEmpty() && acceptAsCopy(event)) {
        setDropTargeted(true);
        return;
    }
    if (!event->mimeData() || !mimeOffersImage(*event->mimeData()) || !acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    setDropTargeted(true);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (!acceptAsCopy(event))
        event->ignore();
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent* event)
{
    setDropTargeted(false);
    QMainWindow::dragLeaveEvent(event);
}

void MainWindow::dropEvent(QDropEvent* event)
{
    setDropTargeted(false);
    if (event->mimeData() && acceptAsCopy(event)) {
        if (const QStringList projects = droppedProjects(*event->mimeData()); !projects.isEmpty()) {
            m_files->openFiles(projects, true);
            return;
        }
    }
    if (!event->mimeData() || !acceptAsCopy(event) || !m_state.dropMimeData(*event->mimeData()))
        event->ignore();
}

} // namespace lustrelab
