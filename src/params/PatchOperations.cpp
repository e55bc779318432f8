#include "params/PatchOperations.h"

#include <cstdlib>

namespace PatchOperations
{
void resetToDefaults (const KWParamList& params)
{
    for (auto* p : params)
    {
        const float d = p->getDefaultValue();
        p->setValue (d);
        p->setValueB (d);
    }
}

void copyMorphAToB (const KWParamList& params)
{
    for (auto* p : params)
        p->setValueB (p->getValue());
}

void swapMorphGroups (const KWParamList& params)
{
    for (auto* p : params)
    {
        if (! p->isMorphable() || p->getNumSteps() != 0)
            continue;
        const float a = p->getValue();
        const float b = p->getValueB();
        p->setValueB (a);
        p->setValue (b);
    }
}

void swapFilters (const KWParamList& params)
{
    using namespace ParamIndex;
    const int pairs[][2] = { { flt1Type, flt2Type },
                             { filter1Cutoff, filter2Cutoff },
                             { filter1Resonance, filter2Resonance },
                             { filter1EnvAmount, filter2EnvAmount } };
    for (const auto& pair : pairs)
        params[(size_t) pair[0]]->swapWith (*params[(size_t) pair[1]]);
}

void randomize (const KWParamList& params)
{
    static const int indices[] = { 0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 23,
                                   24, 25, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 39, 40, 41, 42, 43, 44, 45, 46,
                                   47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 68, 69, 70, 71, 72, 80, 81, 82 };
    for (const int i : indices)
    {
        // The runtime's rand() is never seeded, so every process starts the same sequence.
        const float v = (float) ((double) (std::rand() % 1000) / 1000.0);
        params[(size_t) i]->setValue (v);
        params[(size_t) i]->setValueB (v);
    }
}
} // namespace PatchOperations
