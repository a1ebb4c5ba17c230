#include "background_image_controls.h"

#include "slider_row.h"
#include "state/app_state.h"
#include "styling_edit.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include <algorithm>

namespace lustrelab {

BackgroundImageControls::BackgroundImageControls(AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* fileRow = new QHBoxLayout;
    m_choose = new QPushButton(tr("Choose Image…"), this);
    m_choose->setObjectName(QStringLiteral("chooseImage"));
    connect(m_choose, &QPushButton::clicked, this, &BackgroundImageControls::choose);
    fileRow->addWidget(m_choose);
    m_file = new QLabel(this);
    m_file->setObjectName(QStringLiteral("imageFile"));
    m_file->setMinimumWidth(20);
    // The label takes the width the row leaves it and fits the name into
    // that, rather than asking for the whole name and being cut off.
    m_file->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_file->installEventFilter(this);
    fileRow->addWidget(m_file, 1);
    column->addLayout(fileRow);

    m_blur = new SliderRow(tr("Blur"), 0, 100, QStringLiteral("px"), this);
    m_blur->setObjectName(QStringLiteral("imageBlur"));
    connect(m_blur, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.backgroundImageBlur = v; }); });
    column->addWidget(m_blur);
    m_dim = new SliderRow(tr("Dim"), 0, 100, QStringLiteral("%"), this);
    m_dim->setObjectName(QStringLiteral("imageDim"));
    connect(m_dim, &SliderRow::valueEdited, this,
            [this](double v) { editStyling(m_state, [&](BeautySettings& s) { s.backgroundImageDim = v / 100; }); });
    column->addWidget(m_dim);
    for (SliderRow* row : {m_blur, m_dim})
        composeLiveWhileDragged(row, m_state);

    connect(&m_state, &AppState::settingsChanged, this, &BackgroundImageControls::sync);
    sync();
}

void BackgroundImageControls::choose()
{
    const QString current = m_state.settings().backgroundImagePath;
    const QString folder = current.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)
                               : QFileInfo(current).absolutePath();
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Background Image"), folder, tr("Images (*.png *.jpg *.jpeg *.webp *.bmp *.gif);;All Files (*)"));
    if (path.isEmpty())
        return; // cancelled: the background stays as it was
    editStyling(m_state, [&](BeautySettings& s) { s.backgroundImagePath = path; });
}

void BackgroundImageControls::sync()
{
    const BeautySettings& settings = m_state.settings();
    const QString path = settings.backgroundImagePath;
    if (path == m_shownPath && !path.isEmpty()) {
        // Shown already: the file is looked at only when the path changes.
    } else if (path.isEmpty()) {
        m_fileName.clear();
        m_file->setToolTip({});
    } else {
        m_fileName = QFileInfo(path).fileName();
        // A picture that is gone composes on white; say why here.
        m_fileMissing = !QImageReader(path).canRead();
        m_file->setToolTip(path);
    }
    m_shownPath = path;
    showFileName();
    m_blur->setValue(settings.backgroundImageBlur);
    m_dim->setValue(settings.backgroundImageDim * 100);
}

bool BackgroundImageControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_file && event->type() == QEvent::Resize)
        showFileName();
    return QWidget::eventFilter(watched, event);
}

void BackgroundImageControls::showFileName()
{
    if (m_fileName.isEmpty()) {
        m_file->setText(tr("No image"));
        return;
    }
    // A long name gives way in its middle, keeping its extension and, for a
    // picture that is gone, the reason in full.
    const QString form = m_fileMissing ? tr("%1 (not found)") : QStringLiteral("%1");
    const QFontMetrics metrics(m_file->font());
    const int room = m_file->contentsRect().width() - metrics.horizontalAdvance(form.arg(QString()));
    m_file->setText(form.arg(metrics.elidedText(m_fileName, Qt::ElideMiddle, std::max(0, room))));
}

} // namespace lustrelab
