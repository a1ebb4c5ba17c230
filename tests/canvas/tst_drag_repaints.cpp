// A pen, highlighter or removal drag repaints only the part of the canvas its
// step changed. After every step, what is on screen must be what a repaint
// of the whole view shows, on a screen at 1.5 device pixels a point, where
// the part to repaint rounds to whole pixels.

#include "canvas_fixtures.h"

#include <QApplication>
#include <cmath>

using namespace lustrelab;
using namespace lustrelab::canvastest;

namespace {

// Unit points of the image frame: loops that cross themselves and turn back,
// so that a step's repaint has to reach over strokes and outlines drawn before.
QList<QPointF> loops(int steps)
{
    QList<QPointF> path;
    for (int i = 0; i <= steps; ++i) {
        const double t = 2.0 * i / steps;
        path << QPointF(0.25 + 0.2 * t + 0.12 * std::cos(3 * M_PI * t), 0.5 + 0.12 * std::sin(3 * M_PI * t));
    }
    return path;
}

// Out to the far corner, back past the start and out again: the rectangle
// grows, shrinks and flips.
QList<QPointF> outAndBack(int steps)
{
    QList<QPointF> path;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double reach = t < 0.5 ? t * 2 : 1.5 - t * 2.5;
        path << QPointF(0.4 + 0.3 * reach, 0.35 + 0.25 * reach);
    }
    return path;
}

} // namespace

class TestDragRepaints : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void everyStepShowsWhatAFullRepaintShows_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<QList<QPointF>>("path");
        QTest::addColumn<bool>("removalArea");
        QTest::newRow("pen loops") << CanvasTool::pen << loops(24) << false;
        QTest::newRow("pen loops over a removal area") << CanvasTool::pen << loops(24) << true;
        QTest::newRow("highlighter loops") << CanvasTool::highlighter << loops(24) << false;
        QTest::newRow("removal drag out and back") << CanvasTool::remove << outAndBack(16) << false;
        QTest::newRow("removal drag over a removal area") << CanvasTool::remove << outAndBack(16) << true;
    }

    void everyStepShowsWhatAFullRepaintShows()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(QList<QPointF>, path);
        QFETCH(bool, removalArea);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.exposedAndSettled());
        if (removalArea) {
            canvas.state.addRemovalArea({0.45, 0.45, 0.3, 0.25}, RemovalMethod::contentAware);
            QVERIFY(canvas.settle());
        }
        canvas.state.setCurrentTool(tool);
        auto at = [&](QPointF unit) { return canvas.at({unit.x(), unit.y()}); };
        QTest::mousePress(&canvas.view, Qt::LeftButton, {}, at(path.first()));
        for (qsizetype step = 1; step < path.size(); ++step) {
            QTest::mouseMove(&canvas.view, at(path[step]));
            const QImage stepped = onScreen(canvas.view);
            canvas.view.update();
            const QImage whole = onScreen(canvas.view);
            QVERIFY(!whole.isNull());
            const int differing = differingPixels(stepped, whole);
            QVERIFY2(differing == 0,
                     qPrintable(QStringLiteral("step %1: %2 pixels").arg(step).arg(differing)));
        }
        QTest::mouseRelease(&canvas.view, Qt::LeftButton, {}, at(path.last()));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "1.5");
    QApplication app(argc, argv);
    TestDragRepaints test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drag_repaints.moc"
