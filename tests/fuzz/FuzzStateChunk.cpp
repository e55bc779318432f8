// The host's state restore with any bytes, then a state save.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& it = fuzz::instance();
    it.manager->setStateChunk (data, (int) std::min<size_t> (size, 1 << 24));
    juce::MemoryBlock state;
    it.manager->getStateChunk (state, it.client.createPresetDictionary());
    if (state.getSize() == 0 || static_cast<const char*> (state.getData())[state.getSize() - 1] != 0)
        __builtin_trap();
    return 0;
}
