// The tools pane: tool options, the settings of the selected annotation,
// history buttons, the templates list and the image actions.
#include "ui/color_well.h"
#include "ui/left_sidebar.h"
#include "ui/mark_settings_panel.h"
#include "ui/segmented_picker.h"
#include "ui/shape_settings_panel.h"
#include "ui/slider_row.h"
#include "ui/text_settings_panel.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

QStringList rowTexts(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

QToolButton* toolButton(const QWidget& sidebar, CanvasTool tool)
{
    return child<QToolButton>(sidebar, rawValue(tool) + QStringLiteral("Tool"));
}

// The shape picked from the panel's type menu, as a user picks it.
void chooseType(QComboBox* type, ShapeType shape)
{
    type->setCurrentIndex(int(shape));
    emit type->activated(int(shape));
}

} // namespace

class TestToolsSidebar : public QObject, FreshModel<LeftSidebar>
{
    Q_OBJECT

  private slots:
    void init() { makeFresh(); }
    void cleanup() { takeDown(); }

    void toolOptions_data()
    {
        QTest::addColumn<int>("tool"); // text and shape have options of their own
        for (CanvasTool tool : allCases<CanvasTool>())
            QTest::newRow(qPrintable(rawValue(tool))) << int(tool);
    }
    void toolOptions()
    {
        QFETCH(int, tool);
        toolButton(*m_widget, CanvasTool(tool))->click();
        QCOMPARE(int(m_state->currentTool()), tool);
        for (CanvasTool each : allCases<CanvasTool>())
            QCOMPARE(toolButton(*m_widget, each)->isChecked(), int(each) == tool);
        const QStringList options{"addText", "shapeOptions", "markerOptions", "cropOptions"};
        const qsizetype own =
            QList{CanvasTool::text, CanvasTool::shape, CanvasTool::marker, CanvasTool::crop}.indexOf(
                CanvasTool(tool));
        QCOMPARE(shownAmong(*m_widget, options), own < 0 ? QStringList() : QStringList{options[own]});
        toolButton(*m_widget, CanvasTool(tool))->click();
        QVERIFY(toolButton(*m_widget, CanvasTool(tool))->isChecked());
    }

    void captureButtonsStartTheirMode()
    {
        QList<CaptureMode> modes, expected;
        CancelledCapture::install(*m_state, [&](CaptureMode mode) { modes << mode; });
        for (const auto& [button, mode] : {std::pair{"captureRegionButton", CaptureMode::region},
                                           std::pair{"captureWindowButton", CaptureMode::window},
                                           std::pair{"captureFullScreenButton", CaptureMode::fullScreen}}) {
            named<QToolButton>(*m_widget, button)->click();
            expected << mode;
            QTRY_COMPARE(modes, expected);
            QTRY_VERIFY(!m_state->screenCaptureService().isCapturing());
        }
    }

    void selectionShowsMatchingSettings_data()
    {
        QTest::addColumn<QString>("selected"); // the panel of that kind shows, no other
        QTest::newRow("text") << "text";
        QTest::newRow("shape") << "shape";
        QTest::newRow("id of a deleted text") << "stale";
    }
    void selectionShowsMatchingSettings()
    {
        QFETCH(QString, selected);
        m_state->addTextOverlay();
        const QUuid textId = *m_state->selectedId(AnnotationKind::text);
        m_state->addShapeOverlay(ShapeType::arrow);
        const QUuid shapeId = *m_state->selectedId(AnnotationKind::shape);
        m_state->clearSelection();

        if (selected == "text")
            m_state->selectAnnotation(AnnotationKind::text, textId);
        else if (selected == "shape")
            m_state->selectAnnotation(AnnotationKind::shape, shapeId);
        else if (selected == "stale")
            m_state->selectAnnotation(AnnotationKind::text, QUuid::createUuid());
        QCOMPARE(child<TextSettingsPanel>(*m_widget)->isVisibleTo(m_widget.get()), selected == "text");
        QCOMPARE(child<ShapeSettingsPanel>(*m_widget)->isVisibleTo(m_widget.get()), selected == "shape");
    }

