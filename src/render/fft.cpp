#include "fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace lustrelab {

namespace {

constexpr int lanes = 4;
// Explicit 4-lane vectors: one AVX register or two SSE ones, independent of
// what the optimisation level's auto-vectoriser would decide.
typedef double Lanes __attribute__((vector_size(lanes * sizeof(double))));

struct Twiddles
{
    const double* re;
    const double* im;
};

// One butterfly per pair (a, b) `half` apart with twiddle w. Forward runs
// decimation in frequency, a + b and (a - b) w, stages from the widest down,
// and leaves the spectrum in bit-reversed order; the inverse runs decimation in
// time, a + b conj(w) and a - b conj(w), from the narrowest stage up, taking
// bit-reversed input to natural order. Products of spectra are taken frequency
// by frequency, so the order between the two never matters and no permutation
// is ever done.
template <bool Inverse>
[[gnu::always_inline]] inline void stage(double* re, double* im, int size, int half, Twiddles twiddles)
{
    const double* wRe = twiddles.re + half - 1;
    const double* wIm = twiddles.im + half - 1;
    for (int start = 0; start < size; start += 2 * half) {
        double* aRe = re + start;
        double* aIm = im + start;
        double* bRe = aRe + half;
        double* bIm = aIm + half;
        if (half < lanes) {
            for (int j = 0; j < half; ++j) {
                const double wr = wRe[j], wi = Inverse ? -wIm[j] : wIm[j];
                if (Inverse) {
                    const double vr = bRe[j] * wr - bIm[j] * wi;
                    const double vi = bRe[j] * wi + bIm[j] * wr;
                    bRe[j] = aRe[j] - vr;
                    bIm[j] = aIm[j] - vi;
                    aRe[j] += vr;
                    aIm[j] += vi;
                } else {
                    const double dr = aRe[j] - bRe[j], di = aIm[j] - bIm[j];
                    aRe[j] += bRe[j];
                    aIm[j] += bIm[j];
                    bRe[j] = dr * wr - di * wi;
                    bIm[j] = dr * wi + di * wr;
                }
            }
            continue;
        }
        for (int j = 0; j < half; j += lanes) {
            Lanes ar, ai, br, bi, wr, wi;
            std::memcpy(&ar, aRe + j, sizeof ar);
            std::memcpy(&ai, aIm + j, sizeof ai);
            std::memcpy(&br, bRe + j, sizeof br);
            std::memcpy(&bi, bIm + j, sizeof bi);
            std::memcpy(&wr, wRe + j, sizeof wr);
            std::memcpy(&wi, wIm + j, sizeof wi);
            Lanes outAr, outAi, outBr, outBi;
            if (Inverse) {
                wi = -wi;
                const Lanes vr = br * wr - bi * wi;
                const Lanes vi = br * wi + bi * wr;
                outAr = ar + vr;
                outAi = ai + vi;
                outBr = ar - vr;
                outBi = ai - vi;
            } else {
                const Lanes dr = ar - br, di = ai - bi;
                outAr = ar + br;
                outAi = ai + bi;
                outBr = dr * wr - di * wi;
                outBi = dr * wi + di * wr;
            }
            std::memcpy(aRe + j, &outAr, sizeof outAr);
            std::memcpy(aIm + j, &outAi, sizeof outAi);
            std::memcpy(bRe + j, &outBr, sizeof outBr);
            std::memcpy(bIm + j, &outBi, sizeof outBi);
        }
    }
}

template <bool Inverse>
[[gnu::always_inline]] inline void butterflies(double* re, double* im, int size, Twiddles twiddles)
{
    if (Inverse) {
        for (int half = 1; half < size; half *= 2)
            stage<true>(re, im, size, half, twiddles);
    } else {
        for (int half = size / 2; half >= 1; half /= 2)
            stage<false>(re, im, size, half, twiddles);
    }
}

[[gnu::always_inline]] inline void multiplyAddBody(double* acc, const double* x, const double* k, int count)
{
    int i = 0;
    for (; i + lanes <= count; i += lanes) {
        Lanes a, b, c;
        std::memcpy(&a, acc + i, sizeof a);
        std::memcpy(&b, x + i, sizeof b);
        std::memcpy(&c, k + i, sizeof c);
        a += b * c;
        std::memcpy(acc + i, &a, sizeof a);
    }
    for (; i < count; ++i)
        acc[i] += x[i] * k[i];
}

using Transform = void (*)(double*, double*, int, Twiddles);
using MultiplyAdd = void (*)(double*, const double*, const double*, int);

template <bool Inverse> void transformGeneric(double* re, double* im, int size, Twiddles twiddles)
{
    butterflies<Inverse>(re, im, size, twiddles);
}

void multiplyAddGeneric(double* acc, const double* x, const double* k, int count)
{
    multiplyAddBody(acc, x, k, count);
}

struct Kernels
{
    Transform forward = transformGeneric<false>;
    Transform inverse = transformGeneric<true>;
    MultiplyAdd multiplyAdd = multiplyAddGeneric;
};

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The same loops compiled for AVX2 with fused multiply-add, chosen at run time.
template <bool Inverse>
[[gnu::target("avx2,fma")]] void transformAvx2(double* re, double* im, int size, Twiddles twiddles)
{
    butterflies<Inverse>(re, im, size, twiddles);
}

[[gnu::target("avx2,fma")]] void multiplyAddAvx2(double* acc, const double* x, const double* k, int count)
{
    multiplyAddBody(acc, x, k, count);
}

Kernels pickKernels()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return {transformAvx2<false>, transformAvx2<true>, multiplyAddAvx2};
    return {};
}
#else
Kernels pickKernels()
{
    return {};
}
#endif

const Kernels& kernels()
{
    static const Kernels chosen = pickKernels(); // fixed by the processor, never changes
    return chosen;
}

} // namespace

Fft::Fft(int size) : m_size(size), m_twiddleRe(std::max(size - 1, 0)), m_twiddleIm(m_twiddleRe.size())
{
    for (int half = 1; half < size; half *= 2) {
        for (int j = 0; j < half; ++j) {
            const double angle = -std::numbers::pi * j / half;
            m_twiddleRe[half - 1 + j] = std::cos(angle);
            m_twiddleIm[half - 1 + j] = std::sin(angle);
        }
    }
}

int Fft::sizeFor(int minimum)
{
    int size = 1;
    while (size < minimum)
        size *= 2;
    return size;
}

void Fft::forwardScrambled(double* re, double* im) const
{
    kernels().forward(re, im, m_size, {m_twiddleRe.data(), m_twiddleIm.data()});
}

void Fft::inverseFromScrambled(double* re, double* im) const
{
    kernels().inverse(re, im, m_size, {m_twiddleRe.data(), m_twiddleIm.data()});
}

void Fft::multiplyAdd(double* acc, const double* x, const double* k, int count)
{
    kernels().multiplyAdd(acc, x, k, count);
}

} // namespace lustrelab
