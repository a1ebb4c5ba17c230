#pragma once

#include "composition_inputs.h"
#include "device_frame_renderer.h"
#include "image_buffer_pool.h"
#include "model/annotations.h"
#include "model/beauty_settings.h"
#include "model/image_change.h"
#include "shadow_field.h"

#include <QImage>
#include <QList>
#include <QRegion>
#include <optional>

namespace lustrelab {

// Composes one styled image from a screenshot, the styling and the
// annotations, in this order: crop (a rectangle of the screenshot in its own
// unit coordinates, y from the bottom; the screenshot itself is not changed),
// margins trimmed (auto-balance), device frame, removal areas, canvas layout,
// background, rounded corners and border, shadow, screenshot, shapes, pen
// strokes, step markers, texts.
//
// Geometry is in points. The canvas carries the source's device pixel ratio:
// its pixel size is the canvas size in points times the ratio, rounded up,
// and everything is drawn at the exact fractional geometry.
//
// Everything below the annotations (the base layer) depends only on the
// source, the styling and the removal areas. It is kept between calls, so
// dragging a shape or editing a text redraws only the annotations. The kept
// layer is replaced whenever any of its inputs differs; the output is the same
// as a composition from nothing.
//
// An output buffer handed back for reuse still holds the annotations it was
// given; only the pixels those could reach are restored from the base layer
// before the new annotations are drawn, rather than the whole canvas.
class ImageProcessor
{
  public:
    // Never fails: when no canvas can be made, the source itself comes back.
    QImage process(const QImage& source, const BeautySettings& settings, const Annotations& annotations = {});

    // As process(), but a null image when no canvas can be made: for callers
    // that must not pass the unstyled source off as the styled image.
    QImage compose(const QImage& source, const BeautySettings& settings, const Annotations& annotations = {});

    // The canvas in pixels (unrounded extent, see canvasPixelExtent) that
    // composing a source of `sourcePixels` at `ratio` asks for, by the same
    // framing and layout that composition runs; isComposableExtent tells
    // whether it will be made. Auto-balance only ever makes it smaller, which
    // this does not foresee. Lets a caller refuse a composition before
    // decoding or allocating anything.
    static QSizeF canvasPixelsFor(QSize sourcePixels, double ratio, const BeautySettings& settings);

    // The source to compose while a control is held and the result is shown
    // in `shownPixels` (device pixels): reduced so that the canvas comes out
    // that size, or the source itself when it would not be larger. While the
    // size asked for changes from call to call (a drag that resizes the
    // canvas), it is composed from a copy up to a quarter octave larger that
    // serves many calls, and written at the shown size by taking the nearest
    // pixel (over the checkerboard or a picture background it comes out at
    // the copy's size); its removal areas, which move over the screenshot on
    // every step, get a preview fill (FillDetail::preview).
    // Reduced copies are kept for the next call; a call without `shownPixels`
    // ends the sequence, and the next composition fills exactly.
    QImage sourceForDisplay(const QImage& source, const BeautySettings& settings,
                            const std::optional<UnitRect>& crop, QSize shownPixels);

    // How the image the last call returned differs from the one returned
    // before it, when the two share their base layer: a move of one
    // annotation changes only what that annotation covered before and after.
    // None after the base layer was made anew, or when the call failed.
    const std::optional<ImageChange>& lastChange() const { return m_lastChange; }

    // Hands over a buffer for the next canvas of its size and format, made
    // ahead (while the source was still being decoded, say).
    void offerCanvas(const QImage& buffer) { m_canvases.keep(buffer); }

    DeviceFrameRenderer frameRenderer;

