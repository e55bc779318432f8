#include "SignalAnalysis.h"

#include <algorithm>
#include <cmath>

namespace SignalAnalysis
{
double frequency (const std::vector<float>& x, int begin, int end, double sampleRate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (int i = begin + 1; i < end; ++i)
    {
        const float a = x[(size_t) i - 1], b = x[(size_t) i];
        if (a < 0.0f && b >= 0.0f)
        {
            const double t = (i - 1) + (double) a / (double) (a - b);
            if (first < 0.0)
                first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 2)
        return 0.0;
    return (crossings - 1) * sampleRate / (last - first);
}

double rms (const std::vector<float>& x, int begin, int end)
{
    double sum = 0.0;
    for (int i = begin; i < end; ++i)
        sum += (double) x[(size_t) i] * x[(size_t) i];
    return end > begin ? std::sqrt (sum / (end - begin)) : 0.0;
}

float peak (const std::vector<float>& x, int begin, int end)
{
    float p = 0.0f;
    for (int i = begin; i < end; ++i)
        p = std::max (p, std::fabs (x[(size_t) i]));
    return p;
}

int firstAbove (const std::vector<float>& x, float threshold)
{
    for (size_t i = 0; i < x.size(); ++i)
        if (std::fabs (x[i]) > threshold)
            return (int) i;
    return -1;
}

double magnitudeAt (const std::vector<float>& x, int begin, int end, double freq, double sampleRate)
{
    const int n = end - begin;
    const double w = 2.0 * M_PI * freq / sampleRate;
    double re = 0.0, im = 0.0, windowSum = 0.0;
    for (int i = 0; i < n; ++i)
    {
        const double window = 0.5 - 0.5 * std::cos (2.0 * M_PI * i / (n - 1));
        const double v = x[(size_t) (begin + i)] * window;
        re += v * std::cos (w * i);
        im -= v * std::sin (w * i);
        windowSum += window;
    }
    return 2.0 * std::sqrt (re * re + im * im) / windowSum;
}
} // namespace SignalAnalysis
