#include "params/ParameterTable.h"

#include "params/ParamIndex.h"

#include <cmath>

float cutoffToHz (float u)
{
    const float exponent = (float) ((double) u * 9.28 + 5.0);
    return (float) std::pow (2.0, (double) exponent);
}

namespace
{
using Choices = std::vector<std::string>;

const Choices kOffOn { "Off", "On" };
const Choices kFilterTypes { "BYPASS", "LP", "HP", "BP", "NOTCH", "COMB", "FORMANT", "ALLPASS", "POWER LP", "POWER BP",
                             "WAVESHAPER", "RESONATOR", "RESAMPLER", "LP+RESAMPLE", "SHIFTER", "ANALOG LP12", "FORMANT2" };
const Choices kLfo2Targets { "NONE", "FLT 1+2 FREQ", "FLT 1 FREQ", "FLT 2 FREQ", "FLT 1+2 ENV", "FLT 1 ENV", "FLT 2 ENV",
                             "PITCH", "AMP", "OSC MIX", "PANNING", "OSC 1 PWM", "OSC 2 PWM/FM", "OSC 1 PITCH", "OSC 2 PITCH",
                             "R-MOD", "O/NOISE" };
const Choices kLfoWaves { "Sin", "Sqr", "SH", "Exp", "Tri", "Smth" };
const Choices kLfoTriggers { "1", "2", "Global" };
const Choices kOscTypes { "Supersaw", "Saw", "Pulse", "Sine-tri" };

Choices lfo1Targets()
{
    Choices c = kLfo2Targets;
    c.push_back ("LFO2 FREQ");
    return c;
}

enum class Map { identity, amp, exp, exp2, scalar };

struct MapperSpec
{
    Map kind = Map::identity;
    float a = 0.0f, b = 0.0f;
};

struct Row
{
    int index;
    const char* name;
    bool morphable;
    float defaultValue;
    bool bipolar;
    const Choices* choices; // null for continuous parameters
    MapperSpec mapper;
};

const MapperSpec kIdentity {};
MapperSpec exp (float lo, float hi) { return { Map::exp, lo, hi }; }
MapperSpec exp2 (float lo, float hi) { return { Map::exp2, lo, hi }; }
MapperSpec scalar (float scale, float offset) { return { Map::scalar, scale, offset }; }
const MapperSpec kAmp { Map::amp, 0.0f, 0.0f };

std::unique_ptr<KWParamValueMapper> makeMapper (const MapperSpec& m)
{
    switch (m.kind)
    {
        case Map::amp: return std::make_unique<KWParamAmpValueMapper>();
        case Map::exp: return std::make_unique<KWParamExpValueMapper> (m.a, m.b);
        case Map::exp2: return std::make_unique<KWParamExpValueMapper2> (m.a, m.b);
        case Map::scalar: return std::make_unique<KWParamScalarValueMapper> (m.a, m.b);
        case Map::identity: break;
    }
    return nullptr;
}

// Products are formed in double from the float value, then truncated.
int percent (double x) { return (int) (x * 100.0); }

KWParam::TextFunction specialText (int index)
{
    using namespace ParamIndex;
    switch (index)
    {
        case oscMix:
            return [] (float v, const KWParamValueMapper&) {
                const int a = percent (v);
                return formatParamText ("Osc MIX: %02d/%02d ", a, 100 - a);
            };
        case filter1Cutoff:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Filter 1 cutoff:%03.02f Hz ", (double) cutoffToHz (v));
            };
        case oscNoise:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Osc/noise: %02d/%02d", percent (v), percent (1.0 - (double) v));
            };
        case osc2Semi:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Osc2 semi: %d ", (int) (((double) v - 0.5) * 24.0));
            };
        case pitchBendRange:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Pitch bend range: %d semi", (int) ((double) v * 11.0 + 1.0));
            };
        case multiDetune:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Multi detune: %02d %%", percent (v));
            };
        case multiSpread:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Multi spread: %02d semi", (int) ((double) v * 12.0));
            };
        case multiMix:
            return [] (float v, const KWParamValueMapper&) {
                return formatParamText ("Side/o: %02d/%02d", percent (1.0 - (double) v), percent (v));
            };
        default:
            return {};
    }
}
} // namespace

