// A new tab is named after the local time its screenshot was taken.
#include "model/screenshot_tab.h"

#include <QTest>

using namespace lustrelab;

class TestTabName : public QObject
{
    Q_OBJECT
  private slots:
    void defaultName_data()
    {
        QTest::addColumn<QDateTime>("createdAt");
        QTest::addColumn<QString>("name");
        const QDate day(2026, 3, 14);
        QTest::newRow("afternoon, 24-hour clock") << QDateTime(day, QTime(14, 5, 9)) << "Screenshot 14:05:09";
        QTest::newRow("end of the same second")
            << QDateTime(day, QTime(9, 3, 7, 999)) << "Screenshot 09:03:07";
        QTest::newRow("given in UTC, shown in local time")
            << QDateTime(day, QTime(23, 59, 59)).toUTC() << "Screenshot 23:59:59";
    }
    void defaultName()
    {
        QFETCH(QDateTime, createdAt);
        QTEST(defaultTabName(createdAt), "name");
    }
};

QTEST_GUILESS_MAIN(TestTabName)
#include "tst_tab_name.moc"
