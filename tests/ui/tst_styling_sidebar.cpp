// The styling pane: what each control stores, which rows show for which
// styling, the folded sections that outlive the pane, and the background
// panel's own gradients, pictures and matched colours.
#include "ui/background_panel.h"
#include "ui/borders_panel.h"
#include "ui/collapsible_section.h"
#include "ui/device_frame_panel.h"
#include "ui/gradient_stop_bar.h"
#include "ui/gradient_swatch_grid.h"
#include "ui/padding_panel.h"
#include "ui/preset_chip.h"
#include "ui/right_sidebar.h"
#include "ui/segmented_picker.h"
#include "ui/shadow_panel.h"
#include "ui/share_panel.h"
#include "ui/slider_row.h"
#include "ui_fixtures.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

// The model's styling with `edit` applied, as if restored from an earlier session.
template <typename Edit> void editSettings(AppState& state, Edit edit)
{
    BeautySettings settings = state.settings();
    edit(settings);
    state.setSettings(settings);
}

const DeviceFrame& firstFrameOf(DeviceCategory category)
{
    for (const DeviceFrame& frame : deviceFrames())
        if (frame.category == category)
            return frame;
    return noDeviceFrame();
}

QSlider* sliderOf(const QWidget& root, const char* row)
{
    return named<QSlider>(*named<SliderRow>(root, row), "slider");
}

const char* const sectionNames[] = {"sizeSection",    "deviceSection", "backgroundSection",
                                    "bordersSection", "shadowSection", "paddingSection"};

CollapsibleSection* section(const QWidget& sidebar, int index)
{
    return named<CollapsibleSection>(sidebar, sectionNames[index]);
}

QAbstractButton* headerOf(const QWidget& sidebar, int index)
{
    return named<QAbstractButton>(*section(sidebar, index), "header");
}

QList<bool> foldedSections(const QWidget& sidebar)
{
    return test::mapped(sectionNames, [&](const char* name) {
        return named<CollapsibleSection>(sidebar, name)->isCollapsed();
    });
}

} // namespace

class TestStylingSidebar : public QObject, FreshModel<RightSidebar>
{
    Q_OBJECT

    BackgroundPanel* background() const { return child<BackgroundPanel>(*m_widget); }
    const CustomGradient& gradient() const { return m_state->settings().customGradient; }
    GradientStopBar* bar() const { return child<GradientStopBar>(*m_widget); }
    QPoint onBar(double position) const { return {bar()->xAt(position), 10}; }
    QPoint onHandle(double position) const { return {bar()->xAt(position), 30}; }

    void showCustom()
    {
        segment(*named<SegmentedPicker>(*background(), "moreTypes"), 0)->click();
        QCoreApplication::processEvents(); // lays the editor out now that it shows
    }

  private slots:
    void init()
    {
        makeFresh();
        m_widget->resize(280, 900);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }
    void cleanup() { takeDown(); }

    void opacityRow_data()
    {
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown");
        // 0.29 is 0.2899999917 in single precision: still 29%, not 28%.
        QTest::newRow("single precision just below") << 0.29f << "29%";
        QTest::newRow("0.57, below in double arithmetic too") << 0.57f << "57%";
    }
    void opacityRow()
    {
        QFETCH(float, stored);
        editSettings(*m_state, [&](BeautySettings& s) { s.shadowOpacity = stored; });
        auto* opacity = named<SliderRow>(*m_widget, "opacity");
        QTEST(opacity->valueText(), "shown");

        named<QSlider>(*opacity, "slider")->setValue(40 * 100); // the handle dragged to 40
        QCOMPARE(m_state->settings().shadowOpacity, 0.4f);
        QVERIFY(!m_state->historyManager().canUndo()); // styling edits are no undo step
        QCOMPARE(opacity->valueText(), QStringLiteral("40%"));
    }

