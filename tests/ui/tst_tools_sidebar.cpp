// The tools pane: tool options, the settings of the selected annotation,
// history buttons, the templates list and the image actions.
#include "io/capture_backend.h"
#include "io/screen_capture_service.h"
#include "sidebar_test_support.h"
#include "test_fixtures.h"
#include "ui/color_well.h"
#include "ui/left_sidebar.h"
#include "ui/save_template_dialog.h"
#include "ui/segmented_picker.h"
#include "ui/shape_settings_panel.h"
#include "ui/text_settings_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QToolButton>

using namespace lustrelab;

namespace {

void clickRow(QListWidget* list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

QStringList namesInFile(const QString& directory)
{
    TemplateManager reread(directory);
    QStringList names;
    for (const Template& entry : reread.templates())
        names << entry.name;
    return names;
}

// Mean lightness of the icon's ink, 0 (black) to 1 (white).
double inkLightness(const QIcon& icon)
{
    const QImage image = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    double weight = 0;
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = QColor::fromRgba(image.pixel(x, y));
            weight += pixel.alphaF();
            sum += pixel.alphaF() * pixel.lightnessF();
        }
    return weight > 0 ? sum / weight : -1;
}

// Records the modes it is asked for and leaves no file, as a cancelled capture does.
class RecordingBackend : public CaptureBackend
{
  public:
    QList<CaptureMode>* modes = nullptr;
    QString name() const override { return QStringLiteral("recording"); }
    void capture(CaptureMode mode, const QString&, Done done) override
    {
        modes->append(mode);
        done({});
    }
};

QToolButton* toolButton(const QWidget& sidebar, CanvasTool tool)
{
    return test::child<QToolButton>(sidebar, rawValue(tool) + QStringLiteral("Tool"));
}

template <typename T> T* named(const QWidget& root, const char* name)
{
    return test::child<T>(root, QLatin1String(name));
}

} // namespace

