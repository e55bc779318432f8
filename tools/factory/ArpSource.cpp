#include "ArpSource.h"

#include "SourceLines.h"

#include <set>

namespace
{
const char* const kModes[] = { "rest", "repeat", "first", "last", "down", "up" };
const char* const kDivisions[] = { "", "1/32", "1/16", "1/16 dotted", "1/8" };
constexpr int kMaxVoices = 5;
constexpr int kMaxTranspose = 12;

bool onOff (const SourceLines::Line& line, bool& flag, juce::String& error)
{
    if (line.value.equalsIgnoreCase ("on") || line.value.equalsIgnoreCase ("off"))
    {
        flag = line.value.equalsIgnoreCase ("on");
        return true;
    }
    error = SourceLines::at (line, "\"" + line.key + "\" is on or off, not \"" + line.value + "\"");
    return false;
}

bool parseStep (const SourceLines::Line& line, ArpStep& step, juce::String& error)
{
    juce::StringArray words;
    words.addTokens (line.value, " \t", {});
    words.removeEmptyStrings();
    auto fail = [&] (const juce::String& why) {
        error = SourceLines::at (line, why);
        return false;
    };
    if (words.isEmpty())
        return fail ("a step needs its mode");

    step = ArpStep {};
    step.mode = -1;
    for (int m = 0; m < 6; ++m)
        if (words[0].equalsIgnoreCase (kModes[m]))
            step.mode = m;
    if (step.mode < 0)
        return fail ("\"" + words[0] + "\" is not a step mode (rest, repeat, first, last, down, up)");

    for (int w = 1; w < words.size(); ++w)
    {
        const auto& word = words[w];
        if (word.equalsIgnoreCase ("hold"))
            step.hold = true;
        else if (word.equalsIgnoreCase ("glide"))
            step.glide = true;
        else if ((word.startsWithChar ('x') || word.startsWithChar ('X')) && word.length() > 1
                 && word.substring (1).containsOnly ("0123456789"))
        {
            step.voices = word.substring (1).getIntValue();
            if (step.voices < 1 || step.voices > kMaxVoices)
                return fail ("a step plays 1 to 5 keys at once, not " + word.substring (1));
        }
        else if ((word.startsWithChar ('+') || word.startsWithChar ('-')) && word.length() > 1
                 && word.substring (1).containsOnly ("0123456789"))
        {
            step.transpose = word.getIntValue();
            if (std::abs (step.transpose) > kMaxTranspose)
                return fail ("a step transposes by -12 to +12 semitones, not " + word);
        }
        else
            return fail ("\"" + word + "\" is not part of a step (xN, +N, -N, hold, glide)");
    }
    return true;
}
} // namespace

bool ArpSource::compile (const juce::String& text, ArpPattern& pattern, juce::String& error)
{
    SourceLines source;
    if (! source.parse (text, error))
        return false;

    ArpPattern read;
    read.steps.clear();
    read.name.clear();
    std::set<juce::String> seen;
    for (const auto& line : source.lines())
    {
        const auto key = line.key.toLowerCase();
        if (key != "step" && ! seen.insert (key).second)
        {
            error = SourceLines::at (line, "\"" + line.key + "\" is given twice");
            return false;
        }
        if (key == "name")
            read.name = line.value.toStdString();
        else if (key == "division")
        {
            read.timeDivision = 0;
            for (int d = 1; d <= 4; ++d)
                if (line.value.equalsIgnoreCase (kDivisions[d]))
                    read.timeDivision = d;
            if (read.timeDivision == 0)
            {
                error = SourceLines::at (line, "the division is 1/32, 1/16, 1/16 dotted or 1/8, not \"" + line.value + "\"");
                return false;
            }
        }
        else if (key == "sort")
        {
            if (! onOff (line, read.sortFingers, error))
                return false;
        }
        else if (key == "continuous")
        {
            if (! onOff (line, read.continuous, error))
                return false;
        }
        else if (key == "random")
        {
            if (! onOff (line, read.random, error))
                return false;
        }
        else if (key == "step")
        {
            ArpStep step;
            if (! parseStep (line, step, error))
                return false;
            read.steps.push_back (std::make_unique<ArpStep> (step));
        }
        else
        {
            error = SourceLines::at (line, "unknown key \"" + line.key
                                               + "\" (name, division, sort, continuous, random, step)");
            return false;
        }
    }
    if (read.name.empty())
        error = "the pattern has no name";
    else if (read.steps.empty())
        error = "the pattern has no steps";
    if (error.isNotEmpty())
        return false;

    // Through the pattern's own dictionary, so the result is what the plug-in reads.
    pattern.readDictionary (read.toDictionary().get());
    return true;
}

juce::String ArpSource::describe (const ArpPattern& pattern)
{
    juce::StringArray out;
    out.add ("name = " + juce::String (pattern.name));
    const int d = pattern.timeDivision;
    out.add ("division = " + juce::String (d >= 1 && d <= 4 ? kDivisions[d] : "1/16"));
    out.add (juce::String ("sort = ") + (pattern.sortFingers ? "on" : "off"));
    out.add (juce::String ("continuous = ") + (pattern.continuous ? "on" : "off"));
    out.add (juce::String ("random = ") + (pattern.random ? "on" : "off"));
    for (const auto& s : pattern.steps)
    {
        auto step = juce::String ("step = ") + (s->mode >= 0 && s->mode < 6 ? kModes[s->mode] : "rest");
        if (s->voices != 1)
            step << " x" << s->voices;
        if (s->transpose != 0)
            step << (s->transpose > 0 ? " +" : " ") << s->transpose;
        if (s->hold)
            step << " hold";
        if (s->glide)
            step << " glide";
        out.add (step);
    }
    return out.joinIntoString ("\n") + "\n";
}
