// Dragging the styled image out of the window: which presses start it, and
// what the drag offers other programs (the data a drop would read).
#include "canvas_fixtures.h"

#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

using namespace lustrelab;
using canvastest::Canvas;

Q_DECLARE_METATYPE(lustrelab::CanvasTool)

class TestDragOut : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;

  private slots:
    void whichPressesDragTheImage_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<UnitPoint>("from");
        QTest::addColumn<bool>("drags");
        QTest::newRow("select tool, on the image") << CanvasTool::select << UnitPoint{0.2, 0.8} << true;
        QTest::newRow("select tool, on a shape's edge: it moves")
            << CanvasTool::select << UnitPoint{0.4, 0.5} << false;
        // Only a double-click reaches a removal area: presses look through it.
        QTest::newRow("select tool, over a removal area")
            << CanvasTool::select << UnitPoint{0.85, 0.15} << true;
        QTest::newRow("select tool, beside the image")
            << CanvasTool::select << UnitPoint{-0.05, 0.5} << false;
        QTest::newRow("shape tool: it draws") << CanvasTool::shape << UnitPoint{0.2, 0.8} << false;
    }
    void whichPressesDragTheImage()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(UnitPoint, from);
        QFETCH(bool, drags);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.exposedAndSettled());
        canvas.state.addShapeOverlay(ShapeOverlay{.startPoint = {0.4, 0.4}, .endPoint = {0.6, 0.6}});
        canvas.state.addRemovalArea({0.8, 0.1, 0.1, 0.1}, RemovalMethod::solidColor);
        QVERIFY(canvas.settle());
        canvas.state.clearSelection();
        canvas.state.setCurrentTool(tool);
        const QList<ShapeOverlay> shapes = canvas.state.currentShapeOverlays();
        QList<QMimeData*> started;
        canvas.view.setDragRunner([&](QDrag& drag) { started.append(drag.mimeData()); });

        canvastest::drag(&canvas.view, canvas.at(from), canvas.at(from) + QPoint(60, 40));

        QCOMPARE(started.size(), drags ? 1 : 0);
        // A drag out changes nothing in the document.
        if (drags)
            QCOMPARE(canvas.state.currentShapeOverlays(), shapes);
        QVERIFY(canvas.settle());
    }

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
