#include "presets/KWPreset.h"

#include "presets/PlistCodec.h"

#include <limits>

void KWPreset::setDictionary (const juce::XmlElement* d)
{
    // The copy is taken before the old dict goes: d may be that dict itself.
    std::unique_ptr<juce::XmlElement> copy (d != nullptr ? new juce::XmlElement (*d) : nullptr);
    dict = std::move (copy);
    name = plistGetString ("name", {}, dict.get());
    fav = plistGetBool ("fav", dict.get(), false);
    getTags();
}

juce::Array<int> KWPreset::getTags() const
{
    if (tags.isEmpty())
    {
        juce::StringArray pieces;
        pieces.addTokens (plistGetString ("tags", {}, dict.get()), ",", {});
        pieces.removeEmptyStrings (false);
        for (const auto& piece : pieces)
            tags.add ((int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
                                                       plistParseInteger (piece)));
    }
    return tags;
}

juce::String KWPreset::getName() const { return plistGetString ("name", {}, dict.get()); }

juce::String KWPreset::getLabel() const { return juce::String (number) + " " + name; }
