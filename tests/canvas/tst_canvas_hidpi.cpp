// On a screen with two device pixels per point the composed image is shown
// from its own pixels, not from a buffer made at one pixel per point and
// enlarged: fine detail (one-pixel lines of text) must reach the screen intact.
#include "canvas/canvas_view.h"
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QApplication>
#include <QTest>

using namespace lustrelab;

class TestCanvasHiDpi : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void showsTheComposedPixelsOneToOne()
    {
        AppState state(m_home.path());
        // Alternating one-pixel columns: any resampling turns them grey.
        QImage screenshot(240, 160, QImage::Format_ARGB32_Premultiplied);
        for (int x = 0; x < screenshot.width(); ++x)
            for (int y = 0; y < screenshot.height(); ++y)
                screenshot.setPixel(x, y, x % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        screenshot.setDevicePixelRatio(2);
        state.loadImage(screenshot, false);
        QVERIFY(QTest::qWaitFor([&] { return !state.isProcessing() && state.currentTab()->processedImage; }));
        const QImage composed = *state.currentTab()->processedImage;
        QCOMPARE(composed.devicePixelRatio(), 2.0);

        // A view exactly the composed size plus its margins shows it at one point per point.
        const QSizeF points = QSizeF(composed.size()) / 2;
        CanvasView view(state);
        view.resize(QSizeF(points.width() + 48, points.height() + 48).toSize());
        QCOMPARE(view.devicePixelRatioF(), 2.0);
        const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(shown.devicePixelRatio(), 2.0);

        // Compare the middle of the image (inside any rounded corners and shadows).
        const QPoint origin(48, 48); // the 24-point margin in device pixels
        const QRect probe(composed.width() / 4, composed.height() / 4, composed.width() / 2,
                          composed.height() / 2);
        int differing = 0;
        for (int y = probe.top(); y <= probe.bottom(); ++y)
            for (int x = probe.left(); x <= probe.right(); ++x)
                differing += shown.pixel(origin + QPoint(x, y)) != composed.pixel(x, y);
        QCOMPARE(differing, 0);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestCanvasHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_canvas_hidpi.moc"
