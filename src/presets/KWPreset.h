#pragma once

#include <juce_core/juce_core.h>

#include <memory>

class KWBank;

/** One stored sound inside a bank: a private copy of its preset dict plus the
    cached name, favourite flag, tags and position. Shared by reference count
    between its bank and the pseudo-banks "All" and "Favourites". */
class KWPreset : public juce::ReferenceCountedObject
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<KWPreset>;

    KWPreset() = default;

    /** Keeps a copy of d (null clears it); name and fav follow the copy; an
        empty tag cache is filled from its "tags". */
    void setDictionary (const juce::XmlElement* d);
    /** The tag indices: the cache, or the dict's "tags" list read into it. */
    juce::Array<int> getTags() const;
    /** The dict's "name" (not the cached name). */
    juce::String getName() const;
    /** Position, a space and the name, as the preset list shows it. */
    juce::String getLabel() const;
    const juce::XmlElement* getDictionary() const noexcept { return dict.get(); }
    juce::XmlElement* getDictionary() noexcept { return dict.get(); }

    mutable juce::Array<int> tags;
    std::unique_ptr<juce::XmlElement> dict;
    KWBank* bank = nullptr;
    juce::String name;
    bool fav = false;
    int number = 0;

    JUCE_DECLARE_NON_COPYABLE (KWPreset)
};
