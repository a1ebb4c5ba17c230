#pragma once

// A small in-place complex FFT for power-of-two sizes, made for convolution:
// the forward transform leaves the spectrum in bit-reversed frequency order and
// the inverse takes it in that order, so spectra can be multiplied frequency by
// frequency and no permutation is ever done. Real and imaginary parts live in
// separate arrays so that the butterflies run on wide vectors (AVX2 where the
// processor has it). Twiddles are computed once per size; transforming is
// const, so one Fft serves several threads.

#include <vector>

namespace lustrelab {

class Fft
{
  public:
    explicit Fft(int size); // size: a power of two, at least 1

    int size() const { return m_size; }
    // X[f] = sum over t of x[t] e^(-2 pi i f t / size), stored at the index
    // whose bits are those of f reversed.
    void forwardScrambled(double* re, double* im) const;
    // The inverse of forwardScrambled without the 1 / size factor: natural order out.
    void inverseFromScrambled(double* re, double* im) const;

    // The smallest power of two that is at least `minimum`.
    static int sizeFor(int minimum);

    // acc += x * k element-wise over `count` values (a real spectrum scaling a
    // complex one, one part at a time), vectorised like the transform.
    static void multiplyAdd(double* acc, const double* x, const double* k, int count);

  private:
    int m_size;
    // Stage by stage: the twiddles e^(-2 pi i j / (2 half)), j < half, of the
    // stage with butterflies `half` apart start at index half - 1.
    std::vector<double> m_twiddleRe;
    std::vector<double> m_twiddleIm;
};

} // namespace lustrelab
