// AppDelegate's bookkeeping with a fake shortcut facility, headless.

#include "io/app_delegate.h"
#include "io_fixtures.h"
#include "state/app_state.h"

#include <QtTest>
#include <memory>

using namespace lustrelab;
using namespace lustrelab::iotest;

namespace {

class FakeShortcut : public GlobalShortcut
{
  public:
    bool registerShortcut() override
    {
        ++registrations;
        m_registered = true;
        return true;
    }
    void unregisterShortcut() override { m_registered = false; }
    bool isRegistered() const override { return m_registered; }
    void press() { emit activated(); }

    int registrations = 0;

  private:
    bool m_registered = false;
};

} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

    std::unique_ptr<IsolatedEnvironment> m_env;
    std::unique_ptr<AppState> m_state;
    FakeCaptureBackend* m_backend = nullptr;
    int m_created = 0;
    FakeShortcut* m_shortcut = nullptr;

    AppDelegate::ShortcutFactory factory()
    {
        return [this]() -> std::unique_ptr<GlobalShortcut> {
            ++m_created;
            auto shortcut = std::make_unique<FakeShortcut>();
            m_shortcut = shortcut.get();
            return shortcut;
        };
    }

  private slots:
    void initTestCase() { m_env = std::make_unique<IsolatedEnvironment>(); }

    void init()
    {
        m_state = std::make_unique<AppState>(QDir(m_env->path()).filePath(QStringLiteral("templates")));
        m_backend = new FakeCaptureBackend(patternImage(3, 3));
        m_state->screenCaptureService().setBackend(std::unique_ptr<CaptureBackend>(m_backend));
        m_created = 0;
        m_shortcut = nullptr;
    }

    void cleanup() { m_state.reset(); }

    void pressStartsOneRegionCapture_data()
    {
        QTest::addColumn<int>("setups");
        QTest::newRow("one setup") << 1;
        QTest::newRow("three setups") << 3;
    }

    // However often the window appears: one facility, one registration, one
    // capture per press, landing in a new tab.
    void pressStartsOneRegionCapture()
    {
        QFETCH(int, setups);
        AppDelegate delegate(factory());
        for (int i = 0; i < setups; ++i)
            delegate.setup(m_state.get());
        QCOMPARE(m_created, 1);
        QCOMPARE(m_shortcut->registrations, 1);
        const qsizetype tabs = m_state->tabs().size();

        m_shortcut->press();
        QCOMPARE(m_backend->calls.size(), 0); // handed to the event loop, not run inside the delivery
        QTRY_COMPARE(m_state->tabs().size(), tabs + 1);
        QCOMPARE(m_backend->calls.size(), 1);
        QCOMPARE(m_backend->calls.first().mode, CaptureMode::region);
    }

    void nothingAfterTerminationOrWithoutModel_data()
    {
        QTest::addColumn<bool>("terminate");
        QTest::newRow("after termination") << true;
        QTest::newRow("model gone") << false;
    }

    void nothingAfterTerminationOrWithoutModel()
    {
        QFETCH(bool, terminate);
        AppDelegate delegate(factory());
        delegate.setup(m_state.get());
        FakeCaptureBackend* backend = m_backend;
        if (terminate) {
            delegate.applicationWillTerminate();
            QVERIFY(!m_shortcut->isRegistered());
        } else {
            m_state.reset(); // the delegate did not keep it alive
            backend = nullptr;
            QCOMPARE(delegate.appState(), nullptr);
        }
        m_shortcut->press();
        QTest::qWait(400); // past the capture's settle delay
        if (backend)
            QCOMPARE(backend->calls.size(), 0);
    }

    // Without any facility (the offscreen platform): one line, said once.
    void unavailableSaidOnce()
    {
        AppDelegate delegate;
        StreamCapture errors(2);
        delegate.setup(m_state.get());
        delegate.setup(m_state.get());
        const QByteArray text = errors.text();
        QCOMPARE(text.count('\n'), 1);
        QVERIFY(text.contains("global shortcut"));
        QCOMPARE(delegate.shortcut(), nullptr);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_app_delegate.moc"
