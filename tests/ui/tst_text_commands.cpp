// Copy Text and Redact Sensitive in the window: the canvas's context menu, the
// Shift-drag that copies an area's text, the answer line while a reading runs
// (and when the chosen language has no data), and the Text preferences.
#include "canvas/canvas_coordinates.h"
#include "canvas/canvas_view.h"
#include "render/paint_helpers.h"
#include "state/preferences_store.h"
#include "state/state_fixtures.h"
#include "state/text_actions.h"
#include "ui/main_window.h"
#include "ui/text_preferences.h"
#include "ui_fixtures.h"

using namespace lustrelab;
using namespace lustrelab::uitest;

class TestTextCommands : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    CanvasView* canvas() const { return child<CanvasView>(*m_widget); }
    const QString ping = QStringLiteral("$ ping -c 3 172.16.254.1");
    QLabel* status() const { return named<QLabel>(*m_widget, "textStatus"); }
    QAction* editCommand(const char* name) const
    {
        for (QAction* action : m_widget->menuBar()->findChildren<QAction*>())
            if (action->objectName() == QLatin1String(name))
                return action;
        return nullptr;
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
        makeFresh();
        m_widget->setAutomaticPasteEnabled(false);
        m_widget->resize(1400, 900);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        // Two lines, each with a secret; in composed pixels the second line's
        // text spans about x 74..420, y 147..170 (64 points of padding).
        QVERIFY(loadAndCompose(*m_state, statetest::terminalImage({700, 140}, 10,
                                                                  {"Contact dev@example.org", ping})));
    }
    void cleanup()
    {
        // A reading still running ends before its window and model go.
        QTRY_VERIFY_WITH_TIMEOUT(!m_state->textActions().isBusy(), 30000);
        takeDown();
    }

    // The menu under the pointer holds the Edit menu's own actions, and its
    // Redact Sensitive covers the secrets in the chosen style.
    void contextMenuOffersTheEditCommands()
    {
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
        for (const ShapeOverlay& box : boxes) // their cells: tst_text_actions
            QCOMPARE(box.shapeType, ShapeType::pixelate);
    }

    void shiftDragCopiesTheArea_data()
    {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("copies");
        QTest::newRow("with Shift: the second line's text")
            << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("a plain drag reads nothing") << Qt::KeyboardModifiers() << false;
    }
    void shiftDragCopiesTheArea()
    {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, copies);
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
        QSignalSpy chosen(canvas(), &CanvasView::textAreaChosen);
        const QPoint from = over({66, 136}), to = over({560, 182});
        QTest::mousePress(canvas(), Qt::LeftButton, modifiers, from);
        for (int step = 1; step <= 4; ++step)
            QTest::mouseMove(canvas(), from + (to - from) * step / 4);
        QTest::mouseRelease(canvas(), Qt::LeftButton, modifiers, to);
        QCOMPARE(chosen.size(), copies ? 1 : 0);
        QCOMPARE(m_state->textActions().isBusy(), copies);
        if (!copies)
            return;
        QVERIFY(answered(QStringLiteral("Copied 1 line.")));
        QCOMPARE(QGuiApplication::clipboard()->text(), ping);
    }

    void answerLine_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("askAgain");
        QTest::addColumn<QString>("answer");
        QTest::newRow("asking again while reading is refused") << "eng" << true << "Copied 2 lines.";
        QTest::newRow("a language without its data")
            << "qaa" << false << "no text recognition data for language 'qaa'";
    }
    void answerLine()
    {
        QFETCH(QString, language);
        QFETCH(bool, askAgain);
        QFETCH(QString, answer);
        PreferencesStore().setTextLanguage(language);
        QAction* copyText = editCommand("copyText");
        copyText->trigger();
        QCOMPARE(status()->text(), QStringLiteral("Reading text…"));
        QVERIFY(status()->isVisibleTo(m_widget.get()));
        if (askAgain) {
            copyText->trigger();
            QCOMPARE(status()->text(),
                     QStringLiteral("Text is still being read; try again when it is done."));
        }
        QVERIFY(answered(answer));
        // The whole image's text, a line of the clipboard for each line read.
        if (askAgain)
            QCOMPARE(QGuiApplication::clipboard()->text().split(u'\n').value(1), ping);
    }

    // English leads the list whether or not its data is installed; a chosen
    // language whose data has gone stays chosen, marked.
    void textPreferences()
    {
        PreferencesStore().setTextLanguage(QStringLiteral("qaa"));
        TextPreferencesBox box;
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

QTEST_MAIN(TestTextCommands)
#include "tst_text_commands.moc"
