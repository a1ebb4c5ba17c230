// The canvas's drag out of the window: the select tool dragged from the
// image, where no annotation lies (SelectTool), carries the styled image to
// other programs.
#include "canvas_view.h"
#include "io/image_drag_data.h"
#include "state/app_state.h"

#include <QDrag>
#include <QFileInfo>

namespace lustrelab {

namespace {

constexpr int dragPictureSide = 128;

// The dropped file's name: the tab's, without the suffix of the file it came from.
QString dragName(const QString& tabName)
{
    const QFileInfo file(tabName);
    return file.suffix().isEmpty() || file.suffix().contains(QLatin1Char(' ')) ? tabName
                                                                               : file.completeBaseName();
}

} // namespace

void CanvasView::dragImageOut()
{
    const ScreenshotTab* tab = m_state.currentTab();
    const QImage image = *tab->processedImage;
    // The encoding starts now, on the worker; the drag needs only the picture.
    auto* data = new ImageDragData(image, dragCacheFolder(), dragName(tab->name), m_dragWorker);
    auto* drag = new QDrag(this); // deleted by Qt once the drag is over
    drag->setMimeData(data);
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QPixmap::fromImage(image.scaled(QSize(dragPictureSide, dragPictureSide) * ratio,
                                                      Qt::KeepAspectRatio, Qt::SmoothTransformation));
    picture.setDevicePixelRatio(ratio);
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(picture.width(), picture.height()) / (2 * ratio));
    if (m_runDrag)
        m_runDrag(*drag);
    else
        drag->exec(Qt::CopyAction);
}

} // namespace lustrelab
