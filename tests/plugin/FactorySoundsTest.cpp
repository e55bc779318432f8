// Every factory sound of every bank, loaded from the banks the build compiles
// into the plug-in as a host loads a sound, played on a short phrase: a few
// notes and a chord (a held chord for the arpeggios) with the morph wheel
// moved part-way. Each must be audible, finite and below full scale, and no two
// may sound alike.

#include "HostState.h"
#include "PluginFixture.h"
#include "PresetFinder.h"
#include "SignalAnalysis.h"
#include "TransportPlayHead.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace
{
constexpr double kRate = 44100.0;
constexpr int kBlock = 512;
constexpr double kSeconds = 1.25;
constexpr double kBpm = 120.0;
constexpr int kWheel = 77; // controller 1: the wheel about 60 % of the way to group B

struct FactorySound
{
    juce::String bank, name;
    bool arp = false;
    bool chord = false;
    bool morphs = false;
};

juce::String stringAfterKey (const juce::XmlElement& dict, const juce::String& key)
{
    for (auto* child = dict.getFirstChildElement(); child != nullptr; child = child->getNextElement())
        if (child->hasTagName ("key") && child->getAllSubText() == key)
            if (auto* value = child->getNextElement())
                return value->getAllSubText();
    return {};
}

std::vector<FactorySound> factorySounds()
{
    std::vector<FactorySound> sounds;
    const juce::File folder (QUORVANE_FACTORY_BANKS);
    auto files = folder.findChildFiles (juce::File::findFiles, false, "*.qvb");
    std::sort (files.begin(), files.end());
    for (const auto& file : files)
    {
        const auto root = juce::XmlDocument::parse (file);
        const auto* list = root != nullptr ? root->getFirstChildElement() : nullptr;
        for (auto* dict = list != nullptr ? list->getFirstChildElement() : nullptr; dict != nullptr;
             dict = dict->getNextElement())
            sounds.push_back ({ file.getFileNameWithoutExtension(), stringAfterKey (*dict, "name"),
                                stringAfterKey (*dict, "playMode") == "2", stringAfterKey (*dict, "chord").isNotEmpty(),
                                stringAfterKey (*dict, "paramsA") != stringAfterKey (*dict, "paramsB") });
    }
    return sounds;
}

/** The phrase, as (seconds, message): a little line and a chord for the
    played sounds; for the arpeggios a chord held for a dozen sixteenths; for
    the chord sounds, whose one key plays a chord, the line and one held key.
    The first blocks stay silent so the sound has settled after loading. */
std::vector<std::pair<double, juce::MidiMessage>> phrase (const FactorySound& sound)
{
    const bool arp = sound.arp;
    using M = juce::MidiMessage;
    std::vector<std::pair<double, M>> events;
    auto note = [&events] (double on, double off, int key) {
        events.push_back ({ on, M::noteOn (1, key, (juce::uint8) 100) });
        events.push_back ({ off, M::noteOff (1, key) });
    };
    const int chord[] = { 48, 52, 55, 59 };
    const double chordAt = arp ? 0.05 : 0.45;
    if (! arp)
    {
        note (0.05, 0.18, 60);
        note (0.2, 0.33, 64);
        note (0.35, 0.44, 67);
    }
    for (int key : chord)
        if (! sound.chord || key == chord[0])
            note (chordAt, 1.0, key);
    events.push_back ({ 0.45, M::controllerEvent (1, 1, kWheel) });
    std::stable_sort (events.begin(), events.end(), [] (const auto& a, const auto& b) { return a.first < b.first; });
    return events;
}

/** Energy per third-octave band from 40 Hz to 16 kHz, in dB: each band a
    fourth-order band-pass (two second-order sections) around its centre. */
std::vector<double> thirdOctaveBands (const std::vector<float>& x)
{
    std::vector<double> bands;
    for (double centre = 40.0; centre < 16500.0; centre *= std::pow (2.0, 1.0 / 3.0))
    {
        const double w = 2.0 * juce::MathConstants<double>::pi * centre / kRate;
        const double alpha = std::sin (w) * std::sinh (std::log (2.0) / 2.0 * (1.0 / 3.0) * w / std::sin (w));
        const double a0 = 1.0 + alpha;
        const double b0 = alpha / a0, a1 = -2.0 * std::cos (w) / a0, a2 = (1.0 - alpha) / a0;
        double s[2][4] = {};
        double energy = 0.0;
        for (float v : x)
        {
            double y = v;
            for (auto& h : s)
            {
                const double out = b0 * y - b0 * h[1] - a1 * h[2] - a2 * h[3];
                h[1] = h[0];
                h[0] = y;
                h[3] = h[2];
                h[2] = out;
                y = out;
            }
            energy += y * y;
        }
        bands.push_back (10.0 * std::log10 (energy / (double) x.size() + 1.0e-20));
    }
    return bands;
}

/** How different two band spectra are in shape, in dB: the RMS of their
    difference once the overall level is taken out. */
double spectralDistance (const std::vector<double>& a, const std::vector<double>& b)
{
    double mean = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        mean += a[i] - b[i];
    mean /= (double) a.size();
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::pow (a[i] - b[i] - mean, 2.0);
    return std::sqrt (sum / (double) a.size());
}

class FactorySoundsTest : public PluginFixture
{
protected:
    TransportPlayHead playHead;

    void SetUp() override
    {
        PluginFixture::SetUp();
        plugin->setPlayHead (&playHead);
        plugin->setNonRealtime (true);
        plugin->prepareToPlay (kRate, kBlock);
    }

    void TearDown() override
    {
        plugin->setPlayHead (nullptr);
        PluginFixture::TearDown();
    }

    bool load (const FactorySound& sound)
    {
        juce::String error;
        const auto chunk = PresetFinder (juce::File (QUORVANE_FACTORY_BANKS)).stateFor (sound.bank + "/" + sound.name, error);
        const auto state = chunk.isEmpty() ? juce::MemoryBlock() : HostState::wrap (format(), chunk, error);
        EXPECT_TRUE (error.isEmpty()) << error;
        if (state.isEmpty())
            return false;
        plugin->setStateInformation (state.getData(), (int) state.getSize());
        return true;
    }

    /** The phrase rendered in time with a playing host, both channels summed. */
    std::vector<float> play (const FactorySound& sound)
    {
        const auto events = phrase (sound);
        playHead.bpm = kBpm;
        playHead.playing = true;
        playHead.ppqPosition = 0.0;
        playHead.samplePosition = 0;
        std::vector<float> out;
        juce::AudioBuffer<float> buffer (2, kBlock);
        size_t next = 0;
        for (int start = 0; start < (int) (kSeconds * kRate); start += kBlock)
        {
            juce::MidiBuffer midi;
            for (; next < events.size() && events[next].first * kRate < start + kBlock; ++next)
                midi.addEvent (events[next].second, std::max (0, (int) (events[next].first * kRate) - start));
            buffer.clear();
            plugin->processBlock (buffer, midi);
            for (int i = 0; i < kBlock; ++i)
                out.push_back (0.5f * (buffer.getSample (0, i) + buffer.getSample (1, i)));
            playHead.advance (kBlock, kRate);
        }
        return out;
    }
};
} // namespace

