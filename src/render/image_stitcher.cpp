#include "image_stitcher.h"

#include "stitch_lines.h"

#include <QTransform>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cstring>
#include <numeric>

namespace lustrelab {

namespace {

// Side-by-side images are stitched as rows after a quarter turn: the left
// column becomes the top row, so one search serves both directions.
QImage toRows(const QImage& image, StitchDirection direction)
{
    QImage converted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (direction == StitchDirection::horizontal)
        converted = converted.transformed(QTransform().rotate(90));
    return converted;
}

QImage fromRows(const QImage& image, StitchDirection direction)
{
    return direction == StitchDirection::horizontal ? image.transformed(QTransform().rotate(-90)) : image;
}

QSize givenSize(const QImage& rows, StitchDirection direction)
{
    return direction == StitchDirection::horizontal ? rows.size().transposed() : rows.size();
}

// A vertical scroll bar beside the content moves its thumb between frames;
// when whole rows do not agree, rows without this much at each side are
// compared instead.
int sideStrip(int width) { return std::min(width / 4, std::max(32, width / 40)); }

StitchLines middle(const StitchLines& lines, int fixedStart, int fixedEnd)
{
    return StitchLines(lines.begin() + fixedStart, lines.end() - fixedEnd);
}

StitchResult failed(StitchFailure failure)
{
    StitchResult result;
    result.failure = failure;
    return result;
}

} // namespace

StitchResult stitchImages(const QList<QImage>& images, const StitchOptions& options)
{
    const StitchDirection direction = options.direction;
    if (images.isEmpty())
        return failed({StitchFailure::Kind::tooFew, 0, 0, {}, {}});

    QList<QImage> frames;
    frames.reserve(images.size());
    for (const QImage& image : images)
        frames << toRows(image, direction);
    int narrowest = frames.front().width();
    for (const QImage& frame : frames)
        narrowest = std::min(narrowest, frame.width());
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (frames[i].isNull() || frames[i].width() == frames.front().width())
            continue;
        if (!options.fit)
            return failed({StitchFailure::Kind::sizeMismatch, 0, int(i), givenSize(frames.front(), direction),
                           givenSize(frames[i], direction)});
    }
    for (qsizetype i = 0; i < frames.size(); ++i) {
        if (frames[i].isNull() || narrowest == 0)
            return failed({StitchFailure::Kind::sizeMismatch, 0, int(i), givenSize(frames.front(), direction),
                           givenSize(frames[i], direction)});
        if (frames[i].width() != narrowest)
            frames[i] = frames[i]
                            .scaledToWidth(narrowest, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }

    std::vector<StitchLines> lines(frames.size());
    std::vector<int> order(frames.size());
    std::iota(order.begin(), order.end(), 0);
    QtConcurrent::blockingMap(order, [&](int i) { lines[i] = stitchLines(frames[i]); });

    std::vector<const StitchLines*> all;
    int lowest = frames.front().height();
    for (qsizetype i = 0; i < frames.size(); ++i) {
        all.push_back(&lines[i]);
        lowest = std::min(lowest, frames[i].height());
    }
    // With one image nothing is fixed; with more, a third of the lowest
    // frame each at most, so that something is left to find the overlap in.
    const int fixedStart = frames.size() > 1 ? commonLeadingLines(all, lowest / 3) : 0;
    const int fixedEnd = frames.size() > 1 ? commonTrailingLines(all, lowest / 3) : 0;

    // Where each frame's middle starts in the joined middle, and how far the
    // joined middle reaches so far.
    std::vector<int> start(frames.size(), 0);
    int reach = frames.front().height() - fixedStart - fixedEnd;
    QList<int> shifts;
    StitchLines previous = middle(lines[0], fixedStart, fixedEnd);
    for (qsizetype k = 1; k < frames.size(); ++k) {
        StitchLines next = middle(lines[k], fixedStart, fixedEnd);
        std::optional<int> shift = findShift(previous, next);
        if (!shift) {
            const int strip = sideStrip(narrowest);
            shift = findShift(middle(stitchLines(frames[k - 1], strip, strip), fixedStart, fixedEnd),
                              middle(stitchLines(frames[k], strip, strip), fixedStart, fixedEnd));
        }
        if (!shift && !options.appendWithoutOverlap)
            return failed({StitchFailure::Kind::noOverlap, int(k - 1), int(k), {}, {}});
        start[k] = shift ? start[k - 1] + *shift : reach;
        shifts << (shift ? *shift : -1);
        reach = std::max(reach, start[k] + int(next.size()));
        previous = std::move(next);
    }

    const int width = narrowest;
    QImage joined(width, fixedStart + reach + fixedEnd, QImage::Format_ARGB32_Premultiplied);
    if (joined.isNull())
        return failed({StitchFailure::Kind::outOfMemory, 0, 0, {}, {}});
    const qsizetype rowBytes = qsizetype(width) * 4;
    auto copyRows = [&](const QImage& from, int fromRow, int toRow, int rows) {
        for (int r = 0; r < rows; ++r)
            std::memcpy(joined.scanLine(toRow + r), from.constScanLine(fromRow + r), rowBytes);
    };
    copyRows(frames.front(), 0, 0, fixedStart);
    int filled = 0; // rows of the joined middle written
    for (qsizetype k = 0; k < frames.size(); ++k) {
        const int rows = frames[k].height() - fixedStart - fixedEnd;
        const int from = filled - start[k]; // rows of this frame already shown by earlier ones
        if (start[k] + rows <= filled)
            continue;
        copyRows(frames[k], fixedStart + from, fixedStart + filled, rows - from);
        filled = start[k] + rows;
    }
    copyRows(frames.back(), frames.back().height() - fixedEnd, fixedStart + reach, fixedEnd);

    StitchResult result;
    result.image = fromRows(joined, direction);
    result.image.setDevicePixelRatio(images.front().devicePixelRatio());
    result.fixedStart = fixedStart;
    result.fixedEnd = fixedEnd;
    result.shifts = shifts;
    return result;
}

QString describeStitchFailure(const StitchFailure& failure, const QStringList& names, StitchDirection direction)
{
    const QString first = names.value(failure.first);
    const QString second = names.value(failure.second);
    switch (failure.kind) {
    case StitchFailure::Kind::tooFew:
        return QStringLiteral("stitching needs at least two images");
    case StitchFailure::Kind::sizeMismatch:
        if (direction == StitchDirection::vertical)
            return QStringLiteral("%1 is %2 px wide but %3 is %4 px wide; images joined top to bottom "
                                  "must be equally wide")
                .arg(second)
                .arg(failure.secondSize.width())
                .arg(first)
                .arg(failure.firstSize.width());
        return QStringLiteral("%1 is %2 px high but %3 is %4 px high; images joined side by side "
                              "must be equally high")
            .arg(second)
            .arg(failure.secondSize.height())
            .arg(first)
            .arg(failure.firstSize.height());
    case StitchFailure::Kind::noOverlap:
        return QStringLiteral("%1 and %2 do not overlap").arg(first, second);
    case StitchFailure::Kind::outOfMemory:
        return QStringLiteral("not enough memory for the stitched image");
    }
    return {};
}

} // namespace lustrelab
