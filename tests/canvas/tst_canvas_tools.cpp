// The drawing and writing tools on the real canvas: what a drag with the
// shape tool leaves in the model and the composed image, and the text tool's
// click, typing and keys.
#include "canvas_fixtures.h"
#include "record_printers.h"

#include <QLineEdit>

using namespace lustrelab;
using namespace lustrelab::canvastest;

namespace {

// The composed image's pixel under a unit point of it.
QRgb composedAt(const AppState& state, UnitPoint p)
{
    const QImage& image = *state.currentTab()->processedImage;
    const int x = std::clamp(int(p.x * image.width()), 0, image.width() - 1);
    const int y = std::clamp(int((1 - p.y) * image.height()), 0, image.height() - 1);
    return image.pixel(x, y);
}

bool closeTo(QRgb actual, QRgb expected, int tolerance = 2)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

// The leftmost and rightmost column of rows `rows` of `image` where `match`
// holds; an empty range when it holds nowhere.
template <typename Match>
std::pair<int, int> columnsWhere(const QImage& image, std::pair<int, int> rows, Match match)
{
    std::pair<int, int> span{image.width(), -1};
    for (int y = std::max(0, rows.first); y <= std::min(image.height() - 1, rows.second); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixelColor(x, y)))
                span = {std::min(span.first, x), std::max(span.second, x)};
    return span;
}

// Whether the selected text's outline on screen spans the white glyphs of the
// composed image, both in view points, along the row through the text's
// centre (`at` on screen). Glyphs are looked for over the screenshot only,
// which lies 64 points in.
bool outlineSpansTheGlyphs(Canvas& canvas, UnitPoint position, QPoint at)
{
    const QImage& composed = *canvas.state.currentTab()->processedImage;
    const double ratio = composed.devicePixelRatio();
    const int inset = int(64 * ratio);
    const QImage screenshot =
        composed.copy(QRect(inset, inset, composed.width() - 2 * inset, composed.height() - 2 * inset));
    const int middle = int((1 - position.y) * composed.height()) - inset;
    const auto glyphs = columnsWhere(screenshot, {middle - 4, middle + 4},
                                     [](const QColor& c) { return c.lightness() > 200; });
    const QImage screen = onScreen(canvas.view);
    const double screenRatio = screen.devicePixelRatio();
    const QColor accent = canvas.view.palette().color(QPalette::Highlight);
    const int row = int(at.y() * screenRatio);
    const auto outline = columnsWhere(screen, {row, row}, [&](const QColor& c) {
        return std::abs(c.red() - accent.red()) + std::abs(c.green() - accent.green()) +
                   std::abs(c.blue() - accent.blue()) <
               60;
    });
    const QRectF frame = canvas.frame();
    const double toView = frame.width() / (composed.width() / ratio);
    const double glyphsLeft = frame.left() + (inset + glyphs.first) / ratio * toView;
    const double glyphsRight = frame.left() + (inset + glyphs.second + 1) / ratio * toView;
    const double outlineLeft = outline.first / screenRatio, outlineRight = (outline.second + 1) / screenRatio;
    const bool spans =
        glyphs.second > glyphs.first && outlineLeft <= glyphsLeft && outlineRight >= glyphsRight;
    if (!spans)
        qWarning("outline %g..%g, glyphs %g..%g", outlineLeft, outlineRight, glyphsLeft, glyphsRight);
    return spans;
}

QRgb scaled(QRgb c, double factor)
{
    return qRgb(int(std::lround(qRed(c) * factor)), int(std::lround(qGreen(c) * factor)),
                int(std::lround(qBlue(c) * factor)));
}

} // namespace

