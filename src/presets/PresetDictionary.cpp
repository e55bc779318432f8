#include "presets/PresetDictionary.h"

#include "engine/VexmoorPatch.h"
#include "params/ParamIndex.h"
#include "presets/PlistCodec.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

const char* const kPresetTagNames[12] = { "Lead", "Key", "Bass", "Pad", "Drum", "Fx",
                                          "Arp", "Chord", "Bright", "Dark", "Short", "" };

namespace
{
using namespace ParamIndex;

constexpr float kAppVersion = 3.0f;
constexpr int kNumTags = 12;
// A chord holds at most one interval per other key; intervals beyond the
// keyboard have no meaning, and keeping them bounded keeps the chord stage's
// note arithmetic in range whatever a file says.
constexpr size_t kMaxChordNotes = 127;
constexpr int kMaxChordInterval = 127;
// How far, in steps of one float, a read value is moved to find the one
// whose stored text form is the text that was read.
constexpr int kSettleRange = 64;

juce::String formatFixed6 (double x)
{
    // printf's "%f", independent of the host's locale.
    char buffer[400];
    const auto r = std::to_chars (buffer, buffer + sizeof (buffer), x, std::chars_format::fixed, 6);
    return juce::String (buffer, (size_t) (r.ptr - buffer));
}

/** An engine value as it comes back from "paramsA" (six decimals). */
float asListed (float x) { return plistParseFloat (formatFixed6 ((double) x)); }

/** atoi's reading of one list piece, saturating instead of overflowing. */
int pieceToInt (const juce::String& piece)
{
    const auto v = plistParseInteger (piece);
    return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v);
}

int toInt (juce::int64 v)
{
    return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v);
}

float sanitise (float normalised)
{
    // An engine value outside a mapper's domain gives not-a-number; such a
    // value (and anything beyond 0..1) must never reach the sound.
    if (std::isnan (normalised))
        return 0.0f;
    return juce::jlimit (0.0f, 1.0f, normalised);
}

/** The normalised value nearest to v (v itself when it fits) that satisfies
    matches: the stored form of a sound depends on the mapped engine value, and
    a mapper's round trip can be a few float steps off. */
template <typename Match>
float settle (float v, Match&& matches)
{
    v = sanitise (v);
    if (matches (v))
        return v;
    float up = v, down = v;
    for (int i = 0; i < kSettleRange; ++i)
    {
        up = std::nextafter (up, 2.0f);
        if (up <= 1.0f && matches (up))
            return up;
        down = std::nextafter (down, -1.0f);
        if (down >= 0.0f && matches (down))
            return down;
    }
    return v;
}

class Reader
{
public:
    Reader (VexmoorPatch& p, const juce::XmlElement* d) : patch (p), dict (d) {}

    KWParam& param (int n) { return patch.param (n); }

    float real (const char* key, float def) { return plistGetReal (key, dict, def); }
    int integer (const char* key, int def) { return toInt (plistGetInteger (key, def, dict)); }
    bool boolean (const char* key, bool def) { return plistGetBool (key, dict, def); }

    /** One group from an engine value, chosen so that it is stored again as
        text (a real, or the six decimals of the morph lists). */
    void setEngine (int n, float x, const juce::String& text, bool fixedSix, bool groupB)
    {
        auto& p = param (n);
        const auto& mapper = p.getMapper();
        const float v = settle (mapper.fromEngine (x), [&] (float c) {
            const float e = mapper.toEngine (c);
            return (fixedSix ? formatFixed6 ((double) e) : plistFormatReal (e)) == text;
        });
        if (groupB)
            p.setValueB (v);
        else
            p.setValue (v);
    }

    /** Set both groups to x (B first, then A), as a real is stored. */
    void both (int n, float x)
    {
        const auto text = plistFormatReal (x);
        setEngine (n, x, text, false, true);
        setEngine (n, x, text, false, false);
    }

    void bothFromKey (int n, const char* key) { both (n, real (key, 0.0f)); }

    /** Integer of n: group A from a choice index or step count. */
    void setInt (int n, int i)
    {
        auto& p = param (n);
        const auto& mapper = p.getMapper();
        const int steps = p.getNumSteps();
        p.setValue (settle (mapper.fromInt (i, steps), [&] (float c) { return mapper.toInt (c, steps) == i; }));
    }

    void intFromKey (int n, const char* key) { setInt (n, integer (key, 0)); }

    /** Boolean of n: group A. */
    void setBool (int n, bool b) { param (n).setFromBool (b); }
    void boolFromKey (int n, const char* key) { setBool (n, boolean (key, false)); }

