// The secret finder on what the text reader really gives back: its lines as
// tesseract read drawn terminals and pages (a "_" lost to a space, "@" read
// as "G", "1" as "l", a dot as a comma), the edges of each range, and the
// ordinary words and numbers that the tolerance must leave alone.
#include "model/recognized_text.h"
#include "model/sensitive_text.h"

#include <QTest>

using namespace lustrelab;

namespace {

// The spans between backquotes in `marked`, in the text without them.
QList<std::pair<qsizetype, qsizetype>> markedSpans(const QString& marked)
{
    QList<std::pair<qsizetype, qsizetype>> spans;
    qsizetype removed = 0, open = -1;
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] != u'`')
            continue;
        if (open < 0) {
            open = i - removed;
        } else {
            spans.append({open, i - removed - open});
            open = -1;
        }
        ++removed;
    }
    return spans;
}

} // namespace

class TestSecretFinder : public QObject
{
    Q_OBJECT
  private slots:
    // Each row marks its secrets with '`' (a bar is a character the reader
    // produces) and lists their kinds in order; a row without marks must
    // find nothing.
    void findsWhatTheReaderGot_data()
    {
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QList<int>>("kinds");
        const auto row = [](const char* name, const char* marked, QList<SensitiveKind> kinds = {}) {
            QList<int> numbers;
            for (SensitiveKind kind : kinds)
                numbers << int(kind);
            QTest::newRow(name) << QString::fromUtf8(marked) << numbers;
        };
        using enum SensitiveKind;
        // Read by tesseract from drawn screenshots.
        row("token prefix's _ read as a space",
            "export GITHUB TOKEN=`ghp 16C7e42F292c6912E7710c838347Ae178B4a`", {token});
        row("@ read as G", "git config user.email `ana.lopezGexample.com`", {email});
        row("1 read as l in an address", "ana@devbox:~$ ssh deploy@`l0.42.7.191`", {ipv4});
        row("a dot read as a comma", "default via `192.168,1.254` dev wlan0 proto dhcp", {ipv4});
        row("the first dot read as a comma", "brd `192,168.1.255` scope global dynamic wlan0", {ipv4});
        row("J read as a bracket in a key", "OPENAI_API_KEY=`sk-live4f]8kLm2Qw9Rt7Yx3Zc6Vb1`,", {token});
        // The same mistakes, where they would fall in other secrets.
        row("token prefix's _ lost", "TOKEN=`ghp16C7e42F292c6912E7710c838347Ae178B4a`", {token});
        row("key prefix's - read as a space", "KEY=`sk live4fJ8kLm2Qw9Rt7Yx3Zc6Vb1`", {token});
        row("slack prefix's - lost", "`xoxb2741963-5826107-kQe7Rt2Lm9`", {token});
        row("@ read as a copyright sign", "MAILTO=`ops-team\u00a9corp.example.net`", {email});
        row("l and O in a card", "card on file: `4lll 1111 1111 1lI1` (expires 09/29)", {cardNumber});
        row("O in an iban", "iban=`DE89 37O4 0O44 0532 0130 00` amount=129.90", {iban});
        row("o and I in a phone number", "phone: `+44 2o 7946 O958`", {phone});
        row("a bar between digits", "route `10.0.1|1.4` via eth0", {ipv4});
        row("a table's bars stay bars", "|`192.168.1.10`|up|", {ipv4});
        row("a table's bars around a misread card", "|`4lll 1111 1111 1111`|", {cardNumber});
        // Ranges at their edges.
        row("255 is an octet", "brd `192.168.1.255` netmask `255.255.255.0`", {ipv4, ipv4});
        row("0 is an octet", "listen on `0.0.0.0`", {ipv4});
        row("256 is not an octet", "host 192.168.1.256 and 256.1.1.1");
        row("a dotted quad is an address", "gateway `1.2.3.4`", {ipv4});
        row("commas alone make a list", "pick 10,20,30,40 or 1,2.3,4");
        // Letters that look like digits stay letters in words.
        row("look-alikes inside words", "Hello Olivia, your loyalty level is Gold; 1 of 10 coupons left.");
        row("a hash with look-alikes", "3f2a9c1 Fix the lol export of wide images");
        row("a version after its name", "version 1.2.3.4, v1.2.3.4, Version l.2.3.4");
        row("ls and pipes", "ls -la | grep 1O | wc -l");
        row("a capital G in a name", "see MyGit.io, www.Google.com and this.getGroup.id");
        row("a G between words", "debuGging.tips and BIG.com");
        row("a long word after sk", "sk skateboardingchampionshipsfinal and ghp without key");
        row("a short key body", "ghp 16C7e42F");
    }
    void findsWhatTheReaderGot()
    {
        QFETCH(QString, marked);
        QFETCH(QList<int>, kinds);
        const QString text = QString(marked).remove(u'`');
        const QList<SensitiveMatch> found = findSensitive(text);
        QStringList got;
        for (const SensitiveMatch& match : found)
            got << text.mid(match.start, match.length);
        QStringList expected;
        for (const auto& [start, length] : markedSpans(marked))
            expected << text.mid(start, length);
        QCOMPARE(got, expected);
        for (qsizetype i = 0; i < found.size(); ++i)
            QCOMPARE(int(found[i].kind), kinds.value(i));
    }

    // Where look-alike letters are read as digits: in runs that hold a
    // real digit and stand apart from words; never inside a word.
    void readsLookalikesAsDigitsInNumbersOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::newRow("an address") << "deploy@l0.42.7.19l"
                                    << "deploy@10.42.7.191";
        QTest::newRow("groups of a card") << "4lll 1I11 O0O4"
                                          << "4111 1111 0004";
        QTest::newRow("inside words") << "l10n of 3f2a9c1, hello IO"
                                      << "l10n of 3f2a9c1, hello IO";
        QTest::newRow("no digit, no number") << "lol I O ||"
                                             << "lol I O ||";
        QTest::newRow("bars at the edges") << "|1O| |2l|"
                                           << "|10| |21|";
        QTest::newRow("a bar inside") << "1|1"
                                      << "111";
    }
    void readsLookalikesAsDigitsInNumbersOnly()
    {
        QFETCH(QString, text);
        QTEST(lookalikesAsDigits(text), "read");
    }

    // Unsure words are counted below the threshold only.
    void countsUnsureWords_data()
    {
        QTest::addColumn<QList<float>>("confidences");
        QTest::addColumn<int>("unsure");
        QTest::newRow("none read") << QList<float>{} << 0;
        QTest::newRow("all sure") << QList<float>{96, 91, unsureConfidence} << 0;
        QTest::newRow("some unsure") << QList<float>{19, 96, unsureConfidence - 1, 0} << 3;
    }
    void countsUnsureWords()
    {
        QFETCH(QList<float>, confidences);
        RecognizedText text;
        for (qsizetype i = 0; i < confidences.size(); ++i)
            text.append(QStringLiteral("w%1").arg(i), QRect(int(i) * 30, 0, 20, 20), false, confidences[i]);
        QTEST(text.unsureWords(), "unsure");
    }
};

QTEST_MAIN(TestSecretFinder)
#include "tst_secret_finder.moc"