TEST_P (FactorySoundsTest, EverySoundIsAudibleCleanAndUnlikeTheOthers)
{
    const auto sounds = factorySounds();
    ASSERT_GE (sounds.size(), 48u);

    std::vector<std::vector<double>> spectra;
    for (const auto& sound : sounds)
    {
        SCOPED_TRACE ((sound.bank + "/" + sound.name).toStdString());
        ASSERT_TRUE (load (sound));
        const auto out = play (sound);
        EXPECT_TRUE (std::all_of (out.begin(), out.end(), [] (float v) { return std::isfinite (v); }));
        // Comfortably below full scale on a four-note chord, and clearly audible.
        EXPECT_LT (SignalAnalysis::peak (out, 0, (int) out.size()), 0.9f);
        EXPECT_GT (juce::Decibels::gainToDecibels (SignalAnalysis::rms (out, 0, (int) out.size())), -40.0);
        spectra.push_back (thirdOctaveBands (out));
    }

    // A clear minimum distance between the band spectra of any two sounds.
    constexpr double kMinimumDistance = 2.0;
    for (size_t i = 0; i < sounds.size(); ++i)
        for (size_t j = i + 1; j < sounds.size(); ++j)
            EXPECT_GT (spectralDistance (spectra[i], spectra[j]), kMinimumDistance)
                << sounds[i].bank << "/" << sounds[i].name << " and " << sounds[j].bank << "/" << sounds[j].name
                << " sound alike";
}

TEST_P (FactorySoundsTest, MostSoundsMorphAndTheArpeggiosPlayInArpMode)
{
    const auto sounds = factorySounds();
    const auto morphing = std::count_if (sounds.begin(), sounds.end(), [] (const auto& s) { return s.morphs; });
    const auto arps = std::count_if (sounds.begin(), sounds.end(), [] (const auto& s) { return s.arp; });
    EXPECT_GT (morphing * 4, (long) sounds.size() * 3);
    EXPECT_GE (arps, 4);
}

INSTANTIATE_TEST_SUITE_P (Formats, FactorySoundsTest, ::testing::Values (PluginLoader::Format::vst3), formatTestName);
