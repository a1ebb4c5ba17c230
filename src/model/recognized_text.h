#pragma once

#include "sensitive_text.h"

#include <QList>
#include <QRect>
#include <QString>

namespace lustrelab {

// A screenshot's text as recognised: the words with their boxes (pixels of
// the image, origin top-left), and the text they make, words joined by
// spaces and lines by line breaks.
struct RecognizedWord
{
    QString text;
    QRect box;
    qsizetype start = 0;    // where the word begins in RecognizedText::text
    float confidence = 100; // the reader's, 0 to 100
};

// Below this the reader was guessing: the word may be wrong, and a secret
// in it missed.
constexpr float unsureConfidence = 70;

struct RecognizedText
{
    QString text;
    QList<RecognizedWord> words;

    // Appends a word; `newLine` starts a new line before it.
    void append(const QString& word, const QRect& box, bool newLine, float confidence = 100);

    // How many words were read with less than unsureConfidence.
    int unsureWords() const;

    // The text as secrets are looked for in it: the same words and lines,
    // without the spaces the reader saw in gaps too narrow to be spaces.
    // `starts` receives where each word begins in it.
    QString searchableText(QList<qsizetype>* starts) const;
};

// A secret found in the text and where it shows: one rectangle for each line
// it spans, the union of its words' boxes there, grown by `margin` pixels.
struct SensitiveRegion
{
    SensitiveKind kind;
    QList<QRect> boxes;
};
QList<SensitiveRegion> sensitiveRegions(const RecognizedText& text, int margin = 2);

} // namespace lustrelab
