#pragma once

/** The random source of the oscillators, noise and LFO steps: uniform integers
    0..kMax. Lock-free and safe to call from any number of audio threads at
    once (the C library's rand takes a lock). Not seeded: every process draws
    the same sequence, as the synthesizer always has. */
class DspRandom
{
public:
    static constexpr int kMax = 32767;

    /** The next value in 0..kMax. */
    static int next() noexcept;
};
