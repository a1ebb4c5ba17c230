#include "removal_reference.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct RefSample
{
    double v[4];
    int x, y;
};

} // namespace

QImage referenceRemovalFill(const QImage& image, QRect area)
{
    QImage bitmap = image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const int pw = bitmap.width(), ph = bitmap.height();
    auto sample = [&](int x, int y) {
        const uchar* p = bitmap.constScanLine(y) + 4 * x;
        return RefSample{{p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0}, x, y};
    };
    std::vector<RefSample> samples;
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y : {area.top() - 1, area.top() - 2, area.top() - 3, area.bottom() + 1, area.bottom() + 2,
                      area.bottom() + 3})
            if (y >= 0 && y < ph)
                samples.push_back(sample(x, y));
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x : {area.left() - 1, area.left() - 2, area.left() - 3, area.right() + 1, area.right() + 2,
                      area.right() + 3})
            if (x >= 0 && x < pw)
                samples.push_back(sample(x, y));
    }

    bool uniform = samples.size() < 11;
    if (!uniform) {
        double mean[3] = {0, 0, 0};
        for (const auto& s : samples)
            for (int c = 0; c < 3; ++c)
                mean[c] += s.v[c] / samples.size();
        double variance = 0;
        for (const auto& s : samples)
            for (int c = 0; c < 3; ++c)
                variance += (s.v[c] - mean[c]) * (s.v[c] - mean[c]) / samples.size();
        uniform = variance < 0.02;
    }

    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            double value[4] = {0.5, 0.5, 0.5, 1.0};
            if (uniform && !samples.empty()) {
                std::fill(value, value + 4, 0.0);
                for (const auto& s : samples)
                    for (int c = 0; c < 4; ++c)
                        value[c] += s.v[c] / samples.size();
            } else if (!uniform) {
                double sum[4] = {0, 0, 0, 0}, total = 0;
                for (const auto& s : samples) {
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