    void textSettingsEdit()
    {
        m_state->addTextOverlay();
        auto* panel = child<TextSettingsPanel>(*m_widget);
        auto* size = named<QComboBox>(*panel, "size");
        auto* weight = named<QComboBox>(*panel, "weight");
        QCOMPARE(size->currentText(), QStringLiteral("32"));
        QCOMPARE(weight->currentText(), QStringLiteral("Regular"));
        QVERIFY(named<QComboBox>(*panel, "font")->count() > int(availableFonts().size()));

        size->setFocus();
        QTest::keyClick(size, Qt::Key_Down);
        weight->setFocus();
        QTest::keyClick(weight, Qt::Key_End);
        named<QCheckBox>(*panel, "redacted")->click();
        const TextOverlay edited = *m_state->selectedTextOverlay();
        QCOMPARE(edited.fontSize, 36.0);
        QCOMPARE(edited.fontWeight, FontWeight::black);
        QVERIFY(edited.isRedacted);
        QCOMPARE(m_state->historyManager().undoStack().size(), 1); // only the add is an undo step

        // A size the list does not offer, and a font by name, show as they are.
        TextOverlay outside = edited;
        outside.fontSize = 33;
        outside.fontName = QStringLiteral("DejaVu Sans");
        m_state->updateTextOverlay(outside);
        QCOMPARE(size->currentText(), QStringLiteral("33"));
        QCOMPARE(named<QComboBox>(*panel, "font")->currentText(), QStringLiteral("DejaVu Sans"));
        QCOMPARE(m_state->selectedTextOverlay()->fontSize, 33.0); // showing it changed nothing

        named<QToolButton>(*panel, "delete")->click();
        QVERIFY(m_state->currentTextOverlays().isEmpty());
        QVERIFY(!panel->isVisibleTo(m_widget.get()));
    }

    void shapeAddedAndEdited()
    {
        m_state->setCurrentTool(CanvasTool::shape);
        child<QToolButton>(*m_widget, rawValue(ShapeType::ellipse) + QStringLiteral("Shape"))->click();
        QCOMPARE(m_state->currentShapeType(), ShapeType::ellipse);
        named<QPushButton>(*m_widget, "addShape")->click();
        QCOMPARE(m_state->currentShapeOverlays().size(), 1);
        QCOMPARE(m_state->currentShapeOverlays().first().shapeType, ShapeType::ellipse);
        auto* panel = child<ShapeSettingsPanel>(*m_widget);
        QVERIFY(panel->isVisibleTo(m_widget.get()));
        auto* fill = named<QCheckBox>(*panel, "fill");
        const QStringList rows{"fillColorRow", "arrowRow"};
        QCOMPARE(shownAmong(*panel, rows), QStringList());

        fill->click();
        const CodableColor blue{0.0, 122.0 / 255.0, 1.0, 0.3};
        QCOMPARE(m_state->selectedShapeOverlay()->fillColor, std::optional<CodableColor>(blue));
        QCOMPARE(shownAmong(*panel, rows), QStringList{"fillColorRow"});
        QVERIFY(qAbs(named<ColorWell>(*panel, "fillColor")->color().alphaF() - 0.3f) < 0.001f);
        fill->click();
        QVERIFY(!m_state->selectedShapeOverlay()->fillColor.has_value());
        QCOMPARE(shownAmong(*panel, rows), QStringList());

        const auto* widthValue = named<QLabel>(*panel, "widthValue");
        auto* width = named<QSlider>(*panel, "width");
        QCOMPARE(widthValue->text(), QStringLiteral("3px"));

        width->setValue(1275); // dragged to 12.75
        QCOMPARE(m_state->selectedShapeOverlay()->strokeWidth, 12.75);
        QCOMPARE(widthValue->text(), QStringLiteral("12px"));
        QTest::keyClick(width, Qt::Key_End);
        QCOMPARE(m_state->selectedShapeOverlay()->strokeWidth, 20.0);

        chooseType(named<QComboBox>(*panel, "type"), ShapeType::arrow);
        QCOMPARE(m_state->selectedShapeOverlay()->shapeType, ShapeType::arrow);
        QCOMPARE(shownAmong(*panel, rows), QStringList{"arrowRow"});
        segment(*named<SegmentedPicker>(*panel, "arrow"), 1)->click();
        QCOMPARE(m_state->selectedShapeOverlay()->arrowStyle, ArrowStyle::double_);

        m_state->addShapeOverlay(ShapeType::spotlight);
        QCOMPARE(m_state->selectedShapeOverlay()->opacity, 0.6);
        // A spotlight has no outline or fill to set.
        const QStringList spotlightRows{"spotlightRow", "cellSize", "strokeRow", "widthRow", "fill"};
        QCOMPARE(shownAmong(*panel, spotlightRows), QStringList{"spotlightRow"});
        segment(*named<SegmentedPicker>(*panel, "spotlightShape"), 1)->click();
        QCOMPARE(m_state->selectedShapeOverlay()->spotlightShape, SpotlightShape::ellipse);

        chooseType(named<QComboBox>(*panel, "type"), ShapeType::pixelate);
        QCOMPARE(m_state->selectedShapeOverlay()->opacity, 1.0); // no longer dimming
        QCOMPARE(shownAmong(*panel, {"spotlightRow", "cellSize"}), QStringList{"cellSize"});
        chooseType(named<QComboBox>(*panel, "type"), ShapeType::redact);
        QCOMPARE(shownAmong(*panel, {"strokeRow", "fill"}), QStringList{"fill"}); // the box's colour
    }

