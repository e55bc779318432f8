#include "engine/PitchTable.h"

#include <cmath>

PitchTable::PitchTable()
{
    static const double base[12] = { 130.82, 138.59, 146.83, 155.56, 164.81, 174.61,
                                     185.0,  196.0,  207.65, 220.0,  233.08, 246.94 };
    table.fill (1024.0f);
    for (int octave = 0; octave <= 8; ++octave)
        for (int s = 0; s < 12; ++s)
            table[(std::size_t) (12 * octave + s)] = (float) (base[s] * std::pow (2.0, octave - 3));
}
