#include "recognized_text.h"

#include <QRegularExpression>
#include <algorithm>

namespace lustrelab {

void RecognizedText::append(const QString& word, const QRect& box, bool newLine, float confidence)
{
    if (!text.isEmpty())
        text.append(newLine ? u'\n' : u' ');
    words.append({word, box, text.size(), confidence});
    text.append(word);
}

int RecognizedText::unsureWords() const
{
    return int(std::count_if(words.begin(), words.end(),
                             [](const RecognizedWord& word) { return word.confidence < unsureConfidence; }));
}

namespace {

// Characters that hold a secret's parts together: an address's dots and
// colons, a token's underscore or dash. The reader often sees a gap beside
// them that is not a space ("ana. lopez@", "ghp_ 16C7", "85a3: :8a2e").
bool joins(QChar c)
{
    return c == u'.' || c == u':' || c == u'@' || c == u'_' || c == u'-' || c == u'/';
}

// The width of one character in a word, for judging the gap to the next.
double characterWidth(const RecognizedWord& word)
{
    return double(word.box.width()) / double(std::max<qsizetype>(1, word.text.size()));
}

// Whether `chain`, the text since the last real space, is a secret that
// goes on: a key after its well-known prefix while the next piece still
// looks like key (it has a digit), or a web address between its "://" and
// the "@" that ends its password.
bool continuesSecret(QStringView chain, QStringView next)
{
    static const QRegularExpression keyStart(
        QStringLiteral("(?:^|[^A-Za-z0-9])(?:sk-|gh[pousr]_|github_pat_|xox[abposr]-|AKIA|eyJ)"));
    static const QRegularExpression keyPiece(QStringLiteral("^[A-Za-z0-9_-]*[0-9][A-Za-z0-9_-]*[,.;]?$"));
    if (keyStart.match(chain).hasMatch())
        return keyPiece.match(next).hasMatch();
    const qsizetype scheme = chain.indexOf(u"://");
    return scheme > 0 && chain.indexOf(u':', scheme + 3) > 0 && !chain.contains(u'@');
}

// Whether the space the reader put between two words of a line is narrower
// than a real one: beside a joining character or within a secret that goes
// on, less than a character wide; elsewhere, less than a third of one (a
// word split in two).
bool looksJoined(QStringView chain, const RecognizedWord& before, const RecognizedWord& after)
{
    if (before.text.isEmpty() || after.text.isEmpty())
        return false;
    const int gap = after.box.left() - before.box.right() - 1;
    const double width = std::min(characterWidth(before), characterWidth(after));
    if (joins(before.text.back()) || joins(after.text.front()))
        return gap < width;
    if (continuesSecret(chain, after.text))
        return gap < width * 0.9;
    return gap < width / 3;
}

} // namespace

QString RecognizedText::searchableText(QList<qsizetype>* starts) const
{
    QString joined;
    qsizetype chainStart = 0; // where the text since the last real space begins
    starts->clear();
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0) {
            const QChar separator = text[words[i].start - 1];
            const QStringView chain = QStringView(joined).mid(chainStart);
            if (separator != u' ' || !looksJoined(chain, words[i - 1], words[i])) {
                joined.append(separator);
                chainStart = joined.size();
            }
        }
        starts->append(joined.size());
        joined.append(words[i].text);
    }
    return joined;
}

QList<SensitiveRegion> sensitiveRegions(const RecognizedText& recognized, int margin)
{
    QList<qsizetype> starts;
    const QString searched = recognized.searchableText(&starts);
    QList<SensitiveRegion> regions;
    for (const SensitiveMatch& match : findSensitive(searched)) {
        SensitiveRegion region{match.kind, {}};
        qsizetype lineStart = -1; // the line of the box being grown
        for (qsizetype i = 0; i < recognized.words.size(); ++i) {
            const RecognizedWord& word = recognized.words[i];
            const qsizetype end = starts[i] + word.text.size();
            if (end <= match.start || starts[i] >= match.start + match.length)
                continue;
            const qsizetype line = recognized.text.lastIndexOf(u'\n', word.start) + 1;
            const QRect box = word.box.adjusted(-margin, -margin, margin, margin);
            if (line == lineStart && !region.boxes.isEmpty())
                region.boxes.last() = region.boxes.last().united(box);
            else
                region.boxes.append(box);
            lineStart = line;
        }
        if (!region.boxes.isEmpty())
            regions.append(region);
    }
    return regions;
}

} // namespace lustrelab