    void markerStartNumberAndMarkSettings()
    {
        m_state->setCurrentTool(CanvasTool::marker);
        auto* start = named<QSpinBox>(*m_widget, "startNumber");
        start->setValue(5);
        QCOMPARE(m_state->markerStartNumber(), 5);
        m_state->addStepMarker(StepMarker{});

        auto* panel = child<MarkSettingsPanel>(*m_widget);
        QVERIFY(panel->isVisibleTo(m_widget.get()));
        auto* size = named<SliderRow>(*panel, "markerSize");
        const QStringList rows{"markerSize", "strokeWidth", "strokeOpacity"};
        QCOMPARE(shownAmong(*panel, rows), QStringList{"markerSize"});
        QCOMPARE(size->value(), StepMarker{}.size);
        QTest::keyClick(size->findChild<QSlider*>(), Qt::Key_End);
        QCOMPARE(m_state->selectedStepMarker()->size, 96.0);

        PenStroke stroke = freshPenStroke(true);
        stroke.points = {{0.1, 0.1}};
        m_state->addPenStroke(stroke);
        QCOMPARE(shownAmong(*panel, {"markerSize", "strokeOpacity"}), QStringList{"strokeOpacity"});
        auto* opacity = named<SliderRow>(*panel, "strokeOpacity");
        QCOMPARE(opacity->value(), 50.0);
        QTest::keyClick(opacity->findChild<QSlider*>(), Qt::Key_Home);
        QCOMPARE(m_state->selectedPenStroke()->opacity, 0.1);
        // Delete in the header removes the stroke, not the marker.
        QTest::mouseClick(named<QToolButton>(*panel, "delete"), Qt::LeftButton);
        QVERIFY(m_state->currentPenStrokes().isEmpty());
        QCOMPARE(m_state->currentStepMarkers().size(), 1);
        QVERIFY(!panel->isVisibleTo(m_widget.get()));
    }

    void startNumberRenumbersPlacedMarkers_data()
    {
        QTest::addColumn<QString>("typed"); // over the number shown; else stepped
        QTest::addColumn<int>("stepsUp");
        QTest::addColumn<int>("start");
        QTest::newRow("10 typed in") << QStringLiteral("10") << 0 << 10;
        QTest::newRow("stepped up three times") << QString() << 3 << 4;
        QTest::newRow("0 typed in") << QStringLiteral("0") << 0 << 0;
    }
    // Each keystroke changes the number: together they are one undo step.
    void startNumberRenumbersPlacedMarkers()
    {
        QFETCH(QString, typed);
        QFETCH(int, stepsUp);
        QFETCH(int, start);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        m_state->setCurrentTool(CanvasTool::marker);
        for (int i = 0; i < 3; ++i)
            m_state->addStepMarker(StepMarker{});
        auto* spin = named<QSpinBox>(*m_widget, "startNumber");
        spin->setFocus();
        if (!typed.isEmpty()) {
            spin->selectAll();
            QTest::keyClicks(spin, typed);
        }
        for (int i = 0; i < stepsUp; ++i)
            QTest::keyClick(spin, Qt::Key_Up);
        QCOMPARE(test::markerNumbers(*m_state), (QList<int>{start, start + 1, start + 2}));
        m_state->undo();
        QCOMPARE(test::markerNumbers(*m_state), (QList<int>{1, 2, 3}));
        QCOMPARE(spin->value(), 1);
        m_state->redo();
        QCOMPARE(test::markerNumbers(*m_state), (QList<int>{start, start + 1, start + 2}));
        QCOMPARE(spin->value(), start);
    }

