#include "text_actions.h"

#include "app_state.h"
#include "preferences_store.h"
#include "render/surface_coordinates.h"

#include <QMap>
#include <algorithm>

namespace lustrelab {

namespace {

// A pixelate box's cells are at least this many points: smaller cells keep
// enough of a known font's shapes to be read back.
constexpr double safeCellSize = 16;

QString counted(int count, SensitiveKind kind)
{
    const char* plural = "";
    switch (kind) {
    case SensitiveKind::credentialUrl:
        plural = "URLs with credentials";
        break;
    case SensitiveKind::email:
        plural = "email addresses";
        break;
    case SensitiveKind::token:
        plural = "keys or tokens";
        break;
    case SensitiveKind::iban:
        plural = "IBANs";
        break;
    case SensitiveKind::cardNumber:
        plural = "card numbers";
        break;
    case SensitiveKind::ipv6:
        plural = "IPv6 addresses";
        break;
    case SensitiveKind::ipv4:
        plural = "IPv4 addresses";
        break;
    case SensitiveKind::phone:
        plural = "phone numbers";
        break;
    }
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? rawValue(kind) : QString::fromLatin1(plural));
}

} // namespace

TextActions::TextActions(AppState& state, QObject* parent) : QObject(parent), m_state(state)
{
    connect(&m_reader, &TextReader::busyChanged, this, &TextActions::busyChanged);
    connect(&m_reader, &TextReader::done, this, &TextActions::finish);
    connect(&m_reader, &TextReader::failed, this,
            [this](const QString& reason) { emit message(tr("Text could not be read: %1").arg(reason)); });
}

bool TextActions::start(const QImage& image, Purpose purpose)
{
    if (m_reader.isBusy()) {
        emit message(tr("Text is still being read; try again when it is done."));
        return false;
    }
    if (image.isNull()) {
        emit message(tr("There is no image to read."));
        return false;
    }
    m_purpose = purpose;
    m_tabId = m_state.currentTabId();
    if (const ScreenshotTab* tab = m_state.currentTab())
        m_tabId = tab->id;
    return m_reader.start(image, m_state.preferences().textLanguage(), purpose == Purpose::redact);
}

void TextActions::copyText(std::optional<UnitRect> area)
{
    const ScreenshotTab* tab = m_state.currentTab();
    QImage image = tab && tab->processedImage ? *tab->processedImage : QImage();
    if (area && !image.isNull()) {
        const QRectF pixels = unitRectToSurface(*area, image.size());
        image = image.copy(pixels.toAlignedRect().intersected(image.rect()));
    }
    start(image, Purpose::copy);
}

void TextActions::redactSensitive()
{
    const ScreenshotTab* tab = m_state.currentTab();
    start(tab && tab->processedImage ? *tab->processedImage : QImage(), Purpose::redact);
}

QString TextActions::describe(const QList<SensitiveRegion>& regions)
{
    if (regions.isEmpty())
        return tr("nothing");
    QMap<int, int> counts; // in the table's order
    for (const SensitiveRegion& region : regions)
        ++counts[int(region.kind)];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << counted(it.value(), SensitiveKind(it.key()));
    return parts.join(QStringLiteral(", "));
}

QList<ShapeOverlay> TextActions::redactBoxes(const QList<SensitiveRegion>& regions, QSize imageSize,
                                             ShapeType style)
{
    QList<ShapeOverlay> boxes;
    if (imageSize.isEmpty())
        return boxes;
    const double w = imageSize.width(), h = imageSize.height();
    for (const SensitiveRegion& region : regions)
        for (const QRect& box : region.boxes) {
            const QRect inside = box.intersected(QRect(QPoint(0, 0), imageSize));
            ShapeOverlay shape = freshShape(style);
            // Cells as tall as the line, so that each becomes a row of blocks.
            // The box is in pixels and the cells in points, which only errs
            // towards larger cells on a HiDPI image.
            if (style == ShapeType::pixelate)
                shape.cellSize = std::max(safeCellSize, double(inside.height()));
            // Top-left and bottom-right corners.
            shape.startPoint = surfaceToUnit(QPointF(inside.left(), inside.top()), QSizeF(w, h));
            shape.endPoint = surfaceToUnit(QPointF(inside.right() + 1, inside.bottom() + 1), QSizeF(w, h));
            boxes.append(shape);
        }
    return boxes;
}

QString TextActions::unsureNote(int unsureWords)
{
    if (unsureWords <= 0)
        return {};
    return unsureWords == 1 ? tr("1 word was read with low confidence; check it.")
                            : tr("%1 words were read with low confidence; check them.").arg(unsureWords);
}

void TextActions::finish(const SensitiveReading& reading, QSize imageSize)
{
    const RecognizedText& text = reading.text;
    const QString unsure = unsureNote(text.unsureWords());
    const auto withNote = [&unsure](const QString& answer) {
        return unsure.isEmpty() ? answer : answer + u' ' + unsure;
    };
    if (m_purpose == Purpose::copy) {
        if (text.text.isEmpty()) {
            emit message(tr("No text was found."));
            return;
        }
        m_state.clipboardService().writeText(text.text);
        const qsizetype lines = text.text.count(u'\n') + 1;
        emit message(withNote(lines == 1 ? tr("Copied 1 line.") : tr("Copied %1 lines.").arg(lines)));
        return;
    }
    const QList<SensitiveRegion>& regions = reading.regions;
    m_summary = withNote(tr("Found %1.").arg(describe(regions)));
    emit summaryChanged(m_summary);
    emit message(m_summary);
    // The boxes belong to the tab that was read; another tab current by now
    // keeps its own annotations.
    if (regions.isEmpty() || !m_state.currentTab() || m_state.currentTab()->id != m_tabId)
        return;
    m_state.addShapeOverlays(redactBoxes(regions, imageSize, m_state.preferences().redactionStyle()));
}

} // namespace lustrelab
