#include "stitch_dialog.h"

#include "io/image_loader.h"
#include "render/image_stitcher.h"
#include "state/app_state.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace lustrelab {

namespace {

constexpr int imageRole = Qt::UserRole;

} // namespace

StitchDialog::StitchDialog(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setWindowTitle(tr("Stitch Images"));
    setObjectName(QStringLiteral("stitchDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Images to join, in this order (drag to reorder):"), this));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("stitchImages"));
    m_list->setDragDropMode(QAbstractItemView::InternalMove);
    m_list->setIconSize(QSize(48, 32));
    layout->addWidget(m_list, 1);
    for (const ScreenshotTab& tab : m_state.tabs())
        if (tab.hasImage())
            addRow(tab.name, tab.document.screenshot);

    auto* addButton = new QPushButton(tr("Add Files..."), this);
    addButton->setObjectName(QStringLiteral("addFiles"));
    connect(addButton, &QPushButton::clicked, this, [this] {
        addFiles(QFileDialog::getOpenFileNames(this, tr("Add Images"), {},
                                               tr("Images (*.png *.jpg *.jpeg *.webp *.bmp *.tif *.tiff)")));
    });
    layout->addWidget(addButton, 0, Qt::AlignLeft);

    auto* directions = new QHBoxLayout;
    m_vertical = new QRadioButton(tr("Top to bottom"), this);
    m_horizontal = new QRadioButton(tr("Side by side"), this);
    m_vertical->setChecked(true);
    directions->addWidget(m_vertical);
    directions->addWidget(m_horizontal);
    directions->addStretch();
    layout->addLayout(directions);
    m_fit = new QCheckBox(tr("Scale to the narrowest when sizes differ"), this);
    m_joinWithoutOverlap = new QCheckBox(tr("Join images that do not overlap edge to edge"), this);
    layout->addWidget(m_fit);
    layout->addWidget(m_joinWithoutOverlap);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("stitchProblem"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    layout->addWidget(m_problem);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_stitch = buttons->addButton(tr("Stitch"), QDialogButtonBox::AcceptRole);
    m_stitch->setObjectName(QStringLiteral("stitch"));
    m_stitch->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_stitch, &QPushButton::clicked, this, &StitchDialog::stitch);
    layout->addWidget(buttons);
    connect(m_list, &QListWidget::itemChanged, this, &StitchDialog::updateStitchButton);
    updateStitchButton();
    resize(460, 420);
}

void StitchDialog::addFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        const LoadedImage loaded = loadImage(path);
        if (loaded.image.isNull()) {
            m_problem->setText(tr("%1: %2").arg(QFileInfo(path).fileName(), loaded.error));
            m_problem->show();
            continue;
        }
        addRow(QFileInfo(path).fileName(), loaded.image);
    }
    updateStitchButton();
}

void StitchDialog::addRow(const QString& name, const QImage& image)
{
    auto* item = new QListWidgetItem(
        QIcon(QPixmap::fromImage(image.scaled(96, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation))),
        tr("%1  (%2 × %3)").arg(name).arg(image.width()).arg(image.height()), m_list);
    item->setData(imageRole, image);
    item->setData(Qt::UserRole + 1, name);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
    item->setFlags(item->flags() & ~Qt::ItemIsDropEnabled); // dropped between rows, never onto one
    item->setCheckState(Qt::Checked);
}

void StitchDialog::updateStitchButton()
{
    int ticked = 0;
    for (int i = 0; i < m_list->count(); ++i)
        ticked += m_list->item(i)->checkState() == Qt::Checked ? 1 : 0;
    m_stitch->setEnabled(ticked >= 2);
}

void StitchDialog::stitch()
{
    QList<QImage> images;
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        images << item->data(imageRole).value<QImage>();
        names << item->data(Qt::UserRole + 1).toString();
    }
    StitchOptions options;
    options.direction = m_horizontal->isChecked() ? StitchDirection::horizontal : StitchDirection::vertical;
    options.fit = m_fit->isChecked();
    options.appendWithoutOverlap = m_joinWithoutOverlap->isChecked();
    const StitchResult result = stitchImages(images, options);
    if (!result.ok()) {
        m_problem->setText(describeStitchFailure(*result.failure, names, options.direction));
        m_problem->show();
        return;
    }
    m_state.loadImage(result.image, true, tr("Stitched"));
    accept();
}

} // namespace lustrelab
