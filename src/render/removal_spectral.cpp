#include "removal_spectral.h"

#include <algorithm>
#include <cstdlib>

namespace lustrelab {

SpectralLines::SpectralLines(const std::vector<BandLine>& lines, int length, int channels)
    : m_length(length), m_channels(channels), m_fft(Fft::sizeFor(2 * length - 1))
{
    const int size = m_fft.size();
    auto channelValue = [&](const BandLine& line, int channel, int k) {
        if (channel >= m_channels)
            return 0.0;
        if (channel == m_channels - 1)
            return 1.0; // the weight total
        return double(line.channels[channel][k]);
    };
    for (const BandLine& line : lines) {
        m_offsets.push_back(line.offset);
        for (int s = 0; s < signalCount(); ++s) {
            std::vector<double> re(size, 0.0), im(size, 0.0);
            for (int k = 0; k < length; ++k) {
                re[k] = channelValue(line, 2 * s, k);
                im[k] = channelValue(line, 2 * s + 1, k);
            }
            m_fft.forwardScrambled(re.data(), im.data());
            m_re.push_back(std::move(re));
            m_im.push_back(std::move(im));
        }
    }
}

SpectralLineSums::SpectralLineSums(const SpectralLines& lines)
    : m_lines(lines), m_workRe(lines.fft().size()), m_workIm(lines.fft().size()),
      m_values(lines.channels(), std::vector<float>(lines.length()))
{
}

const std::vector<double>& SpectralLineSums::kernel(int distance)
{
    for (const auto& [d, spectrum] : m_kernels)
        if (d == distance)
            return spectrum;
    return m_kernels.front().second; // not reached: accumulate computes every distance first
}

// Spectra of the tables 1 / (t^2 + d^2), t from -(length - 1) to length - 1
// wrapped around the transform. Each table is real and even, so its spectrum is
// real: two tables go through one transform as real and imaginary part.
void SpectralLineSums::computeKernels(const std::vector<int>& distances)
{
    const int size = m_lines.fft().size();
    const int length = m_lines.length();
    for (std::size_t i = 0; i < distances.size(); i += 2) {
        const bool pair = i + 1 < distances.size();
        const double d0 = distances[i];
        const double d1 = pair ? distances[i + 1] : 0.0;
        std::vector<double> re(size, 0.0), im(size, 0.0);
        for (int t = -(length - 1); t <= length - 1; ++t) {
            const double t2 = double(t) * t;
            re[(t + size) % size] = 1.0 / (t2 + d0 * d0);
            im[(t + size) % size] = pair ? 1.0 / (t2 + d1 * d1) : 0.0;
        }
        m_lines.fft().forwardScrambled(re.data(), im.data());
        m_kernels.emplace_back(distances[i], std::move(re));
        if (pair)
            m_kernels.emplace_back(distances[i + 1], std::move(im));
    }
}

void SpectralLineSums::accumulate(int outer)
{
    const int lines = m_lines.lineCount();
    std::vector<int> needed;
    for (int line = 0; line < lines; ++line) {
        const int d = std::abs(outer - m_lines.offset(line)); // never 0: band lines lie outside the area
        if (std::find(needed.begin(), needed.end(), d) == needed.end())
            needed.push_back(d);
    }
    // Keep the spectra this row shares with the previous one; drop the rest.
    std::erase_if(m_kernels, [&](const auto& entry) {
        return std::find(needed.begin(), needed.end(), entry.first) == needed.end();
    });
    std::vector<int> missing;
    for (int d : needed)
        if (std::none_of(m_kernels.begin(), m_kernels.end(), [d](const auto& e) { return e.first == d; }))
            missing.push_back(d);
    computeKernels(missing);

    const int size = m_lines.fft().size();
    const int channels = m_lines.channels();
    for (int s = 0; s < m_lines.signalCount(); ++s) {
        std::fill(m_workRe.begin(), m_workRe.end(), 0.0);
        std::fill(m_workIm.begin(), m_workIm.end(), 0.0);
        for (int line = 0; line < lines; ++line) {
            const double* k = kernel(std::abs(outer - m_lines.offset(line))).data();
            Fft::multiplyAdd(m_workRe.data(), m_lines.spectrumRe(line, s).data(), k, size);
            Fft::multiplyAdd(m_workIm.data(), m_lines.spectrumIm(line, s).data(), k, size);
        }
        m_lines.fft().inverseFromScrambled(m_workRe.data(), m_workIm.data());
        const double scale = 1.0 / size;
        for (int n = 0; n < m_lines.length(); ++n) {
            m_values[2 * s][n] = float(m_workRe[n] * scale);
            if (2 * s + 1 < channels)
                m_values[2 * s + 1][n] = float(m_workIm[n] * scale);
        }
    }
}

} // namespace lustrelab
