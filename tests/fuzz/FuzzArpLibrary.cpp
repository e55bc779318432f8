// An arp library with any content: listed, loaded into a pattern, saved to, deleted from.

#include "FuzzSupport.h"

#include "arp/ArpPattern.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& it = fuzz::instance();
    const auto folder = it.manager->getBanksFolder();
    const auto file = folder.getChildFile (KWBankManager::kArpLibraryName);
    file.replaceWithData (data, size);

    const auto names = it.manager->listArpPatternNames();
    ArpPattern pattern;
    if (! names.isEmpty())
    {
        pattern.readDictionary (it.manager->loadArpPattern (names[0]).get());
        if (pattern.getNumSteps() < 1)
            __builtin_trap();
        pattern.insertCopiedStep (pattern.getNumSteps() - 1);
        pattern.removeStep (0);
    }
    it.manager->saveArpPattern (pattern);
    it.manager->deleteArpPattern (names[0]);

    // Unreadable libraries are kept aside; do not let them pile up.
    for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "arps.hpr.unreadable-*"))
        entry.getFile().deleteFile();
    return 0;
}