class TestToolsSidebar : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

  private slots:
    void toolOptions_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("addText");
        QTest::addColumn<bool>("shapeOptions");
        QTest::newRow("select") << int(CanvasTool::select) << false << false;
        QTest::newRow("text") << int(CanvasTool::text) << true << false;
        QTest::newRow("shape") << int(CanvasTool::shape) << false << true;
        QTest::newRow("remove") << int(CanvasTool::remove) << false << false;
    }
    void toolOptions()
    {
        QFETCH(int, tool);
        QFETCH(bool, addText);
        QFETCH(bool, shapeOptions);
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        toolButton(sidebar, CanvasTool(tool))->click();
        QCOMPARE(int(state.currentTool()), tool);
        for (CanvasTool each : allCases<CanvasTool>())
            QCOMPARE(toolButton(sidebar, each)->isChecked(), int(each) == tool);
        QCOMPARE(named<QPushButton>(sidebar, "addText")->isVisibleTo(&sidebar), addText);
        QCOMPARE(named<QWidget>(sidebar, "shapeOptions")->isVisibleTo(&sidebar), shapeOptions);
        // Clicking the current tool again keeps it highlighted.
        toolButton(sidebar, CanvasTool(tool))->click();
        QVERIFY(toolButton(sidebar, CanvasTool(tool))->isChecked());
    }

    void captureButtonsStartTheirMode_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<CaptureMode>("mode");
        QTest::newRow("Region") << "captureRegionButton" << CaptureMode::region;
        QTest::newRow("Window") << "captureWindowButton" << CaptureMode::window;
        QTest::newRow("Full Screen") << "captureFullScreenButton" << CaptureMode::fullScreen;
    }
    void captureButtonsStartTheirMode()
    {
        QFETCH(QString, button);
        QFETCH(CaptureMode, mode);
        QTemporaryDir dir;
        AppState state(dir.path());
        QList<CaptureMode> modes;
        auto backend = std::make_unique<RecordingBackend>();
        backend->modes = &modes;
        state.screenCaptureService().setBackend(std::move(backend));
        LeftSidebar sidebar(state);
        test::child<QToolButton>(sidebar, button)->click();
        QTRY_COMPARE(modes.size(), 1);
        QCOMPARE(modes.first(), mode);
        QTRY_VERIFY(!state.screenCaptureService().isCapturing());
    }

    void addShapeUsesChosenType()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.setCurrentTool(CanvasTool::shape);
        test::child<QToolButton>(sidebar, rawValue(ShapeType::ellipse) + QStringLiteral("Shape"))->click();
        QCOMPARE(state.currentShapeType(), ShapeType::ellipse);
        named<QPushButton>(sidebar, "addShape")->click();
        QCOMPARE(state.currentShapeOverlays().size(), 1);
        QCOMPARE(state.currentShapeOverlays().first().shapeType, ShapeType::ellipse);
        QVERIFY(test::child<ShapeSettingsPanel>(sidebar)->isVisibleTo(&sidebar));
    }

    void selectionShowsMatchingSettings_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("textShown");
        QTest::addColumn<bool>("shapeShown");
        QTest::newRow("nothing") << "" << false << false;
        QTest::newRow("text") << "text" << true << false;
        QTest::newRow("shape") << "shape" << false << true;
        QTest::newRow("id of a deleted text") << "stale" << false << false;
    }
    void selectionShowsMatchingSettings()
    {
        QFETCH(QString, selected);
        QFETCH(bool, textShown);
        QFETCH(bool, shapeShown);
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.addTextOverlay();
        const QUuid textId = *state.selectedTextOverlayId();
        state.addShapeOverlay(ShapeType::arrow);
        const QUuid shapeId = *state.selectedShapeOverlayId();
        state.setSelectedTextOverlayId(std::nullopt);
        state.setSelectedShapeOverlayId(std::nullopt);

        if (selected == "text")
            state.setSelectedTextOverlayId(textId);
        else if (selected == "shape")
            state.setSelectedShapeOverlayId(shapeId);
        else if (selected == "stale")
            state.setSelectedTextOverlayId(QUuid::createUuid());
        QCOMPARE(test::child<TextSettingsPanel>(sidebar)->isVisibleTo(&sidebar), textShown);
        QCOMPARE(test::child<ShapeSettingsPanel>(sidebar)->isVisibleTo(&sidebar), shapeShown);
    }

    void textSettingsEdit()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.addTextOverlay();
        auto* panel = test::child<TextSettingsPanel>(sidebar);
        auto* size = named<QComboBox>(*panel, "size");
        auto* weight = named<QComboBox>(*panel, "weight");
        QCOMPARE(size->currentText(), QStringLiteral("32"));
        QCOMPARE(weight->currentText(), QStringLiteral("Regular"));
        QCOMPARE(named<QComboBox>(*panel, "font")->count(), int(availableFonts().size()));

        size->setFocus();
        QTest::keyClick(size, Qt::Key_Down);
        weight->setFocus();
        QTest::keyClick(weight, Qt::Key_End);
        named<QCheckBox>(*panel, "redacted")->click();
        const TextOverlay edited = *state.selectedTextOverlay();
        QCOMPARE(edited.fontSize, 36.0);
        QCOMPARE(edited.fontWeight, FontWeight::black);
        QVERIFY(edited.isRedacted);
        QCOMPARE(state.historyManager().undoStack().size(), 1); // only the add is an undo step

        named<QToolButton>(*panel, "delete")->click();
        QVERIFY(state.currentTextOverlays().isEmpty());
        QVERIFY(!panel->isVisibleTo(&sidebar));
    }

    void textSizeOutsideTheList()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.addTextOverlay();
        TextOverlay overlay = *state.selectedTextOverlay();
        overlay.fontSize = 33;
        overlay.fontName = QStringLiteral("DejaVu Sans");
        state.updateTextOverlay(overlay);
        const auto* panel = test::child<TextSettingsPanel>(sidebar);
        QCOMPARE(named<QComboBox>(*panel, "size")->currentText(), QStringLiteral("33"));
        QCOMPARE(named<QComboBox>(*panel, "font")->currentText(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(state.selectedTextOverlay()->fontSize, 33.0); // showing it changed nothing
    }

    void fillToggle()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.addShapeOverlay(ShapeType::rectangle);
        auto* panel = test::child<ShapeSettingsPanel>(sidebar);
        auto* fill = named<QCheckBox>(*panel, "fill");
        const auto* fillRow = named<QWidget>(*panel, "fillColorRow");
        QVERIFY(!fillRow->isVisibleTo(panel));

        fill->click();
        const CodableColor blue{0.0, 122.0 / 255.0, 1.0, 0.3};
        QCOMPARE(state.selectedShapeOverlay()->fillColor, std::optional<CodableColor>(blue));
        QVERIFY(fillRow->isVisibleTo(panel));
        QVERIFY(qAbs(named<ColorWell>(*panel, "fillColor")->color().alphaF() - 0.3f) < 0.001f);

        fill->click();
        QVERIFY(!state.selectedShapeOverlay()->fillColor.has_value());
        QVERIFY(!fillRow->isVisibleTo(panel));
    }

    void shapeWidthAndArrow()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        state.addShapeOverlay(ShapeType::rectangle);
        auto* panel = test::child<ShapeSettingsPanel>(sidebar);
        const auto* widthValue = named<QLabel>(*panel, "widthValue");
        auto* width = named<QSlider>(*panel, "width");
        auto* type = named<QComboBox>(*panel, "type");
        QCOMPARE(widthValue->text(), QStringLiteral("3px"));
        QVERIFY(!named<QWidget>(*panel, "arrowRow")->isVisibleTo(panel));

        width->setValue(1275); // dragged to 12.75
        QCOMPARE(state.selectedShapeOverlay()->strokeWidth, 12.75);
        QCOMPARE(widthValue->text(), QStringLiteral("12px"));
        QTest::keyClick(width, Qt::Key_End);
        QCOMPARE(state.selectedShapeOverlay()->strokeWidth, 20.0);

        type->setFocus();
        type->setCurrentIndex(int(ShapeType::arrow));
        emit type->activated(int(ShapeType::arrow));
        QCOMPARE(state.selectedShapeOverlay()->shapeType, ShapeType::arrow);
        QVERIFY(named<QWidget>(*panel, "arrowRow")->isVisibleTo(panel));
        named<SegmentedPicker>(*panel, "arrow")->segment(1)->click();
        QCOMPARE(state.selectedShapeOverlay()->arrowStyle, ArrowStyle::double_);
    }

    void historyButtonsFollowTheHistory()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        auto* undo = named<QToolButton>(sidebar, "undo");
        auto* redo = named<QToolButton>(sidebar, "redo");
        QVERIFY(!undo->isEnabled());
        QVERIFY(!redo->isEnabled());
        state.addTextOverlay();
        QVERIFY(undo->isEnabled());
        undo->click();
        QVERIFY(state.currentTextOverlays().isEmpty());
        QVERIFY(!undo->isEnabled());
        QVERIFY(redo->isEnabled());
        redo->click();
        QCOMPARE(state.currentTextOverlays().size(), 1);
    }

    void imageActions_data()
    {
        QTest::addColumn<bool>("composed");
        QTest::newRow("empty tab") << false;
        QTest::newRow("composed image") << true;
    }
    void imageActions()
    {
        QFETCH(bool, composed);
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        if (composed)
            test::loadComposedScreenshot(state);
        auto* copy = named<QPushButton>(sidebar, "copy");
        auto* exportButton = named<QPushButton>(sidebar, "export");
        QVERIFY(named<QPushButton>(sidebar, "paste")->isEnabled());
        QCOMPARE(copy->isEnabled(), composed);
        QCOMPARE(exportButton->isEnabled(), composed);
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(state.showExportDialog(), composed);
        // A new empty tab has nothing to copy.
        state.newTab();
        QVERIFY(!copy->isEnabled());
    }

    void savedTemplateAppliedAndUndone()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        auto* list = test::child<QListWidget>(sidebar);
        const auto* empty = named<QLabel>(sidebar, "emptyLabel");
        QVERIFY(empty->isVisibleTo(&sidebar));

        named<QToolButton>(sidebar, "saveTemplate")->click();
        QVERIFY(state.showSaveTemplateDialog());
        BeautySettings saved = state.settings();
        saved.cornerRadius = 30;
        saved.backgroundType = BackgroundType::solid;
        state.setSettings(saved);
        SaveTemplateDialog dialog(state);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* name = test::child<QLineEdit>(dialog, QStringLiteral("name"));
        QTest::keyClicks(name, QStringLiteral("Blog"));
        QTest::keyClick(name, Qt::Key_Return);

        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Blog"));
        QVERIFY(!empty->isVisibleTo(&sidebar));
        QCOMPARE(namesInFile(dir.path()), QStringList{QStringLiteral("Blog")});

        BeautySettings changed = saved;
        changed.cornerRadius = 5;
        changed.backgroundType = BackgroundType::gradient;
        state.setSettings(changed);
        sidebar.resize(240, 900);
        sidebar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sidebar));
        clickRow(list, 0);
        QCOMPARE(state.settings(), saved);
        named<QToolButton>(sidebar, "undo")->click();
        QCOMPARE(state.settings(), changed);
    }

    void templateRowsDeleted_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("Delete on the first") << int(Qt::Key_Delete) << 0 << QStringList{"Two", "Three"};
        QTest::newRow("Backspace on the last") << int(Qt::Key_Backspace) << 2 << QStringList{"One", "Two"};
    }
    void templateRowsDeleted()
    {
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        AppState state(dir.path());
        for (const char* name : {"One", "Two", "Three"})
            state.templateManager().saveTemplate(QString::fromLatin1(name), state.settings());
        LeftSidebar sidebar(state);
        auto* list = test::child<QListWidget>(sidebar);
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(row);
        const BeautySettings before = state.settings();
        QTest::keyClick(list, Qt::Key(key));
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown, left);
        QCOMPARE(namesInFile(dir.path()), left);
        QCOMPARE(state.settings(), before); // deleting applies nothing
    }

    void iconsFollowThePalette()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        LeftSidebar sidebar(state);
        QPalette light;
        light.setColor(QPalette::Window, QColor(240, 240, 240));
        light.setColor(QPalette::ButtonText, QColor(20, 20, 20));
        sidebar.setPalette(light);
        QVERIFY(inkLightness(named<QToolButton>(sidebar, "undo")->icon()) < 0.3);
        // The desktop switches to a dark theme while the window is open.
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(36, 36, 40));
        dark.setColor(QPalette::ButtonText, QColor(235, 235, 235));
        sidebar.setPalette(dark);
        QVERIFY(inkLightness(named<QToolButton>(sidebar, "undo")->icon()) > 0.7);
        QVERIFY(inkLightness(named<QPushButton>(sidebar, "paste")->icon()) > 0.7);
    }

    void everyControlNamedAndReachable()
    {
        QTemporaryDir dir;
        AppState state(dir.path());
        state.templateManager().saveTemplate(QStringLiteral("Look"), state.settings());
        LeftSidebar sidebar(state);
        state.setCurrentTool(CanvasTool::shape);
        state.addTextOverlay();
        QCOMPARE(test::unreachableOrNamelessControls(sidebar), QStringList());
        state.addShapeOverlay(ShapeType::arrow);
        ShapeOverlay shape = *state.selectedShapeOverlay();
        shape.fillColor = CodableColor{};
        state.updateShapeOverlay(shape);
        QCOMPARE(test::unreachableOrNamelessControls(sidebar), QStringList());
    }
};

QTEST_MAIN(TestToolsSidebar)
#include "tst_tools_sidebar.moc"
