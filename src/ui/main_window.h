#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QSplitter;

namespace lustrelab {

class AppState;
class CanvasView;
class FileCommands;
class FileDialogs;
class ProjectStorage;
class DropHighlight;
class ExportDialog;
class LeftSidebar;
class MenuCommands;
class RightSidebar;
class SaveTemplateDialog;
class SettingsView;
class TabBar;
class WindowPresence;

// The one document window: tools pane, the centre column (tab strip, a
// divider, the canvas) and the styling pane in a horizontal splitter, with
// the File and Edit menus. It presents the export and save-template sheets
// while the model asks for them, accepts image drops anywhere on it, and
// pastes the clipboard's image the first time it comes on screen.
class MainWindow : public QMainWindow
{
    Q_OBJECT

  public:
    // `projects` reads and writes project files; none: the project commands
    // are disabled. `dialogs` asks the File menu's questions; none: the
    // desktop's dialogs. Both must outlive the window.
    explicit MainWindow(AppState& state, QWidget* parent = nullptr, const ProjectStorage* projects = nullptr,
                        FileDialogs* dialogs = nullptr);
    ~MainWindow() override;

    // The paste on first appearance also needs the user's "autoClipboard"
    // preference (on unless turned off). Launching with files turns it off,
    // so that the clipboard cannot replace a file the user asked to open.
    void setAutomaticPasteEnabled(bool enabled) { m_automaticPaste = enabled; }

    // Whether the desktop granted Ctrl+Shift+6; the preferences window
    // explains how to bind a desktop shortcut when it did not.
    void setGlobalShortcutRegistered(bool registered);

    // Takes the application's windows off the screen around a capture, for
    // the window's own captures and for those of other processes alike.
    WindowPresence& presence() const { return *m_presence; }
    FileCommands& fileCommands() const { return *m_files; }

    bool isDropTargeted() const { return m_dropTargeted; }
    void setDropTargeted(bool targeted);

  signals:
    // Each time the window comes on screen (not on un-minimising).
    void contentShown();

  public slots:
    void showPreferences();
    // File > Stitch Images...: a dialog over the window listing the open tabs.
    void showStitchDialog();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QWidget* buildCentreColumn();
    void syncExportSheet(bool show);
    void syncSaveTemplateSheet(bool show);
    // Opens the sheet while the model asks for it and closes it when the
    // model stops. However the sheet goes (Cancel, Escape, the window's close
    // button, a finished export), the model's flag follows.
    template <typename Sheet>
    void syncSheet(QPointer<Sheet>& sheet, bool show, void (AppState::*setShown)(bool));
    void runAutomaticPaste();
    void updateTitle();
    void placeDropHighlight();

    AppState& m_state;
    std::unique_ptr<FileDialogs> m_ownDialogs; // when none was given
    FileCommands* m_files;
    MenuCommands* m_commands;
    QSplitter* m_splitter;
    LeftSidebar* m_leftSidebar;
    TabBar* m_tabBar;
    CanvasView* m_canvas;
    RightSidebar* m_rightSidebar;
    DropHighlight* m_dropHighlight;
    WindowPresence* m_presence;
    QPointer<ExportDialog> m_exportSheet;
    QPointer<SaveTemplateDialog> m_saveTemplateSheet;
    QPointer<SettingsView> m_preferences;
    bool m_automaticPaste = true;
    bool m_shownBefore = false;
    bool m_pasteAwaitsActivation = false; // the launch paste found no clipboard before focus
    bool m_globalShortcutRegistered = true;
    bool m_dropTargeted = false;
    bool m_quitWhenClosed = false; // Quit waits for the saves its question asked for
};

} // namespace lustrelab