    void resetCropBringsBackTheWholeScreenshot()
    {
        QVERIFY(loadAndCompose(*m_state));
        m_state->setCurrentTool(CanvasTool::crop);
        auto* reset = named<QPushButton>(*m_widget, "resetCrop");
        QVERIFY(!reset->isEnabled());
        m_state->setCrop(UnitRect{0.1, 0.1, 0.5, 0.5});
        QVERIFY(reset->isEnabled());
        QTest::mouseClick(reset, Qt::LeftButton);
        QVERIFY(!m_state->currentCrop());
        m_state->undo(); // the reset is an undo step of its own
        QVERIFY(m_state->currentCrop());
    }

    void imageActions()
    {
        auto* copy = named<QPushButton>(*m_widget, "copy");
        auto* exportButton = named<QPushButton>(*m_widget, "export");
        QVERIFY(!copy->isEnabled() && !exportButton->isEnabled());
        QVERIFY(loadAndCompose(*m_state));
        QVERIFY(named<QPushButton>(*m_widget, "paste")->isEnabled());
        QVERIFY(copy->isEnabled() && exportButton->isEnabled());
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QVERIFY(m_state->showExportDialog());
        m_state->newTab();
        QVERIFY(!copy->isEnabled() && !exportButton->isEnabled());
        QVERIFY(named<QPushButton>(*m_widget, "paste")->isEnabled());
    }

    // The history buttons too: they follow the history and reach it.
    void savedTemplateAppliedAndUndone()
    {
        auto* list = child<QListWidget>(*m_widget);
        auto* undo = named<QToolButton>(*m_widget, "undo");
        auto* redo = named<QToolButton>(*m_widget, "redo");
        const auto* empty = named<QLabel>(*m_widget, "emptyLabel");
        QVERIFY(empty->isVisibleTo(m_widget.get()));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());

        named<QToolButton>(*m_widget, "saveTemplate")->click();
        QVERIFY(m_state->showSaveTemplateDialog());
        const BeautySettings saved{.cornerRadius = 30, .backgroundType = BackgroundType::solid};
        m_state->templateManager().saveTemplate(QStringLiteral("Blog"), saved); // as the sheet does

        QCOMPARE(rowTexts(*list), QStringList{"Blog"});
        QVERIFY(!empty->isVisibleTo(m_widget.get()));

        const BeautySettings changed{.cornerRadius = 5};
        m_state->setSettings(changed);
        m_widget->resize(240, 900);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(m_state->settings(), saved);
        QVERIFY(undo->isEnabled() && !redo->isEnabled());
        undo->click();
        QCOMPARE(m_state->settings(), changed);
        QVERIFY(!undo->isEnabled() && redo->isEnabled());
        redo->click();
        QCOMPARE(m_state->settings(), saved);
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
        for (const char* name : {"One", "Two", "Three"})
            m_state->templateManager().saveTemplate(QString::fromLatin1(name), m_state->settings());
        auto* list = child<QListWidget>(*m_widget);
        QCOMPARE(list->count(), 3);
        list->setCurrentRow(row);
        const BeautySettings before = m_state->settings();
        QTest::keyClick(list, Qt::Key(key));
        QTEST(rowTexts(*list), "left");
        QCOMPARE(m_state->settings(), before); // deleting applies nothing
    }

    void iconsFollowThePalette()
    {
        const QColor light(240, 240, 240), dark(36, 36, 40);
        m_widget->setPalette(paletteWith(light, QColor(20, 20, 20)));
        QVERIFY(visiblePixels(named<QToolButton>(*m_widget, "undo")->icon(), light) >= 6);
        // The desktop switches to a dark theme while the window is open.
        m_widget->setPalette(paletteWith(dark, QColor(235, 235, 235)));
        QVERIFY(visiblePixels(named<QToolButton>(*m_widget, "undo")->icon(), dark) >= 6);
        QVERIFY(visiblePixels(named<QPushButton>(*m_widget, "paste")->icon(), dark) >= 6);
    }

    void everyControlNamedAndReachable()
    {
        m_state->templateManager().saveTemplate(QStringLiteral("Look"), m_state->settings());
        m_state->setCurrentTool(CanvasTool::shape);
        m_state->addTextOverlay();
        QCOMPARE(unreachableOrNamelessControls(*m_widget), QStringList());
        m_state->addShapeOverlay(ShapeType::arrow);
        ShapeOverlay shape = *m_state->selectedShapeOverlay();
        shape.fillColor = CodableColor{};
        m_state->updateShapeOverlay(shape);
        QCOMPARE(unreachableOrNamelessControls(*m_widget), QStringList());
    }
};

QTEST_MAIN(TestToolsSidebar)
#include "tst_tools_sidebar.moc"
