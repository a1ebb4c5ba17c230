// Dragging the styled image out of the window: what the drag offers other
// programs (the data a drop would read). Which presses start it: tst_tool_gestures.
#include "canvas_fixtures.h"

#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace lustrelab;
using canvastest::Canvas;

class TestDragOut : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;

  private slots:
    // Both forms other programs take, each the composed image exactly: the
    // PNG bytes, and a PNG file in the cache folder named after the tab.
    void theDragCarriesTheStyledImage()
    {
        Canvas canvas(m_home.path(), test::patternImage(200, 150));
        QVERIFY(canvas.exposedAndSettled());
        canvas.state.addTextOverlay();
        canvas.state.clearSelection();
        QVERIFY(canvas.settle());
        const QImage composed = *canvas.state.currentTab()->processedImage;
        QMimeData* data = nullptr;
        canvas.view.setDragRunner([&](QDrag& drag) { data = drag.mimeData(); });
        canvastest::drag(&canvas.view, canvas.at({0.1, 0.9}), canvas.at({0.3, 0.6}));
        QVERIFY(data);

        QVERIFY(data->formats().contains(QStringLiteral("image/png")));
        QVERIFY(data->formats().contains(QStringLiteral("text/uri-list")));
        const QImage fromBytes = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
        QCOMPARE(canvastest::differingPixels(fromBytes, composed), 0);
        const QList<QUrl> urls = data->urls();
        QCOMPARE(urls.size(), 1);
        QVERIFY(urls[0].isLocalFile());
        const QFileInfo file(urls[0].toLocalFile());
        QCOMPARE(file.absolutePath(), m_home.filePath(QStringLiteral("cache/lustrelab/drags")));
        // Named after the tab, without the colons of its time.
        QVERIFY2(file.fileName().startsWith(u"Screenshot ") && file.fileName().endsWith(u".png") &&
                     !file.fileName().contains(u':'),
                 qPrintable(file.fileName()));
        QCOMPARE(canvastest::differingPixels(QImage(file.filePath()), composed), 0);
        QVERIFY(data->text().isEmpty() || data->text().startsWith(u"file:"));
    }
};

QTEST_MAIN(TestDragOut)
#include "tst_drag_out.moc"