    /** Whole semitones: the value plays, shows and is stored again as n. */
    void setPitchRange (int n)
    {
        auto& p = param (pitchBendRange);
        const float x = (float) (((double) n - 1.0) / 11.0); // rounded to float, as stored in the sound
        p.setFromEngineB (x);
        p.setValue (settle (p.getMapper().fromEngine (x), [n] (float c) {
            return (int) ((double) c * 11.0 + 1.0) == n && (int) (c * 11.0f + 1.0f) == n;
        }));
    }

    /** A delay tap count: the stored real, or an integer from older presets. */
    void setTaps (int n, const char* key, int def)
    {
        float x = (float) def;
        if (auto* value = plistFindValue (key, dict))
        {
            if (value->getTagName() == "real")
                x = plistParseFloat (value->getAllSubText());
            else if (value->getTagName() == "integer")
                x = (float) toInt (plistParseInteger (value->getAllSubText()));
        }
        setEngine (n, x, plistFormatReal (x), false, false);
    }

    /** "paramsA" / "paramsB": piece i is the engine value of parameter i. */
    void setList (const juce::String& list, bool groupB)
    {
        juce::StringArray pieces;
        pieces.addTokens (list, ",", {});
        for (int i = 0; i < pieces.size() && i < kNumParams; ++i)
        {
            const float x = plistParseFloat (pieces[i]);
            const auto text = formatFixed6 ((double) x);
            setEngine (i, x, text, true, groupB);
        }
    }

    VexmoorPatch& patch;
    const juce::XmlElement* dict;
};

void readLegacyParameters (Reader& r)
{
    const struct
    {
        const char* key;
        int index;
    } plain[] = {
        { "osc1Detune", osc1Width },     { "osc2Cents", osc2Cents },       { "osc1Mix", osc1MixPwm },
        { "osc2Detune", osc2Width },     { "osc2Mix", osc2MixPwm },        { "oscMix", oscMix },
        { "amAmount", oscRm },           { "ampA", ampAttack },            { "ampD", ampDecay },
        { "ampS", ampSustain },          { "ampR", ampRelease },           { "fltC", filter1Cutoff },
        { "fltR", filter1Resonance },    { "fltEnvA", filterEnvAttack },   { "fltEnvD", filterEnvDecay },
        { "fltEnvS", filterEnvSustain }, { "fltEnvR", filterEnvRelease },  { "fltEnvAmt", filter1EnvAmount },
    };
    for (const auto& k : plain)
        r.bothFromKey (k.index, k.key);

    const float x = r.real ("lfoRate", 0.0f);
    const float q = (x - 0.005f) / 19.995f; // the division in float, the rest in double
    r.both (lfo1Frequency, (float) std::log10 ((double) q * 9.0 + 1.0));

    const double y = (double) r.real ("lfoAmount", 0.0f);
    const double amount = y >= 0.0 ? 0.5 + 0.5 * std::log10 (y * 9.0 + 1.0) : 0.5 - 0.5 * std::log10 (-y * 9.0 + 1.0);
    r.both (lfo1Amount, (float) amount);

    r.bothFromKey (delayFeedback, "fxDelayFeedback");
    r.bothFromKey (delayMix, "fxDelayMix");
    r.both (noiseColor, 0.5f);

    // The effect controls of such a preset belong to its own effect type.
    const int t = r.integer ("fx1Type", 0);
    const char* const pairs[][2] = { { "fxDistAmount", "fxDistVolume" },
                                     { "fxChorusDepth", "fxChorusRate" },
                                     { "fxLowAmount", "fxHighAmount" } };
    if (t >= 1 && t <= 3)
    {
        r.bothFromKey (effectControl1, pairs[t - 1][0]);
        r.bothFromKey (effectControl2, pairs[t - 1][1]);
    }
    else
    {
        r.both (effectControl1, 0.5f);
        r.both (effectControl2, 0.5f);
    }
}

