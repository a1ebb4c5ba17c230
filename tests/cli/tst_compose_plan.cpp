// What the compose command settles before it reads any pixels: usage errors
// (exit status 2), what --set takes, where styled images go (never over an
// input, never two into one file), whether the canvas fits, and the strictly
// read --annotations file; then how it reads inputs: PNG decoding that gives
// Qt's pixels or a reason, and a JPEG taken as whole only when its segments
// and scans run to the end marker, as a cut-short download's do not.
#include "cli/annotations_file.h"
#include "cli/compose_options.h"
#include "cli/output_plan.h"
#include "cli/settings_assignment.h"
#include "cli/size_guard.h"
#include "cli_fixtures.h"
#include "io/jpeg_structure.h"
#include "io/png_file_decoder.h"
#include "record_printers.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;
using namespace lustrelab::clitest;

namespace {

QByteArray gradientPng(QImage::Format format)
{
    const QImage image = test::imageOf(
        23, 17, [](int x, int y) { return qRgba(x * 11, y * 15, (x * y) % 256, 255 - x * 7); },
        QImage::Format_ARGB32);
    return test::encoded(image.convertToFormat(format, Qt::ThresholdDither), "PNG");
}

int paethPredictor(int a, int b, int c)
{
    const int p = a + b - c, pa = qAbs(p - a), pb = qAbs(p - b), pc = qAbs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Samples of an 8-bit RGB or RGBA image: noise, a flat band and steps, so
// that every predictor meets ties, wrap-around and smooth runs alike.
QByteArray testSamples(int width, int height, int channels)
{
    QRandomGenerator random(7);
    QByteArray samples(qsizetype(width) * height * channels, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const qsizetype i = (qsizetype(y) * width + x) * channels + c;
                if (y % 5 == 1)
                    samples[i] = char(90 + c); // flat
                else if (y % 5 == 2)
                    samples[i] = char(x * 37 + c * 80); // steps that wrap
                else
                    samples[i] = char(random.bounded(256));
                if (c == 3 && y % 5 == 3) // alpha: 0, full and in between
                    samples[i] = char(x % 3 == 0 ? 0 : x % 3 == 1 ? 255 : 128);
            }
    return samples;
}

// A PNG of those samples, every row with filter type `filterType` (5: row y
// takes type y % 5), its data split into `chunks` IDAT chunks; `filterByte`
// other than -1 replaces row 1's filter type byte after filtering.
constexpr int everyFilter = 5;
QByteArray filteredPng(int width, int height, int channels, int filterType, int chunks,
                       const QByteArray& samples, int filterByte = -1)
{
    const qsizetype rowBytes = qsizetype(width) * channels;
    QByteArray raw;
    const QByteArray zeros(rowBytes, '\0');
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uchar*>(samples.constData() + y * rowBytes);
        const auto* up =
            reinterpret_cast<const uchar*>(y ? samples.constData() + (y - 1) * rowBytes : zeros.constData());
        const int filter = filterType == everyFilter ? y % 5 : filterType;
        raw.append(char(y == 1 && filterByte >= 0 ? filterByte : filter));
        for (qsizetype i = 0; i < rowBytes; ++i) {
            const int a = i >= channels ? row[i - channels] : 0, b = up[i],
                      c = i >= channels ? up[i - channels] : 0;
            const int predicted = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? paethPredictor(a, b, c)
                                                : 0;
            raw.append(char(row[i] - predicted));
        }
    }
    // A zlib stream after Qt's length prefix.
    return pngFile(width, height, channels == 4 ? 6 : 2, qCompress(raw, 6).mid(4), chunks);
}

QByteArray jpeg(bool progressive)
{
    const QImage image = test::imageOf(
        48, 40, [](int x, int y) { return qRgb(x * 5, y * 6, (x ^ y) * 4); }, QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

} // namespace

class TestComposePlan : public QObject
{
    Q_OBJECT

    static Json json(const char* text) { return Json::parse(text); }

  private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        auto input = [](QStringList more) { return QStringList{"a.png"} + more; }; // one image, then these
        auto set = [&input](const char* assignment) { return input({"--set", assignment}); };
        QTest::newRow("only options") << QStringList{"--scale", "2"} << "no input image given";
        QTest::newRow("unknown option") << input({"--colour", "red"}) << "unknown option '--colour'";
        QTest::newRow("settings and template")
            << input({"--settings", "s.json", "--template", "T"}) << "--settings and --template";
        QTest::newRow("zero scale") << input({"--scale", "0"}) << "--scale needs a positive number";
        QTest::newRow("unknown format") << input({"--format", "gif"}) << "--format needs png or jpeg";
        QTest::newRow("standard input") << QStringList{"-"} << "reading from standard input";
        QTest::newRow("--set without equals sign") << set("padding") << "--set expected FIELD=VALUE";
        QTest::newRow("--set unknown field") << set("radius=3") << "--set unknown field 'radius'";
        QTest::newRow("--set without a field") << set("=5") << "--set no field name before '=' in '=5'";
        QTest::newRow("--set field name with a blank") << set(" padding=5") << "--set unknown field ' padding'";
        QTest::newRow("--set not a number") << set("padding=nan") << "--set padding:";
        QTest::newRow("--set opacity beyond a float") << set("shadowOpacity=1e39") << "--set shadowOpacity:";
        QTest::newRow("--set zero scale") << set("exportScale=0") << "--set exportScale:";
        QTest::newRow("--set digit for boolean") << set("paddingUniform=1") << "--set paddingUniform:";
        QTest::newRow("--set enum case") << set("backgroundType=Gradient") << "--set backgroundType:";
        QTest::newRow("--set short hex") << set("borderColor=#FFF") << "--set borderColor:";
        QTest::newRow("--set colour without a key") << set(R"(solidColor={"red":1})") << "--set solidColor:";
        // "ocean" is the record's default yet no catalogue entry: asked for by
        // hand it would silently compose on white.
        QTest::newRow("--set unknown gradient") << set("gradientPresetId=ocean") << "--set gradientPresetId:";
        QTest::newRow("--set dim beyond one") << set("backgroundImageDim=1.5") << "--set backgroundImageDim:";
        QTest::newRow("--set gradient not JSON") << set("customGradient=radial") << "--set customGradient:";
        // The reader's key path follows the field, not repeated before it.
        const QStringList stops(6, QStringLiteral(R"({"color":"#000000","position":0})"));
        const QString sixStops =
            R"(customGradient={"kind":"linear","angle":0,"centerX":0.5,"centerY":0.5,"stops":[)" +
            stops.join(u',') + "]}";
        QTest::newRow("--set gradient with six stops")
            << input({"--set", sixStops}) << "--set customGradient: stops: expected 2 to 5 entries";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const ComposeParse parse = parseComposeArguments(arguments);
        QVERIFY2(parse.usageError.startsWith(error), qPrintable(parse.usageError));
    }

    void everyOptionIsRead()
    {
        const ComposeParse parse =
            parseComposeArguments({"a.png", "--output=out", "--template", "Blog", "--set", "padding=10",
                                   "b.png", "--set=cornerRadius=0", "--annotations", "notes.json", "--scale",
                                   "1.5", "--format", "jpg", "--", "-dash.png"});
        QVERIFY2(parse.usageError.isEmpty(), qPrintable(parse.usageError));
        // What --template, --annotations, --scale and --format hold: tst_process.
        const ComposeOptions& o = parse.options;
        QCOMPARE(o.inputs, (QStringList{"a.png", "b.png", "-dash.png"}));
        QCOMPARE(o.output, QStringLiteral("out"));
        QCOMPARE(o.assignments.size(), 2);
        QCOMPARE(o.assignments[1].key, QStringLiteral("cornerRadius"));
        QVERIFY(parseComposeArguments({"--help"}).options.help); // needs no input
    }

    void setAccepted_data()
    {
        QTest::addColumn<QString>("argument"); // FIELD=VALUE
        QTest::addColumn<Json>("value");       // as the record's JSON holds it

        QTest::newRow("number") << "shadowOffsetY=-1e1" << Json(-10.0);
        QTest::newRow("#RRGGBB") << "borderColor=#FF8000" << toJson(CodableColor{1, 128 / 255.0, 0, 1});
        // Alpha last, as colour pickers write it (unlike the catalogue's form).
        QTest::newRow("#RRGGBBAA") << "solidColor=#ff000080" << toJson(CodableColor{1, 0, 0, 128 / 255.0});
        QTest::newRow("shadow colour")
            << "shadowColor=#0000ff40" << toJson(CodableColor{0, 0, 1, 64 / 255.0});
        QTest::newRow("colour object") << R"(solidColor={"red":0.25,"green":0.5,"blue":0.75,"opacity":0.5})"
                                       << toJson(CodableColor{0.25, 0.5, 0.75, 0.5});
        QTest::newRow("enumeration") << "backgroundType=transparent" << Json("transparent");
        QTest::newRow("preset id") << "canvasPresetId=16:9" << Json("16:9");
        QTest::newRow("new background") << "backgroundType=match" << Json("match");
        QTest::newRow("image path made absolute")
            << "backgroundImagePath=bg.png" << Json(QDir::current().filePath("bg.png").toStdString());
        QTest::newRow("gradient with hex stop colours")
            << R"(customGradient={"kind":"conic","angle":45,"centerX":0.5,"centerY":0.5,)"
               R"("stops":[{"color":"#ff0000","position":0.25},{"color":"#0000ff80","position":1}]})"
            << toJson(CustomGradient{
                   GradientKind::conic, 45, 0.5, 0.5, {{{1, 0, 0, 1}, 0.25}, {{0, 0, 1, 128 / 255.0}, 1}}});
    }

    void setAccepted()
    {
        QFETCH(QString, argument);
        QFETCH(Json, value);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        QVERIFY2(parsed.assignment, qPrintable(parsed.error));
        QCOMPARE(parsed.assignment->key, argument.section(u'=', 0, 0));
        QVERIFY2(parsed.assignment->value == value, parsed.assignment->value.dump().c_str());
        // Whatever parses must also survive the strict reader.
        QVERIFY(applySettingsAssignments(BeautySettings{}, {*parsed.assignment}));
    }

    // The help is what people read to find a field's name and values.
    void helpNamesEveryField()
    {
        const QString help = composeHelp();
        const Json record = toJson(BeautySettings{});
        for (const auto& [key, value] : record.items())
            QVERIFY2(help.contains(QString::fromStdString(key)), key.c_str());
        for (const QString& line : help.split(u'\n').mid(1)) // the usage line is one line by design
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }

    void outputs_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("output");    // -o
        QTest::addColumn<QStringList>("paths"); // one per input; empty: refused
        QTest::addColumn<ExportFormat>("settingsFormat");
        QTest::addColumn<ExportFormat>("format"); // of every job
        const auto png = ExportFormat::png, jpeg = ExportFormat::jpeg;

        QTest::newRow("beside the input")
            << QStringList{"x/a.jpg"} << "" << QStringList{"x/a-styled.png"} << png << png;
        QTest::newRow("last suffix only")
            << QStringList{"a.b.png"} << "" << QStringList{"a.b-styled.jpeg"} << jpeg << jpeg;
        QTest::newRow("unknown suffix")
            << QStringList{"a.png"} << "o.img" << QStringList{"o.img"} << jpeg << jpeg;
        QTest::newRow("output spelt as the input")
            << QStringList{"shot.png"} << "sub/../shot.png" << QStringList{""} << png << png;
        QTest::newRow("output through a link")
            << QStringList{"shot.png"} << "link.png" << QStringList{""} << png << png;
        QTest::newRow("output is another input") << QStringList{"shot.png", "shot-styled.png"} << ""
                                                 << QStringList{"", "shot-styled-styled.png"} << png << png;
        QTest::newRow("same name from two folders") << QStringList{"a/x.png", "b/x.png"} << "new"
                                                    << QStringList{"new/x-styled.png", ""} << png << png;
        QTest::newRow("one input into an existing folder")
            << QStringList{"a/x.png"} << "b" << QStringList{"b/x-styled.png"} << png << png;
    }

    void outputs()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, output);
        QFETCH(QStringList, paths);
        QFETCH(ExportFormat, settingsFormat);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        QVERIFY(QDir(root).mkpath("b") && QFile(root + "shot.png").open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(root + "shot.png", root + "link.png"));
        for (QString& input : inputs)
            input.prepend(root);
        const OutputPlan plan =
            planOutputs(inputs, output.isEmpty() ? output : root + output, std::nullopt, settingsFormat);
        QCOMPARE(plan.jobs.size(), paths.size());
        for (qsizetype i = 0; i < paths.size(); ++i) {
            QCOMPARE(plan.jobs[i].error.isEmpty() ? plan.jobs[i].output : QString(),
                     paths[i].isEmpty() ? QString() : root + paths[i]);
            QTEST(plan.jobs[i].format, "format");
        }
    }

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
        const BeautySettings settings{.padding = 50, .canvasPresetId = preset, .exportScale = 1};
        const double area = canvas.width() * canvas.height();
        QVERIFY2(!checkComposedSize(image, settings, qint64(area * 0.98)).isEmpty(),
                 "a canvas over the limit");
        const QString accepted = checkComposedSize(image, settings, qint64(area * 1.02));
        QVERIFY2(accepted.isEmpty(), qPrintable(accepted));
    }

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
            R"("opacity": 0.75, "arrowStyle": "Double"}, {"fillColor": null},)"
            R"({"shapeType": "Blur", "opacity": 1.5}],)"
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

        const QUuid newId = a->shapeOverlays[1].id;
        QVERIFY(a->shapeOverlays[1] == ShapeOverlay{.id = newId});
        QVERIFY(!newId.isNull() && newId != shape.id); // each gets its own identity
        QCOMPARE(a->removalAreas[1].method, RemovalMethod::contentAware);
        // Written before markers, strokes and the newer shape keys existed, it reads as it did then.
        QVERIFY(a->shapeOverlays[2] ==
                (ShapeOverlay{.id = a->shapeOverlays[2].id, .shapeType = ShapeType::blur, .opacity = 1.5}));
        QVERIFY(a->stepMarkers.isEmpty() && a->penStrokes.isEmpty());
    }

    void marksAndNewShapeKeysAreRead()
    {
        const auto a = annotationsFromJson(json(
            R"({"shapeOverlays": [{"shapeType": "Pixelate", "cellSize": 24}, {"shapeType": "Redact"},)"
            R"({"shapeType": "Spotlight", "spotlightShape": "Ellipse"}, {"shapeType": "Spotlight", "opacity": 0.3}],)"
            R"("stepMarkers": [{"position": {"x": 0.1, "y": 0.2}}, {"position": {"x": 0.3, "y": 0.4}, "number": 7,)"
            R"("color": {"red": 1, "green": 0.5, "blue": 0, "opacity": 1}, "size": 48, "tailPoint": {"x": 0.5, "y": 0.6}}, {"position": {"x": 0, "y": 0}},)"
            R"({"position": {"x": 1, "y": 1}, "tailPoint": null}],)"
            R"("penStrokes": [{"points": [{"x": 0.1, "y": 0.1}, {"x": 0.2, "y": 0.3}]},)"
            R"({"points": [{"x": 0.5, "y": 0.5}], "highlighter": true},)"
            R"({"points": [{"x": 0.5, "y": 0.5}], "highlighter": true, "color": {"red": 0, "green": 1, "blue": 0, "opacity": 1}, "width": 30, "opacity": 0.25}]})"));
        QVERIFY(a);
        QCOMPARE(a->shapeOverlays[0].cellSize, 24.0);
        QCOMPARE(a->shapeOverlays[0].strokeColor, ShapeOverlay{}.strokeColor);
        // Omitted keys take the editor's defaults for the type: a black box, a dimming of 0.6.
        QCOMPARE(a->shapeOverlays[1].fillColor, std::optional<CodableColor>(CodableColor{0, 0, 0, 1}));
        QCOMPARE(a->shapeOverlays[2].spotlightShape, SpotlightShape::ellipse);
        QCOMPARE(a->shapeOverlays[2].opacity, 0.6);
        QCOMPARE(a->shapeOverlays[3].opacity, 0.3);

        // Without a number a marker counts on from the one before.
        const auto id = [&a](int i) { return a->stepMarkers.value(i).id; };
        QCOMPARE(a->stepMarkers, (QList<StepMarker>{{.id = id(0), .position = {0.1, 0.2}},
                                                    {.id = id(1),
                                                     .position = {0.3, 0.4},
                                                     .number = 7,
                                                     .color = {1, 0.5, 0, 1},
                                                     .size = 48,
                                                     .tailPoint = UnitPoint{0.5, 0.6}},
                                                    {.id = id(2), .position = {0, 0}, .number = 8},
                                                    {.id = id(3), .position = {1, 1}, .number = 9}}));

        // Omitted keys as the editor starts a pen or a highlighter.
        QList<PenStroke> strokes{freshPenStroke(false),
                                 freshPenStroke(true),
                                 {.highlighter = true, .color = {0, 1, 0, 1}, .width = 30, .opacity = 0.25}};
        for (qsizetype i = 0; i < strokes.size(); ++i)
            strokes[i].id = a->penStrokes.value(i).id;
        strokes[0].points = {{0.1, 0.1}, {0.2, 0.3}};
        strokes[1].points = strokes[2].points = {{0.5, 0.5}};
        QCOMPARE(a->penStrokes, strokes);
    }

    // Wrong types, unknown keys, coordinates far beyond the canvas and sizes
    // beyond any drawing fail naming the key; generous values within reach are kept.
    void checked_data()
    {
        QTest::addColumn<Json>("json");
        QTest::addColumn<QString>("error"); // the whole message, or its start before a '…'; empty: accepted
        const auto row = [](const char* name, const char* text, const char* error = "") {
            QTest::newRow(name) << json(text) << QString::fromUtf8(error);
        };
        row("top level array", "[]", "annotations: expected an object, found array");
        row("misspelt list", R"({"textOverlay":[]})", "annotations.textOverlay: unknown key");
        row("misspelt field", R"({"textOverlays":[{"fontsize":12}]})",
            "annotations.textOverlays[0].fontsize: unknown key");
        row("string for number", R"({"textOverlays":[{}, {"fontSize":"32"}]})",
            R"(annotations.textOverlays[1].fontSize: expected a number, found "32")");
        row("unknown weight", R"({"textOverlays":[{"fontWeight":"bold"}]})",
            "annotations.textOverlays[0].fontWeight: expected one of…");
        row("colour without opacity", R"({"shapeOverlays":[{"strokeColor":{"red":1,"green":0,"blue":0}}]})",
            "annotations.shapeOverlays[0].strokeColor.opacity: missing");
        row("removal without rect", R"({"removalAreas":[{}]})", "annotations.removalAreas[0].rect: missing");
        row("blur at x 1e15", R"({"shapeOverlays":[{"shapeType":"Blur","startPoint":{"x":1e15,"y":0}}]})",
            "annotations.shapeOverlays[0].startPoint.x: expected a number from -100 to 100");
        row("end point below the canvas", R"({"shapeOverlays":[{},{"endPoint":{"x":0,"y":-1000}}]})",
            "annotations.shapeOverlays[1].endPoint.y: expected a number from -100 to 100");
        row("removal area too wide", R"({"removalAreas":[{"rect":{"x":0,"y":0,"width":1e300,"height":1}}]})",
            "annotations.removalAreas[0].rect.width: expected a number from -100 to 100");
        row("text position near the largest number",
            R"({"textOverlays":[{"position":{"x":-1.7e308,"y":0}}]})",
            "annotations.textOverlays[0].position.x: expected a number from -100 to 100");
        row("huge stroke", R"({"shapeOverlays":[{"strokeWidth":1e9}]})",
            "annotations.shapeOverlays[0].strokeWidth: expected a number from 0 to 10000");
        row("huge font", R"({"textOverlays":[{"fontSize":100000}]})",
            "annotations.textOverlays[0].fontSize: expected a number from 0 to 10000");
        row("type errors still come first",
            R"({"shapeOverlays":[{"startPoint":{"x":1e15,"y":0},"strokeWidth":"x"}]})",
            R"(annotations.shapeOverlays[0].strokeWidth: expected a number, found "x")");
        row("shape reaching well past the edges",
            R"({"shapeOverlays":[{"startPoint":{"x":-100,"y":-3},"endPoint":{"x":100,"y":4},"strokeWidth":10000}]})");
        row("marker without position", R"({"stepMarkers":[{"number":2}]})",
            "annotations.stepMarkers[0].position: missing");
        row("marker number not whole", R"({"stepMarkers":[{"position":{"x":0,"y":0},"number":1.5}]})",
            "annotations.stepMarkers[0].number: expected a whole number, found 1.5");
        row("marker of size 0", R"({"stepMarkers":[{"position":{"x":0,"y":0},"size":0}]})",
            "annotations.stepMarkers[0].size: expected a number from 1 to 10000");
        row("marker tail far away",
            R"({"stepMarkers":[{"position":{"x":0,"y":0},"tailPoint":{"x":500,"y":0}}]})",
            "annotations.stepMarkers[0].tailPoint.x: expected a number from -100 to 100");
        row("misspelt marker key", R"({"stepMarkers":[{"position":{"x":0,"y":0},"colour":1}]})",
            "annotations.stepMarkers[0].colour: unknown key");
        row("stroke without points", R"({"penStrokes":[{}]})", "annotations.penStrokes[0].points: missing");
        row("stroke with no points", R"({"penStrokes":[{"points":[]}]})",
            "annotations.penStrokes[0].points: expected from 1 to 100000 points");
        row("stroke point without y", R"({"penStrokes":[{"points":[{"x":0,"y":0},{"x":1}]}]})",
            "annotations.penStrokes[0].points[1].y: missing");
        row("stroke point far away", R"({"penStrokes":[{"points":[{"x":0,"y":0},{"x":0,"y":-1e9}]}]})",
            "annotations.penStrokes[0].points[1].y: expected a number from -100 to 100");
        row("highlighter not a boolean", R"({"penStrokes":[{"points":[{"x":0,"y":0}],"highlighter":"yes"}]})",
            R"(annotations.penStrokes[0].highlighter: expected true or false, found "yes")");
        row("stroke opacity above 1", R"({"penStrokes":[{"points":[{"x":0,"y":0}],"opacity":2}]})",
            "annotations.penStrokes[0].opacity: expected a number from 0 to 1");
        row("stroke width negative", R"({"penStrokes":[{"points":[{"x":0,"y":0}],"width":-1}]})",
            "annotations.penStrokes[0].width: expected a number from 0 to 10000");
        row("cell under a point", R"({"shapeOverlays":[{"shapeType":"Pixelate","cellSize":0.5}]})",
            "annotations.shapeOverlays[0].cellSize: expected a number from 1 to 10000");
        row("unknown shape type", R"({"shapeOverlays":[{"shapeType":"Mosaic"}]})",
            "annotations.shapeOverlays[0].shapeType: expected one of…");
        row("crop outside the screenshot", R"({"crop":{"x":0.5,"y":0,"width":0.6,"height":1}})",
            "annotations.crop: expected a rectangle inside…");
        row("crop of no width", R"({"crop":{"x":0,"y":0,"width":0,"height":1}})",
            "annotations.crop: expected a rectangle inside…");
        row("crop without height", R"({"crop":{"x":0,"y":0,"width":1}})", "annotations.crop.height: missing");
        row("whole screenshot as crop", R"({"crop":{"x":0,"y":0,"width":1,"height":1}})");
        row("markers not an array", R"({"stepMarkers":{}})",
            "annotations.stepMarkers: expected an array, found object");
        row("large text turned many times", R"({"textOverlays":[{"fontSize":10000,"rotation":-7200}]})");
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

    void samePixelsAsQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tolerance"); // 16-bit samples: libspng truncates, Qt rounds

        QTest::newRow("RGB written by Qt") << gradientPng(QImage::Format_RGB32) << 0;
        QTest::newRow("RGBA written by Qt") << gradientPng(QImage::Format_ARGB32) << 0;
        QTest::newRow("palette with transparency") << gradientPng(QImage::Format_Indexed8) << 0;
        QTest::newRow("16-bit RGBA") << gradientPng(QImage::Format_RGBA64) << 1;
        for (int channels : {3, 4}) {
            const char* kind = channels == 3 ? "RGB" : "RGBA";
            // Every filter type, a row each in turn, the data split over seven chunks.
            QTest::addRow("%s, every filter, seven chunks", kind)
                << filteredPng(37, 26, channels, everyFilter, 7, testSamples(37, 26, channels)) << 0;
        }
        QTest::newRow("one pixel") << filteredPng(1, 1, 4, 4, 1, testSamples(1, 1, 4)) << 0;
    }

    void samePixelsAsQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, tolerance);
        const LoadedImage decoded = decodePngFile(bytes, 1 << 20);
        QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
        const QImage qt = QImage::fromData(bytes, "PNG");
        QCOMPARE(decoded.image.format(),
                 qt.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        const QImage expected = qt.convertToFormat(decoded.image.format());
        QCOMPARE(decoded.image.size(), expected.size());
        // A size check sees the header's size first, and its refusal stands.
        QSize seen;
        const LoadedImage refused = decodePngFile(bytes, 1 << 20, [&seen](QSize size) {
            seen = size;
            return QStringLiteral("refused");
        });
        QCOMPARE(seen, expected.size());
        QVERIFY(refused.image.isNull() && refused.error == QStringLiteral("refused"));
        for (int y = 0; y < expected.height(); ++y) {
            const auto* want = expected.constScanLine(y);
            const auto* got = decoded.image.constScanLine(y);
            for (int i = 0; i < expected.width() * 4; ++i)
                QVERIFY2(
                    qAbs(got[i] - want[i]) <= tolerance,
                    qPrintable(QStringLiteral("row %1, pixel %2, byte %3").arg(y).arg(i / 4).arg(i % 4)));
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("maxPixels");
        QTest::addColumn<QString>("reason");
        const QByteArray good = gradientPng(QImage::Format_RGB32);
        QByteArray badCrc = good;
        badCrc[29] = char(badCrc[29] ^ 0x40); // inside the header chunk's checksum
        const QByteArray samples = testSamples(37, 26, 3);
        const QByteArray filtered = filteredPng(37, 26, 3, everyFilter, 3, samples);
        QByteArray badDataCrc = filtered;
        badDataCrc[filtered.size() - 14] = char(badDataCrc[filtered.size() - 14] ^ 1); // last IDAT's checksum
        // The header of a taller image in front of the same data.
        QByteArray tooShort = filtered;
        tooShort[8 + 8 + 7] = char(52);
        const quint32 headerCrc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(tooShort.constData() + 12), 17));
        qToBigEndian(headerCrc, tooShort.data() + 29);

        const qint64 room = 1 << 20;
        const QString cut = "damaged PNG: the file is cut short";
        QTest::newRow("cut short") << good.left(good.size() - 20) << room << cut;
        QTest::newRow("cut short after the data") << filtered.chopped(6) << room << cut;
        QTest::newRow("checksum mismatch") << badCrc << room << "damaged PNG:";
        QTest::newRow("image data checksum mismatch") << badDataCrc << room << "damaged PNG:";
        QTest::newRow("less data than the header's size")
            << tooShort << room << "damaged PNG: too little image data for 37 x 52 pixels";
        QTest::newRow("unknown filter type") << filteredPng(37, 26, 3, everyFilter, 1, samples, 5) << room
                                             << "damaged PNG: a row has an unknown filter";
        QTest::newRow("more pixels than allowed")
            << good << qint64(23 * 17 - 1) << "image too large (23 x 17 pixels";
    }

    void refusals()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, maxPixels);
        QFETCH(QString, reason);
        const LoadedImage decoded = decodePngFile(bytes, maxPixels);
        QVERIFY(decoded.image.isNull());
        QVERIFY2(decoded.error.startsWith(reason), qPrintable(decoded.error));
    }

    void jpegWhole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        const QByteArray baseline = jpeg(false), progressive = jpeg(true);
        // A marker may be preceded by any number of fill bytes.
        QByteArray padded = baseline;
        padded.insert(2, "\xff\xff\xff", 3);

        QTest::newRow("baseline") << baseline << true;
        QTest::newRow("progressive, several scans") << progressive << true;
        QTest::newRow("bytes after the end marker") << baseline + "appended by a camera" << true;
        QTest::newRow("fill bytes before a marker") << padded << true;
        QTest::newRow("without the end marker") << baseline.chopped(2) << false;
        QTest::newRow("cut in the scan") << baseline.left(baseline.size() * 3 / 4) << false;
        QTest::newRow("progressive, cut after its first scan")
            << progressive.left(progressive.size() / 2) << false;
        QTest::newRow("cut in a segment header") << baseline.left(30) << false;
        QTest::newRow("start marker only") << QByteArray("\xff\xd8", 2) << false;
        QTest::newRow("segment longer than the file")
            << QByteArray("\xff\xd8\xff\xe0\x7f\xff\x00\x00\xff\xd9", 10) << false;
        QTest::newRow("not a JPEG") << QByteArray("GIF89a and more") << false;
    }

    void jpegWhole()
    {
        QFETCH(QByteArray, bytes);
        QTEST(jpegReachesEnd(bytes), "whole");
    }
};

QTEST_GUILESS_MAIN(TestComposePlan)
#include "tst_compose_plan.moc"
