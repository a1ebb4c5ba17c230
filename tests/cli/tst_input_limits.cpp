// Limits on what the command line accepts: the canvas a ratio preset gives
// before anything is allocated, and hand-written annotation geometry and numbers.

#include "cli/annotations_file.h"
#include "cli/size_guard.h"

#include <QTest>

using namespace lustrelab;

class TestInputLimits : public QObject
{
    Q_OBJECT

  private slots:
    // A ratio preset grows the short side of the padded image; the guard must
    // measure that canvas, so a limit just under its area refuses and one just
    // over accepts, for wide and tall inputs alike.
    void sizeGuardMeasuresTheRatioCanvas_data()
    {
        QTest::addColumn<QSize>("image"); // padded by 50 on every side
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QSizeF>("canvas");
        QTest::newRow("wide, 16:9 grows the height") << QSize(1600, 100) << "16:9" << QSizeF(1700, 956.25);
        QTest::newRow("tall, 16:9 grows the width") << QSize(100, 1600) << "16:9" << QSizeF(3022.2, 1700);
        QTest::newRow("wide, 9:16 grows the height") << QSize(1600, 100) << "9:16" << QSizeF(1700, 3022.2);
        QTest::newRow("tall, 9:16 grows the width") << QSize(100, 1600) << "9:16" << QSizeF(956.25, 1700);
        QTest::newRow("tall, square") << QSize(300, 2000) << "1:1" << QSizeF(2100, 2100);
        QTest::newRow("wide, square") << QSize(2000, 300) << "1:1" << QSizeF(2100, 2100);
    }
    void sizeGuardMeasuresTheRatioCanvas()
    {
        QFETCH(QSize, image);
        QFETCH(QString, preset);
        QFETCH(QSizeF, canvas);
        BeautySettings settings;
        settings.canvasPresetId = preset;
        settings.padding = 50;
        settings.exportScale = 1;
        const double area = canvas.width() * canvas.height();
        QVERIFY2(!checkComposedSize(image, settings, qint64(area * 0.98)).isEmpty(),
                 "a canvas over the limit");
        const QString accepted = checkComposedSize(image, settings, qint64(area * 1.02));
        QVERIFY2(accepted.isEmpty(), qPrintable(accepted));
    }

    // Coordinates far beyond the canvas and sizes beyond any drawing are
    // refused, naming the key; generous values within reach are kept.
    void annotationGeometry_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("error"); // empty: accepted

        QTest::newRow("blur at x 1e15")
            << R"({"shapeOverlays":[{"shapeType":"Blur","startPoint":{"x":1e15,"y":0}}]})"
            << R"(shapeOverlays[0].startPoint: "x" must be from -100 to 100)";
        QTest::newRow("end point below the canvas")
            << R"({"shapeOverlays":[{},{"endPoint":{"x":0,"y":-1000}}]})"
            << R"(shapeOverlays[1].endPoint: "y" must be from -100 to 100)";
        QTest::newRow("removal area too wide")
            << R"({"removalAreas":[{"rect":{"x":0,"y":0,"width":1e300,"height":1}}]})"
            << R"(removalAreas[0].rect: "width" must be from -100 to 100)";
        QTest::newRow("text position near the largest number")
            << R"({"textOverlays":[{"position":{"x":-1.7e308,"y":0}}]})"
            << R"(textOverlays[0].position: "x" must be from -100 to 100)";
        QTest::newRow("huge stroke") << R"({"shapeOverlays":[{"strokeWidth":1e9}]})"
                                     << "shapeOverlays[0].strokeWidth: expected a number from 0 to 10000";
        QTest::newRow("huge font") << R"({"textOverlays":[{"fontSize":100000}]})"
                                   << "textOverlays[0].fontSize: expected a number from 0 to 10000";
        QTest::newRow("type errors still come first")
            << R"({"shapeOverlays":[{"startPoint":{"x":1e15,"y":0},"strokeWidth":"x"}]})"
            << "shapeOverlays[0].strokeWidth: expected a number";
        QTest::newRow("shape reaching well past the edges")
            << R"({"shapeOverlays":[{"startPoint":{"x":-100,"y":-3},"endPoint":{"x":100,"y":4},"strokeWidth":10000}]})"
            << "";
        QTest::newRow("large text turned many times")
            << R"({"textOverlays":[{"fontSize":10000,"rotation":-7200}]})"
            << "";
    }
    void annotationGeometry()
    {
        QFETCH(QString, json);
        QFETCH(QString, error);
        QString message;
        const auto annotations = annotationsFromJson(Json::parse(json.toStdString()), &message);
        QCOMPARE(annotations.has_value(), error.isEmpty());
        QCOMPARE(message, error);
    }
};

QTEST_GUILESS_MAIN(TestInputLimits)
#include "tst_input_limits.moc"
