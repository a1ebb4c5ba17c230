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

PresetChip* chipLabelled(const QList<PresetChip*>& chips, const QString& label)
{
    for (PresetChip* chip : chips)
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
        SliderRow* opacity = sidebar.shadowPanel()->opacity();
        QCOMPARE(opacity->valueText(), shown);

        opacity->slider()->setValue(40 * 100); // the handle dragged to 40
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
        BordersPanel* borders = sidebar.bordersPanel();
        ShadowPanel* shadow = sidebar.shadowPanel();
        BackgroundPanel* background = sidebar.backgroundPanel();

        QWidget* row = nullptr;
        QWidget* panel = nullptr;
        std::function<void()> act;
        if (change == "borderWidth") {
            row = borders->borderColorRow();
            panel = borders;
            act = [&] { QTest::keyClick(borders->borderWidth()->slider(), Qt::Key_Right); };
        } else if (change == "shadowOff") {
            row = shadow->blur();
            panel = shadow;
            act = [&] { shadow->enabledSwitch()->click(); };
        } else if (change == "solid") {
            row = background->solidControls();
            panel = background;
            act = [&] { background->typePicker()->segment(1)->click(); };
        } else {
            row = background->gradientControls();
            panel = background;
            act = [&] { background->typePicker()->segment(2)->click(); };
        }
        QCOMPARE(row->isVisibleTo(panel), rowShownBefore);
        act();
        QCOMPARE(row->isVisibleTo(panel), rowShownAfter);
        if (change == "borderWidth")
            QCOMPARE(state.settings().borderWidth, 1.0);
        if (change == "shadowOff") {
            QVERIFY(!state.settings().shadowEnabled);
            QVERIFY(!shadow->offsetY()->isVisibleTo(panel) && !shadow->opacity()->isVisibleTo(panel));
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
        PaddingPanel* padding = sidebar.paddingPanel();
        const QList<SliderRow*> sides{padding->topRow(), padding->bottomRow(), padding->leftRow(),
                                      padding->rightRow()};
        QVERIFY(padding->sizeRow()->isVisibleTo(padding));

        padding->uniformSwitch()->click();
        QVERIFY(!state.settings().paddingUniform);
        QVERIFY(!padding->sizeRow()->isVisibleTo(padding));
        const QStringList shown{"10px", "20px", "30px", "40px"};
        for (qsizetype i = 0; i < sides.size(); ++i) {
            QVERIFY(sides[i]->isVisibleTo(padding));
            QCOMPARE(sides[i]->valueText(), shown[i]);
        }
        // Each side writes its own field.
        QTest::keyClick(padding->leftRow()->slider(), Qt::Key_Right);
        QCOMPARE(state.settings().paddingLeading, 31.0);
        QCOMPARE(state.settings().paddingTrailing, 40.0);

        padding->uniformSwitch()->click();
        QVERIFY(padding->sizeRow()->isVisibleTo(padding));
        QCOMPARE(padding->sizeRow()->valueText(), QStringLiteral("64px"));
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
        QTest::newRow("None from a frame") << firstMac << "Mac" << "None" << "none" << false;
        QTest::newRow("iPad from none") << "none" << "None" << "iPad" << firstIpad << true;
        QTest::newRow("iPad from an unknown id, which counts as none")
            << "no-such-frame" << "None" << "iPad" << firstIpad << true;
        QTest::newRow("Mac from iPad") << firstIpad << "iPad" << "Mac" << firstMac << true;
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
        DeviceFramePanel* device = sidebar.deviceFramePanel();
        QVERIFY(chipLabelled(device->categoryChips(), startChip)->isSelected());
        QCOMPARE(device->framePicker()->isVisibleTo(device), startChip != QLatin1String("None"));

        chipLabelled(device->categoryChips(), chip)->click();
        QCOMPARE(state.settings().deviceFrameId, storedId);
        QVERIFY(chipLabelled(device->categoryChips(), chip)->isSelected());
        QCOMPARE(device->framePicker()->isVisibleTo(device), pickerShown);
        if (pickerShown) {
            QCOMPARE(device->framePicker()->currentData().toString(), storedId);
            const DeviceCategory category = findDeviceFrame(storedId)->category;
            QCOMPARE(device->framePicker()->count(), int(framesInCategory(category).size()));
        }
    }

    void framePopupChoosesFrame()
    {
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        DeviceFramePanel* device = sidebar.deviceFramePanel();
        chipLabelled(device->categoryChips(), QStringLiteral("iPhone"))->click();
        QComboBox* picker = device->framePicker();
        QVERIFY(picker->count() > 1);
        picker->setFocus();
        QTest::keyClick(picker, Qt::Key_Down);
        QCOMPARE(state.settings().deviceFrameId, picker->itemData(1).toString());
        QVERIFY(chipLabelled(device->categoryChips(), QStringLiteral("iPhone"))->isSelected());
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
        BackgroundPanel* background = sidebar.backgroundPanel();
        GradientSwatchGrid* grid = background->swatchGrid();
        QCOMPARE(grid->swatches().size(), gradientPresets().size());
        // The default id names no preset: nothing is outlined.
        for (QAbstractButton* swatch : grid->swatches())
            QVERIFY(!swatch->isChecked());

        chipLabelled(background->categoryChips(), QStringLiteral("Dark"))->click();
        const QList<GradientPreset> dark = presetsInCategory(GradientCategory::dark);
        QCOMPARE(grid->swatches().size(), dark.size());
        QCOMPARE(state.settings(), BeautySettings{}); // filtering is no styling change
        QCOMPARE(grid->swatches()[1]->toolTip(), dark[1].name);

        grid->swatches()[1]->click();
        QCOMPARE(state.settings().gradientPresetId, dark[1].id);
        QVERIFY(grid->swatches()[1]->isChecked());
        QVERIFY(!grid->swatches()[0]->isChecked());

        // Back to all: the chosen preset stays outlined in the full grid.
        chipLabelled(background->categoryChips(), QStringLiteral("All"))->click();
        const qsizetype index = gradientPresets().indexOf(dark[1]);
        QVERIFY(grid->swatches()[index]->isChecked());
    }

    void stylingEditComposesAtOnce()
    {
        AppState state(m_templates.path());
        test::loadComposedScreenshot(state);
        RightSidebar sidebar(state);
        const QImage before = *state.currentTab()->processedImage;
        QTest::keyClick(sidebar.bordersPanel()->cornerRadius()->slider(), Qt::Key_End);
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
            const QList<CollapsibleSection*> sections = sidebar.sections();
            QCOMPARE(sections.size(), 6);
            const QList<bool> defaults{false, true, false, true, false, true};
            for (qsizetype i = 0; i < sections.size(); ++i)
                QCOMPARE(sections[i]->isCollapsed(), defaults[i]);

            sections[0]->header()->click();                        // Size folds
            QTest::keyClick(sections[3]->header(), Qt::Key_Space); // Borders opens, from the keyboard
            QVERIFY(state.canvasCollapsed());
            QVERIFY(!state.cornersCollapsed());
            for (CollapsibleSection* section : sections)
                folded << section->isCollapsed();
            QCOMPARE(folded, (QList<bool>{true, true, false, false, false, true}));

            sidebar.tabPicker()->segment(1)->click();
            QVERIFY(sidebar.isShowingShare());
            sidebar.tabPicker()->segment(0)->click();
            QVERIFY(!sidebar.isShowingShare());
            for (qsizetype i = 0; i < sections.size(); ++i)
                QCOMPARE(sections[i]->isCollapsed(), folded[i]);
        }
        AppState relaunched(m_templates.path());
        RightSidebar sidebar(relaunched);
        QVERIFY(relaunched.canvasCollapsed());
        QVERIFY(!relaunched.cornersCollapsed());
        for (qsizetype i = 0; i < sidebar.sections().size(); ++i)
            QCOMPARE(sidebar.sections()[i]->isCollapsed(), folded[i]);
    }

    void sectionBodySlides()
    {
        AppState state(m_templates.path());
        RightSidebar sidebar(state);
        sidebar.resize(280, 900);
        sidebar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sidebar));
        CollapsibleSection* shadow = sidebar.sections()[4];
        QVERIFY(shadow->body()->isVisible());
        shadow->header()->click();
        QVERIFY(state.shadowCollapsed());
        QVERIFY(shadow->isAnimating());
        QTRY_VERIFY(!shadow->isAnimating());
        QVERIFY(!shadow->body()->isVisible());
        shadow->header()->click();
        QTRY_VERIFY(!shadow->isAnimating());
        QVERIFY(shadow->body()->isVisible());
        QVERIFY(shadow->body()->height() > 0);
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
        SharePanel* share = sidebar.sharePanel();
        const bool present = !composed.isNull();
        QCOMPARE(share->copyButton()->isEnabled(), present);
        QCOMPARE(share->downloadButton()->isEnabled(), present);
        QCOMPARE(share->infoBlock()->isVisibleTo(share), present);
        if (!present)
            return;
        QCOMPARE(share->imageSizeText(), imageSize);
        QCOMPARE(share->exportSizeText(), exportSize);

        share->downloadButton()->click();
        QVERIFY(state.showExportDialog());
    }

    void sharePickersWriteWithoutComposing()
    {
        AppState state(m_templates.path());
        test::loadComposedScreenshot(state);
        RightSidebar sidebar(state);
        SharePanel* share = sidebar.sharePanel();
        QCOMPARE(share->scalePicker()->currentIndex(), 1);
        share->scalePicker()->segment(2)->click();
        share->formatPicker()->segment(1)->click();
        QCOMPARE(state.settings().exportScale, 3.0);
        QCOMPARE(state.settings().exportFormat, ExportFormat::jpeg);
        QVERIFY(!state.isProcessing());
        QVERIFY(share->exportSizeText().startsWith(
            QString::number(int(state.currentTab()->processedImage->deviceIndependentSize().width() * 3))));
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
