#include "dominant_colors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace lustrelab {

namespace {

using Rgb = std::array<int, 3>;

struct Box
{
    std::vector<Rgb>::iterator begin, end;

    int longestChannel(int* range) const
    {
        Rgb low{255, 255, 255}, high{0, 0, 0};
        for (auto it = begin; it != end; ++it)
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], (*it)[c]);
                high[c] = std::max(high[c], (*it)[c]);
            }
        int channel = 0;
        for (int c = 1; c < 3; ++c)
            if (high[c] - low[c] > high[channel] - low[channel])
                channel = c;
        *range = high[channel] - low[channel];
        return channel;
    }
};

double distance(const QColor& a, const QColor& b)
{
    return std::hypot(a.redF() - b.redF(), a.greenF() - b.greenF(), a.blueF() - b.blueF());
}

CodableColor codable(const QColor& color)
{
    return {color.redF(), color.greenF(), color.blueF(), 1};
}

} // namespace

QList<DominantColor> dominantColors(const QImage& input, int count)
{
    if (input.isNull() || count < 1)
        return {};
    const QImage image = input.depth() == 32 ? input : input.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const bool opaque = image.format() == QImage::Format_RGB32;
    // A grid of about 64 x 64 samples, whatever the size.
    const int stepX = std::max(1, image.width() / 64), stepY = std::max(1, image.height() / 64);
    std::vector<Rgb> samples;
    samples.reserve(size_t(image.width() / stepX + 1) * size_t(image.height() / stepY + 1));
    for (int y = stepY / 2; y < image.height(); y += stepY) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = stepX / 2; x < image.width(); x += stepX) {
            QRgb p = row[x];
            if (opaque)
                p |= 0xff000000u;
            if (qAlpha(p) < 128)
                continue;
            if (premultiplied)
                p = qUnpremultiply(p);
            samples.push_back({qRed(p), qGreen(p), qBlue(p)});
        }
    }
    if (samples.empty())
        return {};

    std::vector<Box> boxes{{samples.begin(), samples.end()}};
    while (int(boxes.size()) < count) {
        // Split the box whose colours spread furthest, weighted by how many it holds.
        std::size_t widest = 0;
        int widestChannel = 0;
        double widestScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int range = 0;
            const int channel = boxes[i].longestChannel(&range);
            const double score = double(range) * std::sqrt(double(boxes[i].end - boxes[i].begin));
            if (range > 0 && score > widestScore) {
                widest = i;
                widestChannel = channel;
                widestScore = score;
            }
        }
        if (widestScore == 0)
            break;
        Box& box = boxes[widest];
        const auto middle = box.begin + (box.end - box.begin) / 2;
        std::nth_element(box.begin, middle, box.end,
                         [c = widestChannel](const Rgb& a, const Rgb& b) { return a[c] < b[c]; });
        const Box upper{middle, box.end};
        box.end = middle;
        boxes.push_back(upper);
    }

    QList<DominantColor> result;
    for (const Box& box : boxes) {
        const auto n = box.end - box.begin;
        if (n == 0)
            continue;
        std::array<double, 3> sum{0, 0, 0};
        for (auto it = box.begin; it != box.end; ++it)
            for (int c = 0; c < 3; ++c)
                sum[c] += (*it)[c];
        result.append({QColor(int(std::lround(sum[0] / n)), int(std::lround(sum[1] / n)),
                              int(std::lround(sum[2] / n))),
                       double(n) / double(samples.size())});
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const DominantColor& a, const DominantColor& b) { return a.share > b.share; });
    return result;
}

CustomGradient matchedGradient(const QList<DominantColor>& colors)
{
    CustomGradient gradient;
    gradient.kind = GradientKind::linear;
    gradient.angle = 45;
    if (colors.isEmpty())
        return gradient; // the default gradient: better than nothing for an empty screenshot
    const QColor first = colors.first().color;
    // The second colour is unlike the first, common, and preferably vivid:
    // a screenshot's accent colour covers little of it but is what it is
    // remembered by, so share counts by its square root and saturation adds.
    // Only colours a viewer would tell apart from the first take part.
    QColor second;
    double best = 0;
    for (qsizetype i = 1; i < colors.size(); ++i) {
        const double apart = distance(first, colors[i].color);
        const double score = std::sqrt(colors[i].share) * apart * (0.3 + colors[i].color.hsvSaturationF());
        if (apart > 0.15 && score > best) {
            best = score;
            second = colors[i].color;
        }
    }
    if (!second.isValid()) {
        // A shade a third of the way to black (or to white, for a dark colour).
        const double target = first.lightnessF() > 0.5 ? 0.0 : 1.0;
        auto towards = [target](double c) { return c + (target - c) / 3; };
        second = QColor::fromRgbF(float(towards(first.redF())), float(towards(first.greenF())),
                                  float(towards(first.blueF())));
    }
    gradient.stops = {{codable(first), 0}, {codable(second), 1}};
    return gradient;
}

} // namespace lustrelab
