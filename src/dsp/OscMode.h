#pragma once

/** The waveform a BlepOsc renders. */
enum class OscMode
{
    SuperSaw,
    Saw,
    Pulse,
    SineTri,
    Off
};

/** Maps the value of "Osc1 type"/"Osc2 type" (0 "Supersaw", 1 "Saw",
    2 "Pulse", 3 "Sine-tri") to its mode; any other value is Off. */
inline OscMode oscModeFromType (int typeValue) noexcept
{
    switch (typeValue)
    {
        case 0: return OscMode::SuperSaw;
        case 1: return OscMode::Saw;
        case 2: return OscMode::Pulse;
        case 3: return OscMode::SineTri;
        default: return OscMode::Off;
    }
}
