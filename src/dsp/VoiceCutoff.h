#pragma once

#include "dsp/SafeMath.h"
#include "params/ParameterTable.h"

/** The cutoff law for the voice filters' per-sample cutoff values, which the
    envelope and LFOs push beyond 0..1: values are held to +-kVoiceCutoffLimit
    (NaN to the lower end) so that every type gets a finite frequency. */
constexpr float kVoiceCutoffLimit = 8.0f;

inline float voiceCutoffHz (float u) noexcept
{
    return cutoffToHz (clampOrLow (u, -kVoiceCutoffLimit, kVoiceCutoffLimit));
}
