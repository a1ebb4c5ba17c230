#include "removal_interpolation.h"

#include "base/row_bands.h"
#include "removal_spectral.h"

#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace lustrelab {

namespace {

// Convolved channels: red, green, blue, then alpha unless every band pixel is
// opaque, then a channel of ones whose sum is the weight total. Summing the
// weights with exactly the operations of the colours keeps a channel that is
// equal in all band pixels exact: an opaque band gives alpha 255 without even
// summing alpha, an all-white band gives 255.
constexpr int maxChannels = 5;
constexpr int lanes = 8;
constexpr int registerBlock = 2 * lanes; // outputs per register block
// From this line length on the FFT beats the direct sums. Measured on square
// areas: about equal at 64, the FFT 1.6 times faster at 128 and 2.7 at 256.
constexpr int spectralLength = 64;
// Float sums carry a relative error of about 1e-6; a value that is a whole byte
// in exact arithmetic must not drop a step.
constexpr double byteTolerance = 1e-3;

// Explicit 8-lane vectors: one AVX register or two SSE ones, independent of
// what the optimisation level's auto-vectoriser would decide.
typedef float Lanes __attribute__((vector_size(lanes * sizeof(float))));

int roundUp(int value, int step)
{
    return (value + step - 1) / step * step;
}

// A band line prepared for convolution: channels in reverse order, so that the
// kernel table is read forwards.
struct PreparedLine
{
    int offset = 0;
    std::array<std::vector<float>, maxChannels> reversed;
};

// acc[c][n] += sum over k < samples of reversed[c][k] * table[n + k], for n <
// outputs (a multiple of registerBlock). Sixteen outputs of every channel stay in
// registers for the whole sum; each step loads two table vectors and one
// value per channel and issues 2 x Channels multiply-adds, no stores.
template <int Channels>
[[gnu::always_inline]] inline void convolveBody(const PreparedLine& line, const float* table,
                                                float* const* acc, int outputs, int samples)
{
    const float* reversed[Channels];
    for (int c = 0; c < Channels; ++c)
        reversed[c] = line.reversed[c].data();
    for (int n = 0; n < outputs; n += registerBlock) {
        Lanes low[Channels], high[Channels];
        for (int c = 0; c < Channels; ++c) {
            std::memcpy(&low[c], acc[c] + n, sizeof(Lanes));
            std::memcpy(&high[c], acc[c] + n + lanes, sizeof(Lanes));
        }
        const float* t = table + n;
        for (int k = 0; k < samples; ++k) {
            Lanes t0, t1;
            std::memcpy(&t0, t + k, sizeof t0);
            std::memcpy(&t1, t + k + lanes, sizeof t1);
#pragma GCC unroll 5
            for (int c = 0; c < Channels; ++c) {
                const float value = reversed[c][k];
                low[c] += value * t0;
                high[c] += value * t1;
            }
        }
        for (int c = 0; c < Channels; ++c) {
            std::memcpy(acc[c] + n, &low[c], sizeof(Lanes));
            std::memcpy(acc[c] + n + lanes, &high[c], sizeof(Lanes));
        }
    }
}

using ConvolveFunction = void (*)(const PreparedLine&, const float*, float* const*, int, int);

template <int Channels>
void convolveGeneric(const PreparedLine& line, const float* table, float* const* acc, int outputs,
                     int samples)
{
    convolveBody<Channels>(line, table, acc, outputs, samples);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same loop compiled for AVX2 with fused multiply-add, chosen at run time.
template <int Channels>
[[gnu::target("avx2,fma")]] void convolveAvx2(const PreparedLine& line, const float* table, float* const* acc,
                                              int outputs, int samples)
{
    convolveBody<Channels>(line, table, acc, outputs, samples);
}

ConvolveFunction pickConvolve(int channels)
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return channels == 4 ? convolveAvx2<4> : convolveAvx2<5>;
    return channels == 4 ? convolveGeneric<4> : convolveGeneric<5>;
}
#else
ConvolveFunction pickConvolve(int channels)
{
    return channels == 4 ? convolveGeneric<4> : convolveGeneric<5>;
}
#endif

bool isOpaque(const std::vector<BandLine>& lines, int length)
{
    for (const BandLine& line : lines)
        for (int k = 0; k < length; ++k)
            if (line.channels[3][k] != 1.0f)
                return false;
    return true;
}

std::vector<PreparedLine> prepare(const std::vector<BandLine>& lines, int length, int channels)
{
    std::vector<PreparedLine> prepared;
    prepared.reserve(lines.size());
    for (const BandLine& line : lines) {
        PreparedLine p;
        p.offset = line.offset;
        for (int c = 0; c < channels - 1; ++c)
            p.reversed[c].assign(line.channels[c].rend() - length, line.channels[c].rend());
        p.reversed[channels - 1].assign(length, 1.0f);
        prepared.push_back(std::move(p));
    }
    return prepared;
}

// Sums, for one row (or column) `outer` of the area, the contributions of all
// lines parallel to it. Output n is area pixel n along that row.
class LineAccumulator
{
  public:
    LineAccumulator(const std::vector<PreparedLine>& lines, int length, int channels,
                    ConvolveFunction convolve)
        : m_lines(lines), m_length(length), m_outputs(roundUp(length, registerBlock)), m_channels(channels),
          m_convolve(convolve)
    {
        // table[m] weighs a pair m - (length - 1) apart; past 2 * length - 1 it
        // stays zero, so the padded outputs read zeros.
        m_table.assign(m_outputs + length + registerBlock, 0.0f);
        for (int c = 0; c < m_channels; ++c)
            m_acc[c].assign(m_outputs, 0.0f);
    }

