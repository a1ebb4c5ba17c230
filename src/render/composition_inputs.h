#pragma once

#include "model/custom_gradient.h"
#include "removal_fill.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace lustrelab {

// What composition derives from its inputs at a cost above a composition's
// own: the screenshot without its uniform margins, the background picture
// decoded and fitted to the canvas, the gradient matched to the screenshot,
// the screenshot reduced for a composition shown smaller than it is.
// Each is kept for the last inputs it was asked for, so a slider drag that
// recomposes the base layer prepares them once. Not thread-safe: one per
// processor.
class CompositionInputs
{
  public:
    // `source` cut to contentRect(source); the source itself when nothing is cut.
    QImage trimmed(const QImage& source);

    // The image at `path` cover-fitted to a canvas of `canvasPixels` and
    // blurred by a Gaussian of `blurPixels` standard deviation (made on a
    // smaller copy and enlarged, which a blur cannot tell). Null when the
    // file cannot be read.
    QImage backgroundPicture(const QString& path, QSize canvasPixels, double blurPixels);

    // A linear gradient between the screenshot's two most telling colours.
    CustomGradient matchedGradient(const QImage& screenshot);

    // `source` smoothly resampled to `scale` of its pixels (0 < scale < 1),
    // with its ratio lowered by as much so that it keeps its size in points.
    QImage reduced(const QImage& source, double scale);
    // `image` brought to `pixels` by bilinearResized(), or `image` itself when
    // it has them. The result is kept for the next call.
    QImage resized(const QImage& image, QSize pixels);
    // Whether `image` is the copy reduced() or resized() made last.
    bool isReduced(const QImage& image) const
    {
        return (!m_reduced.isNull() && image.cacheKey() == m_reduced.cacheKey()) ||
               (!m_resized.isNull() && image.cacheKey() == m_resized.cacheKey());
    }

    // Whether every pixel of `image` (RGB32 or premultiplied ARGB32) is
    // opaque; found out once per image.
    bool isOpaque(const QImage& image);

    // `working` (RGB32 or premultiplied ARGB32) with the removal fill run over
    // each of `ranges` (pixels), in order: styling that leaves the areas where
    // they are fills them once, and styling that moves them refills the same
    // buffer. `outlineKept` tells whether every alpha stayed as it was.
    struct Cleaned
    {
        QImage image;
        bool outlineKept = true;
    };
    Cleaned cleaned(const QImage& working, const QList<QRect>& ranges, FillDetail detail);

  private:
    qint64 m_trimKey = 0;
    QImage m_trimmed;

    struct FileStamp
    {
        QString path;
        QDateTime modified;
        qint64 size = -1;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    FileStamp m_decodedStamp;
    QImage m_decoded; // null also when the file could not be read
    FileStamp m_fittedStamp;
    QSize m_fittedCanvas;
    double m_fittedBlur = -1;
    QImage m_fitted;

    qint64 m_matchKey = 0;
    CustomGradient m_matched;

    qint64 m_reducedKey = 0;
    double m_reducedScale = 1;
    QImage m_reduced;
    qint64 m_resizedFrom = 0;
    QImage m_resized;

    qint64 m_opaqueKey = 0;
    bool m_opaque = false;

    qint64 m_cleanedFrom = 0;
    QList<QRect> m_cleanedRanges;
    FillDetail m_cleanedDetail = FillDetail::exact;
    Cleaned m_cleaned;
};

} // namespace lustrelab
