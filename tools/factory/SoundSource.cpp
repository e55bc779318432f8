#include "SoundSource.h"

#include "ArpSource.h"
#include "ParamUnits.h"
#include "SourceLines.h"

#include "params/ParamIndex.h"
#include "presets/PlistCodec.h"
#include "presets/PresetDictionary.h"

#include <cmath>
#include <set>

namespace
{
using namespace ParamIndex;

constexpr int kNumTagNames = 11; // index 11 has no name
constexpr int kArpMode = 2;      // "Playback mode" "ARP"

KWParam* findParam (const VexmoorPatch& patch, const juce::String& name)
{
    for (int i = 0; i < kNumParams; ++i)
        if (patch.param (i).getParamName().trim().equalsIgnoreCase (name.trim()))
            return &patch.param (i);
    return nullptr;
}

/** Parameters a preset does not carry: a value for them would be lost on the way. */
bool isStored (int index) { return index != unused && index != mixInvert; }

bool parseTags (const SourceLines::Line& line, VexmoorPatch& patch, juce::String& error)
{
    juce::StringArray names;
    names.addTokens (line.value, ",", {});
    names.trim();
    names.removeEmptyStrings();
    for (const auto& name : names)
    {
        int found = -1;
        for (int t = 0; t < kNumTagNames; ++t)
            if (name.equalsIgnoreCase (kPresetTagNames[t]))
                found = t;
        if (found < 0)
        {
            juce::StringArray all;
            for (int t = 0; t < kNumTagNames; ++t)
                all.add (kPresetTagNames[t]);
            error = SourceLines::at (line, "\"" + name + "\" is not a tag (" + all.joinIntoString (", ") + ")");
            return false;
        }
        patch.tagFlags[(size_t) found] = true;
    }
    return true;
}

bool parseChord (const SourceLines::Line& line, VexmoorPatch& patch, juce::String& error)
{
    juce::StringArray pieces;
    pieces.addTokens (line.value, ",", {});
    pieces.trim();
    pieces.removeEmptyStrings();
    for (const auto& piece : pieces)
    {
        const auto digits = piece.startsWithChar ('-') || piece.startsWithChar ('+') ? piece.substring (1) : piece;
        if (digits.isEmpty() || ! digits.containsOnly ("0123456789") || std::abs (piece.getIntValue()) > 48)
        {
            error = SourceLines::at (line, "a chord lists intervals in semitones (-48..48), not \"" + piece + "\"");
            return false;
        }
        patch.chordNotes.push_back (piece.getIntValue());
    }
    patch.isChord = ! patch.chordNotes.empty();
    return true;
}

bool parseParam (const SourceLines::Line& line, KWParam& param, juce::String& error)
{
    const bool morphs = line.value.contains ("->");
    const auto textA = line.value.upToFirstOccurrenceOf ("->", false, false).trim();
    const auto textB = line.value.fromFirstOccurrenceOf ("->", false, false).trim();
    if (! isStored (param.getIndex()))
    {
        error = SourceLines::at (line, "\"" + param.getParamName() + "\" is not stored with a preset");
        return false;
    }
    if (morphs && ! param.isMorphable())
    {
        error = SourceLines::at (line, "\"" + param.getParamName() + "\" does not morph; give it one value");
        return false;
    }
    float a = 0.0f, b = 0.0f;
    if (! ParamUnits::parse (param, textA, a, error) || (morphs && ! ParamUnits::parse (param, textB, b, error)))
    {
        error = SourceLines::at (line, error);
        return false;
    }
    param.setValue (a);
    // A parameter without a B value plays the same in both groups.
    param.setValueB (morphs ? b : a);
    return true;
}

/** The first key whose value differs between two preset dictionaries. */
juce::String firstDifference (const juce::XmlElement& x, const juce::XmlElement& y)
{
    for (auto* key = x.getFirstChildElement(); key != nullptr; key = key->getNextElement())
    {
        if (! key->hasTagName ("key"))
            continue;
        const auto* vx = key->getNextElement();
        const auto* vy = plistFindValue (key->getAllSubText(), &y);
        if (vx == nullptr || vy == nullptr || ! vx->isEquivalentTo (vy, false))
            return key->getAllSubText();
    }
    return "(order of the keys)";
}
} // namespace