void upgrade (Reader& r, float v)
{
    auto& patch = r.patch;
    const double vd = (double) v;

    if (vd < 0.8)
    {
        if (r.param (osc1Type).getInt() > 0)
            r.both (osc1Width, 0.0f);
        if (r.param (osc2Type).getInt() > 0)
            r.both (osc2Width, 0.0f);
    }
    if (vd < 0.9)
    {
        r.both (lfo1Phase, 0.0f);
        r.both (lfo2Phase, 0.0f);
    }
    if (vd < 0.95)
    {
        r.both (lfo1FadeIn, 0.0f);
        r.both (lfo2FadeIn, 0.0f);
    }
    if (vd < 1.1)
    {
        // Resonance was rescaled for the filter types that had it.
        const auto rescale = [&r] (int typeParam, int resonanceParam) {
            const int type = r.param (typeParam).getInt();
            if (type == 1 || type == 2 || type == 3 || type == 4 || type == 7)
            {
                const double res = (double) r.param (resonanceParam).getEngineValue();
                r.both (resonanceParam, (float) std::max (0.0, (res - 0.35) * 1.5384));
            }
        };
        rescale (flt1Type, filter1Resonance);
        rescale (flt2Type, filter2Resonance);
    }
    if (v < 1.4f && r.param (osc1Type).getInt() == 3)
        r.both (osc1MixPwm, 1.0f);

    if (v < 2.0f)
    {
        r.setBool (multiOsc1, false);
        r.setBool (multiOsc2, false);
        r.both (multiDetune, 0.0003f);
        r.both (multiSpread, 0.0f);
        r.both (multiMix, 0.65f);
        r.setInt (fltEnvSlope, 0);
        r.both (reverbLowCut, 0.401f);
        r.both (reverbHighCut, 0.4f);
        r.both (reverbPre, 0.1f);
        r.both (reverbSize, 0.6f);
        r.both (reverbDryWet, 0.0f);
        r.both (reverbHighDamp, 0.97f);
        r.setBool (reverbOn, false);
        r.both (noiseColor, 0.5f);
    }
    else
    {
        r.boolFromKey (multiOsc1, "osc1Multi");
        r.boolFromKey (multiOsc2, "osc2Multi");
        r.bothFromKey (multiDetune, "multiDetune");
        r.bothFromKey (multiSpread, "multiSpread");
        r.bothFromKey (multiMix, "multiMix");
        r.intFromKey (fltEnvSlope, "filterEnvType");
        r.bothFromKey (reverbLowCut, "revLCut");
        r.bothFromKey (reverbHighCut, "revHCut");
        r.bothFromKey (reverbPre, "revPredelay");
        r.bothFromKey (reverbSize, "revSize");
        r.bothFromKey (reverbDryWet, "revDry");
        r.bothFromKey (reverbHighDamp, "revHDamp");
        r.boolFromKey (reverbOn, "revOn");
    }

    r.setBool (flt1Track, r.real ("fltTrackingAmount", 0.0f) > 0.5f);

    const int f = r.integer ("fx1Type", 0);
    if (v < 2.5f)
    {
        r.setBool (flt2Track, r.param (flt1Track).getBool());
        r.both (fxSplit, 0.5f);
        if (f == 4)
        {
            r.both (eqLow, 0.5f);
            r.both (eqHigh, 0.5f);
            r.setInt (fxType, 3);
        }
        else if (f == 3)
        {
            // The old equaliser effect kept its bands in the effect controls.
            r.setInt (fxType, 0);
            r.both (eqLow, r.param (effectControl1).getEngineValue());
            r.both (eqHigh, r.param (effectControl2).getEngineValue());
        }
        else
        {
            r.both (eqLow, 0.5f);
            r.both (eqHigh, 0.5f);
            r.setInt (fxType, f);
        }
    }
    else
    {
        r.setInt (fxType, f);
        r.setBool (flt2Track, r.real ("fltTrackingAmount2", 0.0f) > 0.5f);
    }

    if (v < 2.5f && ! r.param (fltRouting).getBool() && r.param (osc2Flt2).getBool())
        r.both (oscMix, std::min (r.param (oscMix).getEngineValue() + 0.2f, 0.9f));

    const bool oldExpWave = r.integer ("lfoType", 0) == 3 || r.integer ("lfo2Type", 0) == 3;
    patch.modernLfoWaves = ! (oldExpWave && v < 3.0f);
}

juce::String joinInts (const std::vector<int>& values)
{
    juce::StringArray parts;
    for (int x : values)
        parts.add (juce::String (x));
    return parts.joinIntoString (",");
}
} // namespace

