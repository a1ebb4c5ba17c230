#pragma once

// The removal blend's line convolutions through the FFT, for long lines.
//
// Each band line contributes to one row of the area the convolution of its
// pixels with the table 1 / (t^2 + d^2). Done directly that costs length^2 per
// row and line; in the frequency domain it is one multiply per frequency, and
// the sum over all lines needs a single inverse transform per pair of
// channels. Two real channels travel as one complex signal (red + i green):
// the kernel's spectrum is real (the table is even in t), so multiplying by it
// keeps the two apart. The transform size is at least 2 x length - 1, so the
// circular convolution equals the straight one on the area's pixels. Doubles
// throughout: the result is exact to far below one byte step.

#include "fft.h"
#include "removal_interpolation.h"

#include <vector>

namespace lustrelab {

// The band lines of one pass, transformed once and then shared read-only by the
// threads. Channels 0 .. channels - 2 are colour channels of the lines, the last
// one is all ones (the weight total), as in the direct pass.
class SpectralLines
{
  public:
    SpectralLines(const std::vector<BandLine>& lines, int length, int channels);

    int length() const { return m_length; }
    int channels() const { return m_channels; }
    int signalCount() const { return (m_channels + 1) / 2; }
    const Fft& fft() const { return m_fft; }
    int lineCount() const { return int(m_offsets.size()); }
    int offset(int line) const { return m_offsets[line]; }
    // Real and imaginary parts of one line's packed channel pair.
    const std::vector<double>& spectrumRe(int line, int signal) const
    {
        return m_re[line * signalCount() + signal];
    }
    const std::vector<double>& spectrumIm(int line, int signal) const
    {
        return m_im[line * signalCount() + signal];
    }

  private:
    int m_length;
    int m_channels;
    Fft m_fft;
    std::vector<int> m_offsets;
    std::vector<std::vector<double>> m_re; // [line * signalCount + signal]
    std::vector<std::vector<double>> m_im;
};

// Per-thread sums for one row (or column) of the area at a time; rows handled
// in order reuse most kernel spectra of the row before.
class SpectralLineSums
{
  public:
    explicit SpectralLineSums(const SpectralLines& lines);

    void accumulate(int outer);
    float value(int channel, int n) const { return m_values[channel][n]; }

  private:
    const std::vector<double>& kernel(int distance);
    void computeKernels(const std::vector<int>& distances);

    const SpectralLines& m_lines;
    std::vector<std::pair<int, std::vector<double>>> m_kernels; // distance -> real spectrum
    std::vector<double> m_workRe;
    std::vector<double> m_workIm;
    std::vector<std::vector<float>> m_values;
};

} // namespace lustrelab
