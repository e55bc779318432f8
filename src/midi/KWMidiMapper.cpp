#include "midi/KWMidiMapper.h"

#include "presets/AppFolders.h"
#include "presets/AppLog.h"
#include "presets/PlistCodec.h"

#include <cstdlib>
#include <mutex>
#include <thread>

namespace
{
std::mutex creationLock;

bool isController (int c) { return c >= 0 && c < KWMidiMapper::kNumControllers; }
bool isParameter (int p) { return p >= 0 && p < ParamIndex::kNumParams; }
} // namespace

KWMidiMapper& KWMidiMapper::getInstance()
{
    // Created once, under a process-wide lock, so that instances starting
    // together share one map; it lives as long as the process.
    static KWMidiMapper* instance = nullptr;
    std::lock_guard<std::mutex> lock (creationLock);
    if (instance == nullptr)
        instance = new KWMidiMapper();
    return *instance;
}

KWMidiMapper::KWMidiMapper()
{
    logMessage ("creating KWMidiMapper");
    clear();
    load();
}

juce::File KWMidiMapper::mapFile()
{
    return getAppFolder (false).getChildFile ("midimapper.mrb");
}

void KWMidiMapper::clear() noexcept
{
    for (auto& p : controllerToParam)
        p.store (-1);
    for (auto& c : paramToController)
        c.store (-1);
}

void KWMidiMapper::load()
{
    const auto file = mapFile();
    if (! file.existsAsFile())
        return;
    clear();
    auto root = plistParseFile (file);
    auto* dict = root != nullptr ? root->getFirstChildElement() : nullptr;
    if (dict == nullptr)
        return;
    for (auto* first = dict->getFirstChildElement(); first != nullptr;)
    {
        auto* second = first->getNextElement();
        if (second == nullptr)
            break;
        const int p = std::atoi (first->getAllSubText().toRawUTF8());
        const int k = std::atoi (second->getAllSubText().toRawUTF8());
        if (k != -1 && isParameter (p) && isController (k))
        {
            paramToController[(size_t) p].store (k);
            controllerToParam[(size_t) k].store (p);
        }
        first = second->getNextElement();
    }
}

bool KWMidiMapper::save()
{
    auto dict = plistNewDict();
    for (int p = 0; p < ParamIndex::kNumParams; ++p)
    {
        const int k = paramToController[(size_t) p].load();
        if (k != -1)
            plistAddString (juce::String (p), juce::String (k), dict.get());
    }
    return plistWriteFile (mapFile(), *dict);
}

void KWMidiMapper::assign (int controller, int paramIndex)
{
    if (! isParameter (paramIndex) || controller >= kNumControllers)
        return;
    if (controller >= 0)
    {
        const int q = controllerToParam[(size_t) controller].load();
        if (q >= 0)
        {
            controllerToParam[(size_t) controller].store (-1);
            paramToController[(size_t) q].store (-1);
            notify (-1, q);
        }
    }
    const int d = paramToController[(size_t) paramIndex].load();
    if (d >= 0)
        controllerToParam[(size_t) d].store (-1);
    paramToController[(size_t) paramIndex].store (controller < 0 ? -1 : controller);
    if (controller >= 0)
        controllerToParam[(size_t) controller].store (paramIndex);
    notify (controller, paramIndex);
}

int KWMidiMapper::parameterFor (int controller) const noexcept
{
    return isController (controller) ? controllerToParam[(size_t) controller].load (std::memory_order_relaxed) : -1;
}

int KWMidiMapper::controllerFor (int paramIndex) const noexcept
{
    return isParameter (paramIndex) ? paramToController[(size_t) paramIndex].load (std::memory_order_relaxed) : -1;
}

bool KWMidiMapper::learn (int controller)
{
    if (! learning.load (std::memory_order_relaxed))
        return false;
    assign (controller, learnTarget.load (std::memory_order_relaxed));
    return true;
}

void KWMidiMapper::addListener (KWMidiListener* listener)
{
    for (auto& slot : listeners)
    {
        KWMidiListener* empty = nullptr;
        if (slot.compare_exchange_strong (empty, listener))
            return;
    }
    jassertfalse; // more listeners than slots
}

void KWMidiMapper::removeListener (KWMidiListener* listener)
{
    for (auto& slot : listeners)
    {
        KWMidiListener* expected = listener;
        if (slot.compare_exchange_strong (expected, nullptr))
            break;
    }
    // A notification that already picked this listener up may still be
    // running on the audio thread: let it finish before the caller goes away.
    while (notifying.load() > 0)
        std::this_thread::yield();
}

void KWMidiMapper::notify (int controller, int paramIndex) noexcept
{
    notifying.fetch_add (1);
    for (auto& slot : listeners)
        if (auto* listener = slot.load())
            listener->mappingChanged (controller, paramIndex);
    notifying.fetch_sub (1);
}