    void dependentRowsFollowTheStyling()
    {
        auto* borders = child<BordersPanel>(*m_widget);
        const auto* borderColor = named<QWidget>(*borders, "borderColorRow");
        QVERIFY(!borderColor->isVisibleTo(borders));
        QTest::keyClick(sliderOf(*borders, "borderWidth"), Qt::Key_Right); // width 0 -> 1
        QCOMPARE(m_state->settings().borderWidth, 1.0);
        QVERIFY(borderColor->isVisibleTo(borders));
        QTest::keyClick(sliderOf(*borders, "cornerRadius"), Qt::Key_End);
        QCOMPARE(m_state->settings().cornerRadius, 48.0);

        auto* shadow = child<ShadowPanel>(*m_widget);
        const QStringList shadowRows{"blur", "offsetY", "opacity"};
        QCOMPARE(shownAmong(*shadow, shadowRows), shadowRows);
        named<QCheckBox>(*shadow, "enabled")->click();
        QVERIFY(!m_state->settings().shadowEnabled);
        QCOMPARE(shownAmong(*shadow, shadowRows), QStringList());

        m_state->setSettings({.padding = 64,
                              .paddingTop = 10,
                              .paddingBottom = 20.7,
                              .paddingLeading = 30,
                              .paddingTrailing = 40});
        auto* padding = child<PaddingPanel>(*m_widget);
        const QStringList sides{"top", "bottom", "left", "right"};
        auto* uniform = named<QCheckBox>(*padding, "uniform");
        QCOMPARE(shownAmong(*padding, QStringList{"size"} + sides), QStringList{"size"});

        uniform->click();
        QVERIFY(!m_state->settings().paddingUniform);
        QCOMPARE(shownAmong(*padding, QStringList{"size"} + sides), sides);
        QStringList shown;
        for (const QString& side : sides)
            shown << child<SliderRow>(*padding, side)->valueText();
        QCOMPARE(shown, QStringList({"10px", "20px", "30px", "40px"}));
        // Each side writes its own field.
        QTest::keyClick(sliderOf(*padding, "left"), Qt::Key_Right);
        QCOMPARE(m_state->settings().paddingLeading, 31.0);
        QCOMPARE(m_state->settings().paddingTrailing, 40.0);

        uniform->click();
        QCOMPARE(shownAmong(*padding, QStringList{"size"} + sides), QStringList{"size"});
        QCOMPARE(named<SliderRow>(*padding, "size")->valueText(), QStringLiteral("64px"));
    }

    void deviceChips_data()
    {
        QTest::addColumn<QString>("startId");
        QTest::addColumn<QString>("startChip"); // selected before the click
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("storedId");
        const QString firstIpad = firstFrameOf(DeviceCategory::ipad).id;
        const QString firstMac = firstFrameOf(DeviceCategory::mac).id;
        const QString none = QStringLiteral("None"), ipad = QStringLiteral("iPad"),
                      mac = QStringLiteral("Mac");
        QTest::newRow("None from a frame") << firstMac << mac << none << "none";
        QTest::newRow("iPad from none") << "none" << none << ipad << firstIpad;
        QTest::newRow("iPad from an unknown id, which counts as none")
            << "no-such-frame" << none << ipad << firstIpad;
        QTest::newRow("Mac from iPad") << firstIpad << ipad << mac << firstMac;
    }
    void deviceChips()
    {
        QFETCH(QString, startId);
        QFETCH(QString, startChip);
        QFETCH(QString, chip);
        QFETCH(QString, storedId);
        const bool pickerShown = chip != QLatin1String("None");
        editSettings(*m_state, [&](BeautySettings& s) { s.deviceFrameId = startId; });
        auto* device = child<DeviceFramePanel>(*m_widget);
        auto* picker = named<QComboBox>(*device, "frame");
        QVERIFY(labelled<PresetChip>(*device, startChip)->isSelected());
        QCOMPARE(picker->isVisibleTo(device), startChip != QLatin1String("None"));

        labelled<PresetChip>(*device, chip)->click();
        QCOMPARE(m_state->settings().deviceFrameId, storedId);
        QVERIFY(labelled<PresetChip>(*device, chip)->isSelected());
        QCOMPARE(picker->isVisibleTo(device), pickerShown);
        if (!pickerShown)
            return;
        QCOMPARE(picker->currentData().toString(), storedId);
        QCOMPARE(picker->count(), int(framesInCategory(findDeviceFrame(storedId)->category).size()));
        // The second frame of the category, chosen from the pop-up, keeps its chip.
        QTest::keyClick(picker, Qt::Key_Down);
        QCOMPARE(m_state->settings().deviceFrameId, picker->itemData(1).toString());
        QVERIFY(labelled<PresetChip>(*device, chip)->isSelected());
    }

