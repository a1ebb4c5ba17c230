#pragma once

#include <QImage>

namespace lustrelab {

// A screenshot as the text reader sees it best: grey, dark ink on white
// wherever it shows text (a dark terminal or sidebar is turned round on its
// own, the rest of the page left as it is), faint text stretched to full
// contrast, enlarged when its text is small (by the height of its lines,
// not by the ratio a file cannot tell), and thin strokes such as an
// underscore made tall enough to survive the reader's scaling of each line.
struct PreparedPage
{
    QImage grey;     // Format_Grayscale8
    int enlarge = 1; // pixels of `grey` per pixel of the screenshot
    int dpi = 96;    // what the reader is told, so that it need not guess
};

PreparedPage prepareForReading(const QImage& screenshot);

// The grey image with each neighbourhood's background turned white and its
// ink black: light-on-dark areas come out inverted, faint ink darkened, and
// areas without ink plain white. Same size.
QImage normalizedInk(const QImage& grey);

} // namespace lustrelab