std::vector<std::unique_ptr<KWParam>> buildParameterTable()
{
    const Choices lfo1TargetChoices = lfo1Targets();
    const Choices octaves { "0", "1", "2" };
    const Choices routing { "Ser", "Par" };
    const Choices fxTypes { "Type1", "Type2", "Type3", "Type4", "Type5" };
    const Choices slopes { "1", "2" };
    const Choices modes { "Poly", "Solo", "ARP" };
    const Choices* const offOn = &kOffOn;

    const Row rows[] = {
        { 0, "Osc 1 width", true, 0.0f, false, nullptr, kIdentity },
        { 1, "Osc 2 width", true, 0.0f, false, nullptr, kIdentity },
        { 2, "Osc 1 mix/pwm", true, 1.0f, false, nullptr, kIdentity },
        { 3, "Osc 2 mix/pwm", true, 1.0f, false, nullptr, kIdentity },
        { 4, "Osc mix", true, 0.5f, false, nullptr, kIdentity },
        { 5, "Osc rm", true, 0.0f, false, nullptr, kIdentity },
        { 6, "Filter 1 cutoff", true, 0.5f, false, nullptr, kIdentity },
        { 7, "Filter 1 resonance", true, 0.0f, false, nullptr, kIdentity },
        { 8, "Filter 1 env amount", true, 0.5f, true, nullptr, kIdentity },
        { 9, "Lfo 1 frequency", true, 0.0f, false, nullptr, kIdentity },
        { 10, "Lfo 1 amount", true, 0.5f, true, nullptr, kIdentity },
        { 11, "AMP env attack", true, 0.0f, false, nullptr, exp2 (0.0f, 5.0f) },
        { 12, "AMP env decay", true, 0.0f, false, nullptr, exp (0.0f, 5.0f) },
        { 13, "AMP env sustain", true, 1.0f, false, nullptr, kIdentity },
        { 14, "AMP env release", true, 0.0f, true, nullptr, exp2 (0.03f, 15.0f) },
        { 15, "Filter env attack", true, 0.0f, false, nullptr, exp (0.0f, 5.0f) },
        { 16, "Filter env decay", true, 0.0f, false, nullptr, exp (0.0f, 5.0f) },
        { 17, "Filter env sustain", true, 1.0f, false, nullptr, kIdentity },
        { 18, "Filter env release", true, 0.0f, false, nullptr, exp (0.01f, 5.0f) },
        { 19, "Effect control 1", true, 0.0f, false, nullptr, kIdentity },
        { 20, "Effect control 2", true, 0.0f, false, nullptr, kIdentity },
        { 21, "Delay feedback", true, 0.0f, false, nullptr, kIdentity },
        { 22, "Delay Mix", true, 0.0f, false, nullptr, kIdentity },
        { 23, "Osx 2 cents", false, 0.5f, true, nullptr, scalar (2.0f, -1.0f) },
        { 24, "Noise color", true, 0.5f, true, nullptr, kIdentity },
        { 25, "Fx split", true, 0.5f, true, nullptr, kIdentity },
        { 26, "Unused", false, 0.5f, true, nullptr, kIdentity },
        { 27, "Filter 2 cutoff", true, 0.5f, false, nullptr, kIdentity },
        { 28, "Filter 2 resonance", true, 0.0f, false, nullptr, kIdentity },
        { 29, "Filter 2 env amount", true, 0.5f, true, nullptr, kIdentity },
        { 30, "Lfo 2 frequency", true, 0.0f, false, nullptr, kIdentity },
        { 31, "Lfo 2 amount", true, 0.5f, true, nullptr, kIdentity },
        { 32, "Osc/Noise", true, 0.0f, false, nullptr, kIdentity },
        { 33, "Lfo 1 phase", true, 0.0f, false, nullptr, kIdentity },
        { 34, "Lfo 2 phase", true, 0.0f, false, nullptr, kIdentity },
        { 35, "Lfo 1 fadein", true, 0.0f, false, nullptr, scalar (10.0f, 0.0f) },
        { 36, "Lfo 2 fadein", true, 0.0f, false, nullptr, scalar (10.0f, 0.0f) },
        { 37, "Eq low", true, 0.5f, true, nullptr, kIdentity },
        { 38, "Eq high", true, 0.5f, true, nullptr, kIdentity },
        { 39, "Osc2 octave", false, 0.0f, false, &octaves, kIdentity },
        { 40, "Osc2 semi", false, 0.5f, false, nullptr, scalar (24.0f, -12.0f) },
        { 41, "Osc2 sync", false, 0.0f, false, offOn, kIdentity },
        { 42, "Osc2 flt2", false, 0.0f, false, offOn, kIdentity },
        { 43, "Mix invert?", false, 0.0f, false, offOn, kIdentity },
        { 44, "Flt1 type?", false, 0.0f, false, &kFilterTypes, kIdentity },
        { 45, "Flt1 24db", false, 0.0f, false, offOn, kIdentity },
        { 46, "Flt2 type?", false, 0.0f, false, &kFilterTypes, kIdentity },
        { 47, "Flt routing", false, 0.0f, false, &routing, kIdentity },
        { 48, "Flt track", false, 0.0f, false, offOn, kIdentity },
        { 49, "Lfo1 target", false, 0.0f, false, &lfo1TargetChoices, kIdentity },
        { 50, "Lfo2 target", false, 0.0f, false, &kLfo2Targets, kIdentity },
        { 51, "Lfo1 wave", false, 0.0f, false, &kLfoWaves, kIdentity },
        { 52, "Lfo2 wave", false, 0.0f, false, &kLfoWaves, kIdentity },
        { 53, "Lfo1 trig", false, 0.0f, false, &kLfoTriggers, kIdentity },
        { 54, "Lfo2 trig", false, 0.0f, false, &kLfoTriggers, kIdentity },
        { 55, "Lfo1 sync", false, 0.0f, false, offOn, kIdentity },
        { 56, "Lfo2 sync", false, 0.0f, false, offOn, kIdentity },
        { 57, "Amp", false, 0.6f, false, nullptr, kAmp },
        { 58, "Fx type", false, 0.0f, false, &fxTypes, kIdentity },
        { 59, "Delay sync", false, 0.0f, false, offOn, kIdentity },
        { 60, "Delay cross", false, 0.0f, false, offOn, kIdentity },
        { 61, "Env pitch range", false, 1.0f, false, nullptr, kIdentity },
        { 62, "Glide speed", false, 0.5f, false, nullptr, exp (0.0f, 1.0f) },
        { 63, "Midi vel to volume", false, 0.0f, false, nullptr, kIdentity },
        { 64, "Midi vel to flt1", false, 0.0f, false, nullptr, kIdentity },
        { 65, "Midi vel to flt2", false, 0.0f, false, nullptr, kIdentity },
        { 66, "FX L taps", false, 0.02f, false, nullptr, scalar (3.0f, 1.0f) },
        { 67, "FX R taps", false, 0.03f, false, nullptr, scalar (3.0f, 1.0f) },
        { 68, "Multi osc1", false, 0.0f, false, offOn, kIdentity },
        { 69, "Multi osc2", false, 0.0f, false, offOn, kIdentity },
        { 70, "Multi detune", false, 0.0f, false, nullptr, exp (0.0f, 0.01f) },
        { 71, "Multi spread", false, 0.0f, false, nullptr, scalar (12.0f, 0.0f) },
        { 72, "Multi mix", false, 0.0f, false, nullptr, kIdentity },
        { 73, "Reverb on", false, 0.0f, false, offOn, kIdentity },
        { 74, "Reverb pre", false, 0.1f, false, nullptr, kIdentity },
        { 75, "Reverb size", false, 0.6f, false, nullptr, kIdentity },
        { 76, "Reverb lcut", false, 0.401f, false, nullptr, kIdentity },
        { 77, "Reverb hcut", false, 0.4f, false, nullptr, kIdentity },
        { 78, "Reverb hdamp", false, 0.97f, false, nullptr, kIdentity },
        { 79, "Reverb dry/wet", false, 0.0f, false, nullptr, kIdentity },
        { 80, "Osc1 type", false, 0.33333334f, false, &kOscTypes, kIdentity },
        { 81, "Osc2 type", false, 0.33333334f, false, &kOscTypes, kIdentity },
        { 82, "Flt2 track ", false, 0.0f, false, offOn, kIdentity },
        { 83, "FX morph ", false, 1.0f, false, offOn, kIdentity },
        { 84, "FLT stereo spread ", false, 0.0f, false, nullptr, kIdentity },
        { 85, "Flt env slope", false, 0.0f, false, &slopes, kIdentity },
        { 86, "Playback mode", false, 0.0f, false, &modes, kIdentity },
    };
    static_assert (sizeof (rows) / sizeof (rows[0]) == ParamIndex::kNumParams);

    std::vector<std::unique_ptr<KWParam>> params;
    params.reserve (ParamIndex::kNumParams);
    for (const Row& row : rows)
    {
        jassert (row.index == (int) params.size());
        auto param = row.choices != nullptr
                         ? std::make_unique<KWParam> (row.index, row.name, row.defaultValue, *row.choices)
                         : std::make_unique<KWParam> (row.index, row.name, row.defaultValue, row.morphable, row.bipolar);
        if (auto mapper = makeMapper (row.mapper))
            param->setMapper (std::move (mapper));
        if (auto text = specialText (row.index))
            param->setTextFunction (std::move (text));
        params.push_back (std::move (param));
    }
    return params;
}
