#include "image_processor.h"

#include "annotation_bounds.h"
#include "annotation_painter.h"
#include "background_fill.h"
#include "canvas_layout.h"
#include "corner_styler.h"
#include "crop_geometry.h"
#include "layer_compositor.h"
#include "model/device_frame.h"
#include "paint_helpers.h"
#include "pen_stroke_painter.h"
#include "removal_fill.h"
#include "shadow_field.h"
#include "step_marker_painter.h"
#include "styled_image.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace lustrelab {

namespace {

bool isWholePixel(double value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

// The compositor reads 32-bit premultiplied pixels; RGB32 is read as opaque.
QImage asComposable(const QImage& image)
{
    if (image.format() == QImage::Format_ARGB32_Premultiplied || image.format() == QImage::Format_RGB32)
        return image;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The same pixels marked RGB32, for an image whose every pixel is opaque. The
// view holds the image rather than copying it: a pooled buffer stays taken
// for as long as the view is shown.
QImage opaqueView(const QImage& image)
{
    auto* held = new QImage(image);
    QImage view(
        held->constBits(), held->width(), held->height(), held->bytesPerLine(), QImage::Format_RGB32,
        [](void* info) { delete static_cast<QImage*>(info); }, held);
    view.setDevicePixelRatio(image.devicePixelRatio());
    return view;
}

} // namespace

ImageProcessor::BaseKey ImageProcessor::keyFor(const QImage& source, const BeautySettings& settings,
                                               const QList<RemovalArea>& removalAreas,
                                               const std::optional<UnitRect>& crop)
{
    BaseKey key{source.cacheKey(), source.devicePixelRatio(), source.size(), settings, removalAreas, crop};
    const BeautySettings defaults;
    key.styling.customWidth = defaults.customWidth;
    key.styling.customHeight = defaults.customHeight;
    key.styling.exportScale = defaults.exportScale;
    key.styling.exportFormat = defaults.exportFormat;
    return key;
}

QSizeF ImageProcessor::canvasPixelsFor(QSize sourcePixels, double ratio, const BeautySettings& settings)
{
    QSizeF points(sourcePixels.width() / ratio, sourcePixels.height() / ratio);
    if (settings.deviceFrameId != QLatin1String("none")) {
        if (const DeviceFrame* frame = findDeviceFrame(settings.deviceFrameId)) {
            // The frame is drawn on whole pixels at the source's ratio.
            const QSizeF framedPixels =
                canvasPixelExtent(DeviceFrameRenderer::framedSize(points, *frame), ratio);
            points = framedPixels / ratio;
        }
    }
    return canvasPixelExtent(computeCanvasLayout(points, settings).canvasSize, ratio);
}

QImage ImageProcessor::sourceForDisplay(const QImage& source, const BeautySettings& settings,
                                        const std::optional<UnitRect>& crop, QSize shownPixels)
{
    m_previewCopyKey = 0;
    if (source.isNull() || shownPixels.isEmpty()) {
        m_lastWanted = {};
        return source;
    }
    const UnitRect kept = crop ? clampedCrop(*crop) : UnitRect{0, 0, 1, 1};
    const QSize keptPixels(std::max(1, int(std::lround(kept.width * source.width()))),
                           std::max(1, int(std::lround(kept.height * source.height()))));
    const QSizeF canvas = canvasPixelsFor(keptPixels, source.devicePixelRatio(), settings);
    if (!isComposableExtent(canvas))
        return source;
    const double wanted =
        std::min(shownPixels.width() / canvas.width(), shownPixels.height() / canvas.height());
    if (!(wanted < 1)) {
        m_lastWanted = {};
        return source;
    }
    // A drag that keeps the canvas's size (Blur, Corner Radius) is composed
    // at exactly the size it is shown at, from a copy made once, and the
    // canvas draws it as it is. A drag that resizes the canvas (Padding)
    // would need a new copy on every step: it composes from the copy on the
    // next quarter octave above what is shown, which serves many steps and
    // is met again as the canvas grows and shrinks, and the canvas scales it.
    const bool moving = m_lastWanted.sourceKey == source.cacheKey() && m_lastWanted.scale != wanted;
    m_lastWanted = {source.cacheKey(), wanted};
    double scale = 1;
    for (int step = 1; step <= 16 && std::exp2(-step / 4.0) >= wanted; ++step)
        scale = std::exp2(-step / 4.0);
    const QImage step = scale < 1 ? m_inputs.reduced(source, scale) : source;
    if (moving) {
        // Its removal areas move over the screenshot with every step too.
        m_previewCopyKey = step.cacheKey();
        m_previewShownRatio = source.devicePixelRatio() * wanted;
        return step;
    }
    const QSize exact(std::max(1, int(std::lround(source.width() * wanted))),
                      std::max(1, int(std::lround(source.height() * wanted))));
    return m_inputs.resized(step, exact);
}

QImage ImageProcessor::process(const QImage& source, const BeautySettings& settings,
                               const Annotations& annotations)
{
    const QImage composed = compose(source, settings, annotations);
    return composed.isNull() ? source : composed;
}

QImage ImageProcessor::compose(const QImage& source, const BeautySettings& settings,
                               const Annotations& annotations)
{
    const auto& [textOverlays, shapeOverlays, removalAreas, stepMarkers, penStrokes, crop] = annotations;
    if (source.isNull())
        return source;
    BaseKey key = keyFor(source, settings, removalAreas, crop);
    const bool previewCopy = m_previewCopyKey != 0 && source.cacheKey() == m_previewCopyKey;
    key.previewFill = previewCopy && !removalAreas.isEmpty();
    key.shownRatio = previewCopy ? m_previewShownRatio : 0;
    const bool baseKept = m_baseKey && *m_baseKey == key;
    if (!baseKept) {
        m_baseKey.reset();
        const std::optional<Interior> previous = std::exchange(m_base, {}).interior;
        m_annotated.clear();
        // The crop comes first: everything after it sees only the part kept.
        // A copy reduced for the screen is placed on whole pixels: half a
        // pixel of it is not worth the slower placing between them.
        std::optional<BaseLayerImage> base = composeBase(
            crop ? croppedImage(source, *crop) : source, settings, removalAreas, m_inputs.isReduced(source),
            key.previewFill ? FillDetail::preview : FillDetail::exact, previous, key.shownRatio);
        if (!base) {
            noteResult({}, {}, false);
            return {};
        }
        m_base = std::move(*base);
        m_baseKey = std::move(key);
    }
    std::optional<QRegion> baseChanged;
    if (!baseKept && !m_base.sharedWithPrevious.isEmpty())
        baseChanged = QRegion(m_base.image.rect()).subtracted(m_base.sharedWithPrevious);
    if (textOverlays.isEmpty() && shapeOverlays.isEmpty() && stepMarkers.isEmpty() && penStrokes.isEmpty()) {
        noteResult(m_base.image, {}, baseKept, baseChanged);
        return handedOut(m_base.image, source);
    }

    QImage canvas = m_canvases.take(m_base.image.size(), m_base.image.format());
    if (canvas.isNull()) {
        noteResult({}, {}, false);
        return {};
    }
    // Read before anything writes the buffer: writing changes its key.
    const qint64 heldKey = canvas.cacheKey();
    const auto held = std::find_if(m_annotated.cbegin(), m_annotated.cend(),
                                   [heldKey](const AnnotatedBuffer& b) { return b.cacheKey == heldKey; });
    const double ratio = m_base.image.devicePixelRatio();
    canvas.setDevicePixelRatio(ratio);
    if (held == m_annotated.cend()) {
        copyPixels(m_base.image, canvas);
    } else {
        for (const QRect& area : held->reached)
            copyPixels(m_base.image, canvas, area);
        m_annotated.erase(held);
    }

    const double width = m_base.canvasSize.width(), height = m_base.canvasSize.height();
    AnnotatedBuffer drawn;
    for (const ShapeOverlay& shape : shapeOverlays)
        drawn.reached.append(boundsInPixels(shapeBounds(shape, width, height), ratio, canvas.size()));
    for (const PenStroke& stroke : penStrokes)
        drawn.reached.append(boundsInPixels(penStrokeBounds(stroke, width, height), ratio, canvas.size()));
    for (const StepMarker& marker : stepMarkers)
        drawn.reached.append(boundsInPixels(stepMarkerBounds(marker, width, height), ratio, canvas.size()));
    for (const TextOverlay& text : textOverlays)
        drawn.reached.append(boundsInPixels(textBounds(text, &canvas, width, height), ratio, canvas.size()));
    drawn.reached.removeIf([](const QRect& r) { return r.isEmpty(); });

    QPainter painter;
    if (ImagePainting painting(painter, canvas); painting.isActive()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // What lay over the part a crop cut away goes with it.
        if (crop)
            if (const auto area = annotationArea(m_base.canvasSize, m_base.screenshotRect, *crop))
                painter.setClipPath(*area);
        // Kinds are drawn in a fixed order, whatever order they were made
        // in: shapes (a pixelate area hides what the screenshot and earlier
        // shapes show), then pen strokes, step markers and texts on top.
        for (const ShapeOverlay& shape : shapeOverlays)
            drawShape(shape, painter, width, height);
        for (const PenStroke& stroke : penStrokes)
            drawPenStroke(stroke, painter, width, height);
        for (const StepMarker& marker : stepMarkers)
            drawStepMarker(marker, painter, width, height);
        for (const TextOverlay& text : textOverlays)
            drawText(text, painter, width, height);
        painter.end();
    }
    drawn.cacheKey = canvas.cacheKey();
    noteResult(canvas, drawn.reached, baseKept, baseChanged);
    if (m_annotated.size() >= annotatedBuffers)
        m_annotated.removeFirst();
    m_annotated.append(std::move(drawn));
    m_canvases.keep(canvas);
    return handedOut(canvas, source);
}

QImage ImageProcessor::handedOut(const QImage& composed, const QImage& source)
{
    QImage out = markedOpaque(composed, source);
    // The next change is told relative to the image the caller received.
    if (m_lastResult.cacheKey == composed.cacheKey())
        m_lastResult.cacheKey = out.cacheKey();
    return out;
}

QImage ImageProcessor::markedOpaque(const QImage& composed, const QImage& source) const
{
    // A copy reduced for the screen is only ever shown. Over an opaque
    // background it goes out marked opaque, the same pixels: the window then
    // copies it instead of blending it, and need not paint what it hides.
    if (m_base.opaque && m_inputs.isReduced(source) &&
        composed.format() == QImage::Format_ARGB32_Premultiplied)
        return opaqueView(composed);
    return composed;
}

void ImageProcessor::noteResult(const QImage& image, const QList<QRect>& reached, bool baseKept,
                                const std::optional<QRegion>& baseChanged)
{
    // Both images are the same base layer with annotations drawn over it, so
    // they can differ only where the annotations of either reached (and
    // where the base layer changed).
    if ((baseKept || baseChanged) && m_lastResult.cacheKey != 0 && !image.isNull()) {
        QRegion area = baseKept ? QRegion() : *baseChanged;
        for (const QRect& r : m_lastResult.reached)
            area += r;
        for (const QRect& r : reached)
            area += r;
        m_lastChange = ImageChange{m_lastResult.cacheKey, area};
    } else {
        m_lastChange.reset();
    }
    m_lastResult = {image.isNull() ? 0 : image.cacheKey(), reached};
}

ImageProcessor::Working ImageProcessor::framedAndCleaned(const QImage& source, const BeautySettings& settings,
                                                         const QList<RemovalArea>& removalAreas,
                                                         FillDetail fill)
{
    QImage working = settings.autoBalance ? m_inputs.trimmed(source) : source;
    if (settings.deviceFrameId != QLatin1String("none")) {
        if (const DeviceFrame* frame = findDeviceFrame(settings.deviceFrameId))
            working = frameRenderer.frameImage(working, *frame);
    }
    // The canvas is drawn at the source's ratio; a frame drawn at another
    // ratio is resampled to it so that its pixels meet the canvas's one to one.
    const double ratio = source.devicePixelRatio();
    if (!working.isNull() && working.devicePixelRatio() != ratio) {
        const QSizeF points = logicalSize(working);
        working = working.scaled(qRound(points.width() * ratio), qRound(points.height() * ratio),
                                 Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        working.setDevicePixelRatio(ratio);
    }
    working = asComposable(working);
    if (removalAreas.isEmpty())
        return {working, working.cacheKey(), working};
    // Areas are marked on the whole canvas, so their place on the screenshot
    // depends on the layout, which the removal fill does not change.
    const CanvasLayout layout = computeCanvasLayout(logicalSize(working), settings);
    QList<QRect> ranges;
    for (const RemovalArea& area : removalAreas) {
        const QRect range = removalPixelRange(area.rect, layout.canvasSize, layout.imageRect, working);
        if (!range.isEmpty())
            ranges.append(range);
    }
    const CompositionInputs::Cleaned cleaned = m_inputs.cleaned(working, ranges, fill);
    // A fill that kept every alpha kept the outline the shadow is cast from:
    // the areas' moving during a Padding drag must not cost a new shadow.
    if (cleaned.outlineKept)
        return {cleaned.image, working.cacheKey(), working};
    return {cleaned.image, cleaned.image.cacheKey(), cleaned.image};
}

std::optional<ImageProcessor::Interior> ImageProcessor::interiorOf(const QImage& working,
                                                                   const StyledImage& styled,
                                                                   QPointF position, QSize canvasPixels,
                                                                   const BeautySettings& settings)
{
    if (styled.isNull() || !isWholePixel(position.x()) || !isWholePixel(position.y()))
        return std::nullopt;
    // Rounding and the border reach max(radius, border) into the screenshot,
    // and their antialiased edge a pixel beyond; one more for rounding.
    const double reach =
        std::max({0.0, settings.cornerRadius, settings.borderWidth}) * styled.devicePixelRatio();
    if (!(reach < std::min(styled.width(), styled.height())))
        return std::nullopt;
    const int inset = int(std::ceil(reach)) + 2;
    const QPoint at = position.toPoint();
    const QRect rect =
        QRect(at.x() + inset, at.y() + inset, styled.width() - 2 * inset, styled.height() - 2 * inset)
            .intersected(QRect(QPoint(0, 0), canvasPixels));
    if (rect.isEmpty())
        return std::nullopt;
    return Interior{working.cacheKey(), canvasPixels, at, rect};
}

std::optional<ImageProcessor::BaseLayerImage>
ImageProcessor::composeBase(const QImage& source, const BeautySettings& settings,
                            const QList<RemovalArea>& removalAreas, bool wholePixels, FillDetail fill,
                            const std::optional<Interior>& previous, double shownRatio)
{
    const double ratio = source.devicePixelRatio();
    const Working framed = framedAndCleaned(source, settings, removalAreas, fill);
    const QImage& working = framed.image;
    const CanvasLayout layout = computeCanvasLayout(logicalSize(working), settings);

    // Settings come from files too: a size that is not a number or beyond any
    // image gives no canvas, never an undefined conversion.
    const QSizeF extent = canvasPixelExtent(layout.canvasSize, ratio);
    if (!isComposableExtent(extent))
        return std::nullopt;
    const QSize canvasPixels{int(extent.width()), int(extent.height())};
    // A drag that resizes the canvas composes from a copy larger than the
    // screen shows: the canvas is then written at the shown size straight
    // away, rather than composed larger and scaled on every paint. Not over
    // a background painted beforehand (the checkerboard) or made from a
    // picture fitted to the canvas's pixels.
    QSize shownPixels;
    if (shownRatio > 0 && settings.backgroundType != BackgroundType::transparent &&
        settings.backgroundType != BackgroundType::image) {
        // Rounded to the nearest pixel, not up: the reduced copy's points are
        // its rounded pixels over its ratio, a hair more than the source's,
        // and a row more than the view's room makes the view scale the image
        // on every paint instead of copying it.
        const QSizeF shownExtent(std::round(layout.canvasSize.width() * shownRatio),
                                 std::round(layout.canvasSize.height() * shownRatio));
        if (isComposableExtent(shownExtent) && int(shownExtent.width()) < canvasPixels.width() &&
            int(shownExtent.height()) < canvasPixels.height())
            shownPixels = QSize(int(shownExtent.width()), int(shownExtent.height()));
    }
    // Whether every pixel of the screenshot is opaque, found out once per
    // outline (a pass over it) and only where that pays: then neither the
    // shadow's cells nor a preview written around the screenshot's middle
    // read the alpha of that middle.
    std::optional<bool> opaqueKnown;
    auto isOpaque = [&] {
        if (!opaqueKnown)
            opaqueKnown = m_inputs.isOpaque(framed.outline);
        return *opaqueKnown;
    };
    const StyledImage styled =
        applyCorners(working, settings, (settings.shadowEnabled || wholePixels) && isOpaque());
    // Rounding noise of a whole-pixel position must not cost the fast path.
    auto snapped = [wholePixels](double v) { return wholePixels || isWholePixel(v) ? std::round(v) : v; };
    const QPointF scaled = layout.imageRect.topLeft() * ratio;
    const QPointF position(snapped(scaled.x()), snapped(scaled.y()));

    // A buffer that holds this interior already is written only around it.
    const std::optional<Interior> interior =
        wholePixels && shownPixels.isEmpty() ? interiorOf(working, styled, position, canvasPixels, settings)
                                             : std::nullopt;
    // Where both interiors lie the pixels are the screenshot's own in
    // either styling: a buffer of a larger radius serves a smaller one too,
    // rewritten between the two.
    auto heldInterior = [&](qint64 bufferKey) -> std::optional<QRect> {
        for (const InteriorBuffer& held : m_interiors)
            if (held.cacheKey == bufferKey && held.interior.sameScreenshot(*interior) &&
                held.interior.rect.intersects(interior->rect))
                return held.interior.rect.intersected(interior->rect);
        return std::nullopt;
    };
    auto holdsInterior = [&](qint64 bufferKey) { return heldInterior(bufferKey).has_value(); };
    QImage canvas = m_canvases.take(shownPixels.isEmpty() ? canvasPixels : shownPixels,
                                    QImage::Format_ARGB32_Premultiplied,
                                    interior ? std::function<bool(qint64)>(holdsInterior) : nullptr);
    if (canvas.isNull())
        return std::nullopt;
    const qint64 takenKey = canvas.cacheKey();
    // Only opaque pixels hide what the styling draws beneath them. Finding
    // out costs a pass over the screenshot: only once a composition of the
    // same screenshot in the same place is there to reuse.
    const bool related =
        interior && ((previous && previous->sameScreenshot(*interior)) ||
                     std::any_of(m_interiors.cbegin(), m_interiors.cend(), [&](const InteriorBuffer& held) {
                         return held.interior.sameScreenshot(*interior);
                     }));
    const bool interiorHidden = related && isOpaque();
    const std::optional<QRect> kept = interiorHidden ? heldInterior(takenKey) : std::nullopt;
    const bool reuse = kept.has_value();
    canvas.setDevicePixelRatio(shownPixels.isEmpty() ? ratio : shownRatio);

    QImage picture;
    std::optional<CustomGradient> matched;
    if (settings.backgroundType == BackgroundType::image)
        picture = m_inputs.backgroundPicture(settings.backgroundImagePath, canvasPixels,
                                             std::max(0.0, settings.backgroundImageBlur) * ratio);
    else if (settings.backgroundType == BackgroundType::match)
        matched = m_inputs.matchedGradient(source);
    const BackgroundFill background(settings, layout.canvasSize, ratio, canvas, picture,
                                    matched ? &*matched : nullptr);
    // The colour's own opacity multiplies the shadow's; black at 1 is the classic shadow.
    const QColor shadowColor = settings.shadowColor.toPlatformColor();
    const float shadowOpacity = std::min(1.0f, settings.shadowOpacity * float(shadowColor.alphaF()));
    const bool withShadow = settings.shadowEnabled && shadowOpacity > 0 && !styled.isNull();
    if (withShadow) {
        // Offset y is measured downwards on screen, which is Qt's direction.
        // Values out of all range mean no offset and no blur rather than overflow.
        auto usable = [](double v) { return std::isfinite(v) && std::abs(v) < maxCanvasSide ? v : 0.0; };
        const QPointF offset(usable(settings.shadowOffsetX) * ratio, usable(settings.shadowOffsetY) * ratio);
        const double sigma = usable(std::max(0.0, settings.shadowBlur)) / 2 * ratio;
        m_shadow.build(styled, {framed.outlineKey, settings.cornerRadius, settings.borderWidth}, position,
                       offset, sigma, canvasPixels);
    }
    BaseLayer layer;
    layer.background = &background;
    layer.shadow = withShadow && !m_shadow.isEmpty() ? &m_shadow : nullptr;
    layer.shadowOpacity = shadowOpacity;
    layer.shadowColor = shadowColor.rgb() | 0xff000000u;
    layer.image = styled.isNull() ? nullptr : &styled;
    layer.imagePosition = position;
    layer.imageTwice = settings.shadowEnabled;
    // The checkerboard is painted over the whole canvas before the pass.
    if (reuse && background.writesSpans())
        layer.kept = *kept;
    if (shownPixels.isEmpty())
        composeBaseLayer(canvas, layer);
    else
        composeBaseLayerScaled(canvas, canvasPixels, layer);

    m_interiors.removeIf([&](const InteriorBuffer& held) { return held.cacheKey == takenKey; });
    // Recorded before it is known to be opaque: every reuse finds out.
    if (interior) {
        if (m_interiors.size() >= 8)
            m_interiors.removeFirst();
        m_interiors.append({canvas.cacheKey(), *interior});
    }
    m_canvases.keep(canvas);
    BaseLayerImage base{canvas, layout.canvasSize, layout.imageRect, background.isOpaque(), interior, {}};
    if (interiorHidden && previous && previous->sameScreenshot(*interior))
        base.sharedWithPrevious = previous->rect.intersected(interior->rect);
    return base;
}

} // namespace lustrelab
