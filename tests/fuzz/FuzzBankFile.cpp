// A bank file with any content: scanned, browsed, changed and saved.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& it = fuzz::instance();
    const auto file = it.manager->getBanksFolder().getChildFile ("fuzz.qvb");
    file.replaceWithData (data, size);
    it.manager->reloadBanks();
    if (auto* bank = it.manager->findBank ("fuzz"))
    {
        if (auto* first = bank->presets.getFirst().get())
        {
            it.manager->selectPreset (first);
            it.manager->getRelativePreset (1);
            it.manager->favouriteChanged (first, ! first->fav);
            bank->getFilteredPresets ({ 1, 3 }, "a");
        }
        it.manager->saveBank (bank);
    }
    it.manager->getAllBank()->removePreset (it.manager->getAllBank()->presets.getLast().get());
    file.deleteFile();
    return 0;
}
