// `compose` with a project as its input, and `thumbnail`, run as the built
// program: what is composed is what the project holds, with the command
// line's changes on top, and every broken project is one line.

#include "cli_fixtures.h"
#include "io/export_service.h"
#include "io/project_file.h"
#include "model/annotations_json.h"
#include "render/image_processor.h"

#include <QtTest>

using namespace lustrelab;
using namespace lustrelab::clitest;

namespace {

Document sampleDocument()
{
    Document d;
    d.screenshot = test::patternImage(90, 60, 2);
    d.devicePixelRatio = 2;
    d.settings.padding = 20;
    d.settings.exportScale = 1;
    d.settings.backgroundType = BackgroundType::solid;
    d.settings.solidColor = {0.9, 0.2, 0.1, 1};
    ShapeOverlay arrow = freshShape(ShapeType::arrow);
    arrow.startPoint = {0.2, 0.2};
    StepMarker marker;
    marker.position = {0.8, 0.7};
    marker.number = 4;
    d.annotations.shapeOverlays = {arrow};
    d.annotations.stepMarkers = {marker};
    d.annotations.crop = UnitRect{0.1, 0, 0.8, 1};
    return d;
}

QImage composedOf(const Document& d)
{
    ImageProcessor processor;
    return processor.compose(d.screenshot, d.settings, d.annotations);
}

} // namespace

class ProjectCommandTest : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;
    QTemporaryDir m_work;

    QString at(const QString& name) const { return m_work.filePath(name); }
    Run run(const QStringList& args) const { return runLustrelab(args, m_work.path(), m_home.path()); }

  private slots:
    void initTestCase()
    {
        QVERIFY(saveProject(at("sample.lustrelab"), sampleDocument(), composedOf(sampleDocument())));
        // A project by another name is known by its first bytes.
        QVERIFY(QFile::copy(at("sample.lustrelab"), at("sample.zip")));
        Document picture = sampleDocument();
        QVERIFY(test::writeFile(at("sky.png"), test::encoded(test::patternImage(30, 20), "PNG")));
        picture.settings.backgroundType = BackgroundType::image;
        picture.settings.backgroundImagePath = at("sky.png");
        QVERIFY(saveProject(at("picture.lustrelab"), picture, composedOf(picture)));
        QVERIFY(QFile::remove(at("sky.png"))); // the project must carry it
        Annotations notes;
        notes.penStrokes = {freshPenStroke(false)};
        notes.penStrokes[0].points = {{0.1, 0.1}, {0.9, 0.9}};
        QVERIFY(test::writeFile(at("notes.json"), QByteArray::fromStdString(toJson(notes).dump())));
        QVERIFY(test::writeFile(at("broken.lustrelab"), "PK\x03\x04 but nothing more"));
    }

    void composeUsesTheProject_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("change"); // what the expected document differs by
        QTest::newRow("its own styling") << "sample.lustrelab" << QStringList{} << "";
        QTest::newRow("known by content") << "sample.zip" << QStringList{} << "";
        QTest::newRow("--set on top") << "sample.lustrelab" << QStringList{"--set", "padding=5"} << "padding";
        QTest::newRow("--scale on top") << "sample.lustrelab" << QStringList{"--scale", "2"} << "scale";
        QTest::newRow("--annotations replace")
            << "sample.lustrelab" << QStringList{"--annotations", "@notes.json"} << "annotations";
        QTest::newRow("carried picture") << "picture.lustrelab" << QStringList{} << "picture";
    }
    void composeUsesTheProject()
    {
        QFETCH(QString, input);
        QFETCH(QStringList, options);
        QFETCH(QString, change);
        const Run result = run(QStringList{"compose", input, "-o", "@out.png"} + options);
        QCOMPARE(result.errLines, QStringList());
        QCOMPARE(result.status, 0);

        std::optional<ProjectContents> project = readProjectFile(at(input));
        QVERIFY(project);
        QVERIFY(placeBackgroundImage(*project, m_home.filePath("pictures")));
        Document& expected = project->document;
        if (change == "padding")
            expected.settings.padding = 5;
        if (change == "scale")
            expected.settings.exportScale = 2;
        if (change == "annotations")
            expected.annotations =
                annotationsFromJson(Json::parse(readFile(at("notes.json")).toStdString())).value();
        if (change == "picture")
            QCOMPARE(project->backgroundImageName, QStringLiteral("background.png"));
        const QImage want = ExportService::scaleImage(composedOf(expected), expected.settings.exportScale);
        const QImage written(at("out.png"));
        QCOMPARE(written.size(), want.size());
        QCOMPARE(test::asArgb(written), test::asArgb(want));
    }

    void brokenProjects_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("line");
        QTest::newRow("not an archive") << "broken.lustrelab"
                                        << "broken.lustrelab: not a Lustrelab project (not a ZIP archive)";
        QTest::newRow("missing") << "gone.lustrelab"
                                 << "gone.lustrelab: cannot read";
    }
    void brokenProjects()
    {
        QFETCH(QString, input);
        QFETCH(QString, line);
        const Run result = run({"compose", input, "-o", "@never.png"});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.errLines.size(), 1);
        QVERIFY2(result.errLines[0].startsWith("lustrelab: " + line), qPrintable(result.errLines[0]));
        QVERIFY(!QFile::exists(at("never.png")));
    }

    void thumbnailOfTheAskedSize_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("normal") << 128;
        QTest::newRow("large") << 256;
        QTest::newRow("x-large, above the preview") << 1024;
        QTest::newRow("tiny") << 8;
    }
    void thumbnailOfTheAskedSize()
    {
        QFETCH(int, size);
        const Run result = run({"thumbnail", "@sample.lustrelab", "@thumb.png", QString::number(size)});
        QCOMPARE(result.errLines, QStringList());
        QCOMPARE(result.status, 0);
        const QImage thumbnail(at("thumb.png"));
        const QSize preview = readProjectPreviewFile(at("sample.lustrelab")).size();
        QCOMPARE(thumbnail.size(), preview.scaled(size, size, Qt::KeepAspectRatio));
        QCOMPARE(thumbnail.width(), size); // the styled image is wider than tall
        // The preview's pixels: the solid background at a corner (at 8 pixels
        // a corner pixel takes in the screenshot too).
        if (size >= 64)
            QVERIFY(qAbs(thumbnail.pixelColor(0, 0).red() - qRound(0.9 * 255)) <= 1);
    }

    void thumbnailFailures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("no size") << QStringList{"@sample.lustrelab", "@t.png"} << 2
                                 << "lustrelab thumbnail: expected";
        QTest::newRow("size zero") << QStringList{"@sample.lustrelab", "@t.png", "0"} << 2
                                   << "lustrelab thumbnail: SIZE";
        QTest::newRow("not a project") << QStringList{"@notes.json", "@t.png", "64"} << 1 << "lustrelab: ";
    }
    void thumbnailFailures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, line);
        const Run result = run(QStringList{"thumbnail"} + arguments);
        QCOMPARE(result.status, status);
        QVERIFY(!result.errLines.isEmpty() && result.errLines[0].startsWith(line));
        QVERIFY(!QFile::exists(at("t.png")));
    }
};

QTEST_MAIN(ProjectCommandTest)
#include "tst_project_command.moc"
