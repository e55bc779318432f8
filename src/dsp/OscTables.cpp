#include "dsp/OscTables.h"

#include "dsp/AlignedBuffer.h"
#include "dsp/MinimumPhaseStep.h"
#include "dsp/SafeMath.h"

#include <cmath>
#include <cstdint>

namespace
{
constexpr int kStepPoints = MinimumPhaseStep::kPoints;
static_assert (kStepPoints == OscTables::kTableSize, "the step and the periodic tables share a size");
static_assert ((OscTables::kResidualRows - 1) + MinimumPhaseStep::kOversampling * (OscTables::kLongResidualTaps - 1)
                   < kStepPoints,
               "every row of the residual by phase lies inside the residual");

struct Tables
{
    AlignedBuffer<float> sine { OscTables::kTableSize };
    AlignedBuffer<float> triangle { OscTables::kTableSize };
    AlignedBuffer<float> expUnipolar { OscTables::kTableSize };
    AlignedBuffer<float> expBipolar { OscTables::kTableSize };
    AlignedBuffer<float> fade { OscTables::kFadeSize };
    AlignedBuffer<float> step { kStepPoints };
    AlignedBuffer<float> residual { kStepPoints };
    AlignedBuffer<float> residualRows { OscTables::kResidualRows * OscTables::kResidualRowSize };
    AlignedBuffer<float> shortStep { OscTables::kShortStepRows * OscTables::kShortStepTaps };
    float residualArea = 0.0f;

    Tables()
    {
        for (int i = 0; i < OscTables::kTableSize; ++i)
            sine[(std::size_t) i] = (float) std::sin ((double) i * 0.0030679615757712823);

        buildTriangle();

        // The running product is kept in a float, entry by entry.
        float a = 1.0f;
        for (int i = 0; i < OscTables::kTableSize; ++i)
        {
            expUnipolar[(std::size_t) i] = a;
            expBipolar[(std::size_t) i] = 2.0f * a - 1.0f;
            a *= 0.9953f;
        }

        for (int i = 0; i < OscTables::kFadeSize; ++i)
            fade[(std::size_t) i] = (float) (1.0 - (0.5 * std::cos ((double) i * 0.0625 * M_PI) + 0.5));

        MinimumPhaseStep::design (step.get());
        double area = 0.0;
        for (int i = 0; i < kStepPoints; ++i)
        {
            residual[(std::size_t) i] = 1.0f - step[(std::size_t) i];
            if (i < kStepPoints - 1)
                area += residual[(std::size_t) i];
        }
        residualArea = (float) (area / MinimumPhaseStep::kOversampling);
        for (int row = 0; row < OscTables::kResidualRows; ++row)
            for (int tap = 0; tap < OscTables::kLongResidualTaps; ++tap)
                residualRows[(std::size_t) (row * OscTables::kResidualRowSize + tap)] =
                    residual[(std::size_t) (row + MinimumPhaseStep::kOversampling * tap)];

        for (int row = 0; row < OscTables::kShortStepRows; ++row)
            for (int tap = 0; tap < OscTables::kShortStepTaps; ++tap)
            {
                const double t = (double) row / OscTables::kShortStepRows + tap;
                shortStep[(std::size_t) (row * OscTables::kShortStepTaps + tap)] =
                    t <= 3.0 ? (float) (0.5 + 0.5 * std::cos (M_PI * t / 3.0)) : 0.0f;
            }
    }

    void buildTriangle()
    {
        float* t = triangle.get();
        for (int i = 0; i < OscTables::kCycleSize; ++i)
        {
            const float x = (float) i;
            if (i <= 512)
                t[i] = x / 512.0f;
            else if (i <= 1536)
                t[i] = 1.0f - (x - 512.0f) / 512.0f;
            else
                t[i] = (x - 1536.0f) / 512.0f - 1.0f;
        }
        // Five passes of a one-pole smoother round the corners; each pass runs
        // round the cycle, so entry 0 sees the already smoothed entry 2047.
        for (int pass = 0; pass < 5; ++pass)
            for (int i = 0; i < OscTables::kCycleSize; ++i)
            {
                const float previous = i == 0 ? t[OscTables::kCycleSize - 1] : t[i - 1];
                t[i] = 0.95f * t[i] + 0.05f * previous;
            }
        t[OscTables::kCycleSize] = t[0];
    }
};

const Tables& tables() noexcept
{
    static const Tables built;
    return built;
}

struct NoiseTable
{
    AlignedBuffer<float> values { OscTables::kNoiseSize };

    NoiseTable()
    {
        // Two 32-bit words feeding each other: a fixed, repeatable noise loop.
        std::uint32_t a = 0xEFCDAB89u;
        std::uint32_t b = 0x67452301u;
        for (int i = 0; i < OscTables::kNoiseSize; ++i)
        {
            values[(std::size_t) i] = (float) (std::int32_t) a * 4.190951474747351e-10f;
            b ^= a;
            a += b;
        }
    }
};

// Positions in the table: integer part (wrapped onto the cycle) and fraction.
// Phases stay far inside +-2^20 cycles (the oscillators bound their inputs).
inline int wrapIndex (float phase, float& fraction) noexcept
{
    const float y = phase * (float) OscTables::kCycleSize;
    const int j = floorToInt (y);
    fraction = y - (float) j;
    return j & (OscTables::kCycleSize - 1);
}
} // namespace

namespace OscTables
{
const float* sine() noexcept { return tables().sine.get(); }
const float* triangle() noexcept { return tables().triangle.get(); }
const float* exponentialUnipolar() noexcept { return tables().expUnipolar.get(); }
const float* exponentialBipolar() noexcept { return tables().expBipolar.get(); }
const float* fade() noexcept { return tables().fade.get(); }
const float* step() noexcept { return tables().step.get(); }
const float* stepResidual() noexcept { return tables().residual.get(); }
const float* stepResidualRows() noexcept { return tables().residualRows.get(); }
const float* shortStep() noexcept { return tables().shortStep.get(); }
float stepResidualArea() noexcept { return tables().residualArea; }

const float* noise() noexcept
{
    static const NoiseTable built;
    return built.values.get();
}

void prepare() noexcept
{
    (void) tables();
}

void lookup (const float* table, const float* phase, float* out, int n) noexcept
{
    for (int i = 0; i < n; ++i)
    {
        float fraction;
        const int idx = wrapIndex (phase[i], fraction);
        out[i] = table[idx] + (table[idx + 1] - table[idx]) * fraction;
    }
}

void lookupSineTriangle (float morph, const float* phase, float* out, int n) noexcept
{
    // Each blended entry is formed exactly as a stored blend table would hold it,
    // then interpolated; no table is shared between threads or oscillators.
    const float* s = sine();
    const float* t = triangle();
    for (int i = 0; i < n; ++i)
    {
        float fraction;
        const int idx = wrapIndex (phase[i], fraction);
        const float m0 = s[idx] + (t[idx] - s[idx]) * morph;
        const float m1 = s[idx + 1] + (t[idx + 1] - s[idx + 1]) * morph;
        out[i] = m0 + (m1 - m0) * fraction;
    }
}
} // namespace OscTables
