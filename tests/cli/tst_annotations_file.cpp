// The --annotations file: fields read exactly, omitted ones keep their default,
// any wrong type or unknown key fails the file naming the key's path.

#include "cli/annotations_file.h"

#include <QTest>

using namespace lustrelab;

class TestAnnotationsFile : public QObject
{
    Q_OBJECT

    static Json json(const char* text) { return Json::parse(text); }

  private slots:
    void presentFieldsAreReadOmittedOnesKeepDefaults()
    {
        const auto a = annotationsFromJson(json(
            R"({"textOverlays": [{"id": "{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00}", "text": "Hi",)"
            R"("position": {"x": 0.1, "y": 0.9}, "fontName": "DejaVu Sans", "fontSize": 48,)"
            R"("fontWeight": "Ultra Light", "textColor": {"red": 0, "green": 0, "blue": 0, "opacity": 1},)"
            R"("backgroundColor": "#ffffff80", "isRedacted": true, "rotation": -15, "opacity": 0.5}],)"
            R"("shapeOverlays": [{"shapeType": "Rounded Rect", "startPoint": {"x": 0, "y": 0.2},)"
            R"("endPoint": {"x": 1, "y": 0.5}, "strokeColor": "#00ff00",)"
            R"("fillColor": {"red": 0, "green": 0, "blue": 1, "opacity": 0.25}, "strokeWidth": 8,)"
            R"("opacity": 0.75, "arrowStyle": "Double"}, {"fillColor": null}],)"
            R"("removalAreas": [{"rect": {"x": 0.1, "y": 0.2, "width": 0.3, "height": 0.4}, "method": "Solid Color"},)"
            R"({"rect": {"x": 0, "y": 0, "width": 1, "height": 1}}]})"));
        QVERIFY(a);
        TextOverlay text;
        text.id = QUuid::fromString(QStringLiteral("6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00"));
        text.text = "Hi", text.position = {0.1, 0.9}, text.fontName = "DejaVu Sans", text.fontSize = 48;
        text.fontWeight = FontWeight::ultraLight, text.textColor = {0, 0, 0, 1};
        text.backgroundColor = CodableColor{1, 1, 1, 128 / 255.0};
        text.isRedacted = true, text.rotation = -15, text.opacity = 0.5;
        QVERIFY(a->textOverlays[0] == text);
        ShapeOverlay shape;
        shape.id = a->shapeOverlays[0].id, shape.shapeType = ShapeType::roundedRectangle;
        shape.startPoint = {0, 0.2}, shape.endPoint = {1, 0.5}, shape.strokeColor = {0, 1, 0, 1};
        shape.fillColor = CodableColor{0, 0, 1, 0.25}, shape.strokeWidth = 8, shape.opacity = 0.75;
        shape.arrowStyle = ArrowStyle::double_;
        QVERIFY(a->shapeOverlays[0] == shape);
        QCOMPARE(a->removalAreas[0].rect, (UnitRect{0.1, 0.2, 0.3, 0.4}));
        QCOMPARE(a->removalAreas[0].method, RemovalMethod::solidColor);

        ShapeOverlay newShape;
        newShape.id = a->shapeOverlays[1].id;
        QVERIFY(a->shapeOverlays[1] == newShape);
        QVERIFY(!newShape.id.isNull() && newShape.id != shape.id); // each gets its own identity
        QCOMPARE(a->removalAreas[1].method, RemovalMethod::contentAware);
    }

    // Wrong types, unknown keys, coordinates far beyond the canvas and sizes
    // beyond any drawing fail naming the key; generous values within reach are kept.
    void checked_data()
    {
        QTest::addColumn<Json>("json");
        QTest::addColumn<QString>("error"); // the whole message, or its start before a '…'; empty: accepted

        QTest::newRow("top level array") << Json::array() << "annotations: expected an object";
        QTest::newRow("misspelt list")
            << json(R"({"textOverlay":[]})") << "annotations.textOverlay: unknown key";
        QTest::newRow("misspelt field")
            << json(R"({"textOverlays":[{"fontsize":12}]})") << "textOverlays[0].fontsize: unknown key";
        QTest::newRow("string for number") << json(R"({"textOverlays":[{}, {"fontSize":"32"}]})")
                                           << "textOverlays[1].fontSize: expected a number";
        QTest::newRow("unknown weight") << json(R"({"textOverlays":[{"fontWeight":"bold"}]})")
                                        << "textOverlays[0].fontWeight: expected one of…";
        QTest::newRow("colour without opacity")
            << json(R"({"shapeOverlays":[{"strokeColor":{"red":1,"green":0,"blue":0}}]})")
            << "shapeOverlays[0].strokeColor: expected a colour object…";
        QTest::newRow("removal without rect")
            << json(R"({"removalAreas":[{}]})") << "removalAreas[0].rect: missing";
        QTest::newRow("blur at x 1e15")
            << json(R"({"shapeOverlays":[{"shapeType":"Blur","startPoint":{"x":1e15,"y":0}}]})")
            << R"(shapeOverlays[0].startPoint: "x" must be from -100 to 100)";
        QTest::newRow("end point below the canvas")
            << json(R"({"shapeOverlays":[{},{"endPoint":{"x":0,"y":-1000}}]})")
            << R"(shapeOverlays[1].endPoint: "y" must be from -100 to 100)";
        QTest::newRow("removal area too wide")
            << json(R"({"removalAreas":[{"rect":{"x":0,"y":0,"width":1e300,"height":1}}]})")
            << R"(removalAreas[0].rect: "width" must be from -100 to 100)";
        QTest::newRow("text position near the largest number")
            << json(R"({"textOverlays":[{"position":{"x":-1.7e308,"y":0}}]})")
            << R"(textOverlays[0].position: "x" must be from -100 to 100)";
        QTest::newRow("huge stroke") << json(R"({"shapeOverlays":[{"strokeWidth":1e9}]})")
                                     << "shapeOverlays[0].strokeWidth: expected a number from 0 to 10000";
        QTest::newRow("huge font") << json(R"({"textOverlays":[{"fontSize":100000}]})")
                                   << "textOverlays[0].fontSize: expected a number from 0 to 10000";
        QTest::newRow("type errors still come first")
            << json(R"({"shapeOverlays":[{"startPoint":{"x":1e15,"y":0},"strokeWidth":"x"}]})")
            << "shapeOverlays[0].strokeWidth: expected a number";
        QTest::newRow("shape reaching well past the edges")
            << json(R"({"shapeOverlays":[{"startPoint":{"x":-100,"y":-3},"endPoint":{"x":100,"y":4},)"
                    R"("strokeWidth":10000}]})")
            << "";
        QTest::newRow("large text turned many times")
            << json(R"({"textOverlays":[{"fontSize":10000,"rotation":-7200}]})") << "";
    }
    void checked()
    {
        QFETCH(Json, json);
        QFETCH(QString, error);
        QString message;
        const auto annotations = annotationsFromJson(json, &message);
        QCOMPARE(annotations.has_value(), error.isEmpty());
        if (error.endsWith(u'…'))
            QVERIFY2(message.startsWith(error.chopped(1)), qPrintable(message));
        else
            QCOMPARE(message, error);
    }
};

QTEST_GUILESS_MAIN(TestAnnotationsFile)
#include "tst_annotations_file.moc"