std::unique_ptr<juce::XmlElement> buildPresetDictionary (const VexmoorPatch& patch)
{
    const auto a = [&patch] (int n) { return patch.param (n).getEngineValue(); };
    const auto i = [&patch] (int n) { return patch.param (n).getInt(); };

    auto d = plistNewDict();
    auto* x = d.get();
    plistAddReal ("revPredelay", x, a (reverbPre));
    plistAddReal ("revSize", x, a (reverbSize));
    plistAddReal ("revDry", x, a (reverbDryWet));
    plistAddReal ("revHCut", x, a (reverbHighCut));
    plistAddReal ("revLCut", x, a (reverbLowCut));
    plistAddReal ("revHDamp", x, a (reverbHighDamp));
    plistAddBool ("revOn", x, i (reverbOn) != 0);
    plistAddBool ("osc1Multi", x, i (multiOsc1) != 0);
    plistAddBool ("osc2Multi", x, i (multiOsc2) != 0);
    plistAddReal ("multiSpread", x, a (multiSpread));
    plistAddReal ("multiDetune", x, a (multiDetune));
    plistAddReal ("multiMix", x, a (multiMix));
    plistAddInteger ("filterEnvType", i (fltEnvSlope), x);
    // The tracking switches as they play (On only at the top of their range), so
    // that the reader's "above a half" gives them back unchanged.
    plistAddReal ("fltTrackingAmount", x, i (flt1Track) != 0 ? 1.0f : 0.0f);
    plistAddReal ("fltTrackingAmount2", x, i (flt2Track) != 0 ? 1.0f : 0.0f);
    plistAddReal ("initialMod", x, patch.initialMod.load());
    plistAddBool ("morphFx", x, i (fxMorph) != 0);
    plistAddInteger ("osc1Type", i (osc1Type), x);
    plistAddInteger ("osc2Type", i (osc2Type), x);
    plistAddInteger ("osc2Octave", i (osc2Octave), x);
    plistAddInteger ("osc2Semi", i (osc2Semi), x);
    // Also in "paramsA": written as that list will restore them, so a sound
    // saved, reloaded and saved again gives the same text.
    plistAddReal ("osc1pmw", x, asListed (a (osc1MixPwm)));
    plistAddReal ("osc2pmw", x, asListed (a (osc2MixPwm)));
    plistAddInteger ("filterType", i (flt1Type), x);
    plistAddInteger ("lfoType", i (lfo1Wave), x);
    plistAddInteger ("lfoTarget", i (lfo1Target), x);
    plistAddBool ("lfoSync", x, i (lfo1Sync) != 0);
    plistAddInteger ("lfoTriggerType", i (lfo1Trig), x);
    plistAddInteger ("lfo2Type", i (lfo2Wave), x);
    plistAddInteger ("lfo2Target", i (lfo2Target), x);
    plistAddBool ("lfo2Sync", x, i (lfo2Sync) != 0);
    plistAddInteger ("lfo2TriggerType", i (lfo2Trig), x);
    plistAddInteger ("filterDbType", i (flt1Is24dB), x);
    plistAddReal ("amp", x, a (amp));
    plistAddInteger ("filter2Type", i (flt2Type), x);
    plistAddBool ("filterSerial", x, i (fltRouting) <= 0);
    plistAddBool ("isChord", x, patch.isChord);
    plistAddBool ("fxDelaySync", x, i (delaySync) != 0);
    plistAddBool ("fxDelayCross", x, i (delayCross) != 0);
    plistAddReal ("fxDelayTapL", x, a (fxLeftTaps));
    plistAddReal ("fxDelayTapR", x, a (fxRightTaps));
    plistAddBool ("invertOsc", x, patch.invertOsc);
    plistAddReal ("fss", x, a (fltStereoSpread));
    plistAddReal ("midiVelToVolume", x, a (velToVolume));
    plistAddReal ("midiVelToFlt1", x, a (velToFlt1));
    plistAddReal ("midiVelToFlt2", x, a (velToFlt2));
    plistAddString ("name", patch.name, x);
    plistAddElement ("arp", x, patch.arpPattern.toDictionary());
    plistAddInteger ("playMode", i (playbackMode), x);
    plistAddInteger ("pitchRange", (int) ((double) a (pitchBendRange) * 11.0 + 1.0), x);
    plistAddReal ("glideTime", x, a (glideSpeed));
    plistAddBool ("oscSync", x, i (osc2Sync) != 0);
    plistAddBool ("osc2flt2", x, i (osc2Flt2) != 0);
    plistAddInteger ("fx1Type", i (fxType), x);

    juce::StringArray listA, listB;
    for (int n = 0; n < kNumMorphStored; ++n)
    {
        const auto& p = patch.param (n);
        listA.add (formatFixed6 ((double) p.getEngineValue()));
        listB.add (formatFixed6 ((double) p.getMapper().toEngine (p.getValueB())));
    }
    plistAddString ("paramsA", listA.joinIntoString (","), x);
    plistAddString ("paramsB", listB.joinIntoString (","), x);

    std::vector<int> tags;
    for (int t = 0; t < kNumTags; ++t)
        if (patch.tagFlags[(size_t) t])
            tags.push_back (t);
    plistAddString ("tags", joinInts (tags), x);
    plistAddString ("chord", joinInts (patch.chordNotes), x);
    plistAddReal ("appVersion", x, kAppVersion);
    return d;
}

