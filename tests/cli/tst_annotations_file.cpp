// The --annotations file: omitted fields take the editor's values for a new
// annotation, present fields are read exactly, and any wrong type or unknown
// key fails the whole file with the key's path in the message.

#include "cli/annotations_file.h"

#include <QTest>

using namespace lustrelab;

namespace {

std::optional<Annotations> read(const char* text, QString* error = nullptr)
{
    return annotationsFromJson(Json::parse(text), error);
}

} // namespace

class TestAnnotationsFile : public QObject
{
    Q_OBJECT

  private slots:
    void emptyObjectHasNoAnnotations()
    {
        const std::optional<Annotations> a = read("{}");
        QVERIFY(a);
        QVERIFY(a->textOverlays.isEmpty() && a->shapeOverlays.isEmpty() && a->removalAreas.isEmpty());
    }

    void omittedTextFieldsTakeNewTextValues()
    {
        const std::optional<Annotations> a = read(R"({"textOverlays":[{}]})");
        QVERIFY(a);
        QCOMPARE(a->textOverlays.size(), 1);
        const TextOverlay& t = a->textOverlays.front();
        QCOMPARE(t.text, QStringLiteral("Text"));
        QCOMPARE(t.position, (UnitPoint{0.5, 0.5}));
        QCOMPARE(t.fontName, QStringLiteral("SF Pro Display"));
        QCOMPARE(t.fontSize, 32.0);
        QCOMPARE(t.fontWeight, FontWeight::regular);
        QCOMPARE(t.textColor, (CodableColor{1, 1, 1, 1}));
        QVERIFY(!t.backgroundColor);
        QVERIFY(!t.isRedacted);
        QCOMPARE(t.rotation, 0.0);
        QCOMPARE(t.opacity, 1.0);
        QVERIFY(!t.id.isNull());
    }

    void omittedShapeFieldsTakeNewShapeValues()
    {
        const std::optional<Annotations> a = read(R"({"shapeOverlays":[{"shapeType":"Arrow"}, {}]})");
        QVERIFY(a);
        QCOMPARE(a->shapeOverlays.size(), 2);
        const ShapeOverlay& arrow = a->shapeOverlays[0];
        QCOMPARE(arrow.shapeType, ShapeType::arrow);
        QCOMPARE(arrow.startPoint, (UnitPoint{0.3, 0.3}));
        QCOMPARE(arrow.endPoint, (UnitPoint{0.7, 0.7}));
        QCOMPARE(arrow.strokeColor, (CodableColor{1, 0, 0, 1}));
        QVERIFY(!arrow.fillColor);
        QCOMPARE(arrow.strokeWidth, 3.0);
        QCOMPARE(arrow.opacity, 1.0);
        QCOMPARE(arrow.arrowStyle, ArrowStyle::single);
        QCOMPARE(a->shapeOverlays[1].shapeType, ShapeType::rectangle);
        QVERIFY(arrow.id != a->shapeOverlays[1].id); // each gets its own identity
    }

