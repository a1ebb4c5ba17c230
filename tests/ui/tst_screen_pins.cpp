// Images pinned to the screen and delayed captures from the window, on a
// real X server (see xvfb_main.h): the window manager's state of a pin, its
// keys and wheel, and what the window does around a countdown.
#include "io/countdown_overlay.h"
#include "fake_file_dialogs.h"
#include "ui/main_window.h"
#include "ui_fixtures.h"
#include "xvfb_main.h"

#include <QClipboard>
#include <QScopeGuard>
#include <QProcess>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

using namespace lustrelab;
using namespace lustrelab::uitest;

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : XCB_ATOM_NONE;
    std::free(reply);
    return found;
}

// The states the window asks the window manager for, as atoms' names.
QStringList netWmState(const QWindow& window)
{
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11->connection();
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(window.winId()), atom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
        nullptr);
    QStringList names;
    if (!reply)
        return names;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i) {
        xcb_get_atom_name_reply_t* name = xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atoms[i]), nullptr);
        if (name) {
            names << QString::fromLatin1(xcb_get_atom_name_name(name), xcb_get_atom_name_name_length(name));
            std::free(name);
        }
    }
    std::free(reply);
    return names;
}

void wheel(QWindow& window, int notches, Qt::KeyboardModifiers modifiers = {})
{
    const QPointF at(window.width() / 2.0, window.height() / 2.0);
    QWheelEvent event(at, window.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&window, &event);
}

} // namespace

class TestScreenPins : public QObject, FreshModel<MainWindow>
{
    Q_OBJECT

    PinWindow* pinComposedImage()
    {
        if (!loadAndCompose(*m_state, solidImage(240, 160, qRgb(200, 40, 40))))
            return nullptr;
        child<QAction>(*m_widget, QStringLiteral("pinToScreen"))->trigger();
        ScreenPins& pins = m_state->screenPins();
        PinWindow* pin = pins.count() > 0 ? pins.at(pins.count() - 1) : nullptr;
        return pin && QTest::qWaitForWindowExposed(pin) ? pin : nullptr;
    }

  private slots:
    void init()
    {
        makeFresh();
        m_widget->setAutomaticPasteEnabled(false);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }
    void cleanup() { takeDown(); }

    // Only a pin asks to stay above: the main window is a normal one.
    void aPinStaysAboveTheMainWindow()
    {
        PinWindow* pin = pinComposedImage();
        QVERIFY(pin);
        QVERIFY2(netWmState(*pin).contains(u"_NET_WM_STATE_ABOVE"), qPrintable(netWmState(*pin).join(u' ')));
        QVERIFY(!netWmState(*m_widget->windowHandle()).contains(u"_NET_WM_STATE_ABOVE"));
        QVERIFY(pin->flags() & Qt::FramelessWindowHint);
        // It shows the styled result, not the bare screenshot.
        QCOMPARE(pin->image(), *m_state->currentTab()->processedImage);
    }

