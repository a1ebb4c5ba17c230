// The background panel's own gradients, pictures and matched colours, and
// auto-balance in the padding panel: the gestures, what they store, and what
// the window shows for them.
#include "ui_fixtures.h"
#include "model/gradient_stops.h"
#include "ui/background_panel.h"
#include "ui/gradient_stop_bar.h"
#include "ui/gradient_swatch_grid.h"
#include "ui/padding_panel.h"
#include "ui/segmented_picker.h"
#include "ui/slider_row.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestBackgroundEditor : public QObject, FreshModel<BackgroundPanel>
{
    Q_OBJECT

    const CustomGradient& gradient() const { return m_state->settings().customGradient; }
    GradientStopBar* bar() const { return child<GradientStopBar>(*m_widget); }
    QPoint onBar(double position) const { return {bar()->xAt(position), 10}; }
    QPoint onHandle(double position) const { return {bar()->xAt(position), 30}; }

    void showCustom()
    {
        segment(*named<SegmentedPicker>(*m_widget, "moreTypes"), 0)->click();
        QCoreApplication::processEvents(); // lays the editor out now that it shows
    }

  private slots:
    void init()
    {
        makeFresh();
        m_widget->resize(280, 700);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }
    void cleanup() { takeDown(); }

    // The six kinds sit in two rows read as one choice; each shows its own controls.
    void typeRowsShowOneChoice()
    {
        auto* first = named<SegmentedPicker>(*m_widget, "type");
        auto* more = named<SegmentedPicker>(*m_widget, "moreTypes");
        const char* blocks[] = {"gradientControls", "solidControls", nullptr,
                                "customControls",   "imageControls", "matchControls"};
        // A new panel shows the default gradient's controls before any choice.
        QVERIFY(named<QWidget>(*m_widget, blocks[0])->isVisibleTo(m_widget.get()));
        QVERIFY(!named<QWidget>(*m_widget, blocks[1])->isVisibleTo(m_widget.get()));
        for (int type = 0; type < 6; ++type) {
            segment(type < 3 ? *first : *more, type % 3)->click();
            QCOMPARE(m_state->settings().backgroundType, allCases<BackgroundType>()[type]);
            QCOMPARE(first->currentIndex(), type < 3 ? type : -1);
            QCOMPARE(more->currentIndex(), type >= 3 ? type - 3 : -1);
            for (int block = 0; block < 6; ++block)
                if (blocks[block])
                    QCOMPARE(named<QWidget>(*m_widget, blocks[block])->isVisibleTo(m_widget.get()), block == type);
        }
    }

    void stopBarGestures()
    {
        showCustom();
        QCOMPARE(gradient().stops.size(), 2);
        // A click on the bar between the stops adds one there, in the colour shown.
        QTest::mouseClick(bar(), Qt::LeftButton, {}, onBar(0.5));
        QCOMPARE(gradient().stops.size(), 3);
        QCOMPARE(bar()->selectedIndex(), 2);
        QVERIFY(std::abs(gradient().stops[2].position - 0.5) < 0.01);
        QCOMPARE(gradient().stops[2].color, colorAt(CustomGradient{}.stops, gradient().stops[2].position));

        // Its handle dragged to a quarter moves it, and only it.
        QTest::mousePress(bar(), Qt::LeftButton, {}, onHandle(0.5));
        QTest::mouseMove(bar(), onHandle(0.35));
        QTest::mouseMove(bar(), onHandle(0.25));
        QTest::mouseRelease(bar(), Qt::LeftButton, {}, onHandle(0.25));
        QVERIFY(std::abs(gradient().stops[2].position - 0.25) < 0.01);
        QCOMPARE(gradient().stops[0].position, 0.0);
        QCOMPARE(gradient().stops[1].position, 1.0);

        // Delete removes the selected stop, but never below two.
        QTest::keyClick(bar(), Qt::Key_Delete);
        QCOMPARE(gradient().stops.size(), 2);
        QTest::mouseClick(bar(), Qt::LeftButton, {}, onHandle(1.0));
        QTest::keyClick(bar(), Qt::Key_Delete);
        QCOMPARE(gradient().stops.size(), 2);
        QCOMPARE(gradient().stops, CustomGradient{}.stops);

        // Five at most: a sixth click adds nothing.
        for (double at : {0.2, 0.4, 0.6, 0.8})
            QTest::mouseClick(bar(), Qt::LeftButton, {}, onBar(at));
        QCOMPARE(gradient().stops.size(), 5);
    }

    // The kind decides which of angle and centre are shown.
    void kindShowsItsSettings()
    {
        showCustom();
        auto* kind = named<SegmentedPicker>(*m_widget, "kind");
        const QStringList rows{"angle", "centerX", "centerY"};
        QCOMPARE(shownAmong(*m_widget, rows), QStringList{"angle"});
        segment(*kind, 1)->click();
        QCOMPARE(gradient().kind, GradientKind::radial);
        QCOMPARE(shownAmong(*m_widget, rows), QStringList({"centerX", "centerY"}));
        segment(*kind, 2)->click();
        QCOMPARE(shownAmong(*m_widget, {"angle", "centerX"}), QStringList({"angle", "centerX"}));
        named<QSlider>(*named<SliderRow>(*m_widget, "centerY"), "slider")->setValue(25 * 100);
        QCOMPARE(gradient().centerY, 0.25);
    }

    // A saved gradient is listed (after the presets too), kept on disk, and
    // brings itself back when chosen.
    void savedGradientComesBack()
    {
        showCustom();
        segment(*named<SegmentedPicker>(*m_widget, "kind"), 2)->click();
        const CustomGradient saved = gradient();
        named<QPushButton>(*m_widget, "savePreset")->click();
        QVERIFY(QFile::exists(QDir(templates()).filePath("gradients.json")));
        auto* savedGrid = named<GradientSwatchGrid>(*m_widget, "savedGradients");
        auto swatches = savedGrid->findChildren<QAbstractButton*>();
        QCOMPARE(swatches.size(), 1);
        QVERIFY(swatches.first()->isChecked()); // it is the gradient shown
        QCOMPARE(swatches.first()->toolTip(), QStringLiteral("Custom 1"));

        segment(*named<SegmentedPicker>(*m_widget, "kind"), 0)->click();
        QVERIFY(!swatches.first()->isChecked());
        swatches.first()->click();
        QCOMPARE(gradient(), saved);

        // The preset grid lists it last; from there it also becomes the custom gradient.
        segment(*named<SegmentedPicker>(*m_widget, "type"), 0)->click();
        auto* presets = named<QWidget>(*m_widget, "gradientControls")->findChild<GradientSwatchGrid*>();
        const auto all = presets->findChildren<QAbstractButton*>();
        QCOMPARE(all.last()->toolTip(), QStringLiteral("Custom 1"));
        all.last()->click();
        QCOMPARE(m_state->settings().backgroundType, BackgroundType::customGradient);

        m_state->userGradients().remove(0);
        QVERIFY(savedGrid->findChildren<QAbstractButton*>().isEmpty());
    }

    void imageFileIsNamed()
    {
        const QString path = m_home.filePath("beach.png");
        solidImage(40, 30, Qt::cyan).save(path);
        BeautySettings s = m_state->settings();
        s.backgroundType = BackgroundType::image;
        s.backgroundImagePath = path;
        m_state->setSettings(s);
        auto* file = named<QLabel>(*m_widget, "imageFile");
        QCOMPARE(file->text(), QStringLiteral("beach.png"));
        s.backgroundImagePath = path + ".gone";
        m_state->setSettings(s);
        QCOMPARE(file->text(), QStringLiteral("beach.png.gone (not found)"));
        named<QSlider>(*named<SliderRow>(*m_widget, "imageDim"), "slider")->setValue(40 * 100);
        QCOMPARE(m_state->settings().backgroundImageDim, 0.4);
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
        m_state->undo();
        QVERIFY(!m_state->settings().autoBalance);
        QVERIFY(!toggle->isChecked());
        QVERIFY(named<SliderRow>(padding, "size")->isEnabled());
        m_state->redo();
        QVERIFY(toggle->isChecked());
    }
};

QTEST_MAIN(TestBackgroundEditor)
#include "tst_background_editor.moc"
