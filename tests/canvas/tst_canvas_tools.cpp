// The crop and text tools on the real canvas: what a crop hides of what is
// drawn, and a text written in place: the click or double-click, the typing,
// the ways it ends and the keys afterwards.
#include "canvas_fixtures.h"
#include "record_printers.h"

#include <QLineEdit>

using namespace lustrelab;
using namespace lustrelab::canvastest;

namespace {

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

void doubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

enum class Ending { returnKey, clickElsewhere, deselect, deletion, escape };

} // namespace

class TestCanvasTools : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
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

    // A text written in place, begun by the text tool's click (a fresh text)
    // or a double-click on a text, and ended in each way there is.
    void editTextInPlace_data()
    {
        QTest::addColumn<bool>("placed"); // by the text tool, else a double-click on a text
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("written"); // null: the text is gone
        // Among the letters typed: H (Highlighter) and E (Remove).
        const QString typed = QStringLiteral("Hello QA");
        QTest::newRow("placed, typed over the placeholder, Return") << true << Ending::returnKey << typed;
        QTest::newRow("placed, a click elsewhere ends it and places no second text")
            << true << Ending::clickElsewhere << typed;
        QTest::newRow("a click elsewhere commits") << false << Ending::clickElsewhere << typed;
        QTest::newRow("a deselect from elsewhere commits") << false << Ending::deselect << typed;
        QTest::newRow("a text deleted while typing is not brought back")
            << false << Ending::deletion << QString();
        QTest::newRow("Escape leaves without committing")
            << false << Ending::escape << QStringLiteral("Caption");
    }
    void editTextInPlace()
    {
        QFETCH(bool, placed);
        QFETCH(Ending, ending);
        QFETCH(QString, written);
        // A dark screenshot: the fresh text is white, the outline the accent colour.
        Canvas canvas(m_home.path(), test::solidImage(400, 300, QColor(60, 60, 60)));
        canvas.view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&canvas.view));
        QVERIFY(canvas.settle());
        const QPoint click = canvas.at({0.3, 0.6});
        if (placed) {
            canvas.state.setCurrentTool(CanvasTool::text);
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, click);
        } else {
            canvas.state.setCurrentTextOverlays({{.text = QStringLiteral("Caption"),
                                                  .position = canvas.unitAt(click),
                                                  .backgroundColor = std::nullopt}});
            doubleClick(&canvas.view, click);
        }
        QCOMPARE(canvas.state.currentTextOverlays().size(), 1);
        const TextOverlay before = canvas.state.currentTextOverlays()[0];
        QCOMPARE(canvas.state.selectedId(AnnotationKind::text), before.id);
        auto* field = canvas.view.findChild<QLineEdit*>(QStringLiteral("textField"));
        QVERIFY(field && field->isVisible());
        QCOMPARE(field->text(), before.text);
        QTRY_VERIFY(field->hasFocus());

        // Every key goes to the text: none picks a tool or moves the text.
        const CanvasTool tool = canvas.state.currentTool();
        QTest::keyClicks(field, QStringLiteral("Hello QA")); // replaces the selected text
        QTest::keyClick(field, Qt::Key_Up);                  // the field leaves it to its parent
        QCOMPARE(canvas.state.currentTool(), tool);
        QCOMPARE(canvas.state.currentTextOverlays()[0].position, before.position);
        switch (ending) {
        case Ending::returnKey:
            QTest::keyClick(field, Qt::Key_Return);
            break;
        case Ending::clickElsewhere:
            QTest::mouseClick(&canvas.view, Qt::LeftButton, {}, canvas.at({0.7, 0.3}));
            break;
        case Ending::deselect:
            canvas.state.clearSelection();
            break;
        case Ending::deletion:
            canvas.state.deleteTextOverlay(before);
            break;
        case Ending::escape:
            QTest::keyClick(field, Qt::Key_Escape);
            break;
        }
        QVERIFY(!field->isVisible());
        if (written.isNull()) {
            QVERIFY(canvas.state.currentTextOverlays().isEmpty());
            return;
        }
        QCOMPARE(canvas.state.currentTextOverlays().size(), 1);
        QCOMPARE(canvas.state.currentTextOverlays()[0].text, written);
        QCOMPARE(canvas.state.currentTextOverlays()[0].position, before.position);
        QVERIFY(ending == Ending::escape || canvas.state.isProcessing()); // what is written is composed
        if (ending != Ending::deselect)
            QVERIFY(canvas.view.hasFocus()); // the canvas's keys work again
        QVERIFY(canvas.settle());

        // The outline spans what is written: the white glyphs of the composed
        // image, in view points, lie inside the accent-coloured frame on screen.
        if (ending == Ending::returnKey)
            QVERIFY(outlineSpansTheGlyphs(canvas, before.position, click));

        // The canvas has the keys back: a letter picks its tool again.
        QTest::keyClick(&canvas.view, Qt::Key_V);
        QCOMPARE(canvas.state.currentTool(), CanvasTool::select);
        // Placing it was one undo step, the typing none of its own.
        if (placed)
            canvas.state.undo();
        QCOMPARE(canvas.state.currentTextOverlays().isEmpty(), placed);
        QVERIFY(!canvas.state.historyManager().canUndo());
    }
};

QTEST_MAIN(TestCanvasTools)
#include "tst_canvas_tools.moc"