void applyPresetDictionary (VexmoorPatch& patch, const juce::XmlElement* dict)
{
    if (dict == nullptr)
        return;
    Reader r (patch, dict);

    const int osc1 = r.integer ("osc1Type", -1);
    if (osc1 == -1)
        return; // not a preset
    const float v = r.real ("appVersion", 0.0f);

    r.setBool (fxMorph, r.boolean ("morphFx", true));
    r.boolFromKey (osc2Flt2, "osc2flt2");

    r.setInt (osc1Type, osc1);
    const int osc2 = r.integer ("osc2Type", 0);
    r.setInt (osc2Type, osc2 == 7 ? 0 : osc2);
    r.intFromKey (osc2Octave, "osc2Octave");
    r.intFromKey (osc2Semi, "osc2Semi");

    const int range = r.integer ("pitchRange", 0);
    r.setPitchRange (range == 0 ? 2 : range);

    r.bothFromKey (fltStereoSpread, "fss");
    r.bothFromKey (glideSpeed, "glideTime");
    r.boolFromKey (osc2Sync, "oscSync");

    patch.name = plistGetString ("name", {}, dict);

    r.intFromKey (flt1Type, "filterType");
    r.intFromKey (lfo1Wave, "lfoType");
    r.intFromKey (lfo1Target, "lfoTarget");
    r.boolFromKey (lfo1Sync, "lfoSync");
    r.intFromKey (lfo1Trig, "lfoTriggerType");
    r.intFromKey (lfo2Wave, "lfo2Type");
    r.intFromKey (lfo2Target, "lfo2Target");
    r.boolFromKey (lfo2Sync, "lfo2Sync");
    r.intFromKey (lfo2Trig, "lfo2TriggerType");

    r.boolFromKey (delaySync, "fxDelaySync");
    r.boolFromKey (delayCross, "fxDelayCross");
    r.setTaps (fxLeftTaps, "fxDelayTapL", 3);
    r.setTaps (fxRightTaps, "fxDelayTapR", 4);

    patch.invertOsc = r.boolean ("invertOsc", false);
    r.intFromKey (flt1Is24dB, "filterDbType");
    r.bothFromKey (amp, "amp");
    r.intFromKey (flt2Type, "filter2Type");
    r.setInt (fltRouting, r.boolean ("filterSerial", false) ? 0 : 1);

    // A preset without a pattern plays the default one, not whatever the
    // previous sound had.
    if (auto* arp = plistFindValue ("arp", dict))
        patch.arpPattern.readDictionary (arp);
    else
        patch.arpPattern.resetToDefault();

    r.intFromKey (playbackMode, "playMode");
    r.bothFromKey (velToVolume, "midiVelToVolume");
    r.bothFromKey (velToFlt1, "midiVelToFlt1");
    r.bothFromKey (velToFlt2, "midiVelToFlt2");
    // The wheel position lives in 0..1.
    patch.initialMod = juce::jlimit (0.0f, 1.0f, r.real ("initialMod", 0.0f));

    patch.chordNotes.clear();
    const auto chord = plistGetString ("chord", {}, dict);
    if (chord.isNotEmpty())
    {
        juce::StringArray pieces;
        pieces.addTokens (chord, ",", {});
        for (const auto& piece : pieces)
            if (patch.chordNotes.size() < kMaxChordNotes)
                patch.chordNotes.push_back (juce::jlimit (-kMaxChordInterval, kMaxChordInterval, pieceToInt (piece)));
    }
    patch.isChord = r.boolean ("isChord", ! patch.chordNotes.empty());

    patch.tagFlags.fill (false);
    const auto tags = plistGetString ("tags", {}, dict);
    if (tags.isNotEmpty())
    {
        juce::StringArray pieces;
        pieces.addTokens (tags, ",", {});
        for (const auto& piece : pieces)
        {
            const int t = pieceToInt (piece);
            if (t >= 0 && t < kNumTags) // the sound has twelve tag slots
                patch.tagFlags[(size_t) t] = true;
        }
    }

    const auto listA = plistGetString ("paramsA", {}, dict);
    if (listA.isNotEmpty())
    {
        r.setList (listA, false);
        r.setList (plistGetString ("paramsB", {}, dict), true);
    }
    else
        readLegacyParameters (r);

    upgrade (r, v);
}
