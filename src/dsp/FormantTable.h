#pragma once

/** The five vowel formants of the "FORMANT" filter type: for each row three
    centre frequencies (Hz), three gains (dB) and three bandwidth figures
    (hundredths of an octave at resonance 0). */
namespace FormantTable
{
constexpr int kRows = 5;
constexpr int kColumns = 9;

struct Formants
{
    float values[kColumns]; // F1 F2 F3, G1 G2 G3, B1 B2 B3
};

/** The row blend for a cutoff value c: position clamp (4 c, 0, 4) between
    the rows, linear in between (4 gives the last row alone). */
Formants at (float cutoff) noexcept;

const float* row (int index) noexcept;
} // namespace FormantTable
