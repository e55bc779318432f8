#include "engine/VexmoorPatch.h"

#include "params/ParameterTable.h"
#include "params/PatchOperations.h"
#include "presets/PresetDictionary.h"

VexmoorPatch::VexmoorPatch()
{
    ownedParams = buildParameterTable();
    for (size_t i = 0; i < ownedParams.size(); ++i)
    {
        params[i] = ownedParams[i].get();
        params[i]->setTargets (&slotA[i], &slotB[i], &slotInt[i]);
    }
    PatchOperations::resetToDefaults (params);
    refreshArrays();
    blendMorph (0.0f);
}

std::vector<std::unique_ptr<KWParam>> VexmoorPatch::releaseParameterOwnership()
{
    return std::move (ownedParams);
}

void VexmoorPatch::refreshArrays() noexcept
{
    for (int i = 0; i < ParamIndex::kNumParams; ++i)
    {
        arrayA[(size_t) i] = slotA[(size_t) i].load (std::memory_order_relaxed);
        arrayB[(size_t) i] = slotB[(size_t) i].load (std::memory_order_relaxed);
        arrayInt[(size_t) i] = slotInt[(size_t) i].load (std::memory_order_relaxed);
    }
}

void VexmoorPatch::blendMorph (float m) noexcept
{
    const float oneMinus = 1.0f - m;
    for (int i = 0; i < ParamIndex::kNumParams; ++i)
        arrayMorphed[(size_t) i] = arrayB[(size_t) i] * m + arrayA[(size_t) i] * oneMinus;
}

void VexmoorPatch::initPatch()
{
    PatchOperations::resetToDefaults (params);
    name = "Init";
    invertOsc = false;
    modernLfoWaves = true;
}

std::unique_ptr<juce::XmlElement> VexmoorPatch::buildPresetDictionary() const
{
    return ::buildPresetDictionary (*this);
}

void VexmoorPatch::applyPresetDictionary (const juce::XmlElement* dict)
{
    ::applyPresetDictionary (*this, dict);
}
