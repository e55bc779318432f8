// Hosts automate parameters while notes play, and read texts at any time.

#include "HostWorkload.h"
#include "PluginFixture.h"
#include "Vst2Effect.h"

#include <map>
#include <random>
#include <regex>

using Format = PluginLoader::Format;

namespace
{
class AutomationTest : public PluginFixture
{
protected:
    std::mt19937 random { 1234 };

    /** The number of choices of a choice parameter, 0 for a continuous one
        (not every format tells its host). */
    static int numSteps (int index)
    {
        static const std::map<int, int> choices = {
            { 39, 3 },  { 41, 2 },  { 42, 2 },  { 43, 2 }, { 44, 17 }, { 45, 2 }, { 46, 17 }, { 47, 2 },
            { 48, 2 },  { 49, 18 }, { 50, 17 }, { 51, 6 }, { 52, 6 },  { 53, 3 }, { 54, 3 },  { 55, 2 },
            { 56, 2 },  { 58, 5 },  { 59, 2 },  { 60, 2 }, { 68, 2 },  { 69, 2 }, { 73, 2 },  { 80, 4 },
            { 81, 4 },  { 82, 2 },  { 83, 2 },  { 85, 2 }, { 86, 3 },
        };
        const auto it = choices.find (index);
        return it != choices.end() ? it->second : 0;
    }
    static bool isChoice (int index) { return numSteps (index) > 0; }

    /** Sets a value as a host of this format can: VST2 may send any float. */
    void set (int index, float value)
    {
        if (format() == Format::vst2)
            Vst2Effect (*plugin).setParameter (index, value);
        else
            param (index)->setValueNotifyingHost (juce::jlimit (0.0f, 1.0f, value));
    }

    float get (int index)
    {
        return format() == Format::vst2 ? Vst2Effect (*plugin).getParameter (index) : param (index)->getValue();
    }

    juce::String currentText (int index)
    {
        if (format() == Format::vst2)
            return Vst2Effect (*plugin).parameterText (index);
        return param (index)->getCurrentValueAsText();
    }
};

/** The forms of the display texts: the choices' labels, and for continuous
    parameters the name and value, or the parameter's own format. */
struct TextForm
{
    int index;
    const char* pattern;
    const char* prefix; // what a 24-character VST2 text still starts with
};

const TextForm kSpecialForms[] = {
    { 4, R"(Osc MIX: \d{2,3}/\d{2,3} )", "Osc MIX: " },
    { 6, R"(Filter 1 cutoff:\d+\.\d\d Hz )", "Filter 1 cutoff:" },
    { 32, R"(Osc/noise: \d{2,3}/\d{2,3})", "Osc/noise: " },
    { 40, R"(Osc2 semi: -?\d+ )", "Osc2 semi: " },
    { 61, R"(Pitch bend range: \d+ semi)", "Pitch bend range: " },
    { 70, R"(Multi detune: \d{2,3} %)", "Multi detune: " },
    { 71, R"(Multi spread: \d{2} semi)", "Multi spread: " },
    { 72, R"(Side/o: \d{2,3}/\d{2,3})", "Side/o: " },
};

std::string escaped (const juce::String& text)
{
    return std::regex_replace (text.toStdString(), std::regex (R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}
} // namespace

TEST_P (AutomationTest, RandomAutomationEvery32SamplesStaysCleanAndBounded)
{
    constexpr int kBlock = 32;
    plugin->prepareToPlay (44100.0, kBlock);
    juce::AudioBuffer<float> buffer (2, kBlock);
    juce::MidiBuffer midi;

    // Every choice of every choice parameter in turn, and up to ten random
    // parameters besides, each block.
    std::vector<std::pair<int, float>> choiceSweep;
    for (int i = 0; i < 87; ++i)
        if (isChoice (i))
            for (int c = 0; c < numSteps (i); ++c)
                choiceSweep.emplace_back (i, (float) c / (float) (numSteps (i) - 1));

    std::uniform_int_distribution<int> anyParam (0, 86), howMany (0, 10);
    std::uniform_real_distribution<float> anyValue (0.0f, 1.0f);
    const int blocks = std::max<int> ((int) choiceSweep.size() * 4, 44100 / kBlock);
    for (int b = 0; b < blocks; ++b)
    {
        if (b % 4 == 0 && b / 4 < (int) choiceSweep.size())
            set (choiceSweep[(size_t) (b / 4)].first, choiceSweep[(size_t) (b / 4)].second);
        for (int k = howMany (random); k > 0; --k)
            set (anyParam (random), anyValue (random));

        midi.clear();
        HostWorkload::addEvents (midi, (juce::int64) b * kBlock, kBlock);
        HostWorkload::poison (buffer);
        plugin->processBlock (buffer, midi);
        const auto problem = HostWorkload::checkBlock (buffer, kBlock);
        ASSERT_TRUE (problem.empty()) << problem << " in block " << b;
        ASSERT_LE (buffer.getMagnitude (0, kBlock), 1.0f); // both channels
    }
}

TEST_P (AutomationTest, AnyValueIsClampedAndShowsADocumentedText)
{
    std::uniform_real_distribution<float> wild (-1.0f, 2.0f);
    for (int i = 0; i < 87; ++i)
    {
        // JUCE's VST2 host trims names; the raw call keeps their trailing blanks.
        const auto name = format() == Format::vst2 ? Vst2Effect (*plugin).parameterName (i) : param (i)->getName (1024);
        std::vector<juce::String> labels;
        if (isChoice (i))
            for (int c = 0; c < numSteps (i); ++c)
                labels.push_back (textAt (i, (float) c / (float) (numSteps (i) - 1)));

        const TextForm* special = nullptr;
        for (const auto& form : kSpecialForms)
            if (form.index == i)
                special = &form;
        const std::regex form (special != nullptr ? std::string (special->pattern)
                                                  : escaped (name) + R"(: -?\d+\.\d\d)");
        const juce::String prefix = special != nullptr ? juce::String (special->prefix) : name + ": ";

        for (int k = 0; k < 25; ++k)
        {
            const float v = k < 2 ? (float) k * 3.0f - 1.0f : wild (random); // -1 and 2 first
            set (i, v);
            const float got = get (i);
            ASSERT_GE (got, 0.0f) << i;
            ASSERT_LE (got, 1.0f) << i;
            if (format() == Format::lv2)
                continue; // LV2 hosts show their own numbers for continuous values

            const auto text = currentText (i);
            ASSERT_NE (text, "WRONG!") << i << " at " << got;
            if (! labels.empty())
            {
                EXPECT_NE (std::find (labels.begin(), labels.end(), text), labels.end()) << i << ": " << text;
                continue;
            }
            if (format() == Format::vst2 && text.length() == 24)
                EXPECT_TRUE (text.startsWith (prefix)) << i << ": " << text;
            else
                EXPECT_TRUE (std::regex_match (text.toStdString(), form)) << i << ": '" << text << "'";
        }
    }
}

INSTANTIATE_TEST_SUITE_P (Formats, AutomationTest,
                          ::testing::Values (Format::vst2, Format::vst3, Format::lv2), formatTestName);
