#include "params/KWParamValueMapper.h"

#include <cmath>

namespace
{
// Each transcendental result is rounded to float before it is used further.
float pow10Rounded (float v) { return (float) std::pow (10.0, (double) v); }
float log10Rounded (float x) { return (float) std::log10 ((double) x); }

float expLaw (float v, float min, float max) { return (pow10Rounded (v) - 1.0f) / 9.0f * (max - min) + min; }
float expLawInverse (float x, float min, float max) { return log10Rounded ((x - min) / (max - min) * 9.0f + 1.0f); }
} // namespace

int KWParamValueMapper::toInt (float v, int steps) const
{
    return (int) ((float) (steps - 1) * v);
}

float KWParamValueMapper::fromInt (int i, int steps) const
{
    return steps >= 2 ? (float) i / (float) (steps - 1) : (float) i;
}

float KWParamValueMapper::toEngine (float v) const { return v; }
float KWParamValueMapper::fromEngine (float x) const { return x; }
bool KWParamValueMapper::toBool (float v) const { return v > 0.0f; }
float KWParamValueMapper::fromBool (bool b) const { return b ? 1.0f : 0.0f; }

float KWParamAmpValueMapper::toEngine (float v) const
{
    return (float) std::pow (10.0, (40.0 * (double) v - 30.0) / 20.0);
}

float KWParamAmpValueMapper::fromEngine (float x) const
{
    if (x < 0.0001f)
        return -80.0f;
    return (20.0f * log10Rounded (x) + 30.0f) / 40.0f;
}

float KWParamExpValueMapper::toEngine (float v) const { return expLaw (v, min, max); }
float KWParamExpValueMapper::fromEngine (float x) const { return expLawInverse (x, min, max); }

float KWParamExpValueMapper2::toEngine (float v) const
{
    const float b = expLaw (v, min, max);
    return b * b / 5.0f;
}

float KWParamExpValueMapper2::fromEngine (float x) const
{
    const float root = (float) std::sqrt (5.0 * (double) x);
    return expLawInverse (root, min, max);
}

int KWParamScalarValueMapper::toInt (float v, int) const { return (int) toEngine (v); }
float KWParamScalarValueMapper::fromInt (int i, int) const { return fromEngine ((float) i); }
float KWParamScalarValueMapper::toEngine (float v) const { return scale * v + offset; }
float KWParamScalarValueMapper::fromEngine (float x) const { return (x - offset) / scale; }
