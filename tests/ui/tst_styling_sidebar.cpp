// The styling pane: what each control stores in the shared styling, which rows
// show for which styling, and the folded sections that outlive the pane.
#include "sidebar_test_support.h"
#include "test_fixtures.h"
#include "ui/background_panel.h"
#include "ui/borders_panel.h"
#include "ui/collapsible_section.h"
#include "ui/color_well.h"
#include "ui/device_frame_panel.h"
#include "ui/gradient_swatch_grid.h"
#include "ui/padding_panel.h"
#include "ui/preset_chip.h"
#include "ui/right_sidebar.h"
#include "ui/segmented_picker.h"
#include "ui/shadow_panel.h"
#include "ui/share_panel.h"
#include "ui/slider_row.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

using namespace lustrelab;

namespace {

PresetChip* chipLabelled(const QWidget& panel, const QString& label)
{
    for (PresetChip* chip : panel.findChildren<PresetChip*>())
        if (chip->text() == label)
            return chip;
    return nullptr;
}

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

template <typename T> T* named(const QWidget& root, const char* name)
{
    return test::child<T>(root, QLatin1String(name));
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

} // namespace

class TestStylingSidebar : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;
    QTemporaryDir m_templates;

  private slots:
    void init() { QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab")).clear(); }

    void opacityRow_data()
    {
        QTest::addColumn<float>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("quarter") << 0.25f << "25%";
        // 0.29 is 0.2899999917 in single precision: still 29%, not 28%.
        QTest::newRow("single precision just below") << 0.29f << "29%";
        QTest::newRow("0.57, below in double arithmetic too") << 0.57f << "57%";
        QTest::newRow("none") << 0.0f << "0%";
    }
    void opacityRow()
    {
        QFETCH(float, stored);
        QFETCH(QString, shown);
        AppState state(m_templates.path());
        editSettings(state, [&](BeautySettings& s) { s.shadowOpacity = stored; });
        RightSidebar sidebar(state);
        auto* opacity = named<SliderRow>(sidebar, "opacity");
        QCOMPARE(opacity->valueText(), shown);

        named<QSlider>(*opacity, "slider")->setValue(40 * 100); // the handle dragged to 40
        QCOMPARE(state.settings().shadowOpacity, 0.4f);
        QCOMPARE(opacity->valueText(), QStringLiteral("40%"));
    }

    void dependentRows_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("rowShownBefore");
        QTest::addColumn<bool>("rowShownAfter");
        QTest::newRow("border width 0 -> 1 shows Border Color") << "borderWidth" << false << true;
        QTest::newRow("shadow off hides its three sliders") << "shadowOff" << true << false;
        QTest::newRow("solid background shows the colour well") << "solid" << false << true;
        QTest::newRow("transparent background hides the swatches") << "transparent" << true << false;
    }
    void dependentRows()
    {
        QFETCH(QString, change);
        QFETCH(bool, rowShownBefore);
        QFETCH(bool, rowShownAfter);
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        auto* borders = test::child<BordersPanel>(sidebar);
        auto* shadow = test::child<ShadowPanel>(sidebar);
        auto* background = test::child<BackgroundPanel>(sidebar);

        QWidget* row = nullptr;
        QWidget* panel = nullptr;
        std::function<void()> act;
        if (change == "borderWidth") {
            row = named<QWidget>(*borders, "borderColorRow");
            panel = borders;
            act = [&] { QTest::keyClick(sliderOf(*borders, "borderWidth"), Qt::Key_Right); };
        } else if (change == "shadowOff") {
            row = named<SliderRow>(*shadow, "blur");
            panel = shadow;
            act = [&] { named<QCheckBox>(*shadow, "enabled")->click(); };
        } else if (change == "solid") {
            row = named<QWidget>(*background, "solidControls");
            panel = background;
            act = [&] { named<SegmentedPicker>(*background, "type")->segment(1)->click(); };
        } else {
            row = named<QWidget>(*background, "gradientControls");
            panel = background;
            act = [&] { named<SegmentedPicker>(*background, "type")->segment(2)->click(); };
        }
        QCOMPARE(row->isVisibleTo(panel), rowShownBefore);
        act();
        QCOMPARE(row->isVisibleTo(panel), rowShownAfter);
        if (change == "borderWidth")
            QCOMPARE(state.settings().borderWidth, 1.0);
        if (change == "shadowOff") {
            QVERIFY(!state.settings().shadowEnabled);
            QVERIFY(!named<SliderRow>(*shadow, "offsetY")->isVisibleTo(panel));
            QVERIFY(!named<SliderRow>(*shadow, "opacity")->isVisibleTo(panel));
        }
        if (change == "solid")
            QCOMPARE(state.settings().backgroundType, BackgroundType::solid);
    }

