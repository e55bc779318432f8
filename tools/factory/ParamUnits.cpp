#include "ParamUnits.h"

#include "params/ParamIndex.h"
#include "params/ParameterTable.h"

#include <cmath>

namespace
{
using namespace ParamIndex;

enum class Unit { knob, seconds, cutoff, lfoRate, semitones, cents, detune, level, eqGain, taps };

Unit unitOf (int index)
{
    switch (index)
    {
        case ampAttack: case ampDecay: case ampRelease:
        case filterEnvAttack: case filterEnvDecay: case filterEnvRelease:
        case lfo1FadeIn: case lfo2FadeIn:
            return Unit::seconds;
        case filter1Cutoff: case filter2Cutoff: return Unit::cutoff;
        case lfo1Frequency: case lfo2Frequency: return Unit::lfoRate;
        case osc2Semi: case multiSpread: return Unit::semitones;
        case osc2Cents: return Unit::cents;
        case multiDetune: return Unit::detune;
        case amp: return Unit::level;
        case eqLow: case eqHigh: return Unit::eqGain;
        case fxLeftTaps: case fxRightTaps: return Unit::taps;
        default: return Unit::knob;
    }
}

// The voice's rate law for the LFO knobs: 0.005 .. 20 Hz.
double lfoRateHz (double knob) { return (std::pow (10.0, knob) - 1.0) / 9.0 * 19.9950008392334 + 0.004999999888241291; }
double lfoKnob (double hz) { return std::log10 ((hz - 0.004999999888241291) / 19.9950008392334 * 9.0 + 1.0); }

// The oscillator 2 fine tune: ratio 1 + 0.05945651 * e, e = -1 .. 1.
constexpr double kCentsStep = 0.05945651;

juce::String trimmedNumber (double x, int decimals)
{
    // juce::String (x, 0) would print every significant digit.
    auto text = decimals > 0 ? juce::String (x, decimals) : juce::String (juce::roundToInt (x));
    if (text.containsChar ('.'))
        text = text.trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
    return text == "-0" ? juce::String ("0") : text;
}

/** The knob position whose integer form is exactly the whole number wanted:
    the engine truncates, so a value a float step short would play one less. */
float wholeEngineValue (const KWParam& param, int wanted)
{
    float v = param.getMapper().fromEngine ((float) wanted);
    for (int i = 0; i < 64 && (int) param.getMapper().toEngine (v) != wanted; ++i)
        v = std::nextafter (v, wanted >= 0 ? 2.0f : -1.0f);
    return v;
}
} // namespace

juce::StringArray ParamUnits::unitsOf (const KWParam& param)
{
    if (! param.getChoices().empty())
    {
        juce::StringArray labels;
        for (const auto& c : param.getChoices())
            labels.add ("\"" + juce::String (c) + "\"");
        return labels;
    }
    switch (unitOf (param.getIndex()))
    {
        case Unit::seconds: return { "s", "ms" };
        case Unit::cutoff: case Unit::lfoRate: return { "Hz", "kHz" };
        case Unit::semitones: return { "st" };
        case Unit::cents: case Unit::detune: return { "ct" };
        case Unit::level: case Unit::eqGain: return { "dB" };
        case Unit::taps: return { "steps" };
        case Unit::knob: break;
    }
    return {};
}