class TestCanvasTools : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void drawnShapeHasItsKindsLook_data()
    {
        QTest::addColumn<ShapeType>("type");
        for (ShapeType type : allCases<ShapeType>())
            QTest::newRow(qPrintable(rawValue(type))) << type;
    }
    // A shape drawn with the pointer looks as one added from the pane: a
    // spotlight drawn with one look for all kinds dimmed its surroundings
    // to black.
    void drawnShapeHasItsKindsLook()
    {
        QFETCH(ShapeType, type);
        Canvas canvas(m_home.path());
        QVERIFY(canvas.settle());
        const UnitPoint outside{0.03, 0.03}, inside{0.45, 0.55}; // the padding, the shape's middle
        const QRgb before = composedAt(canvas.state, outside), middle = composedAt(canvas.state, inside);
        canvas.state.setCurrentTool(CanvasTool::shape);
        canvas.state.setCurrentShapeType(type);
        const QPoint from = canvas.at({0.3, 0.7}), to = canvas.at({0.6, 0.4});
        drag(&canvas.view, from, to);

        QCOMPARE(canvas.state.currentShapeOverlays().size(), 1);
        const ShapeOverlay drawn = canvas.state.currentShapeOverlays()[0];
        ShapeOverlay expected = freshShape(type);
        expected.id = drawn.id;
        expected.startPoint = canvas.unitAt(from);
        expected.endPoint = canvas.unitAt(to);
        QCOMPARE(drawn, expected);

        QVERIFY(canvas.settle());
        const QRgb after = composedAt(canvas.state, outside);
        if (type == ShapeType::spotlight) {
            // Dimmed by the spotlight's 0.6, not blacked out; the spot itself untouched.
            QVERIFY2(closeTo(after, scaled(before, 0.4)), qPrintable(QString::number(after, 16)));
            QVERIFY(closeTo(composedAt(canvas.state, inside), middle));
        } else {
            QCOMPARE(after, before); // the other kinds stay within what they span
        }
    }

    // A marker just right of where the crop tool cuts: the part over what the
    // crop keeps stays, the part over the padding, where the cut-away
    // screenshot went on, goes.
    void cropHidesWhatItCutAway()
    {
        Canvas canvas(m_home.path());
        canvas.state.setSettings(
            {.shadowEnabled = false, .backgroundType = BackgroundType::solid, .solidColor = {1, 1, 1, 1}});
        canvas.state.processImage();
        QVERIFY(canvas.settle());
        // A screenshot pixel as a unit point of the 528 x 428 canvas (padding 64).
        const auto onScreenshot = [](double x, double y) {
            return UnitPoint{(64 + x) / 528, 1 - (64 + y) / 428};
        };
        canvas.state.setCurrentTool(CanvasTool::marker);
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at(onScreenshot(205, 150)));
        QCOMPARE(canvas.state.currentStepMarkers().size(), 1);
        canvas.view.setFocus();
        canvas.state.setCurrentTool(CanvasTool::crop);
        // Escape drops a rectangle; Return then has nothing to apply.
        drag(&canvas.view, canvas.at(onScreenshot(0, 0)), canvas.at(onScreenshot(100, 100)));
        QTest::keyClick(&canvas.view, Qt::Key_Escape);
        QTest::keyClick(&canvas.view, Qt::Key_Return);
        QVERIFY(!canvas.state.currentCrop());
        drag(&canvas.view, canvas.at(onScreenshot(0, 0)), canvas.at(onScreenshot(200, 300)));
        QTest::keyClick(&canvas.view, Qt::Key_Return);
        QVERIFY(canvas.state.currentCrop());
        QVERIFY(canvas.settle());

        // The kept 200 x 300 screenshot at (64, 64) of a 328 x 428 canvas; the
        // marker's centre at x 269, its left edge at 253.
        const QImage& shown = *canvas.state.currentTab()->processedImage;
        QCOMPARE(QSizeF(shown.size()) / shown.devicePixelRatio(), QSizeF(328, 428));
        const QColor red = canvas.state.currentStepMarkers()[0].color.toPlatformColor();
        const QColor over = shown.pixelColor(258, 214), beyond = shown.pixelColor(280, 214);
        QVERIFY2(std::abs(over.red() - red.red()) <= 3 && std::abs(over.green() - red.green()) <= 3,
                 qPrintable(over.name()));
        QCOMPARE(beyond, QColor(Qt::white));
        // Undoing the crop brings the whole marker back.
        canvas.state.undo();
        QVERIFY(canvas.settle());
        const QImage& whole = *canvas.state.currentTab()->processedImage;
        QCOMPARE(whole.pixelColor(64 + 205 + 11, 64 + 150), over);
    }

    void textToolPlacesATextAndEditsIt_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byReturn"); // else a click elsewhere on the image
        // Among the letters: H (Highlighter) and E (Remove).
        QTest::newRow("typed over the placeholder, Return") << QStringLiteral("Hello QA") << true;
        QTest::newRow("a click elsewhere ends it and places no second text")
            << QStringLiteral("Step one here") << false;
    }
    void textToolPlacesATextAndEditsIt()
    {
        QFETCH(QString, typed);
        QFETCH(bool, byReturn);
        // A dark screenshot: the fresh text is white, the outline the accent colour.
        Canvas canvas(m_home.path(), test::solidImage(400, 300, QColor(60, 60, 60)));
        canvas.view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&canvas.view));
        QVERIFY(canvas.settle());
        canvas.state.setCurrentTool(CanvasTool::text);
        const QPoint click = canvas.at({0.3, 0.6});
        QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, click);

        QCOMPARE(canvas.state.currentTextOverlays().size(), 1);
        const TextOverlay placed = canvas.state.currentTextOverlays()[0];
        QCOMPARE(placed.position, canvas.unitAt(click));
        QCOMPARE(placed.text, TextOverlay{}.text);
        QCOMPARE(canvas.state.selectedId(AnnotationKind::text), placed.id);
        auto* field = canvas.view.findChild<QLineEdit*>(QStringLiteral("textField"));
        QVERIFY(field && field->isVisible());
        QTRY_VERIFY(field->hasFocus());

        // Every key goes to the text: none picks a tool or moves the text.
        QTest::keyClicks(field, typed);
        QTest::keyClick(field, Qt::Key_Up); // the field leaves it to its parent
        QCOMPARE(field->text(), typed);
        QCOMPARE(canvas.state.currentTool(), CanvasTool::text);
        QCOMPARE(canvas.state.currentTextOverlays()[0].position, placed.position);

        if (byReturn)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.7, 0.3}));
        QVERIFY(!field->isVisible());
        QCOMPARE(canvas.state.currentTextOverlays().size(), 1);
        QCOMPARE(canvas.state.currentTextOverlays()[0].text, typed);
        QCOMPARE(canvas.state.currentTextOverlays()[0].position, placed.position);
        QVERIFY(canvas.view.hasFocus());
        QVERIFY(canvas.settle());

        // The outline spans what is written: the white glyphs of the composed
        // image, in view points, lie inside the accent-coloured frame on screen.
        if (byReturn)
            QVERIFY(outlineSpansTheGlyphs(canvas, placed.position, click));

        // The canvas has the keys back: a letter picks its tool again.
        QTest::keyClick(&canvas.view, Qt::Key_V);
        QCOMPARE(canvas.state.currentTool(), CanvasTool::select);
        // Placing it was one undo step, the typing none of its own.
        canvas.state.undo();
        QVERIFY(canvas.state.currentTextOverlays().isEmpty());
        QVERIFY(!canvas.state.historyManager().canUndo());
    }
};

QTEST_MAIN(TestCanvasTools)
#include "tst_canvas_tools.moc"
