#include "x11_screen_grab.h"

#include <QtEndian>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>

namespace lustrelab {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T* r)
{
    return Reply<T>(r, &std::free);
}

// One channel of a pixel: where its bits sit and how to stretch them to 8.
struct Channel
{
    uint32_t mask;
    int shift;
    uint32_t maximum;

    explicit Channel(uint32_t m)
        : mask(m), shift(m ? std::countr_zero(m) : 0), maximum(m ? m >> std::countr_zero(m) : 0)
    {
    }
    uint32_t eightBits(uint32_t pixel) const
    {
        if (!maximum)
            return 0;
        const uint32_t value = (pixel & mask) >> shift;
        return maximum == 0xff ? value : (value * 255 + maximum / 2) / maximum;
    }
};

uint32_t readPixel(const uchar* p, int bytes, bool msbFirst)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= uint32_t(p[i]) << (8 * (msbFirst ? bytes - 1 - i : i));
    return value;
}

bool isCommonLayout(const XPixelLayout& layout)
{
    // Bytes B, G, R, pad in memory: Qt's RGB32 on a little-endian machine.
    return layout.bitsPerPixel == 32 && layout.redMask == 0xff0000 && layout.greenMask == 0xff00 &&
           layout.blueMask == 0xff && layout.msbFirst == (QSysInfo::ByteOrder == QSysInfo::BigEndian);
}

// The pad byte is whatever the server left there; RGB32 wants it full.
void makeOpaque(QImage& image)
{
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] |= 0xff000000u;
    }
}

int bitsPerPixelOf(const xcb_setup_t* setup, uint8_t depth)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth)
            return it.data->bits_per_pixel;
    return 0;
}

qsizetype zPixmapBytesPerLine(const xcb_setup_t* setup, uint8_t depth, int width)
{
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == depth) {
            const qsizetype pad = it.data->scanline_pad;
            return (qsizetype(width) * it.data->bits_per_pixel + pad - 1) / pad * pad / 8;
        }
    return 0;
}

QString describe(const xcb_generic_error_t* error)
{
    return QStringLiteral("the X server refused to read the screen (error %1)").arg(error->error_code);
}

// A shared segment the server writes into; the image keeps it until it goes.
XGrab grabShared(xcb_connection_t* c, const xcb_screen_t* screen, const QRect& area,
                 const XPixelLayout& layout)
{
    XGrab grab;
    const qsizetype bytesPerLine = zPixmapBytesPerLine(xcb_get_setup(c), screen->root_depth, area.width());
    const size_t size = size_t(bytesPerLine) * size_t(area.height());
    const int id = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id < 0) {
        grab.error = QStringLiteral("no shared memory");
        return grab;
    }
    void* memory = shmat(id, nullptr, 0);
    if (memory == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        grab.error = QStringLiteral("no shared memory");
        return grab;
    }
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    xcb_generic_error_t* attachError =
        xcb_request_check(c, xcb_shm_attach_checked(c, segment, uint32_t(id), 0));
    // Marked for removal now that both sides hold it: it goes when both let go.
    shmctl(id, IPC_RMID, nullptr);
    if (attachError) { // a server on another machine cannot attach it
        std::free(attachError);
        shmdt(memory);
        grab.error = QStringLiteral("the X server cannot share memory with us");
        return grab;
    }
    xcb_generic_error_t* error = nullptr;
    auto answer = reply(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, screen->root, int16_t(area.x()), int16_t(area.y()), uint16_t(area.width()),
                          uint16_t(area.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
        &error));
    xcb_shm_detach(c, segment);
    xcb_flush(c);
    if (!answer) {
        grab.error = error ? describe(error) : QStringLiteral("the X server did not answer");
        std::free(error);
        shmdt(memory);
        return grab;
    }
    if (isCommonLayout(layout)) {
        // No copy: the image lives in the segment and detaches it when freed.
        grab.image = QImage(
            static_cast<uchar*>(memory), area.width(), area.height(), bytesPerLine, QImage::Format_RGB32,
            [](void* m) { shmdt(m); }, memory);
        makeOpaque(grab.image);
    } else {
        grab.image = imageFromXPixels(static_cast<const uchar*>(memory), area.size(), bytesPerLine, layout);
        shmdt(memory);
    }
    grab.shared = true;
    return grab;
}

