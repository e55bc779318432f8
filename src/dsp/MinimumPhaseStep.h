#pragma once

/** Designs the band-limited unit step that the saw and pulse oscillators
    splice in at every discontinuity: a Kaiser-windowed sinc low-pass, made
    minimum-phase through its real cepstrum (so that nothing rings before the
    edge), integrated and normalised to end at exactly 1. */
namespace MinimumPhaseStep
{
/** Points per output sample. */
constexpr int kOversampling = 64;
/** Samples the step takes to settle. */
constexpr int kLengthSamples = 32;
/** Values written by design(): the step at 0, 1/64, ... 32 samples after the edge. */
constexpr int kPoints = kOversampling * kLengthSamples + 1;

/** Low-pass cut-off of the prototype, in cycles per output sample: with the
    window below the pass band is flat to about 15 kHz at 44.1 kHz and the
    stop band begins right at the Nyquist frequency, so the partials a step
    would fold back are about 90 dB down or more. */
constexpr double kCutoff = 0.41;
constexpr double kKaiserBeta = 9.0;

/** Writes kPoints values; step[kPoints - 1] is exactly 1. Allocates; call once,
    away from the audio thread. */
void design (float* step);
} // namespace MinimumPhaseStep