bool ParamUnits::parse (const KWParam& param, const juce::String& text, float& normalised, juce::String& error)
{
    const auto t = text.trim();
    const auto& choices = param.getChoices();
    if (! choices.empty())
    {
        for (size_t i = 0; i < choices.size(); ++i)
            if (t.equalsIgnoreCase (juce::String (choices[i]).trim()))
            {
                normalised = param.getMapper().fromInt ((int) i, (int) choices.size());
                return true;
            }
        error = "\"" + t + "\" is not a choice of \"" + param.getParamName() + "\" (use "
                + unitsOf (param).joinIntoString (", ") + ")";
        return false;
    }

    const auto numberText = t.initialSectionContainingOnly ("0123456789.-+eE");
    const auto unit = t.substring (numberText.length()).trim();
    if (numberText.isEmpty() || numberText == "-" || numberText == "+")
    {
        error = "\"" + t + "\" is not a number";
        return false;
    }
    const double x = numberText.getDoubleValue();
    const auto& mapper = param.getMapper();
    const auto kind = unitOf (param.getIndex());
    auto unitIs = [&unit] (const char* u) { return unit.equalsIgnoreCase (u); };

    double v = x;
    if (unit.isEmpty())
        v = x; // the knob position
    else if (kind == Unit::seconds && (unitIs ("s") || unitIs ("ms")))
        v = mapper.fromEngine ((float) (unitIs ("ms") ? x / 1000.0 : x));
    else if (kind == Unit::cutoff && (unitIs ("Hz") || unitIs ("kHz")))
        v = (std::log2 (unitIs ("kHz") ? x * 1000.0 : x) - 5.0) / 9.28;
    else if (kind == Unit::lfoRate && (unitIs ("Hz") || unitIs ("kHz")))
        v = lfoKnob (unitIs ("kHz") ? x * 1000.0 : x);
    else if (kind == Unit::semitones && unitIs ("st"))
    {
        if (x != std::floor (x))
        {
            error = "\"" + param.getParamName() + "\" takes whole semitones";
            return false;
        }
        v = wholeEngineValue (param, (int) x);
    }
    else if (kind == Unit::cents && unitIs ("ct"))
        v = mapper.fromEngine ((float) ((std::pow (2.0, x / 1200.0) - 1.0) / kCentsStep));
    else if (kind == Unit::detune && unitIs ("ct"))
        v = mapper.fromEngine ((float) (std::pow (2.0, x / 1200.0) - 1.0));
    else if (kind == Unit::level && unitIs ("dB"))
        v = mapper.fromEngine ((float) std::pow (10.0, x / 20.0));
    else if (kind == Unit::eqGain && unitIs ("dB"))
        v = std::sqrt (std::pow (10.0, x / 20.0) / 4.0); // band gain = 4 * knob^2
    else if (kind == Unit::taps && unitIs ("steps"))
        v = mapper.fromEngine ((float) x);
    else
    {
        const auto units = unitsOf (param);
        error = "\"" + param.getParamName() + "\" takes a knob position 0..1"
                + (units.isEmpty() ? juce::String() : " or a value in " + units.joinIntoString (" or "))
                + ", not \"" + t + "\"";
        return false;
    }

    // A value computed at the very end of the range may land a rounding step outside it.
    constexpr double kSlack = 1.0e-6;
    if (! std::isfinite (v) || v < -kSlack || v > 1.0 + kSlack)
    {
        error = "\"" + t + "\" is outside the range of \"" + param.getParamName() + "\" ("
                + format (param, 0.0f) + " .. " + format (param, 1.0f) + ")";
        return false;
    }
    normalised = juce::jlimit (0.0f, 1.0f, (float) v);
    return true;
}

juce::String ParamUnits::format (const KWParam& param, float normalised)
{
    const auto& choices = param.getChoices();
    if (! choices.empty())
    {
        const int i = juce::jlimit (0, (int) choices.size() - 1, param.getMapper().toInt (normalised, (int) choices.size()));
        return juce::String (choices[(size_t) i]).trim();
    }
    const double e = param.getMapper().toEngine (normalised);
    switch (unitOf (param.getIndex()))
    {
        case Unit::seconds:
            return e < 1.0 ? trimmedNumber (e * 1000.0, 1) + " ms" : trimmedNumber (e, 3) + " s";
        case Unit::cutoff:
        {
            const double hz = cutoffToHz (normalised);
            return hz < 1000.0 ? trimmedNumber (hz, 0) + " Hz" : trimmedNumber (hz / 1000.0, 2) + " kHz";
        }
        case Unit::lfoRate: return trimmedNumber (lfoRateHz (normalised), 3) + " Hz";
        case Unit::semitones: return juce::String ((int) param.getMapper().toEngine (normalised)) + " st";
        case Unit::cents: return trimmedNumber (1200.0 * std::log2 (1.0 + kCentsStep * e), 1) + " ct";
        case Unit::detune: return trimmedNumber (1200.0 * std::log2 (1.0 + e), 2) + " ct";
        case Unit::level: return trimmedNumber (20.0 * std::log10 (std::max (e, 1.0e-9)), 1) + " dB";
        case Unit::eqGain:
            return normalised > 0.0f ? trimmedNumber (20.0 * std::log10 (4.0 * normalised * normalised), 1) + " dB"
                                     : juce::String ("0");
        case Unit::taps: return trimmedNumber (e, 3) + " steps";
        case Unit::knob: break;
    }
    return trimmedNumber (normalised, 4);
}