  private:
    struct BaseKey
    {
        qint64 sourceKey = 0;
        double ratio = 1;
        QSize sourceSize;
        BeautySettings styling; // fields that do not affect drawing are reset
        QList<RemovalArea> removalAreas;
        std::optional<UnitRect> crop;
        bool previewFill = false; // removal areas filled for a drag's preview
        double shownRatio = 0;    // written at this ratio, for the screen; 0: the source's
        friend bool operator==(const BaseKey&, const BaseKey&) = default;
    };
    // The middle of a base layer that the screenshot covers with opaque
    // pixels, beyond the reach of its corners and border: styling that keeps
    // the screenshot where it is (shadow, corners, border, background) leaves
    // those pixels as they are, so a buffer that holds them is written only
    // around them. Kept for compositions from a copy reduced for the screen,
    // where the screenshot lies on whole pixels.
    struct Interior
    {
        qint64 workingKey = 0; // the screenshot as composed (framed, filled)
        QSize canvasPixels;
        QPoint position; // of the screenshot's top-left pixel on the canvas
        QRect rect;      // canvas pixels
        bool sameScreenshot(const Interior& other) const
        {
            return workingKey == other.workingKey && canvasPixels == other.canvasPixels &&
                   position == other.position;
        }
    };
    struct BaseLayerImage
    {
        QImage image;
        QSizeF canvasSize;     // points
        QRectF screenshotRect; // points, y down: where the (cropped) screenshot lies
        bool opaque = false;   // every pixel, whatever is drawn over it
        std::optional<Interior> interior;
        // The pixels this layer shares with the one made before it, when
        // both hold the same interior; empty otherwise.
        QRect sharedWithPrevious;
    };

    static BaseKey keyFor(const QImage& source, const BeautySettings& settings,
                          const QList<RemovalArea>& removalAreas, const std::optional<UnitRect>& crop);
    // What compose() hands out for `composed`, made from `source`.
    QImage handedOut(const QImage& composed, const QImage& source);
    QImage markedOpaque(const QImage& composed, const QImage& source) const;
    std::optional<BaseLayerImage> composeBase(const QImage& source, const BeautySettings& settings,
                                              const QList<RemovalArea>& removalAreas, bool wholePixels,
                                              FillDetail fill, const std::optional<Interior>& previous,
                                              double shownRatio);
    // The interior of a screenshot `styled` from `working`, placed at
    // `position`; none when it is not on whole pixels or has no middle.
    static std::optional<Interior> interiorOf(const QImage& working, const StyledImage& styled,
                                              QPointF position, QSize canvasPixels,
                                              const BeautySettings& settings);
    // The screenshot as composed (trimmed, framed, at the canvas's ratio, its
    // removal areas filled), and a key that changes whenever its outline (the
    // alpha the shadow is cast from) may have; `outline` has the same alpha
    // as `image` and that key (the screenshot before a fill that kept every
    // alpha), so what is found out about it holds while the areas move.
    struct Working
    {
        QImage image;
        qint64 outlineKey = 0;
        QImage outline;
    };
    Working framedAndCleaned(const QImage& source, const BeautySettings& settings,
                             const QList<RemovalArea>& removalAreas, FillDetail fill);

    // What a composed buffer holds beyond the base layer: the areas in
    // pixels its annotations could reach, known by the buffer's cacheKey(),
    // which changes whenever its pixels are written.
    struct AnnotatedBuffer
    {
        qint64 cacheKey = 0;
        QList<QRect> reached;
    };
    static constexpr qsizetype annotatedBuffers = 8;

    // The scale the last call of sourceForDisplay() wanted, for which source.
    struct WantedScale
    {
        qint64 sourceKey = 0;
        double scale = 0;
    };
    WantedScale m_lastWanted;
    // The copy sourceForDisplay() returned for a drag that resizes the canvas:
    // composed from it, removal areas get a preview fill.
    qint64 m_previewCopyKey = 0;
    double m_previewShownRatio = 0; // the ratio of the canvas as shown, composed from that copy
    ShadowField m_shadow;           // kept: a change that only moves the shadow reuses its blur

    // Records `image` as the latest result and what changed since the one
    // before: with the base layer kept, only what annotations reached; with
    // `baseChanged`, that part of the base layer besides.
    void noteResult(const QImage& image, const QList<QRect>& reached, bool baseKept,
                    const std::optional<QRegion>& baseChanged = std::nullopt);

    // Pooled base-layer buffers and the interior each holds, by cacheKey().
    struct InteriorBuffer
    {
        qint64 cacheKey = 0;
        Interior interior;
    };
    QList<InteriorBuffer> m_interiors; // newest last

    std::optional<BaseKey> m_baseKey;
    QList<AnnotatedBuffer> m_annotated; // on the current base layer, newest last
    BaseLayerImage m_base;
    AnnotatedBuffer m_lastResult; // the latest output and where it differs from the base layer
    std::optional<ImageChange> m_lastChange;
    ImageBufferPool m_canvases;
    CompositionInputs m_inputs;
};

} // namespace lustrelab