    void accumulate(int outer)
    {
        float* acc[maxChannels] = {};
        for (int c = 0; c < m_channels; ++c) {
            std::fill(m_acc[c].begin(), m_acc[c].end(), 0.0f);
            acc[c] = m_acc[c].data();
        }
        for (const PreparedLine& line : m_lines) {
            const double d = outer - line.offset; // never 0: band lines lie outside the area
            const double d2 = d * d;
            for (int m = 0; m < 2 * m_length - 1; ++m) {
                const double t = m - (m_length - 1);
                m_table[m] = float(1.0 / (t * t + d2));
            }
            m_convolve(line, m_table.data(), acc, m_outputs, m_length);
        }
    }

    float value(int channel, int n) const { return m_acc[channel][n]; }

  private:
    const std::vector<PreparedLine>& m_lines;
    int m_length;
    int m_outputs;
    int m_channels;
    ConvolveFunction m_convolve;
    std::vector<float> m_table;
    std::array<std::vector<float>, maxChannels> m_acc;
};

// Runs `work(first, last)` over [0, count) in bands, on the pool's threads when
// the job is large enough to pay for them.
template <typename Work> void inBands(int count, double cost, Work work)
{
    const int threads = std::max(1, QThread::idealThreadCount());
    if (threads == 1 || cost < 2e6 || count < 2) {
        work(0, count);
        return;
    }
    const std::vector<RowBand> bands = splitRows(count, std::min(count, threads * 4));
    runOnPool(int(bands.size()), [&](int i) { work(bands[size_t(i)].begin, bands[size_t(i)].end); });
}

// Sums the contributions of `lines` (each `length` long) to every row `outer`
// < outerCount of the area and hands each row's sums to `store`. Lines from
// spectralLength on go through the FFT, shorter ones through the direct
// convolution, which is faster there.
template <typename Store>
void runPass(const std::vector<BandLine>& lines, int length, int outerCount, int channels, Store store)
{
    if (lines.empty())
        return;
    const double cost = double(length) * length * outerCount * lines.size();
    if (length >= spectralLength) {
        const SpectralLines spectral(lines, length, channels);
        inBands(outerCount, cost, [&](int first, int last) {
            SpectralLineSums pass(spectral);
            for (int outer = first; outer < last; ++outer) {
                pass.accumulate(outer);
                store(pass, outer);
            }
        });
        return;
    }
    const std::vector<PreparedLine> prepared = prepare(lines, length, channels);
    const ConvolveFunction convolve = pickConvolve(channels);
    inBands(outerCount, cost, [&](int first, int last) {
        LineAccumulator pass(prepared, length, channels, convolve);
        for (int outer = first; outer < last; ++outer) {
            pass.accumulate(outer);
            store(pass, outer);
        }
    });
}

} // namespace

void interpolateArea(QImage& bitmap, QRect area, const std::vector<BandLine>& rows,
                     const std::vector<BandLine>& columns)
{
    const int width = area.width();
    const int height = area.height();
    if (width <= 0 || height <= 0 || (rows.empty() && columns.empty()))
        return;
    const bool opaque = isOpaque(rows, width) && isOpaque(columns, height);
    const int channels = opaque ? 4 : 5;
    const int total = channels - 1; // index of the weight total

    // sums[c][j * width + i] for area pixel (i, j).
    std::array<std::vector<float>, maxChannels> sums;
    for (int c = 0; c < channels; ++c)
        sums[c].assign(std::size_t(width) * height, 0.0f);

    // Rows of the area against the band rows, then its columns against the band
    // columns; a task owns whole rows (columns), so no two write one sum.
    runPass(rows, width, height, channels, [&](const auto& pass, int j) {
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < width; ++i)
                sums[c][std::size_t(j) * width + i] += pass.value(c, i);
    });
    runPass(columns, height, width, channels, [&](const auto& pass, int i) {
        for (int c = 0; c < channels; ++c)
            for (int j = 0; j < height; ++j)
                sums[c][std::size_t(j) * width + i] += pass.value(c, j);
    });

    auto toByte = [](double ratio) { return int(std::clamp(ratio * 255.0 + byteTolerance, 0.0, 255.0)); };
    for (int j = 0; j < height; ++j) {
        uchar* out = bitmap.scanLine(area.top() + j) + 4 * area.left();
        for (int i = 0; i < width; ++i) {
            const std::size_t at = std::size_t(j) * width + i;
            const double weight = sums[total][at];
            const int alpha = opaque ? 255 : toByte(sums[3][at] / weight);
            // Premultiplied colour never exceeds its alpha; rounding must not make it.
            for (int c = 0; c < 3; ++c)
                out[4 * i + c] = uchar(std::min(toByte(sums[c][at] / weight), alpha));
            out[4 * i + 3] = uchar(alpha);
        }
    }
}

} // namespace lustrelab
