#include "dsp/Fft.h"

#include <cmath>
#include <cstddef>
#include <utility>

void Fft::transform (std::vector<std::complex<double>>& a, bool inverse)
{
    const std::size_t n = a.size();
    if (n < 2)
        return;
    for (std::size_t i = 1, j = 0; i < n; ++i)
    {
        std::size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap (a[i], a[j]);
    }

    // One table of twiddles, each computed directly, serves every stage.
    std::vector<std::complex<double>> twiddle (n / 2);
    const double sign = inverse ? 1.0 : -1.0;
    for (std::size_t k = 0; k < n / 2; ++k)
    {
        const double angle = sign * 2.0 * M_PI * (double) k / (double) n;
        twiddle[k] = { std::cos (angle), std::sin (angle) };
    }

    for (std::size_t len = 2; len <= n; len <<= 1)
    {
        const std::size_t stride = n / len;
        for (std::size_t start = 0; start < n; start += len)
            for (std::size_t j = 0; j < len / 2; ++j)
            {
                const std::complex<double> u = a[start + j];
                const std::complex<double> v = a[start + j + len / 2] * twiddle[j * stride];
                a[start + j] = u + v;
                a[start + j + len / 2] = u - v;
            }
    }
    if (inverse)
        for (auto& x : a)
            x /= (double) n;
}