std::unique_ptr<juce::XmlElement> SoundSource::compile (const juce::String& text, const ArpLookup& arps,
                                                        juce::String& error)
{
    SourceLines source;
    if (! source.parse (text, error))
        return nullptr;

    VexmoorPatch patch;
    patch.initPatch();
    patch.name.clear();
    bool hasArp = false;
    std::set<juce::String> seen;
    for (const auto& line : source.lines())
    {
        const auto key = line.key.toLowerCase();
        auto* param = findParam (patch, line.key);
        if (! seen.insert (param != nullptr ? param->getParamName().trim().toLowerCase() : key).second)
        {
            error = SourceLines::at (line, "\"" + line.key + "\" is given twice");
            return nullptr;
        }
        if (key == "name")
            patch.name = line.value;
        else if (key == "tags")
        {
            if (! parseTags (line, patch, error))
                return nullptr;
        }
        else if (key == "chord")
        {
            if (! parseChord (line, patch, error))
                return nullptr;
        }
        else if (key == "arp")
        {
            const auto* pattern = arps (line.value);
            if (pattern == nullptr)
            {
                error = SourceLines::at (line, "no arp pattern named \"" + line.value + "\" in the library");
                return nullptr;
            }
            patch.arpPattern.readDictionary (pattern->toDictionary().get());
            hasArp = true;
        }
        else if (key == "wheel")
        {
            const double w = line.value.getDoubleValue();
            if (! line.value.containsOnly ("0123456789.") || w < 0.0 || w > 1.0)
            {
                error = SourceLines::at (line, "the wheel position is 0..1, not \"" + line.value + "\"");
                return nullptr;
            }
            patch.initialMod = (float) w;
        }
        else if (param != nullptr)
        {
            if (! parseParam (line, *param, error))
                return nullptr;
        }
        else
        {
            error = SourceLines::at (line, "\"" + line.key + "\" is neither a header key (name, tags, chord, arp, "
                                               "wheel) nor a parameter name");
            return nullptr;
        }
    }

    const bool arpMode = patch.param (playbackMode).getInt() == kArpMode;
    if (patch.name.trim().isEmpty())
        error = "the sound has no name";
    else if (arpMode != hasArp)
        error = arpMode ? "a sound in \"ARP\" mode needs its pattern (arp = ...)"
                        : "an arp pattern plays only in \"ARP\" mode (Playback mode = ARP)";
    else if (arpMode != patch.tagFlags[6])
        error = "the \"Arp\" tag marks exactly the sounds in \"ARP\" mode";
    else if (patch.isChord != patch.tagFlags[7])
        error = "the \"Chord\" tag marks exactly the sounds with a chord";
    if (error.isNotEmpty())
        return nullptr;

    auto dict = patch.buildPresetDictionary();
    // What a bank holds must be what plays: applied to a fresh sound, the
    // dictionary has to come back unchanged.
    VexmoorPatch check;
    check.applyPresetDictionary (dict.get());
    const auto again = check.buildPresetDictionary();
    if (plistToText (*again, true) != plistToText (*dict, true))
    {
        error = "the stored sound does not play back as written (key \"" + firstDifference (*dict, *again) + "\")";
        return nullptr;
    }
    plistAddBool ("fav", dict.get(), false);
    return dict;
}

juce::String SoundSource::describe (const juce::XmlElement& presetDictionary)
{
    VexmoorPatch patch;
    patch.initPatch();
    patch.applyPresetDictionary (&presetDictionary);

    juce::StringArray out;
    out.add ("name = " + patch.name);
    juce::StringArray tags;
    for (int t = 0; t < kNumTagNames; ++t)
        if (patch.tagFlags[(size_t) t])
            tags.add (kPresetTagNames[t]);
    if (! tags.isEmpty())
        out.add ("tags = " + tags.joinIntoString (", "));
    if (patch.isChord && ! patch.chordNotes.empty())
    {
        juce::StringArray notes;
        for (int n : patch.chordNotes)
            notes.add (juce::String (n));
        out.add ("chord = " + notes.joinIntoString (", "));
    }
    if (patch.param (playbackMode).getInt() == kArpMode)
        out.add ("arp = " + juce::String (patch.arpPattern.name));
    if (patch.initialMod.load() != 0.0f)
        out.add ("wheel = " + juce::String (patch.initialMod.load()));
    out.add ({});

    VexmoorPatch init;
    init.initPatch();
    for (int i = 0; i < kNumParams; ++i)
    {
        const auto& p = patch.param (i);
        if (! isStored (i))
            continue;
        const float a = p.getValue(), b = p.getValueB(), d = init.param (i).getValue();
        const bool morphs = p.isMorphable() && i < kNumMorphStored && std::abs (b - a) > 1.0e-6f;
        if (std::abs (a - d) <= 1.0e-6f && ! morphs)
            continue;
        auto line = p.getParamName().trim() + " = " + ParamUnits::format (p, a);
        if (morphs)
            line << " -> " << ParamUnits::format (p, b);
        out.add (line);
    }
    if (patch.param (playbackMode).getInt() == kArpMode)
        out.add ("\n# pattern \"" + juce::String (patch.arpPattern.name) + "\":\n# "
                 + ArpSource::describe (patch.arpPattern).trimEnd().replace ("\n", "\n# "));
    return out.joinIntoString ("\n") + "\n";
}
