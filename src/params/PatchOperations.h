#pragma once

#include "params/KWParam.h"

/** The operations of the utility menu that act on the two morph groups. They
    write only through setValue and setValueB, on the message thread. */
namespace PatchOperations
{
/** Every parameter back to its default, in both groups. */
void resetToDefaults (const KWParamList& params);
/** Group B becomes a copy of group A, so the wheel no longer changes the sound. */
void copyMorphAToB (const KWParamList& params);
/** Exchanges A and B of every continuous morphable parameter. */
void swapMorphGroups (const KWParamList& params);
/** Exchanges filter 1 and filter 2: types, cutoffs, resonances and envelope amounts. */
void swapFilters (const KWParamList& params);
/** Random values (0 .. 0.999, the same in both groups) for the sound-shaping
    parameters; effects, reverb, levels and play settings stay. */
void randomize (const KWParamList& params);
} // namespace PatchOperations
