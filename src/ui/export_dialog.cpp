#include "export_dialog.h"

#include "export_pickers.h"
#include "export_preview.h"
#include "io/export_service.h"
#include "readable_text.h"
#include "segmented_picker.h"
#include "shell_palette.h"
#include "state/app_state.h"
#include "state/export_scale.h"
#include "state/preferences_store.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace lustrelab {

namespace {

constexpr int sheetWidth = 360;
constexpr int padding = 24;
constexpr int labelWidth = 60;

QString formatExtension(ExportFormat format)
{
    return format == ExportFormat::jpeg ? QStringLiteral("jpeg") : QStringLiteral("png");
}

QString formatFilter(ExportFormat format)
{
    return format == ExportFormat::jpeg ? ExportDialog::tr("JPEG image (*.jpeg *.jpg)")
                                        : ExportDialog::tr("PNG image (*.png)");
}

// A titled row holding `picker`.
QHBoxLayout* optionRow(const QString& title, SegmentedPicker* picker, QWidget* parent)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    auto* label = new QLabel(title, parent);
    label->setFixedWidth(labelWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(label);
    picker->setMinimumWidth(56 * picker->count());
    row->addWidget(picker);
    row->addStretch(1);
    return row;
}

} // namespace

ExportDialog::ExportDialog(AppState& state, QWidget* parent)
    : QDialog(parent), m_state(state), m_preview(new ExportPreview(sheetWidth - 2 * padding, this)),
      m_outputSize(new QLabel(this)), m_saveButton(new QPushButton(tr("Save..."), this))
{
    m_saveButton->setObjectName(QStringLiteral("save"));
    setWindowTitle(tr("Export Image"));
    setFixedWidth(sheetWidth);

    auto* title = new QLabel(tr("Export Image"), this);
    title->setFont(shell::titleFont(font(), QFont::DemiBold));

    // Each sheet starts at the default scale (the preference, or the
    // screenshot's own ratio), as a copy and a quick capture do; a scale
    // picked here holds for this export.
    if (const ScreenshotTab* tab = m_state.currentTab(); tab && tab->processedImage) {
        BeautySettings settings = m_state.settings();
        settings.exportScale =
            exportScaleFor(*tab->processedImage, m_state.preferences().defaultExportScale());
        m_state.setSettings(settings);
    }
    auto* scaleRow = optionRow(tr("Scale:"), makeExportScalePicker(m_state, this), this);
    auto* formatRow = optionRow(tr("Format:"), makeExportFormatPicker(m_state, this), this);

    m_outputSize->setObjectName(QStringLiteral("outputSize"));
    m_outputSize->setAlignment(Qt::AlignCenter);
    m_outputSize->setFont(shell::captionFont(font()));
    m_outputSize->setForegroundRole(QPalette::PlaceholderText);

    auto* options = new QVBoxLayout;
    options->setSpacing(12);
    options->addLayout(scaleRow);
    options->addLayout(formatRow);
    options->addWidget(m_outputSize);

    auto* cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setAutoDefault(false);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    m_saveButton->setDefault(true);
    connect(m_saveButton, &QPushButton::clicked, this, &ExportDialog::openSaveDialog);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(m_saveButton);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(20);
    column->addWidget(title);
    column->addWidget(m_preview, 0, Qt::AlignHCenter);
    column->addLayout(options);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(&m_state, &AppState::settingsChanged, this, &ExportDialog::refresh);
    connect(&m_state, &AppState::tabsChanged, this, &ExportDialog::refresh);
    connect(&m_state, &AppState::currentTabIdChanged, this, &ExportDialog::refresh);
    connect(&m_state, &AppState::exportFinished, this, &ExportDialog::onExportFinished);
    refresh();
    keepSecondaryTextReadable(*this);
}

QString ExportDialog::outputSizeText(const QSize& size)
{
    return tr("Output size: %1 × %2 px").arg(size.width()).arg(size.height());
}

QString ExportDialog::proposedFileName(ExportFormat format)
{
    return QStringLiteral("screenshot.") + formatExtension(format);
}

void ExportDialog::refresh()
{
    const BeautySettings& settings = m_state.settings();
    const ScreenshotTab* tab = m_state.currentTab();
    const QImage composed = tab && tab->processedImage ? *tab->processedImage : QImage();
    m_preview->setVisible(!composed.isNull());
    m_preview->setImage(composed);
    m_outputSize->setVisible(!composed.isNull());
    m_outputSize->setText(outputSizeText(ExportService::outputSize(composed, settings.exportScale)));
}

void ExportDialog::openSaveDialog()
{
    if (m_saveDialog) {
        m_saveDialog->raise();
        m_saveDialog->activateWindow();
        return;
    }
    const ExportFormat format = m_state.settings().exportFormat;
    auto* dialog = new QFileDialog(this, tr("Export Image"));
    dialog->setObjectName(QStringLiteral("saveDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(formatFilter(format));
    dialog->setDefaultSuffix(formatExtension(format));
    dialog->selectFile(proposedFileName(format));
    connect(dialog, &QFileDialog::fileSelected, this, &ExportDialog::exportTo);
    m_saveDialog = dialog;
    dialog->open();
}

void ExportDialog::exportTo(const QString& path)
{
    if (path.isEmpty())
        return;
    const QUrl destination = QUrl::fromLocalFile(path);
    m_pendingExport = destination;
    m_saveButton->setEnabled(false);
    const BeautySettings& settings = m_state.settings();
    m_state.exportImageInBackground(destination, settings.exportFormat, settings.exportScale);
}

void ExportDialog::reject()
{
    if (!m_pendingExport)
        QDialog::reject();
}

void ExportDialog::onExportFinished(const QUrl& destination, const QString& error)
{
    if (!m_pendingExport || destination != *m_pendingExport)
        return;
    m_pendingExport.reset();
    m_saveButton->setEnabled(true);
    if (error.isEmpty()) {
        accept();
        return;
    }
    // The sheet stays open so that another place can be chosen.
    auto* message = new QMessageBox(
        QMessageBox::Warning, tr("Export Failed"),
        tr("The image could not be saved to “%1”.").arg(QDir::toNativeSeparators(destination.toLocalFile())),
        QMessageBox::Ok, this);
    message->setInformativeText(error);
    message->setAttribute(Qt::WA_DeleteOnClose);
    message->setObjectName(QStringLiteral("exportError"));
    message->open();
}

} // namespace lustrelab
