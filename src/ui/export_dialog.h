#pragma once

#include "model/beauty_settings.h"

#include <QDialog>
#include <QFileDialog>
#include <QPointer>
#include <QUrl>
#include <optional>

class QLabel;
class QPushButton;

namespace lustrelab {

class AppState;
class ExportPreview;

// The export sheet: a preview of the composed image, the scale and format
// pickers (which write straight into the model's settings, so a choice stays
// in force after Cancel), the pixel size the export will have, and "Save...",
// which opens a save dialog without blocking. The file is written off the UI
// thread in the format and scale current when the save dialog is confirmed;
// the sheet closes once the file is written and, if writing fails, stays open
// and tells the user why, so nothing is lost silently.
class ExportDialog : public QDialog
{
    Q_OBJECT

  public:
    explicit ExportDialog(AppState& state, QWidget* parent = nullptr);

    // "Output size: W × H px".
    static QString outputSizeText(const QSize& size);
    // "screenshot.png" or "screenshot.jpeg".
    static QString proposedFileName(ExportFormat format);

  public slots:
    // Escape and Cancel; ignored while a file is being written, so that its
    // outcome always reaches the user.
    void reject() override;

  private:
    void refresh();
    void openSaveDialog();
    void exportTo(const QString& path);
    void onExportFinished(const QUrl& destination, const QString& error);

    AppState& m_state;
    ExportPreview* m_preview;
    QLabel* m_outputSize;
    QPushButton* m_saveButton;
    QPointer<QFileDialog> m_saveDialog;
    std::optional<QUrl> m_pendingExport;
};

} // namespace lustrelab