    void categoryWithoutFrames()
    {
        const QList<DeviceFrame> catalogue{{.id = "none", .name = {}},
                                           {.id = "tablet-b", .name = {}, .category = DeviceCategory::ipad},
                                           {.id = "tablet-a", .name = {}, .category = DeviceCategory::ipad}};
        QCOMPARE(frameIdForCategory(DeviceCategory::mac, catalogue), QStringLiteral("none"));
        QCOMPARE(frameIdForCategory(DeviceCategory::ipad, catalogue), QStringLiteral("tablet-b"));
    }

    void gradientSwatches()
    {
        auto* background = child<BackgroundPanel>(*m_widget);
        const auto* grid = child<GradientSwatchGrid>(*background);
        const auto swatches = [grid] { return grid->findChildren<QAbstractButton*>(); };
        QCOMPARE(swatches().size(), gradientPresets().size());
        // The default id names no preset: nothing is outlined.
        for (QAbstractButton* swatch : swatches())
            QVERIFY(!swatch->isChecked());

        labelled<PresetChip>(*background, QStringLiteral("Dark"))->click();
        const QList<GradientPreset> dark = presetsInCategory(GradientCategory::dark);
        QCOMPARE(swatches().size(), dark.size());
        QCOMPARE(m_state->settings(), BeautySettings{}); // filtering is no styling change
        QCOMPARE(swatches()[1]->toolTip(), dark[1].name);

        swatches()[1]->click();
        QCOMPARE(m_state->settings().gradientPresetId, dark[1].id);
        QVERIFY(swatches()[1]->isChecked());
        QVERIFY(!swatches()[0]->isChecked());

        // Back to all: the chosen preset stays outlined in the full grid.
        labelled<PresetChip>(*background, QStringLiteral("All"))->click();
        QVERIFY(swatches()[gradientPresets().indexOf(dark[1])]->isChecked());
    }

    // The flags themselves persist in the model; the sections show and set them,
    // and their bodies slide rather than jump.
    void sectionsFollowTheirFlags()
    {
        QCOMPARE(foldedSections(*m_widget), QList<bool>({false, true, false, true, false, true}));

        const auto* sizeBody = named<QWidget>(*section(*m_widget, 0), "body");
        const auto* bordersBody = named<QWidget>(*section(*m_widget, 3), "body");
        headerOf(*m_widget, 0)->click(); // Size folds
        QVERIFY(m_state->canvasCollapsed());
        QVERIFY(section(*m_widget, 0)->isAnimating());
        QTRY_VERIFY(!section(*m_widget, 0)->isAnimating());
        QVERIFY(!sizeBody->isVisible());
        QTest::keyClick(headerOf(*m_widget, 3), Qt::Key_Space); // Borders opens, from the keyboard
        QVERIFY(!m_state->cornersCollapsed());
        QTRY_VERIFY(!section(*m_widget, 3)->isAnimating());
        QVERIFY(bordersBody->isVisible() && bordersBody->height() > 0);
        const QList<bool> folded{true, true, false, false, false, true};
        QCOMPARE(foldedSections(*m_widget), folded);

        auto* tabs = named<SegmentedPicker>(*m_widget, "tabPicker");
        segment(*tabs, 1)->click();
        QVERIFY(child<SharePanel>(*m_widget)->isVisibleTo(m_widget.get()));
        segment(*tabs, 0)->click();
        QVERIFY(!child<SharePanel>(*m_widget)->isVisibleTo(m_widget.get()));
        QCOMPARE(foldedSections(*m_widget), folded);
    }

