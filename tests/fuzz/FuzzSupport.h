#pragma once

// What the fuzz targets share: a private pair of application folders and a
// stand-in for the processor, made once per process.

#include "engine/VexmoorPatch.h"
#include "presets/AppFolders.h"
#include "presets/KWBankManager.h"
#include "presets/KWPreset.h"
#include "presets/KWPresetClient.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

namespace fuzz
{
/** The processor's part: one sound, applied directly. */
class Client : public KWPresetClient
{
public:
    std::unique_ptr<juce::XmlElement> createPresetDictionary() override { return patch.buildPresetDictionary(); }
    void loadPreset (KWPreset* preset) override
    {
        if (preset != nullptr)
            patch.applyPresetDictionary (preset->getDictionary());
    }

    VexmoorPatch patch;
};

/** Folders under the temporary directory, set up before the first input. */
inline juce::File folders()
{
    static const juce::File root = [] {
        auto r = juce::File::getSpecialLocation (juce::File::tempDirectory)
                     .getChildFile ("quorvane-fuzz-" + juce::String (juce::Time::currentTimeMillis()) + "-"
                                    + juce::String (juce::Random::getSystemRandom().nextInt()));
        r.getChildFile ("home").createDirectory();
        r.getChildFile ("common").createDirectory();
        setVendorFoldersForTesting (r.getChildFile ("home"), r.getChildFile ("common"));
        return r;
    }();
    return root;
}

struct Instance
{
    Client client;
    std::unique_ptr<KWBankManager> manager;

    Instance()
    {
        folders();
        manager = std::make_unique<KWBankManager> (&client);
    }
};

inline Instance& instance()
{
    static Instance it;
    return it;
}

inline juce::String asText (const uint8_t* data, size_t size)
{
    juce::MemoryInputStream in (data, size, false);
    return in.readEntireStreamAsString();
}
} // namespace fuzz