    void keysAndClicks_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Escape") << "escape" << true;
        QTest::newRow("double-click") << "double-click" << true;
        QTest::newRow("Ctrl+C copies and stays") << "copy" << false;
        QTest::newRow("another key") << "space" << false;
    }
    void keysAndClicks()
    {
        QFETCH(QString, gesture);
        QFETCH(bool, closes);
        PinWindow* pin = pinComposedImage();
        QVERIFY(pin);
        QGuiApplication::clipboard()->clear();
        if (gesture == u"escape")
            QTest::keyClick(pin, Qt::Key_Escape);
        else if (gesture == u"double-click")
            QTest::mouseDClick(pin, Qt::LeftButton, {}, QPoint(20, 20));
        else if (gesture == u"copy")
            QTest::keyClick(pin, Qt::Key_C, Qt::ControlModifier);
        else
            QTest::keyClick(pin, Qt::Key_Space);
        if (closes) {
            QTRY_COMPARE(m_state->screenPins().count(), 0); // closed and let go
            return;
        }
        QVERIFY(pin->isVisible());
        QCOMPARE(m_state->screenPins().count(), 1);
        if (gesture == u"copy")
            QTRY_COMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                         pin->image().convertToFormat(QImage::Format_RGB32));
        else
            QVERIFY(QGuiApplication::clipboard()->image().isNull());
    }

    // The wheel zooms (within bounds), Ctrl+wheel fades (never to nothing).
    void wheel_data()
    {
        QTest::addColumn<int>("notches");
        QTest::addColumn<bool>("control");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<double>("opacity");
        QTest::newRow("zoom in") << 2 << false << 1.21 << 1.0;
        QTest::newRow("zoom out") << -1 << false << 1 / 1.1 << 1.0;
        QTest::newRow("no larger than 8x") << 40 << false << 8.0 << 1.0;
        QTest::newRow("no smaller than a tenth") << -40 << false << 0.1 << 1.0;
        QTest::newRow("see-through") << -3 << true << 1.0 << 0.7;
        QTest::newRow("never invisible") << -20 << true << 1.0 << 0.2;
        QTest::newRow("never more than opaque") << 3 << true << 1.0 << 1.0;
    }
    void wheel()
    {
        QFETCH(int, notches);
        QFETCH(bool, control);
        QFETCH(double, zoom);
        QFETCH(double, opacity);
        PinWindow* pin = pinComposedImage();
        QVERIFY(pin);
        QCOMPARE(pin->zoom(), 1.0);
        const QSize start = pin->size();
        const int step = notches > 0 ? 1 : -1;
        for (int i = 0; i != notches; i += step)
            ::wheel(*pin, step, control ? Qt::ControlModifier : Qt::NoModifier);
        QVERIFY(qAbs(pin->zoom() - zoom) < 1e-6);
        QVERIFY(qAbs(pin->opacity() - opacity) < 1e-6);
        QTRY_VERIFY(qAbs(pin->width() - qRound(start.width() * zoom)) <= 1 || pin->width() == pin->minimumWidth());
    }

    // Any number at once; the main window's closing takes them along.
    void severalPinsGoWithTheMainWindow()
    {
        // The tab holds an unsaved image, so closing asks first; the answer
        // here lets the window go.
        test::FakeFileDialogs dialogs;
        dialogs.answers = {FileDialogs::Answer::discard};
        m_widget = std::make_unique<MainWindow>(*m_state, nullptr, nullptr, &dialogs);
        const auto windowFirst = qScopeGuard([this] { m_widget.reset(); });
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
        for (int i = 0; i < 3; ++i)
            QVERIFY(pinComposedImage());
        QCOMPARE(m_state->screenPins().count(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY(m_state->screenPins().at(i)->isVisible());
        m_state->screenPins().at(1)->close();
        QTRY_COMPARE(m_state->screenPins().count(), 2);
        m_widget->close();
        QTRY_COMPARE(m_state->screenPins().count(), 0);
    }

    void pinNeedsAComposedImage()
    {
        QAction* pin = child<QAction>(*m_widget, QStringLiteral("pinToScreen"));
        QVERIFY(!pin->isEnabled());
        m_state->pinToScreen();
        QCOMPARE(m_state->screenPins().count(), 0);
    }

    // With a delay chosen, the window leaves the screen while the overlay
    // counts down; Escape brings it back without capturing, else the
    // capture follows.
    void delayedCapture_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("counted down, then captured") << false;
        QTest::newRow("Escape cancels") << true;
    }
    void delayedCapture()
    {
        QFETCH(bool, cancel);
        int captures = 0;
        bool windowShownDuringCapture = true;
        CancelledCapture::install(*m_state, [&](CaptureMode) {
            ++captures;
            windowShownDuringCapture = m_widget->isVisible();
        });
        child<QAction>(*m_widget, QStringLiteral("delay3"))->trigger();
        CaptureCountdown& countdown = m_state->captureCountdown();
        countdown.setTick(std::chrono::milliseconds(cancel ? 5000 : 50));
        QList<int> counted;
        connect(&countdown, &CaptureCountdown::remainingChanged, this, [&](int s) { counted << s; });
        child<QAction>(*m_widget, QStringLiteral("captureRegion"))->trigger();

        QVERIFY(countdown.isRunning());
        QTRY_VERIFY(!m_widget->isVisible());
        CountdownOverlay* overlay = countdown.overlay();
        QVERIFY(overlay);
        QTRY_VERIFY(overlay->isExposed());
        QCOMPARE(overlay->seconds(), 3);
        // A second request while counting down is no second capture.
        child<QAction>(*m_widget, QStringLiteral("captureWindow"))->trigger();
        if (cancel) {
            // Pressed with another window in focus: the desktop-wide grab takes it.
            QWidget elsewhere;
            elsewhere.setWindowTitle(QStringLiteral("elsewhere"));
            elsewhere.show();
            elsewhere.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
            QVERIFY(!overlay->isActive());
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
            QTRY_VERIFY(!countdown.isRunning());
            QTRY_VERIFY(m_widget->isVisible());
            QTest::qWait(100);
            QCOMPARE(captures, 0);
            QCOMPARE(counted, QList<int>{3});
        } else {
            QTRY_COMPARE(captures, 1);
            QCOMPARE(counted, (QList<int>{3, 2, 1, 0}));
            QVERIFY(!windowShownDuringCapture);
            QTRY_VERIFY(m_widget->isVisible());
            QTest::qWait(100);
            QCOMPARE(captures, 1);
        }
        QVERIFY(!overlay->isVisible());
    }
};

int main(int argc, char** argv)
{
    return test::runOnXvfb<QApplication, TestScreenPins>(argc, argv, "1280x900x24");
}
#include "tst_screen_pins.moc"