    void everyFieldIsRead()
    {
        const std::optional<Annotations> a = read(
            R"({)"
            R"("textOverlays": [{"id": "{6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00}", "text": "Hi", "position": {"x": 0.1, "y": 0.9},)"
            R"("fontName": "DejaVu Sans", "fontSize": 48, "fontWeight": "Ultra Light",)"
            R"("textColor": {"red": 0, "green": 0, "blue": 0, "opacity": 1},)"
            R"("backgroundColor": "#ffffff80", "isRedacted": true, "rotation": -15, "opacity": 0.5}],)"
            R"("shapeOverlays": [{"shapeType": "Rounded Rect", "startPoint": {"x": 0, "y": 0}, "endPoint": {"x": 1, "y": 0.5},)"
            R"("strokeColor": "#00ff00", "fillColor": {"red": 0, "green": 0, "blue": 1, "opacity": 0.25},)"
            R"("strokeWidth": 8, "opacity": 0.75, "arrowStyle": "Double"}],)"
            R"("removalAreas": [{"rect": {"x": 0.1, "y": 0.2, "width": 0.3, "height": 0.4}, "method": "Solid Color"}])"
            R"(})");
        QVERIFY(a);
        const TextOverlay& t = a->textOverlays.front();
        QCOMPARE(t.id, QUuid::fromString(QStringLiteral("6f1c1e59-7a3b-4f7e-9a51-0d2b5c1e9f00")));
        QCOMPARE(t.text, QStringLiteral("Hi"));
        QCOMPARE(t.position, (UnitPoint{0.1, 0.9}));
        QCOMPARE(t.fontName, QStringLiteral("DejaVu Sans"));
        QCOMPARE(t.fontSize, 48.0);
        QCOMPARE(t.fontWeight, FontWeight::ultraLight);
        QCOMPARE(t.textColor, (CodableColor{0, 0, 0, 1}));
        QCOMPARE(t.backgroundColor, std::optional<CodableColor>(CodableColor{1, 1, 1, 128 / 255.0}));
        QVERIFY(t.isRedacted);
        QCOMPARE(t.rotation, -15.0);
        QCOMPARE(t.opacity, 0.5);

        const ShapeOverlay& s = a->shapeOverlays.front();
        QCOMPARE(s.shapeType, ShapeType::roundedRectangle);
        QCOMPARE(s.endPoint, (UnitPoint{1, 0.5}));
        QCOMPARE(s.strokeColor, (CodableColor{0, 1, 0, 1}));
        QCOMPARE(s.fillColor, std::optional<CodableColor>(CodableColor{0, 0, 1, 0.25}));
        QCOMPARE(s.strokeWidth, 8.0);
        QCOMPARE(s.opacity, 0.75);
        QCOMPARE(s.arrowStyle, ArrowStyle::double_);

        const RemovalArea& r = a->removalAreas.front();
        QCOMPARE(r.rect, (UnitRect{0.1, 0.2, 0.3, 0.4}));
        QCOMPARE(r.method, RemovalMethod::solidColor);
    }

    void removalMethodDefaultsToContentAware()
    {
        const std::optional<Annotations> a =
            read(R"({"removalAreas":[{"rect":{"x":0,"y":0,"width":1,"height":1}}]})");
        QVERIFY(a);
        QCOMPARE(a->removalAreas.front().method, RemovalMethod::contentAware);
    }

    void nullFillMeansNone()
    {
        const std::optional<Annotations> a = read(R"({"shapeOverlays":[{"fillColor":null}]})");
        QVERIFY(a);
        QVERIFY(!a->shapeOverlays.front().fillColor);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("error");

        QTest::newRow("top level array") << "[]"
                                         << "annotations: expected an object";
        QTest::newRow("misspelt list") << R"({"textOverlay":[]})"
                                       << "annotations.textOverlay: unknown key";
        QTest::newRow("entry not an object") << R"({"shapeOverlays":[3]})"
                                             << "shapeOverlays[0]: expected an object";
        QTest::newRow("string for number") << R"({"textOverlays":[{"fontSize":"32"}]})"
                                           << "textOverlays[0].fontSize: expected a number";
        QTest::newRow("point without y") << R"({"textOverlays":[{"position":{"x":1}}]})"
                                         << "textOverlays[0].position: \"y\" must be a number";
        QTest::newRow("unknown weight") << R"({"textOverlays":[{"fontWeight":"bold"}]})"
                                        << "textOverlays[0].fontWeight: expected one of";
        QTest::newRow("misspelt field") << R"({"textOverlays":[{"fontsize":12}]})"
                                        << "textOverlays[0].fontsize: unknown key";
        QTest::newRow("colour object missing opacity")
            << R"({"shapeOverlays":[{"strokeColor":{"red":1,"green":0,"blue":0}}]})"
            << "shapeOverlays[0].strokeColor: expected a colour object";
        QTest::newRow("bad id") << R"({"shapeOverlays":[{"id":"nope"}]})"
                                << "shapeOverlays[0].id: expected a UUID";
        QTest::newRow("removal without rect") << R"({"removalAreas":[{}]})"
                                              << "removalAreas[0].rect: missing";
    }

    void refused()
    {
        QFETCH(QString, json);
        QFETCH(QString, error);
        QString message;
        QVERIFY(!annotationsFromJson(Json::parse(json.toStdString()), &message));
        QVERIFY2(message.startsWith(error), qPrintable(message));
    }
};

QTEST_GUILESS_MAIN(TestAnnotationsFile)
#include "tst_annotations_file.moc"
