#include "removal_reference.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

QImage referenceRemovalFill(const QImage& image, QRect area)
{
    QImage bitmap = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    struct Sample
    {
        double v[4];
        int x, y;
    };
    std::vector<Sample> samples;
    auto take = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height())
            return;
        const uchar* p = bitmap.constScanLine(y) + 4 * x;
        samples.push_back({{p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0}, x, y});
    };
    // The 3-pixel band above, below, left and right; never the diagonal corners.
    for (int d = 1; d <= 3; ++d) {
        for (int x = area.left(); x <= area.right(); ++x)
            take(x, area.top() - d), take(x, area.bottom() + d);
        for (int y = area.top(); y <= area.bottom(); ++y)
            take(area.left() - d, y), take(area.right() + d, y);
    }

    const double n = double(samples.size());
    double mean[4] = {0, 0, 0, 0}, variance = 0;
    for (const Sample& s : samples)
        for (int c = 0; c < 4; ++c)
            mean[c] += s.v[c] / n;
    for (const Sample& s : samples)
        for (int c = 0; c < 3; ++c)
            variance += (s.v[c] - mean[c]) * (s.v[c] - mean[c]) / n;
    const bool flat = samples.size() < 11 || variance < 0.02;

    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            double value[4] = {0.5, 0.5, 0.5, 1.0};
            if (flat && !samples.empty())
                std::copy(mean, mean + 4, value);
            if (!flat) {
                double sum[4] = {0, 0, 0, 0}, total = 0;
                for (const Sample& s : samples) {
                    const double w = 1.0 / (double(x - s.x) * (x - s.x) + double(y - s.y) * (y - s.y));
                    total += w;
                    for (int c = 0; c < 4; ++c)
                        sum[c] += w * s.v[c];
                }
                for (int c = 0; c < 4; ++c)
                    value[c] = sum[c] / total;
            }
            uchar* p = bitmap.scanLine(y) + 4 * x;
            for (int c = 0; c < 4; ++c)
                p[c] = uchar(std::clamp(value[c] * 255.0, 0.0, 255.0));
        }
    }
    return bitmap;
}

int maxByteDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const QImage y = b.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < 4 * x.width(); ++i)
            worst = std::max(worst, std::abs(int(x.constScanLine(row)[i]) - int(y.constScanLine(row)[i])));
    return worst;
}