    void paddingSides()
    {
        AppState state(m_templates.path());
        editSettings(state, [](BeautySettings& s) {
            s.padding = 64;
            s.paddingTop = 10;
            s.paddingBottom = 20.7;
            s.paddingLeading = 30;
            s.paddingTrailing = 40;
        });
        RightSidebar sidebar(state);
        auto* padding = test::child<PaddingPanel>(sidebar);
        const QList<SliderRow*> sides{named<SliderRow>(*padding, "top"), named<SliderRow>(*padding, "bottom"),
                                      named<SliderRow>(*padding, "left"),
                                      named<SliderRow>(*padding, "right")};
        auto* size = named<SliderRow>(*padding, "size");
        auto* uniform = named<QCheckBox>(*padding, "uniform");
        QVERIFY(size->isVisibleTo(padding));

        uniform->click();
        QVERIFY(!state.settings().paddingUniform);
        QVERIFY(!size->isVisibleTo(padding));
        const QStringList shown{"10px", "20px", "30px", "40px"};
        for (qsizetype i = 0; i < sides.size(); ++i) {
            QVERIFY(sides[i]->isVisibleTo(padding));
            QCOMPARE(sides[i]->valueText(), shown[i]);
        }
        // Each side writes its own field.
        QTest::keyClick(sliderOf(*padding, "left"), Qt::Key_Right);
        QCOMPARE(state.settings().paddingLeading, 31.0);
        QCOMPARE(state.settings().paddingTrailing, 40.0);

        uniform->click();
        QVERIFY(size->isVisibleTo(padding));
        QCOMPARE(size->valueText(), QStringLiteral("64px"));
        for (SliderRow* side : sides)
            QVERIFY(!side->isVisibleTo(padding));
    }

    void deviceChips_data()
    {
        QTest::addColumn<QString>("startId");
        QTest::addColumn<QString>("startChip"); // selected before the click
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("storedId");
        QTest::addColumn<bool>("pickerShown");
        const QString firstIpad = firstFrameOf(DeviceCategory::ipad).id;
        const QString firstMac = firstFrameOf(DeviceCategory::mac).id;
        QTest::newRow("None from a frame") << firstMac << "Mac"
                                           << "None"
                                           << "none" << false;
        QTest::newRow("iPad from none") << "none"
                                        << "None"
                                        << "iPad" << firstIpad << true;
        QTest::newRow("iPad from an unknown id, which counts as none") << "no-such-frame"
                                                                       << "None"
                                                                       << "iPad" << firstIpad << true;
        QTest::newRow("Mac from iPad") << firstIpad << "iPad"
                                       << "Mac" << firstMac << true;
    }
    void deviceChips()
    {
        QFETCH(QString, startId);
        QFETCH(QString, startChip);
        QFETCH(QString, chip);
        QFETCH(QString, storedId);
        QFETCH(bool, pickerShown);
        AppState state(m_templates.path());
        editSettings(state, [&](BeautySettings& s) { s.deviceFrameId = startId; });
        RightSidebar sidebar(state);
        auto* device = test::child<DeviceFramePanel>(sidebar);
        const auto* picker = named<QComboBox>(*device, "frame");
        QVERIFY(chipLabelled(*device, startChip)->isSelected());
        QCOMPARE(picker->isVisibleTo(device), startChip != QLatin1String("None"));

        chipLabelled(*device, chip)->click();
        QCOMPARE(state.settings().deviceFrameId, storedId);
        QVERIFY(chipLabelled(*device, chip)->isSelected());
        QCOMPARE(picker->isVisibleTo(device), pickerShown);
        if (pickerShown) {
            QCOMPARE(picker->currentData().toString(), storedId);
            const DeviceCategory category = findDeviceFrame(storedId)->category;
            QCOMPARE(picker->count(), int(framesInCategory(category).size()));
        }
    }