    void shareBlock_data()
    {
        QTest::addColumn<QImage>("composed");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("imageSize");
        QTest::addColumn<QString>("exportSize");
        QImage hidpi(801, 601, QImage::Format_ARGB32_Premultiplied);
        hidpi.setDevicePixelRatio(2);
        QTest::newRow("no image") << QImage() << 2.0 << QString() << QString();
        QTest::newRow("half points cut, export of the exact size") << hidpi << 3.0 << "400 \u00d7 300"
                                                                   << "1201 \u00d7 901";
    }
    void shareBlock()
    {
        QFETCH(QImage, composed);
        QFETCH(double, scale);
        editSettings(*m_state, [&](BeautySettings& s) { s.exportScale = scale; });
        m_state->setProcessedImage(composed);
        auto* share = child<SharePanel>(*m_widget);
        const bool present = !composed.isNull();
        QCOMPARE(named<QPushButton>(*share, "copy")->isEnabled(), present);
        QCOMPARE(named<QPushButton>(*share, "download")->isEnabled(), present);
        QCOMPARE(named<QWidget>(*share, "info")->isVisibleTo(share), present);
        if (!present)
            return;
        QTEST(share->imageSizeText(), "imageSize");
        QTEST(share->exportSizeText(), "exportSize");

        named<QPushButton>(*share, "download")->click();
        QVERIFY(m_state->showExportDialog());
    }

    void everyControlNamedAndReachable()
    {
        QVERIFY(loadAndCompose(*m_state));
        m_state->setDeviceCollapsed(false);
        m_state->setCornersCollapsed(false);
        m_state->setPaddingCollapsed(false);
        BeautySettings settings{.borderWidth = 2, .deviceFrameId = firstFrameOf(DeviceCategory::iphone).id};
        m_state->setSettings(settings);
        QCOMPARE(unreachableOrNamelessControls(*m_widget), QStringList());
        settings.backgroundType = BackgroundType::solid;
        settings.paddingUniform = false;
        m_state->setSettings(settings);
        QCOMPARE(unreachableOrNamelessControls(*m_widget), QStringList());
    }

    // The six kinds sit in two rows read as one choice; each shows its own controls.
    void typeRowsShowOneChoice()
    {
        auto* first = named<SegmentedPicker>(*background(), "type");
        auto* more = named<SegmentedPicker>(*background(), "moreTypes");
        // Each kind's own controls, in the order of the kinds; transparent has none.
        const QStringList blocks{"gradientControls", "solidControls", "",
                                 "customControls",   "imageControls", "matchControls"};
        const QStringList shown = blocks.filter(QStringLiteral("Controls"));
        // A new panel shows the default gradient's controls before any choice.
        QCOMPARE(shownAmong(*background(), shown), QStringList{"gradientControls"});
        for (int type = 0; type < 6; ++type) {
            segment(type < 3 ? *first : *more, type % 3)->click();
            QCOMPARE(m_state->settings().backgroundType, allCases<BackgroundType>()[type]);
            QCOMPARE(first->currentIndex(), type < 3 ? type : -1);
            QCOMPARE(more->currentIndex(), type >= 3 ? type - 3 : -1);
            QCOMPARE(shownAmong(*background(), shown),
                     blocks[type].isEmpty() ? QStringList() : QStringList{blocks[type]});
        }
        // The image's controls name its file, and say when it has gone.
        const QString path = m_home.filePath("beach.png");
        solidImage(40, 30, Qt::cyan).save(path);
        BeautySettings s{.backgroundType = BackgroundType::image, .backgroundImagePath = path};
        m_state->setSettings(s);
        auto* file = named<QLabel>(*background(), "imageFile");
        QCOMPARE(file->text(), QStringLiteral("beach.png"));
        s.backgroundImagePath = path + ".gone";
        m_state->setSettings(s);
        QVERIFY2(file->text().endsWith(QStringLiteral(" (not found)")), qPrintable(file->text()));
        // A long name gives way, the reason never does; the tooltip has the whole path.
        s.backgroundImagePath = m_home.filePath(QString(60, u'b') + ".png");
        m_state->setSettings(s);
        QVERIFY2(file->text().startsWith(u'b') && file->text().contains(u'\u2026') &&
                     file->text().endsWith(QStringLiteral(" (not found)")),
                 qPrintable(file->text()));
        QVERIFY(file->fontMetrics().horizontalAdvance(file->text()) <= file->contentsRect().width());
        QCOMPARE(file->toolTip(), s.backgroundImagePath);
        sliderOf(*background(), "imageDim")->setValue(40 * 100);
        QCOMPARE(m_state->settings().backgroundImageDim, 0.4);
    }

