#include "dsp/FormantTable.h"

#include "dsp/SafeMath.h"

#include <cmath>

namespace
{
constexpr float kTable[FormantTable::kRows][FormantTable::kColumns] = {
    { 650.0f, 1080.0f, 2650.0f, 0.0f, -6.0f, -7.0f, 80.0f, 90.0f, 120.0f },
    { 400.0f, 1700.0f, 2600.0f, 0.0f, -14.0f, -12.0f, 70.0f, 80.0f, 100.0f },
    { 290.0f, 1870.0f, 2800.0f, 0.0f, -15.0f, -18.0f, 40.0f, 90.0f, 100.0f },
    { 400.0f, 800.0f, 2600.0f, 0.0f, -10.0f, -12.0f, 40.0f, 80.0f, 100.0f },
    { 350.0f, 600.0f, 2700.0f, 0.0f, -20.0f, -17.0f, 40.0f, 60.0f, 100.0f },
};
} // namespace

namespace FormantTable
{
const float* row (int index) noexcept
{
    return kTable[index < 0 ? 0 : (index >= kRows ? kRows - 1 : index)];
}

Formants at (float cutoff) noexcept
{
    const float v = clampOrLow (cutoff * 4.0f, 0.0f, (float) (kRows - 1));
    const int i = (int) std::floor (v);
    const float t = v - (float) i;
    Formants f {};
    for (int j = 0; j < kColumns; ++j)
        f.values[j] = i >= kRows - 1 ? kTable[kRows - 1][j] : kTable[i][j] * (1.0f - t) + kTable[i + 1][j] * t;
    return f;
}
} // namespace FormantTable