    void framePopupChoosesFrame()
    {
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        auto* device = test::child<DeviceFramePanel>(sidebar);
        chipLabelled(*device, QStringLiteral("iPhone"))->click();
        auto* picker = named<QComboBox>(*device, "frame");
        QVERIFY(picker->count() > 1);
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Down);
        QCOMPARE(state.settings().deviceFrameId, picker->itemData(1).toString());
        QVERIFY(chipLabelled(*device, QStringLiteral("iPhone"))->isSelected());
    }

    void categoryWithoutFrames_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("expected");
        QTest::newRow("category missing from the catalogue") << int(DeviceCategory::mac) << "none";
        QTest::newRow("none itself") << int(DeviceCategory::none) << "none";
        QTest::newRow("first of its category") << int(DeviceCategory::ipad) << "tablet-b";
    }
    void categoryWithoutFrames()
    {
        QFETCH(int, category);
        QFETCH(QString, expected);
        QList<DeviceFrame> catalogue(3);
        catalogue[0].id = QStringLiteral("none");
        catalogue[1].id = QStringLiteral("tablet-b");
        catalogue[1].category = DeviceCategory::ipad;
        catalogue[2].id = QStringLiteral("tablet-a");
        catalogue[2].category = DeviceCategory::ipad;
        QCOMPARE(frameIdForCategory(DeviceCategory(category), catalogue), expected);
    }

    void gradientSwatches()
    {
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        auto* background = test::child<BackgroundPanel>(sidebar);
        const auto* grid = test::child<GradientSwatchGrid>(*background);
        const auto swatches = [grid] { return grid->findChildren<QAbstractButton*>(); };
        QCOMPARE(swatches().size(), gradientPresets().size());
        // The default id names no preset: nothing is outlined.
        for (QAbstractButton* swatch : swatches())
            QVERIFY(!swatch->isChecked());

        chipLabelled(*background, QStringLiteral("Dark"))->click();
        const QList<GradientPreset> dark = presetsInCategory(GradientCategory::dark);
        QCOMPARE(swatches().size(), dark.size());
        QCOMPARE(state.settings(), BeautySettings{}); // filtering is no styling change
        QCOMPARE(swatches()[1]->toolTip(), dark[1].name);

        swatches()[1]->click();
        QCOMPARE(state.settings().gradientPresetId, dark[1].id);
        QVERIFY(swatches()[1]->isChecked());
        QVERIFY(!swatches()[0]->isChecked());

        // Back to all: the chosen preset stays outlined in the full grid.
        chipLabelled(*background, QStringLiteral("All"))->click();
        const qsizetype index = gradientPresets().indexOf(dark[1]);
        QVERIFY(swatches()[index]->isChecked());
    }

    void stylingEditComposesAtOnce()
    {
        AppState state(m_templates.path());
        test::loadComposedScreenshot(state);
        RightSidebar sidebar(state);
        const QImage before = *state.currentTab()->processedImage;
        QTest::keyClick(sliderOf(sidebar, "cornerRadius"), Qt::Key_End);
        QCOMPARE(state.settings().cornerRadius, 48.0);
        QVERIFY(state.isProcessing());
        QTRY_VERIFY(!state.isProcessing());
        QVERIFY(*state.currentTab()->processedImage != before);
        QVERIFY(!state.historyManager().canUndo()); // styling edits are no undo step
    }

    void collapseFlagsPersist()
    {
        QList<bool> folded;
        {
            AppState state(m_templates.path());
            RightSidebar sidebar(state);
            const QList<bool> defaults{false, true, false, true, false, true};
            for (int i = 0; i < 6; ++i)
                QCOMPARE(section(sidebar, i)->isCollapsed(), defaults[i]);

            headerOf(sidebar, 0)->click();                        // Size folds
            QTest::keyClick(headerOf(sidebar, 3), Qt::Key_Space); // Borders opens, from the keyboard
            QVERIFY(state.canvasCollapsed());
            QVERIFY(!state.cornersCollapsed());
            for (int i = 0; i < 6; ++i)
                folded << section(sidebar, i)->isCollapsed();
            QCOMPARE(folded, (QList<bool>{true, true, false, false, false, true}));

            auto* tabs = named<SegmentedPicker>(sidebar, "tabPicker");
            tabs->segment(1)->click();
            QVERIFY(test::child<SharePanel>(sidebar)->isVisibleTo(&sidebar));
            tabs->segment(0)->click();
            QVERIFY(!test::child<SharePanel>(sidebar)->isVisibleTo(&sidebar));
            for (int i = 0; i < 6; ++i)
                QCOMPARE(section(sidebar, i)->isCollapsed(), folded[i]);
        }
        AppState relaunched(m_templates.path());
        RightSidebar sidebar(relaunched);
        QVERIFY(relaunched.canvasCollapsed());
        QVERIFY(!relaunched.cornersCollapsed());
        for (int i = 0; i < 6; ++i)
            QCOMPARE(section(sidebar, i)->isCollapsed(), folded[i]);
    }

    void sectionBodySlides()
    {
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        sidebar.resize(280, 900);
        sidebar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sidebar));
        CollapsibleSection* shadow = section(sidebar, 4);
        const auto* body = named<QWidget>(*shadow, "body");
        QVERIFY(body->isVisible());
        headerOf(sidebar, 4)->click();
        QVERIFY(state.shadowCollapsed());
        QVERIFY(shadow->isAnimating());
        QTRY_VERIFY(!shadow->isAnimating());
        QVERIFY(!body->isVisible());
        headerOf(sidebar, 4)->click();
        QTRY_VERIFY(!shadow->isAnimating());
        QVERIFY(body->isVisible());
        QVERIFY(body->height() > 0);
    }

    void shareBlock_data()
    {
        QTest::addColumn<QImage>("composed");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("imageSize");
        QTest::addColumn<QString>("exportSize");
        QImage plain(400, 300, QImage::Format_ARGB32_Premultiplied);
        QImage hidpi(801, 601, QImage::Format_ARGB32_Premultiplied);
        hidpi.setDevicePixelRatio(2);
        QTest::newRow("no image") << QImage() << 2.0 << ""
                                  << "";
        QTest::newRow("plain at 2x") << plain << 2.0 << "400 \u00d7 300"
                                     << "800 \u00d7 600";
        QTest::newRow("half points cut, export of the exact size") << hidpi << 3.0 << "400 \u00d7 300"
                                                                   << "1201 \u00d7 901";
    }
    void shareBlock()
    {
        QFETCH(QImage, composed);
        QFETCH(double, scale);
        QFETCH(QString, imageSize);
        QFETCH(QString, exportSize);
        AppState state(m_templates.path());
        editSettings(state, [&](BeautySettings& s) { s.exportScale = scale; });
        state.setProcessedImage(composed);
        RightSidebar sidebar(state);
        auto* share = test::child<SharePanel>(sidebar);
        const bool present = !composed.isNull();
        QCOMPARE(named<QPushButton>(*share, "copy")->isEnabled(), present);
        QCOMPARE(named<QPushButton>(*share, "download")->isEnabled(), present);
        QCOMPARE(named<QWidget>(*share, "info")->isVisibleTo(share), present);
        if (!present)
            return;
        QCOMPARE(share->imageSizeText(), imageSize);
        QCOMPARE(share->exportSizeText(), exportSize);

        named<QPushButton>(*share, "download")->click();
        QVERIFY(state.showExportDialog());
    }

    void everyControlNamedAndReachable()
    {
        AppState state(m_templates.path());
        test::loadComposedScreenshot(state);
        state.setDeviceCollapsed(false);
        state.setCornersCollapsed(false);
        state.setPaddingCollapsed(false);
        BeautySettings settings = state.settings();
        settings.borderWidth = 2;
        settings.deviceFrameId = firstFrameOf(DeviceCategory::iphone).id;
        state.setSettings(settings);
        RightSidebar sidebar(state);
        QCOMPARE(test::unreachableOrNamelessControls(sidebar), QStringList());
        settings.backgroundType = BackgroundType::solid;
        settings.paddingUniform = false;
        state.setSettings(settings);
        QCOMPARE(test::unreachableOrNamelessControls(sidebar), QStringList());
    }
};

QTEST_MAIN(TestStylingSidebar)
#include "tst_styling_sidebar.moc"