    // The custom gradient's editor: its stops on the bar; its kind, which
    // decides which of angle and centre are shown; and its saving. A saved
    // gradient is listed (after the presets too), kept on disk, and brings
    // itself back when chosen.
    void customGradientEditor()
    {
        showCustom();
        QCOMPARE(gradient().stops.size(), 2);
        // A click on the bar between the stops adds one there (its colour and the
        // limits of two and five stops: tst_model_values).
        QTest::mouseClick(bar(), Qt::LeftButton, {}, onBar(0.5));
        QCOMPARE(gradient().stops.size(), 3);
        QCOMPARE(bar()->selectedIndex(), 2);
        QVERIFY(std::abs(gradient().stops[2].position - 0.5) < 0.01);

        // Its handle dragged to a quarter moves it, and only it.
        QTest::mousePress(bar(), Qt::LeftButton, {}, onHandle(0.5));
        QTest::mouseMove(bar(), onHandle(0.35));
        QTest::mouseMove(bar(), onHandle(0.25));
        QTest::mouseRelease(bar(), Qt::LeftButton, {}, onHandle(0.25));
        QVERIFY(std::abs(gradient().stops[2].position - 0.25) < 0.01);
        QCOMPARE(gradient().stops[0].position, 0.0);
        QCOMPARE(gradient().stops[1].position, 1.0);

        QTest::keyClick(bar(), Qt::Key_Delete);
        QCOMPARE(gradient().stops, CustomGradient{}.stops);

        auto* kind = named<SegmentedPicker>(*background(), "kind");
        const QStringList rows{"angle", "centerX", "centerY"};
        QCOMPARE(shownAmong(*background(), rows), QStringList{"angle"});
        segment(*kind, 1)->click();
        QCOMPARE(gradient().kind, GradientKind::radial);
        QCOMPARE(shownAmong(*background(), rows), QStringList({"centerX", "centerY"}));
        segment(*kind, 2)->click();
        QCOMPARE(shownAmong(*background(), {"angle", "centerX"}), QStringList({"angle", "centerX"}));
        sliderOf(*background(), "centerY")->setValue(25 * 100);
        QCOMPARE(gradient().centerY, 0.25);

        const CustomGradient saved = gradient();
        named<QPushButton>(*background(), "savePreset")->click();
        QVERIFY(QFile::exists(QDir(templates()).filePath("gradients.json")));
        auto* savedGrid = named<GradientSwatchGrid>(*background(), "savedGradients");
        auto swatches = savedGrid->findChildren<QAbstractButton*>();
        QCOMPARE(swatches.size(), 1);
        QVERIFY(swatches.first()->isChecked()); // it is the gradient shown
        QCOMPARE(swatches.first()->toolTip(), QStringLiteral("Custom 1"));

        segment(*kind, 0)->click();
        QVERIFY(!swatches.first()->isChecked());
        swatches.first()->click();
        QCOMPARE(gradient(), saved);

        // The preset grid lists it last; from there it also becomes the custom gradient.
        segment(*named<SegmentedPicker>(*background(), "type"), 0)->click();
        auto* presets = named<QWidget>(*background(), "gradientControls")->findChild<GradientSwatchGrid*>();
        const auto all = presets->findChildren<QAbstractButton*>();
        QCOMPARE(all.last()->toolTip(), QStringLiteral("Custom 1"));
        all.last()->click();
        QCOMPARE(m_state->settings().backgroundType, BackgroundType::customGradient);

        m_state->userGradients().remove(0);
        QVERIFY(savedGrid->findChildren<QAbstractButton*>().isEmpty());
    }