XGrab grabPlain(xcb_connection_t* c, const xcb_screen_t* screen, const QRect& area,
                const XPixelLayout& layout)
{
    XGrab grab;
    xcb_generic_error_t* error = nullptr;
    auto answer = reply(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, int16_t(area.x()), int16_t(area.y()),
                      uint16_t(area.width()), uint16_t(area.height()), ~0u),
        &error));
    if (!answer) {
        grab.error = error ? describe(error) : QStringLiteral("the X server did not answer");
        std::free(error);
        return grab;
    }
    const qsizetype bytesPerLine = zPixmapBytesPerLine(xcb_get_setup(c), answer->depth, area.width());
    if (qsizetype(xcb_get_image_data_length(answer.get())) < bytesPerLine * area.height()) {
        grab.error = QStringLiteral("the X server sent a short image");
        return grab;
    }
    grab.image = imageFromXPixels(xcb_get_image_data(answer.get()), area.size(), bytesPerLine, layout);
    return grab;
}

} // namespace

std::optional<XPixelLayout> rootPixelLayout(xcb_connection_t* connection, const xcb_screen_t* screen)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen->root_visual) {
                XPixelLayout layout;
                layout.bitsPerPixel = bitsPerPixelOf(setup, screen->root_depth);
                layout.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
                layout.redMask = visuals.data->red_mask;
                layout.greenMask = visuals.data->green_mask;
                layout.blueMask = visuals.data->blue_mask;
                return layout;
            }
    return std::nullopt;
}

QImage imageFromXPixels(const uchar* data, QSize size, qsizetype bytesPerLine, const XPixelLayout& layout)
{
    if (layout.bitsPerPixel < 15 || layout.bitsPerPixel > 32 || layout.bitsPerPixel % 8 != 0 || !data)
        return {};
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    if (isCommonLayout(layout)) {
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(image.scanLine(y), data + y * bytesPerLine, size_t(size.width()) * 4);
        makeOpaque(image);
        return image;
    }
    const int bytes = layout.bitsPerPixel / 8;
    const Channel red(layout.redMask), green(layout.greenMask), blue(layout.blueMask);
    for (int y = 0; y < size.height(); ++y) {
        const uchar* in = data + y * bytesPerLine;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x, in += bytes) {
            const uint32_t pixel = readPixel(in, bytes, layout.msbFirst);
            out[x] = qRgb(int(red.eightBits(pixel)), int(green.eightBits(pixel)), int(blue.eightBits(pixel)));
        }
    }
    return image;
}

XGrab grabRootArea(xcb_connection_t* connection, const xcb_screen_t* screen, const QRect& area,
                   GrabMethod method)
{
    const QRect clipped = area.intersected(QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (clipped.isEmpty())
        return {QImage(),
                QStringLiteral("the area %1x%2+%3+%4 is not on the screen")
                    .arg(area.width())
                    .arg(area.height())
                    .arg(area.x())
                    .arg(area.y()),
                false};
    const std::optional<XPixelLayout> layout = rootPixelLayout(connection, screen);
    if (!layout)
        return {QImage(), QStringLiteral("the X server does not describe its pixels"), false};
    if (method == GrabMethod::automatic) {
        const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
        if (shm && shm->present) {
            XGrab grab = grabShared(connection, screen, clipped, *layout);
            if (!grab.image.isNull())
                return grab;
        }
    }
    return grabPlain(connection, screen, clipped, *layout);
}

std::optional<QRect> frameRectOnRoot(xcb_connection_t* c, xcb_window_t root, xcb_window_t window)
{
    // Up to the child of the root: a reparenting manager's frame.
    xcb_window_t topLevel = window;
    for (;;) {
        auto tree = reply(xcb_query_tree_reply(c, xcb_query_tree(c, topLevel), nullptr));
        if (!tree)
            return std::nullopt;
        if (tree->parent == root || tree->parent == XCB_NONE)
            break;
        topLevel = tree->parent;
    }
    auto geometry = reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, topLevel), nullptr));
    if (!geometry)
        return std::nullopt;
    const int border = geometry->border_width;
    QRect rect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border);
    if (topLevel != window)
        return rect;
    // Not reparented: a manager that draws its frame elsewhere says how wide it is.
    static constexpr char extentsName[] = "_NET_FRAME_EXTENTS";
    auto atom =
        reply(xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof extentsName - 1, extentsName), nullptr));
    if (!atom || atom->atom == XCB_NONE)
        return rect;
    auto property = reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, atom->atom, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (property && property->format == 32 && xcb_get_property_value_length(property.get()) == 16) {
        const auto* e = static_cast<const uint32_t*>(xcb_get_property_value(property.get()));
        rect.adjust(-int(e[0]), -int(e[2]), int(e[1]), int(e[3])); // left, right, top, bottom
    }
    return rect;
}

} // namespace lustrelab
