// What the tabs are called: after the file their image came from, or after
// the time for an image without one (pasted or dropped image data, a
// capture), whether the image fills the start tab or opens a tab of its own.
// Files opened from the command line: tst_lustrelab_app.
#include "state/app_state.h"
#include "test_fixtures.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

using namespace lustrelab;

namespace {

// "Screenshot HH:mm:ss"
const QString timeName = QStringLiteral("^Screenshot \\d\\d:\\d\\d:\\d\\d$");

// Lets the pool's decodes finish and the two queued hand-offs each posts
// in turn run, then the composition that may have started.
[[nodiscard]] bool settle(const AppState& state)
{
    QThreadPool::globalInstance()->waitForDone();
    for (int handOff = 0; handOff < 2; ++handOff) {
        bool ran = false;
        QTimer::singleShot(0, [&ran] { ran = true; });
        if (!QTest::qWaitFor([&ran] { return ran; }, 5000))
            return false;
    }
    return QTest::qWaitFor([&] { return !state.isProcessing(); }, 5000);
}

} // namespace

class TestTabNames : public QObject
{
    Q_OBJECT
    test::IsolatedHome m_home;

    QString file(const QString& name) const { return m_home.filePath(name); }

    // One user action: "drop NAME" or "paste NAME" with a file, "drop image"
    // or "paste image" with image data, "capture", "new tab".
    void perform(AppState& state, const QString& action) const
    {
        const QString what = action.section(u' ', 1);
        auto mime = std::make_unique<QMimeData>();
        if (what == u"image")
            mime->setData(QStringLiteral("image/png"), test::encoded(test::solidImage(9, 7, Qt::red), "png"));
        else
            mime->setUrls({QUrl::fromLocalFile(file(what))});
        if (action.startsWith(u"drop")) {
            QVERIFY(state.dropMimeData(*mime));
        } else if (action.startsWith(u"paste")) {
            QGuiApplication::clipboard()->setMimeData(mime.release());
            state.pasteImage();
        } else if (action == u"capture") {
            state.loadImage(test::solidImage(5, 5), true); // what a finished capture hands over
        } else {
            state.newTab();
        }
        QVERIFY(settle(state));
    }

  private slots:
    void initTestCase()
    {
        for (const char* name : {"one.png", "two.jpeg", "with space.png"})
            QVERIFY(test::solidImage(12, 8, Qt::blue).save(file(QString::fromLatin1(name))));
    }

    void named_data()
    {
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("names"); // of every tab, in order; patterns
        QTest::newRow("the start tab") << QStringList{} << QStringList{"^New Tab$"};
        QTest::newRow("file dropped on the start tab")
            << QStringList{"drop one.png"} << QStringList{"^one\\.png$"};
        QTest::newRow("a second file opens its own tab")
            << QStringList{"drop one.png", "drop two.jpeg"} << QStringList{"^one\\.png$", "^two\\.jpeg$"};
        QTest::newRow("image data dropped on the start tab")
            << QStringList{"drop image"} << QStringList{timeName};
        QTest::newRow("image pasted into the start tab")
            << QStringList{"paste image"} << QStringList{timeName};
        QTest::newRow("file pasted into the start tab")
            << QStringList{"paste with space.png"} << QStringList{"^with space\\.png$"};
        QTest::newRow("a paste takes the name of the image it puts there")
            << QStringList{"drop one.png", "paste image"} << QStringList{timeName};
        QTest::newRow("a pasted file over an image")
            << QStringList{"paste image", "paste two.jpeg"} << QStringList{"^two\\.jpeg$"};
        QTest::newRow("a capture opens its own tab, the start tab stays empty")
            << QStringList{"capture"} << QStringList{"^New Tab$", timeName};
        QTest::newRow("a file dropped on an empty new tab")
            << QStringList{"new tab", "drop one.png"} << QStringList{"^New Tab$", "^one\\.png$"};
        QTest::newRow("a file that does not decode leaves the name")
            << QStringList{"drop missing.png"} << QStringList{"^New Tab$"};
    }
    void named()
    {
        QFETCH(QStringList, actions);
        QFETCH(QStringList, names);
        AppState state(m_home.filePath(QStringLiteral("templates")));
        for (const QString& action : actions) {
            perform(state, action);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(state.tabs().size(), names.size());
        for (qsizetype i = 0; i < names.size(); ++i)
            QVERIFY2(QRegularExpression(names[i]).match(state.tabs()[i].name).hasMatch(),
                     qPrintable(state.tabs()[i].name));
    }
};

QTEST_MAIN(TestTabNames)
#include "tst_tab_names.moc"