    void deletePresetFromItsContextMenu_data()
    {
        QTest::addColumn<int>("saved");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<bool>("byMouse"); // else Down and Return in the menu
        QTest::newRow("the only one, by keyboard") << 1 << 0 << false;
        QTest::newRow("the middle one of three, clicked") << 3 << 1 << true;
    }
    // The menu and its action belong to the swatch that the deletion takes
    // away: a swatch gone before its menu has returned brought the program down.
    void deletePresetFromItsContextMenu()
    {
        QFETCH(int, saved);
        QFETCH(int, deleted);
        QFETCH(bool, byMouse);
        showCustom();
        for (int i = 0; i < saved; ++i) {
            sliderOf(*background(), "angle")->setValue((30 + 40 * i) * 100);
            named<QPushButton>(*background(), "savePreset")->click();
        }
        auto* grid = named<GradientSwatchGrid>(*background(), "savedGradients");
        const auto names = [grid] {
            return test::mapped(grid->findChildren<QAbstractButton*>(),
                                [](const QAbstractButton* b) { return b->toolTip(); });
        };
        QStringList expected = names();
        QCOMPARE(expected.size(), saved);
        expected.removeAt(deleted);
        QAbstractButton* swatch = grid->findChildren<QAbstractButton*>()[deleted];

        QStringList offered; // what the menu offered
        QTimer::singleShot(0, grid, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || menu->actions().isEmpty())
                return;
            offered = test::mapped(menu->actions(), &QAction::text);
            if (byMouse) {
                QTest::mouseClick(menu, Qt::LeftButton, {},
                                  menu->actionGeometry(menu->actions()[0]).center());
            } else {
                QTest::keyClick(menu, Qt::Key_Down);
                QTest::keyClick(menu, Qt::Key_Return);
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), swatch->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(swatch, &event); // returns once the menu has closed
        QCOMPARE(offered, QStringList{QStringLiteral("Delete Preset")});
        QCOMPARE(m_state->userGradients().gradients().size(), qsizetype(saved - 1));
        QCOMPARE(names(), expected);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        QCOMPARE(names(), expected);
        // What is left still works: choosing one shows it.
        if (!expected.isEmpty()) {
            grid->findChildren<QAbstractButton*>().last()->click();
            QCOMPARE(m_state->settings().customGradient,
                     m_state->userGradients().gradients().last().gradient);
        }
    }

    // One undo step, and the padding fields wait while it is on.
    void autoBalanceIsUndoable()
    {
        PaddingPanel padding(*m_state);
        QVERIFY(loadAndCompose(*m_state));
        auto* toggle = named<QCheckBox>(padding, "autoBalance");
        toggle->click();
        QVERIFY(m_state->settings().autoBalance);
        QVERIFY(!named<SliderRow>(padding, "size")->isEnabled());
        QCOMPARE(m_state->historyManager().undoStack().size(), 1);
        m_state->undo();
        QVERIFY(!m_state->settings().autoBalance);
        QVERIFY(!toggle->isChecked());
        QVERIFY(named<SliderRow>(padding, "size")->isEnabled());
        m_state->redo();
        QVERIFY(toggle->isChecked());
    }
};

QTEST_MAIN(TestStylingSidebar)
#include "tst_styling_sidebar.moc"
