#pragma once

/** The lookup tables shared by every oscillator and LFO of the process. Each
    group is built on first use, thread-safely; the oscillators, the noise
    generator and the envelopes touch them in their constructors, so no table
    is ever built on the audio thread. */
namespace OscTables
{
/** Entries of the periodic tables: 2048 per cycle plus the wrap-around entry. */
constexpr int kCycleSize = 2048;
constexpr int kTableSize = kCycleSize + 1;
constexpr int kFadeSize = 16;
constexpr int kShortStepRows = 128;
constexpr int kShortStepTaps = 4;
constexpr int kNoiseSize = 176399;

/** sin (2 pi i / 2048), i = 0..2048. */
const float* sine() noexcept;
/** The triangle, softened by five one-pole passes; entry 2048 repeats entry 0. */
const float* triangle() noexcept;
/** 0.9953^i, from 1 towards 0 (the LFO's unipolar "Exp" wave). */
const float* exponentialUnipolar() noexcept;
/** 2 * 0.9953^i - 1, from 1 towards -1 (the older bipolar "Exp" wave). */
const float* exponentialBipolar() noexcept;
/** The 16-sample raised-cosine fade-in applied after an oscillator reset. */
const float* fade() noexcept;
/** The minimum-phase band-limited unit step, 64 points per sample over 32 samples. */
const float* step() noexcept;
/** 1 - step(): what is added after a naive jump to band-limit it. */
const float* stepResidual() noexcept;
/** stepResidual() read by the fraction of a sample an edge lies before the
    next output sample: row b (0..kResidualRows - 1) holds the residual's values
    b, b + 64, b + 128, ... (one per output sample, kLongResidualTaps of them,
    padded to kResidualRowSize), so that the taps of one edge lie side by side. */
const float* stepResidualRows() noexcept;
constexpr int kLongResidualTaps = 31;
constexpr int kResidualRowSize = 32;
constexpr int kResidualRows = 66;
/** The short 4-tap residual of the unison partners, 128 rows of 4 taps. */
const float* shortStep() noexcept;
/** The area under stepResidual() in samples: how far the band-limited edge
    lags the naive one, on average. */
float stepResidualArea() noexcept;
/** The same for the short residual (a raised cosine over three samples). */
constexpr float kShortStepArea = 1.5f;
/** The noise loop shared by all voices (built on first use: 700 kB). */
const float* noise() noexcept;

/** Builds every table except the noise loop, if not built yet. */
void prepare() noexcept;

/** out[i] = linear lookup of the periodic table at phase[i] cycles; any phase,
    negative ones included, wraps onto the cycle. */
void lookup (const float* table, const float* phase, float* out, int n) noexcept;
/** The same lookup in the sine-to-triangle blend SIN + (TRI - SIN) * morph. */
void lookupSineTriangle (float morph, const float* phase, float* out, int n) noexcept;
} // namespace OscTables
