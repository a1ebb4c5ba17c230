// The desktop's recently-used list: an entry is added or brought up to date
// without disturbing what other programs keep there.
#include "io/recently_used_list.h"
#include "test_fixtures.h"

#include <QTest>
#include <QXmlStreamReader>

using namespace lustrelab;

namespace {

const QByteArray otherProgram = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0"
      xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///home/u/notes.txt" added="2024-01-02T10:00:00.000000Z" modified="2024-01-02T10:00:00.000000Z" visited="2024-01-02T10:00:00.000000Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="text/plain"/>
        <bookmark:applications>
          <bookmark:application name="gedit" exec="&apos;gedit %u&apos;" modified="2024-01-02T10:00:00Z" count="3"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
</xbel>
)";

struct Bookmark
{
    QString href, added, mimeType, application;
    int count = 0;
};

// What a file chooser would read back.
QList<Bookmark> bookmarks(const QByteArray& xml, QString* error)
{
    QList<Bookmark> found;
    QXmlStreamReader in(xml);
    while (!in.atEnd()) {
        in.readNext();
        if (!in.isStartElement())
            continue;
        const auto a = in.attributes();
        if (in.name() == u"bookmark" && in.namespaceUri().isEmpty())
            found.append({a.value("href").toString(), a.value("added").toString()});
        else if (in.name() == u"mime-type" && !found.isEmpty())
            found.last().mimeType = a.value("type").toString();
        else if (in.name() == u"application" &&
                 in.namespaceUri() == u"http://www.freedesktop.org/standards/desktop-bookmarks")
            found.last().application = a.value("name").toString(),
            found.last().count = a.value("count").toInt();
    }
    *error = in.errorString();
    return found;
}

} // namespace

class TestRecentlyUsed : public QObject
{
    Q_OBJECT

    test::IsolatedHome m_home;

  private slots:
    void adding_data()
    {
        QTest::addColumn<QByteArray>("before"); // empty: no list yet
        QTest::addColumn<int>("times");         // the same file added so often
        QTest::addColumn<QStringList>("hrefs");
        QTest::addColumn<int>("count");
        QTest::newRow("no list yet") << QByteArray() << 1 << QStringList{"file:///tmp/a%20b.lustrelab"} << 1;
        QTest::newRow("beside another program's")
            << otherProgram << 1 << QStringList{"file:///home/u/notes.txt", "file:///tmp/a%20b.lustrelab"}
            << 1;
        QTest::newRow("again: one bookmark, counted")
            << otherProgram << 3 << QStringList{"file:///home/u/notes.txt", "file:///tmp/a%20b.lustrelab"}
            << 3;
    }
    void adding()
    {
        QFETCH(QByteArray, before);
        QFETCH(int, times);
        const QString list = m_home.filePath(QStringLiteral("data/recently-used.xbel"));
        QFile::remove(list);
        if (!before.isEmpty())
            QVERIFY(test::writeFile(list, before));
        RecentlyUsedEntry entry{QStringLiteral("/tmp/a b.lustrelab"),
                                QStringLiteral("application/x-lustrelab-project"),
                                QStringLiteral("Lustrelab"), QStringLiteral("'lustrelab %u'"),
                                QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC)};
        for (int i = 0; i < times; ++i) {
            QString error;
            QVERIFY2(addRecentlyUsed(list, entry, &error), qPrintable(error));
            entry.when = entry.when.addSecs(60);
        }
        QString error;
        const QList<Bookmark> found = bookmarks(test::readFile(list), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QTEST(test::mapped(found, &Bookmark::href), "hrefs");
        const Bookmark& ours = found.last();
        QCOMPARE(ours.mimeType, QStringLiteral("application/x-lustrelab-project"));
        QCOMPARE(ours.application, QStringLiteral("Lustrelab"));
        QTEST(ours.count, "count");
        QCOMPARE(ours.added, QStringLiteral("2026-01-01T12:00:00.000Z")); // first added, kept
        if (!before.isEmpty()) {
            QCOMPARE(found.first().application, QStringLiteral("gedit"));
            QCOMPARE(found.first().count, 3);
            QCOMPARE(found.first().mimeType, QStringLiteral("text/plain"));
        }
    }

    void aListThatIsNotOneIsLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("not XML") << QByteArray("recently used: nothing");
        QTest::newRow("another document") << QByteArray("<?xml version=\"1.0\"?><html><body/></html>");
        QTest::newRow("cut short") << otherProgram.left(otherProgram.size() / 2);
    }
    void aListThatIsNotOneIsLeftAlone()
    {
        QFETCH(QByteArray, contents);
        const QString list = m_home.filePath(QStringLiteral("data/recently-used.xbel"));
        QVERIFY(test::writeFile(list, contents));
        QString error;
        QVERIFY(!addRecentlyUsed(list,
                                 {QStringLiteral("/tmp/x.png"), QStringLiteral("image/png"),
                                  QStringLiteral("Lustrelab"), QStringLiteral("'lustrelab %u'")},
                                 &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(test::readFile(list), contents);
    }
};

QTEST_MAIN(TestRecentlyUsed)
#include "tst_recently_used.moc"
