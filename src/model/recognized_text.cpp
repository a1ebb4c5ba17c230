#include "recognized_text.h"

namespace lustrelab {

void RecognizedText::append(const QString& word, const QRect& box, bool newLine)
{
    if (!text.isEmpty())
        text.append(newLine ? u'\n' : u' ');
    words.append({word, box, text.size()});
    text.append(word);
}

QList<SensitiveRegion> sensitiveRegions(const RecognizedText& recognized, int margin)
{
    QList<SensitiveRegion> regions;
    for (const SensitiveMatch& match : findSensitive(recognized.text)) {
        SensitiveRegion region{match.kind, {}};
        qsizetype lineStart = -1; // the line of the box being grown
        for (const RecognizedWord& word : recognized.words) {
            const qsizetype end = word.start + word.text.size();
            if (end <= match.start || word.start >= match.start + match.length)
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
