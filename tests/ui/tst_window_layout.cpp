// The window's panes on small screens: each pane as wide as its controls
// need whatever shows in it, the whole window on an 800 x 500 screen, and the
// wheel over a pane scrolling it rather than changing the control under it.
#include "ui/left_sidebar.h"
#include "ui/main_window.h"
#include "ui/right_sidebar.h"
#include "ui/segmented_picker.h"
#include "ui/slider_row.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

// What the panes show besides the current tool's options and the background
// type's rows: an annotation with its settings, the share page, folded sections.
enum class Shown { nothing, text, longFont, shape, marker, pen, share, folded };

void show(AppState& state, QWidget& window, CanvasTool tool, BackgroundType background, Shown shown)
{
    state.setCurrentTool(tool);
    BeautySettings settings = state.settings();
    settings.backgroundType = background;
    state.setSettings(settings);
    if (shown == Shown::longFont) // a desktop with a font family of a long name: the font box lists it
        named<QComboBox>(window, "font")
            ->addItem(QStringLiteral("Noto Sans Canadian Aboriginal Condensed SemiBold"));
    if (shown == Shown::text || shown == Shown::longFont)
        named<QPushButton>(window, "addText")->click(); // as the user does it: the tool, then its button
    if (shown == Shown::shape)
        state.addShapeOverlay(ShapeType::arrow);
    if (shown == Shown::marker)
        state.addStepMarker(StepMarker{});
    if (shown == Shown::pen) {
        PenStroke stroke = freshPenStroke(false);
        stroke.points = {{0.1, 0.1}, {0.4, 0.3}};
        state.addPenStroke(stroke);
    }
    if (shown == Shown::share)
        segment(*named<SegmentedPicker>(window, "tabPicker"), 1)->click();
    if (shown == Shown::folded)
        for (void (AppState::*fold)(bool) :
             {&AppState::setCanvasCollapsed, &AppState::setDeviceCollapsed, &AppState::setBackgroundCollapsed,
              &AppState::setCornersCollapsed, &AppState::setShadowCollapsed, &AppState::setPaddingCollapsed})
            (state.*fold)(true);
}

QString describe(const QWidget* widget)
{
    const QString name = widget->objectName().isEmpty() ? widget->accessibleName() : widget->objectName();
    return QStringLiteral("%1 \"%2\"").arg(widget->metaObject()->className(), name);
}

// The controls of `pane` that reach past its scrolling column's sides or
// that the layout squeezed below what they need to show their text.
QStringList cutControls(const QWidget& pane)
{
    QStringList faults;
    for (const QScrollArea* area : pane.findChildren<QScrollArea*>()) {
        if (!area->isVisibleTo(&pane))
            continue; // the share page while the settings show, and the other way round
        const QWidget* viewport = area->viewport();
        for (const QWidget* control : area->widget()->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(area->widget()) || control->isWindow())
                continue;
            const QRect box(control->mapTo(viewport, QPoint()), control->size());
            if (box.left() < 0 || box.right() >= viewport->width())
                faults << QStringLiteral("%1 spans x %2..%3 of %4")
                              .arg(describe(control))
                              .arg(box.left())
                              .arg(box.right())
                              .arg(viewport->width());
            const bool isControl = qobject_cast<const QAbstractButton*>(control) ||
                                   qobject_cast<const QComboBox*>(control) ||
                                   qobject_cast<const QAbstractSpinBox*>(control);
            if (isControl && control->width() < control->minimumSizeHint().width())
                faults << QStringLiteral("%1 is %2 wide, needs %3")
                              .arg(describe(control))
                              .arg(control->width())
                              .arg(control->minimumSizeHint().width());
        }
    }
    return faults;
}

// The widgets of `root` named `names` that do not lie wholly inside the window.
QStringList outsideTheWindow(const QWidget& window, const QList<const QWidget*>& widgets)
{
    QStringList outside;
    for (const QWidget* widget : widgets)
        if (!window.rect().contains(QRect(widget->mapTo(&window, QPoint()), widget->size())))
            outside << describe(widget);
    return outside;
}

} // namespace

