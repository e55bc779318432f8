// A preset dictionary from any bytes: parsed, applied to a sound, written again.

#include "FuzzSupport.h"

#include "presets/PlistCodec.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static fuzz::Client client;
    const auto root = plistParseText (fuzz::asText (data, size));
    if (root == nullptr)
        return 0;
    for (auto* item : plistGetItems ({}, root.get()))
    {
        client.patch.applyPresetDictionary (item);
        // A bank's presets are one level further down.
        for (auto* preset : plistGetItems ({}, item))
            client.patch.applyPresetDictionary (preset);
    }
    auto written = plistNewRoot();
    plistAddElement ({}, written.get(), client.patch.buildPresetDictionary());
    const auto text = plistToText (*written, true);
    // What was written reads back.
    if (plistParseText (text) == nullptr)
        __builtin_trap();
    return 0;
}
