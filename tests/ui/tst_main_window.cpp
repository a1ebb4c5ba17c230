// The main window: menus and keys, the clipboard, sheets, drops,
// the window from the keyboard alone (one Tab stop per
// control or group of choices, each named), and Copy Text and Redact Sensitive from the canvas.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "render/paint_helpers.h"
#include "state/preferences_store.h"
#include "state/state_fixtures.h"
#include "state/text_actions.h"
#include "ui/drop_highlight.h"
#include "ui/export_dialog.h"
#include "ui/left_sidebar.h"
#include "ui/main_window.h"
#include "ui/save_template_dialog.h"
#include "ui/text_preferences.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

enum class Setup { emptyTab, composed, twoTabs, afterEdit, afterUndo };
enum class Asked { once, again, byDrag }; // Copy Text once or twice, or Shift and a drag

void prepare(AppState& state, Setup setup)
{
    if (setup == Setup::twoTabs)
        state.newTab();
    if (setup == Setup::emptyTab || setup == Setup::twoTabs)
        return;
    QVERIFY(loadAndCompose(state, solidImage(40, 30)));
    if (setup != Setup::composed)
        state.addShapeOverlay();
    if (setup == Setup::afterUndo)
        state.undo();
}

} // namespace

class TestMainWindow : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    QAction* command(const char* name) const { return child<QAction>(*m_widget, QLatin1String(name)); }
    template <typename T> T* open() const { return m_widget->findChild<T*>(); }

    // Runs what the window queued so far (its paste after the first
    // appearance among them).
    static void runQueuedCalls()
    {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        QTRY_VERIFY(ran);
    }

    static QString describe(const QWidget* widget)
    {
        return QStringLiteral("%1 \"%2\"").arg(widget->metaObject()->className(), spokenName(widget));
    }

    static QString spokenName(const QWidget* widget)
    {
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget));
        return accessible ? accessible->text(QAccessible::Name) : QString();
    }

    // The stops that `key` visits from the focused control until it comes
    // back there; empty when the cycle never closes.
    static QList<QWidget*> cycle(Qt::Key key)
    {
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier;
        QWidget* const start = QApplication::focusWidget();
        QList<QWidget*> stops{start};
        for (int step = 0; step < 200; ++step) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            if (QApplication::focusWidget() == start)
                return stops;
            stops << QApplication::focusWidget();
        }
        return {};
    }

    // A terminal screenshot of two lines, each with a secret, composed in the
    // shown window: in composed pixels the second line's text spans about
    // x 74..420, y 147..170 (64 points of padding).
    [[nodiscard]] bool showTerminal()
    {
        return showComposed({1400, 900},
                            statetest::terminalImage({700, 140}, 10, {"Contact dev@example.org", ping}));
    }
    CanvasView* canvas() const { return child<CanvasView>(*m_widget); }
    const QString ping = QStringLiteral("$ ping -c 3 172.16.254.1");
    QLabel* status() const { return named<QLabel>(*m_widget, "textStatus"); }
    QAction* editCommand(const char* name) const
    {
        return m_widget->menuBar()->findChild<QAction*>(QLatin1String(name));
    }
    // A canvas point over the composed pixel `pixel`.
    QPoint over(QPointF pixel) const
    {
        const QImage& shown = *m_state->currentTab()->processedImage;
        const QRectF frame = canvas::fittedImageFrame(QSizeF(canvas()->size()), logicalSize(shown));
        return (frame.topLeft() + pixel * frame.width() / shown.width()).toPoint();
    }
    [[nodiscard]] bool answered(const QString& part) const
    {
        return QTest::qWaitFor([&] { return status()->text().contains(part); }, 30000);
    }

  private slots:
    void init()
    {
        QGuiApplication::clipboard()->clear();
        QCursor::setPos(QPoint(3000, 3000)); // no tab starts under the pointer
        makeFresh();
    }
    void cleanup()
    {
        // A reading still running ends before its window and model go.
        QTRY_VERIFY_WITH_TIMEOUT(!m_state->textActions().isBusy(), 30000);
        takeDown();
    }

    void menuStatesFollowTheModel_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QStringList>("enabled"); // besides those always enabled
        QTest::newRow("second tab, empty and current") << Setup::twoTabs << QStringList{"closeTab"};
        QTest::newRow("after an undoable edit")
            << Setup::afterEdit << QStringList{"copyResult", "export", "undo"};
        QTest::newRow("after undo") << Setup::afterUndo << QStringList{"copyResult", "export", "redo"};
    }
    void menuStatesFollowTheModel()
    {
        QFETCH(Setup, setup);
        QFETCH(QStringList, enabled);
        prepare(*m_state, setup);
        const QStringList always{
            "paste", "newTab", "captureRegion", "captureWindow", "captureFullScreen", "preferences"};
        QStringList found;
        for (const QString& name : QStringList{"copyResult", "export", "closeTab", "undo", "redo"} + always)
            if (child<QAction>(*m_widget, name)->isEnabled())
                found << name;
        QCOMPARE(found, enabled + always);
    }

    // The keys the README's table of menu commands promises.
    void menuShortcuts()
    {
        QStringList keys;
        for (const char* name :
             {"newTab", "closeTab", "captureRegion", "captureWindow", "captureFullScreen",
              "captureCurrentScreen", "export", "quit", "undo", "redo", "paste", "copyResult", "preferences"})
            keys << command(name)->shortcut().toString();
        QCOMPARE(keys.join(u' '),
                 QStringLiteral("Ctrl+T Ctrl+W Ctrl+Shift+6 Ctrl+Shift+7 Ctrl+Shift+8 Ctrl+Shift+9 "
                                "Ctrl+Shift+E Ctrl+Q Ctrl+Z Ctrl+Shift+Z Ctrl+V Ctrl+C Ctrl+,"));
    }

    // "Capture Current Screen" asks the backend for the monitor under the
    // pointer, not for the whole desktop.
    void currentScreenIsOneMonitor()
    {
        QList<CaptureMode> modes;
        QList<MonitorChoice> monitors;
        CancelledCapture::install(
            *m_state, [&](CaptureMode mode) { modes << mode; },
            [&](const MonitorChoice& choice) { monitors << choice; });
        command("captureCurrentScreen")->trigger();
        QTRY_COMPARE(monitors, QList<MonitorChoice>{MonitorChoice::current()});
        QTRY_VERIFY(!m_state->screenCaptureService().isCapturing());
        QVERIFY(modes.isEmpty());
    }

    // Where nothing can scroll another window (here the offscreen platform,
    // as on a portal-only desktop) the command is off and its tooltip says why.
    void scrollingRegionSaysWhyItIsOff()
    {
        const QAction* scrolling = command("captureScrolling");
        QVERIFY(!scrolling->isEnabled());
        QVERIFY(scrolling->toolTip().startsWith(QStringLiteral("Scrolling capture needs")));
    }

    // (What Ctrl+Shift+E and Ctrl+, open: tst_window_preferences.)
    void keys_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<int>("tabsAdded");
        QTest::newRow("Ctrl+W closes one of two") << Setup::twoTabs << QKeySequence("Ctrl+W") << -1;
        QTest::newRow("Ctrl+T opens a tab") << Setup::emptyTab << QKeySequence("Ctrl+T") << 1;
    }
    void keys()
    {
        QFETCH(Setup, setup);
        QFETCH(QKeySequence, key);
        QFETCH(int, tabsAdded);
        prepare(*m_state, setup);
        showWindow();
        const qsizetype tabs = m_state->tabs().size();
        QTest::keySequence(m_widget.get(), key);
        QCOMPARE(m_state->tabs().size(), tabs + tabsAdded);
    }

    void pasteIsOneUndoStep_data()
    {
        QTest::addColumn<bool>("tabHasImage");
        QTest::newRow("over a screenshot: Ctrl+Z brings it back") << true;
        QTest::newRow("into an empty tab: no step, the earlier edit is undone") << false;
    }
    // A paste keeps the tab's annotations and replaces its screenshot; the
    // screenshot it replaced is one Ctrl+Z away, not lost.
    void pasteIsOneUndoStep()
    {
        QFETCH(bool, tabHasImage);
        const QImage first = solidImage(40, 30, Qt::red), pasted = solidImage(60, 20, Qt::blue);
        if (tabHasImage)
            QVERIFY(loadAndCompose(*m_state, first));
        m_state->addShapeOverlay(); // the earlier undo step
        const QList<ShapeOverlay> shapes = m_state->currentShapeOverlays();
        QGuiApplication::clipboard()->setText(QStringLiteral("nothing for the launch paste"));
        showWindow();
        runQueuedCalls();
        const auto shown = [this](const QImage& image) {
            const QImage& source = m_state->currentTab()->document.screenshot;
            return source.size() == image.size() && source.pixel(0, 0) == image.pixel(0, 0);
        };
        QGuiApplication::clipboard()->setImage(pasted);
        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+V")));
        QTRY_VERIFY(shown(pasted));
        QCOMPARE(m_state->currentShapeOverlays(), shapes);
        QVERIFY(test::composed(*m_state));

        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+Z")));
        if (!tabHasImage) {
            QVERIFY(shown(pasted));
            QVERIFY(m_state->currentShapeOverlays().isEmpty());
            return;
        }
        QVERIFY(shown(first));
        QCOMPARE(m_state->currentShapeOverlays(), shapes);
        QVERIFY(test::composed(*m_state));
        QCOMPARE(m_state->currentTab()->processedImage->size(), QSize(40 + 128, 30 + 128));
        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
        QVERIFY(shown(pasted));
        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QTest::keySequence(m_widget.get(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QVERIFY(m_state->currentShapeOverlays().isEmpty()); // then the edit before it
        QVERIFY(shown(first));
        QVERIFY(test::composed(*m_state));
    }

    // Other programs read image/png; the toolkit's own type keeps a paste
    // back into the application lossless.
    void copyResultOffersPng()
    {
        prepare(*m_state, Setup::composed);
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
        command("copyResult")->trigger();
        // The PNG is encoded before it is offered: until then the clipboard keeps what it had.
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("earlier"));
        QTRY_VERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("image/png")));
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(!mime->hasText());
        const QImage composed = m_state->currentTab()->processedImage->convertToFormat(QImage::Format_ARGB32);
        QImage decoded = QImage::fromData(mime->data(QStringLiteral("image/png")), "PNG");
        QCOMPARE(decoded.convertToFormat(QImage::Format_ARGB32), composed);
    }

    void sheetsFollowTheirFlags_data()
    {
        QTest::addColumn<bool>("exportSheet");
        QTest::addColumn<bool>("closedByModel");
        QTest::newRow("export, dismissed by the user") << true << false;
        QTest::newRow("export, closed by the model") << true << true;
        QTest::newRow("save template, dismissed by the user") << false << false;
        QTest::newRow("save template, closed by the model") << false << true;
    }
    void sheetsFollowTheirFlags()
    {
        QFETCH(bool, exportSheet);
        QFETCH(bool, closedByModel);
        showWindow();
        const auto flag = [&] {
            return exportSheet ? m_state->showExportDialog() : m_state->showSaveTemplateDialog();
        };
        const auto setFlag = [&](bool on) {
            exportSheet ? m_state->setShowExportDialog(on) : m_state->setShowSaveTemplateDialog(on);
        };
        const auto sheet = [&]() -> QDialog* {
            return exportSheet ? static_cast<QDialog*>(open<ExportDialog>()) : open<SaveTemplateDialog>();
        };
        setFlag(true);
        QTRY_VERIFY(sheet() && sheet()->isVisible());
        QCOMPARE(sheet()->windowModality(), Qt::WindowModal);
        QCOMPARE(sheet()->parentWidget(), m_widget.get());
        if (closedByModel)
            setFlag(false);
        else
            sheet()->reject();
        QTRY_VERIFY(!sheet());
        QVERIFY(!flag());
        setFlag(true); // and it opens again
        QTRY_VERIFY(sheet() && sheet()->isVisible());
    }

    void automaticPaste_data()
    {
        QTest::addColumn<bool>("imageOnClipboard");
        QTest::addColumn<QVariant>("preference");
        QTest::addColumn<bool>("pasted");
        QTest::newRow("image, preference unset") << true << QVariant() << true;
        QTest::newRow("image, preference off") << true << QVariant(false) << false;
        QTest::newRow("text on the clipboard") << false << QVariant() << false;
    }
    void automaticPaste()
    {
        QFETCH(bool, imageOnClipboard);
        QFETCH(QVariant, preference);
        QFETCH(bool, pasted);
        if (preference.isValid())
            QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"))
                .setValue(QStringLiteral("autoClipboard"), preference);
        const QImage image = solidImage(12, 8, Qt::magenta);
        if (imageOnClipboard)
            QGuiApplication::clipboard()->setImage(image);
        else
            QGuiApplication::clipboard()->setText(QStringLiteral("text"));
        QSignalSpy shown(m_widget.get(), &MainWindow::contentShown);
        showWindow();
        QCOMPARE(shown.size(), 1);
        runQueuedCalls();
        QTRY_COMPARE(m_state->currentTab()->hasImage(), pasted);
        QCOMPARE(m_state->tabs().size(), 1);
        if (!pasted)
            return;
        // The window comes back after every capture: that must not paste over
        // the image just captured.
        const QImage captured = solidImage(30, 20, Qt::cyan);
        m_widget->hide();
        m_state->loadImage(captured, true);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        runQueuedCalls();
        QCOMPARE(m_state->tabs().size(), 2);
        QCOMPARE(m_state->currentTab()->document.screenshot.pixel(0, 0), captured.pixel(0, 0));
    }

    // Which payloads the window takes is the import's rule, tested with it;
    // here: the highlight follows the drag, a drop reaches the model, and a
    // file is always taken as a copy, so its source never removes it.
    void drops_data()
    {
        QTest::addColumn<bool>("imageFile");
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("image file") << true << Qt::DropActions(Qt::CopyAction) << true;
        // Shift makes Qt propose the move.
        QTest::newRow("copy or move is a copy") << true << (Qt::CopyAction | Qt::MoveAction) << true;
        QTest::newRow("move only is refused") << true << Qt::DropActions(Qt::MoveAction) << false;
        QTest::newRow("text is refused") << false << Qt::DropActions(Qt::CopyAction) << false;
    }
    void drops()
    {
        QFETCH(bool, imageFile);
        QFETCH(Qt::DropActions, offered);
        QFETCH(bool, accepted);
        showWindow();
        const QImage dropped = solidImage(20, 10, Qt::blue);
        const QString file = m_home.filePath(QStringLiteral("shot.png"));
        QVERIFY(dropped.save(file));
        QMimeData mime;
        if (imageFile)
            mime.setUrls({QUrl::fromLocalFile(file)});
        else
            mime.setText(QStringLiteral("text"));
        const QPoint point = m_widget->mapFromGlobal(canvas()->mapToGlobal(canvas()->rect().center()));
        QDragEnterEvent enter(point, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(m_widget.get(), &enter);
        const auto* highlight = child<DropHighlight>(*m_widget);
        QCOMPARE(enter.isAccepted(), accepted);
        QCOMPARE(m_widget->isDropTargeted(), accepted);
        QCOMPARE(highlight->isVisible(), accepted);
        QCOMPARE(highlight->geometry(), m_widget->centralWidget()->geometry());
        if (!accepted)
            return;
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDragLeaveEvent leave;
        QApplication::sendEvent(m_widget.get(), &leave);
        QVERIFY(!highlight->isVisible());
        QApplication::sendEvent(m_widget.get(), &enter);
        QVERIFY(highlight->isVisible());
        QDropEvent drop(point, offered, &mime, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(m_widget.get(), &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QVERIFY(!m_widget->isDropTargeted());
        QVERIFY(!highlight->isVisible());
        QTRY_VERIFY(m_state->currentTab()->hasImage());
        QCOMPARE(m_state->currentTab()->document.screenshot.size(), dropped.size());
    }

    // Qt hands a drag to the innermost widget that accepts drops; none of the
    // window's parts may, or a drop over them would never reach the window.
    void dropsReachTheWindowFromEveryPane()
    {
        showWindow();
        const QRect area = m_widget->centralWidget()->geometry();
        for (int x = area.left() + 5; x < area.right(); x += 37)
            for (int y = area.top() + 5; y < area.bottom(); y += 41) {
                QWidget* target = m_widget->childAt(QPoint(x, y));
                while (target && !target->acceptDrops())
                    target = target->parentWidget();
                QVERIFY2(target == m_widget.get(), qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }
    }

    void tabVisitsEveryControlOnceAndShiftTabReturns()
    {
        QVERIFY(showThreeTabs(*m_state, *m_widget));
        m_state->selectTab(m_state->tabs()[1].id); // a composed tab, so the styling controls show
        QTRY_VERIFY(m_widget->isActiveWindow());
        QWidget* first = m_widget->nextInFocusChain();
        while (first != m_widget.get() && !(first->isVisible() && first->focusPolicy() & Qt::TabFocus))
            first = first->nextInFocusChain();
        first->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), first);

        const QList<QWidget*> forward = cycle(Qt::Key_Tab);
        QVERIFY2(!forward.isEmpty(), "the Tab cycle never returns to where it started");
        QStringList faults;
        for (const QWidget* stop : forward) {
            if (forward.count(stop) > 1)
                faults << QStringLiteral("visited twice: %1").arg(describe(stop));
            if (!stop->isVisible() || stop->window() != m_widget.get())
                faults << QStringLiteral("a stop that is not shown: %1").arg(describe(stop));
            if (spokenName(stop).isEmpty())
                faults << QStringLiteral("a stop without a name: %1").arg(describe(stop));
        }
        // Every control the window shows is among the stops.
        for (QWidget* control : m_widget->findChildren<QWidget*>())
            if (control->isVisible() && control->focusPolicy() & Qt::TabFocus && control->isEnabled() &&
                control->window() == m_widget.get() && !forward.contains(control) &&
                !qobject_cast<QScrollBar*>(control))
                faults << QStringLiteral("never reached: %1").arg(describe(control));
        faults << unreachableOrNamelessControls(*m_widget);
        // The canvas and the image actions are stops too, and a group of
        // choices (swatches, chips, segments, tools) is a single one.
        for (const char* name : {"paste", "copy", "export"})
            if (!forward.contains(named<QPushButton>(*child<LeftSidebar>(*m_widget), name)))
                faults << QStringLiteral("never reached: %1").arg(QLatin1String(name));
        if (!forward.contains(canvas()))
            faults << QStringLiteral("never reached: the canvas");
        if (forward.size() >= 45)
            faults << QStringLiteral("%1 stops in one cycle").arg(forward.size());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

        QList<QWidget*> backward = cycle(Qt::Key_Backtab);
        QVERIFY(!backward.isEmpty());
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);

        // A screen reader hears what is selected on the canvas.
        QVERIFY(!spokenName(canvas()).isEmpty());
        const QString nothing = canvas()->accessibleDescription();
        m_state->addShapeOverlay();
        QVERIFY(canvas()->accessibleDescription() != nothing);
        QVERIFY2(canvas()->accessibleDescription().contains(QLatin1String("Rectangle")),
                 qPrintable(canvas()->accessibleDescription()));
        m_state->clearSelection();
        QCOMPARE(canvas()->accessibleDescription(), nothing);
    }

    // The menu under the pointer holds the Edit menu's own actions, and its
    // Redact Sensitive covers the secrets in the chosen style.
    void contextMenuOffersTheEditCommands()
    {
        QVERIFY(showTerminal());
        PreferencesStore().setRedactionStyle(ShapeType::pixelate);
        QList<QAction*> offered;
        QTimer menuShown; // the menu runs its own loop until it closes
        menuShown.setInterval(10);
        connect(&menuShown, &QTimer::timeout, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            menuShown.stop();
            offered = menu->actions();
            for (QAction* action : offered)
                if (action->objectName() == QLatin1String("redactSensitive"))
                    action->trigger();
            menu->close();
        });
        menuShown.start();
        const QPoint centre = canvas()->rect().center();
        QContextMenuEvent rightClick(QContextMenuEvent::Mouse, centre, canvas()->mapToGlobal(centre));
        QCoreApplication::sendEvent(canvas(), &rightClick);
        QTRY_COMPARE(offered, (QList<QAction*>{editCommand("copyText"), editCommand("redactSensitive")}));
        QVERIFY(answered(QStringLiteral("Found 1 email address, 1 IPv4 address.")));
        const QList<ShapeOverlay> boxes = m_state->currentShapeOverlays();
        QCOMPARE(boxes.size(), 2);
        for (const ShapeOverlay& box : boxes) // their cells: tst_app_state
            QCOMPARE(box.shapeType, ShapeType::pixelate);
    }

    // Copy Text reads the whole image, a line of the clipboard for each line
    // read; Shift and a drag over the second line copy that line's text
    // (which drags start an area: tst_canvas_painting).
    void answerLine_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<Asked>("asked");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("pingLine"); // the clipboard's line from which only the second line follows
        QTest::newRow("asking again while reading is refused")
            << "eng" << Asked::again << "Copied 2 lines." << 1;
        QTest::newRow("a language without its data")
            << "qaa" << Asked::once << "no text recognition data for language 'qaa'" << -1;
        QTest::newRow("Shift and a drag copy the area") << "eng" << Asked::byDrag << "Copied 1 line." << 0;
    }
    void answerLine()
    {
        QVERIFY(showTerminal());
        QFETCH(QString, language);
        QFETCH(Asked, asked);
        QFETCH(QString, answer);
        QFETCH(int, pingLine);
        PreferencesStore().setTextLanguage(language);
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
        QAction* copyText = editCommand("copyText");
        if (asked == Asked::byDrag) {
            const QPoint from = over({66, 136}), to = over({560, 182});
            QTest::mousePress(canvas(), Qt::LeftButton, Qt::ShiftModifier, from);
            for (int step = 1; step <= 4; ++step)
                QTest::mouseMove(canvas(), from + (to - from) * step / 4);
            QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::ShiftModifier, to);
        } else {
            copyText->trigger();
        }
        QVERIFY(m_state->textActions().isBusy());
        QCOMPARE(status()->text(), QStringLiteral("Reading text…"));
        QVERIFY(status()->isVisibleTo(m_widget.get()));
        if (asked == Asked::again) {
            copyText->trigger();
            QCOMPARE(status()->text(),
                     QStringLiteral("Text is still being read; try again when it is done."));
        }
        QVERIFY(answered(answer));
        if (pingLine >= 0)
            QCOMPARE(QGuiApplication::clipboard()->text().split(u'\n').mid(pingLine), QStringList{ping});
    }

    // English leads the list whether or not its data is installed; a chosen
    // language whose data has gone stays chosen, marked.
    void textPreferences()
    {
        PreferencesStore().setTextLanguage(QStringLiteral("qaa"));
        TextPreferencesBox box(m_state->preferences());
        auto* language = named<QComboBox>(box, "textLanguage");
        QCOMPARE(language->itemData(0).toString(), QStringLiteral("eng"));
        QCOMPARE(language->itemText(0), QStringLiteral("English (eng)"));
        QCOMPARE(language->currentData().toString(), QStringLiteral("qaa"));
        QVERIFY(language->currentText().endsWith(QStringLiteral("(not installed)")));
        QCOMPARE(named<QComboBox>(box, "redactionStyle")->currentData().toInt(), int(ShapeType::redact));

        language->setFocus();
        QTest::keyClick(language, Qt::Key_Home);
        QCOMPARE(PreferencesStore().textLanguage(), QStringLiteral("eng"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