class TestWindowLayout : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    LeftSidebar* leftPane() const { return child<LeftSidebar>(*m_widget); }
    RightSidebar* rightPane() const { return child<RightSidebar>(*m_widget); }

    // Lets queued layout requests run until the window is settled.
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QCoreApplication::processEvents();
        }
    }

  private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        makeFresh();
    }
    void cleanup()
    {
        takeDown();
        QApplication::setFont(m_desktopFont);
    }
    void initTestCase() { m_desktopFont = QApplication::font(); }

    void panesHoldTheirControls_data()
    {
        QTest::addColumn<CanvasTool>("tool");
        QTest::addColumn<BackgroundType>("background");
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<int>("fontGrowth"); // points over the desktop's font
        QTest::addColumn<QSize>("window");
        const QSize smallest(100, 100), roomy(1400, 900);
        const auto select = CanvasTool::select, text = CanvasTool::text, shape = CanvasTool::shape;
        const auto gradient = BackgroundType::gradient, custom = BackgroundType::customGradient;
        QTest::newRow("nothing, smallest window") << select << gradient << Shown::nothing << 0 << smallest;
        QTest::newRow("text tool") << text << gradient << Shown::nothing << 0 << smallest;
        QTest::newRow("text added") << text << gradient << Shown::text << 0 << smallest;
        QTest::newRow("text added, roomy window") << text << gradient << Shown::text << 0 << roomy;
        QTest::newRow("text added, larger font") << text << gradient << Shown::text << 2 << smallest;
        QTest::newRow("text in a font of a long name")
            << text << gradient << Shown::longFont << 0 << smallest;
        QTest::newRow("shape added") << shape << gradient << Shown::shape << 0 << smallest;
        QTest::newRow("shape added, larger font") << shape << gradient << Shown::shape << 2 << smallest;
        QTest::newRow("marker added") << CanvasTool::marker << gradient << Shown::marker << 0 << smallest;
        QTest::newRow("pen stroke") << CanvasTool::pen << gradient << Shown::pen << 0 << smallest;
        QTest::newRow("crop") << CanvasTool::crop << gradient << Shown::nothing << 0 << smallest;
        QTest::newRow("removal") << CanvasTool::remove << gradient << Shown::nothing << 0 << smallest;
        QTest::newRow("solid background")
            << select << BackgroundType::solid << Shown::nothing << 0 << smallest;
        QTest::newRow("custom gradient") << select << custom << Shown::nothing << 0 << smallest;
        QTest::newRow("custom gradient, larger font") << select << custom << Shown::nothing << 2 << smallest;
        QTest::newRow("image background")
            << select << BackgroundType::image << Shown::nothing << 0 << smallest;
        QTest::newRow("match background")
            << select << BackgroundType::match << Shown::nothing << 0 << smallest;
        QTest::newRow("share page") << select << gradient << Shown::share << 0 << smallest;
        QTest::newRow("share page, larger font") << select << gradient << Shown::share << 2 << smallest;
        QTest::newRow("folded sections") << select << gradient << Shown::folded << 0 << smallest;
    }
    // Every state is reached after the window is up, as the user reaches it:
    // a pane must widen when what it shows needs more room.
    void panesHoldTheirControls()
    {
        QFETCH(CanvasTool, tool);
        QFETCH(BackgroundType, background);
        QFETCH(Shown, shown);
        QFETCH(int, fontGrowth);
        QFETCH(QSize, window);
        if (fontGrowth) {
            QFont font = m_desktopFont;
            font.setPointSizeF(font.pointSizeF() + fontGrowth);
            QApplication::setFont(font);
        }
        QVERIFY(showComposed(window));
        show(*m_state, *m_widget, tool, background, shown);
        settle();

        QStringList faults = cutControls(*leftPane()) + cutControls(*rightPane());
        const QList<const QWidget*> actions{named<QPushButton>(*leftPane(), "paste"),
                                            named<QPushButton>(*leftPane(), "copy"),
                                            named<QPushButton>(*leftPane(), "export")};
        faults << outsideTheWindow(*leftPane(), actions);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        if (fontGrowth == 0) {
            // With the desktop's own font the window still fits a laptop at scale 2.
            const QSize least = m_widget->minimumSizeHint().expandedTo(m_widget->minimumSize());
            QVERIFY2(least.width() <= 800 && least.height() <= 500,
                     qPrintable(QStringLiteral("%1 x %2").arg(least.width()).arg(least.height())));
        }
    }

    // At its smallest the window fits 800 x 500, and the styling pane and the
    // image actions are inside it; the panes keep their limits however far
    // the window is shrunk or widened.
    void smallestWindowFitsASmallScreen_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::newRow("far too small") << QSize(300, 200);
        QTest::newRow("a small screen") << QSize(800, 500);
        QTest::newRow("wide") << QSize(2400, 900);
    }
    void smallestWindowFitsASmallScreen()
    {
        QFETCH(QSize, requested);
        QVERIFY(showComposed(QSize(1200, 800)));
        m_widget->resize(requested);
        settle();
        if (requested.width() <= 800) {
            QVERIFY2(m_widget->width() <= 800 && m_widget->height() <= 500,
                     qPrintable(QStringLiteral("%1 x %2").arg(m_widget->width()).arg(m_widget->height())));
            QCOMPARE(outsideTheWindow(*m_widget, {rightPane(), named<QPushButton>(*leftPane(), "paste"),
                                                  named<QPushButton>(*leftPane(), "copy"),
                                                  named<QPushButton>(*leftPane(), "export")}),
                     QStringList());
        }
        const QList<int> sizes = child<QSplitter>(*m_widget, QStringLiteral("panes"))->sizes();
        QCOMPARE(sizes.size(), 3);
        QVERIFY2(sizes[0] >= leftPane()->minimumSizeHint().width() && sizes[0] <= 280,
                 qPrintable(QString::number(sizes[0])));
        QVERIFY2(sizes[1] >= 280, qPrintable(QString::number(sizes[1])));
        QVERIFY2(sizes[2] >= rightPane()->minimumSizeHint().width() && sizes[2] <= 320,
                 qPrintable(QString::number(sizes[2])));
        if (requested.width() > 1400)
            QVERIFY(sizes[1] > 1400 - 280 - 320); // the canvas takes the room
    }

    // Over a control that has no focus the wheel scrolls the pane; once the
    // control has the focus (a click, Tab) the wheel changes it.
    void wheelScrollsThePanePastUnfocusedControls_data()
    {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<CanvasTool>("tool"); // with a text or marker added
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("focused");
        for (bool focused : {false, true}) {
            const char* suffix = focused ? ", focused" : "";
            QTest::addRow("shadow blur slider%s", suffix) << "right" << CanvasTool::text << "blur" << focused;
            QTest::addRow("font size box%s", suffix) << "left" << CanvasTool::text << "size" << focused;
            QTest::addRow("marker start number%s", suffix)
                << "left" << CanvasTool::marker << "startNumber" << focused;
        }
    }
    void wheelScrollsThePanePastUnfocusedControls()
    {
        QFETCH(QString, pane);
        QFETCH(CanvasTool, tool);
        QFETCH(QString, control);
        QFETCH(bool, focused);
        QVERIFY(showComposed(QSize(800, 500)));
        m_state->setMarkerStartNumber(3);
        show(*m_state, *m_widget, tool, BackgroundType::gradient,
             tool == CanvasTool::text ? Shown::text : Shown::marker);
        settle();
        QWidget* side = pane == QLatin1String("left") ? static_cast<QWidget*>(leftPane()) : rightPane();
        QWidget* target = child<QWidget>(*side, control);
        if (auto* row = qobject_cast<SliderRow*>(target))
            target = named<QSlider>(*row, "slider");
        QVERIFY(target->isVisible());
        const auto value = [&] {
            if (auto* slider = qobject_cast<QAbstractSlider*>(target))
                return slider->value();
            if (auto* box = qobject_cast<QComboBox*>(target))
                return box->currentIndex();
            return qobject_cast<QSpinBox*>(target)->value();
        };
        if (auto* box = qobject_cast<QComboBox*>(target))
            box->setCurrentIndex(box->count() / 2); // room to move both ways
        QScrollArea* area = nullptr;
        for (QWidget* above = target->parentWidget(); above && !area; above = above->parentWidget())
            area = qobject_cast<QScrollArea*>(above);
        QVERIFY(area && side->isAncestorOf(area));
        QScrollBar* bar = area->verticalScrollBar();
        QVERIFY2(bar->maximum() > 0, "the pane should scroll in a window this small");
        area->ensureWidgetVisible(target);
        const int scrolled = bar->value();
        if (focused)
            target->setFocus(Qt::MouseFocusReason);
        else
            m_widget->centralWidget()->setFocus();
        const int before = value();

        // Down while the pane can go further down, else up.
        const int delta = scrolled < bar->maximum() ? -120 : 120;
        const QPoint at = target->rect().center();
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        // As from the mouse: only such a wheel goes on to the parents.
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(target, &wheel); // sendEvent would take the mark away

        QCOMPARE(value() != before, focused);
        QCOMPARE(bar->value() != scrolled, !focused);
        QCOMPARE(target->hasFocus(), focused); // a wheel passing over takes no focus
    }

  private:
    QFont m_desktopFont;
};

QTEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
