// peer_bench: renders the same deterministic workloads through Quorvane (LV2 and
// VST3 from the build tree) and two Debian-packaged LV2 synthesizers, synthv1 and
// ZynAddSubFX, in one host, and prints realtime factors, per-block times, heap
// allocations on the audio thread and Quorvane's ratios to the peers.
//
//   build/release/bench/peers/peer_bench [--seconds 60] [--repeat 1] [--only TEXT]...
//                                        [--no-peers] [--wav FOLDER]

#include "RealtimeMonitor.h"
#include "PeerRunner.h"
#include "PeerSubject.h"
#include "PeerWorkload.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace
{
constexpr double kRate = 44100.0;
constexpr int kBlock = 256;

// What Quorvane has to reach.
constexpr double kTwoSawsOverZyn = 2.0;
constexpr double kTwoSawsOverSynthv1 = 5.0;
constexpr double kHeavyRealtime = 50.0;
constexpr double kMaxP99OverMedian = 3.0;

// The figures and the progress lines. The plug-ins' own chatter on the standard
// streams (ZynAddSubFX reports every message its absent editor misses) is
// discarded, so that the table stays readable.
FILE* report = stdout;
FILE* progress = stderr;

void silencePlugins()
{
    const int out = dup (STDOUT_FILENO), err = dup (STDERR_FILENO), null = open ("/dev/null", O_WRONLY);
    if (out < 0 || err < 0 || null < 0)
        return;
    std::fflush (stdout);
    std::fflush (stderr);
    report = fdopen (out, "w");
    progress = fdopen (err, "w");
    dup2 (null, STDOUT_FILENO);
    dup2 (null, STDERR_FILENO);
    close (null);
    setvbuf (report, nullptr, _IOLBF, 0);
    setvbuf (progress, nullptr, _IONBF, 0);
}

struct Options
{
    double seconds = 60.0;
    int repeat = 1;
    juce::StringArray only;
    bool peers = true;
    juce::File wavFolder;
    juce::File quorvaneLv2 { QUORVANE_LV2_BINARY };
    juce::File quorvaneVst3 { QUORVANE_VST3_BINARY };
    juce::File synthv1 { "/usr/lib/lv2/synthv1.lv2" };
    juce::File zyn { "/usr/lib/lv2/ZynAddSubFX.lv2" };
};

const char* kUsage = "usage: peer_bench [--seconds S] [--repeat N] [--only TEXT]... [--no-peers] [--wav FOLDER]\n"
                     "                  [--quorvane-lv2 BUNDLE] [--quorvane-vst3 BUNDLE]\n"
                     "                  [--synthv1 BUNDLE] [--zynaddsubfx BUNDLE]\n"
                     "  --seconds S      length of each workload (default 60)\n"
                     "  --repeat N       render each case N times and keep the fastest (default 1)\n"
                     "  --only TEXT      only the cases whose \"workload synth format sound\" contains TEXT\n"
                     "  --no-peers       Quorvane only\n"
                     "  --wav FOLDER     write every rendering there as a 32-bit float WAV file\n"
                     "  --quorvane-lv2, --quorvane-vst3 BUNDLE\n"
                     "                   another Quorvane build instead of this tree's (to compare two builds)\n";

bool parse (int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == "--seconds" && hasValue)
            o.seconds = juce::String (argv[++i]).getDoubleValue();
        else if (arg == "--repeat" && hasValue)
            o.repeat = juce::String (argv[++i]).getIntValue();
        else if (arg == "--only" && hasValue)
            o.only.add (argv[++i]);
        else if (arg == "--no-peers")
            o.peers = false;
        else if (arg == "--wav" && hasValue)
            o.wavFolder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg == "--quorvane-lv2" && hasValue)
            o.quorvaneLv2 = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg == "--quorvane-vst3" && hasValue)
            o.quorvaneVst3 = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg == "--synthv1" && hasValue)
            o.synthv1 = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg == "--zynaddsubfx" && hasValue)
            o.zyn = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else
            return false;
    }
    return o.seconds > 0.0 && o.repeat >= 1;
}

struct Case
{
    const PeerWorkload* workload;
    const PeerSubject* subject;
    PeerRunner::Result result;
    bool ran = false;

    juce::String key() const
    {
        return workload->name + " " + subject->synthName() + " " + subject->formatName() + " " + subject->sound;
    }
};

bool selected (const Options& o, const juce::String& key)
{
    if (o.only.isEmpty())
        return true;
    for (const auto& t : o.only)
        if (key.containsIgnoreCase (t))
            return true;
    return false;
}

void writeWav (const juce::File& folder, const Case& c)
{
    folder.createDirectory();
    const auto file = folder.getChildFile (c.key().replaceCharacter (' ', '-').toLowerCase() + ".wav");
    file.deleteFile();
    std::unique_ptr<juce::OutputStream> stream = file.createOutputStream();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        stream != nullptr ? wav.createWriterFor (stream.get(), kRate, 2, 32, {}, 0) : nullptr);
    if (writer == nullptr)
    {
        std::fprintf (progress, "peer_bench: cannot write %s\n", file.getFullPathName().toRawUTF8());
        return;
    }
    stream.release(); // the writer owns it now
    writer->writeFromAudioSampleBuffer (c.result.audio, 0, c.result.audio.getNumSamples());
}

juce::String allocationText (const PeerRunner::Result& r)
{
    if (! RealtimeMonitor::isAvailable())
        return "n/a";
    if (r.allocations == 0)
        return "0";
    return juce::String (r.allocations) + " in " + juce::String (r.blocksWithAllocations) + " blocks";
}

void printResults (const std::vector<Case>& cases)
{
    std::fprintf (report, "\n%-7s %-12s %-5s %-9s %10s %9s %9s %9s %8s %6s  %s\n", "load", "synth", "fmt", "sound", "realtime",
                 "median", "p99", "max", "p99/med", "peak", "allocations");
    std::fprintf (report, "%-7s %-12s %-5s %-9s %10s %9s %9s %9s %8s %6s\n", "", "", "", "", "x", "us", "us", "us", "", "dBFS");
    juce::String last;
    for (const auto& c : cases)
    {
        if (! c.ran)
            continue;
        if (c.workload->name != last && last.isNotEmpty())
            std::fprintf (report, "\n");
        last = c.workload->name;
        const auto& r = c.result;
        const double median = r.blockQuantile (0.5);
        std::fprintf (report, "%-7s %-12s %-5s %-9s %10.1f %9.1f %9.1f %9.1f %8.2f %6.1f  %s\n", c.workload->name.toRawUTF8(),
                     c.subject->synthName().toRawUTF8(), c.subject->formatName().toRawUTF8(),
                     c.subject->sound.toRawUTF8(), r.realtimeFactor(), median, r.blockQuantile (0.99),
                     r.blockQuantile (1.0), median > 0.0 ? r.blockQuantile (0.99) / median : 0.0,
                     juce::Decibels::gainToDecibels (r.peak, -99.0f), allocationText (r).toRawUTF8());
    }
}

const Case* findPeer (const std::vector<Case>& cases, const PeerWorkload* w, PeerSubject::Synth synth)
{
    for (const auto& c : cases)
        if (c.ran && c.workload == w && c.subject->synth == synth)
            return &c;
    return nullptr;
}

void printRatios (const std::vector<Case>& cases)
{
    std::fprintf (report, "\nQuorvane's realtime factor over the peers' (higher is faster)\n");
    std::fprintf (report, "%-7s %-5s %-9s %12s %12s\n", "load", "fmt", "sound", "/ synthv1", "/ ZynAddSubFX");
    for (const auto& c : cases)
    {
        if (! c.ran || c.subject->synth != PeerSubject::Synth::quorvane)
            continue;
        auto ratio = [&] (PeerSubject::Synth peer) -> juce::String {
            const auto* p = findPeer (cases, c.workload, peer);
            if (p == nullptr || p->result.realtimeFactor() <= 0.0)
                return "-";
            return juce::String (c.result.realtimeFactor() / p->result.realtimeFactor(), 2) + "x";
        };
        std::fprintf (report, "%-7s %-5s %-9s %12s %12s\n", c.workload->name.toRawUTF8(), c.subject->formatName().toRawUTF8(),
                     c.subject->sound.toRawUTF8(), ratio (PeerSubject::Synth::synthv1).toRawUTF8(),
                     ratio (PeerSubject::Synth::zynAddSubFx).toRawUTF8());
    }
}

void printTargets (const std::vector<Case>& cases)
{
    std::fprintf (report, "\nTargets\n");
    auto verdict = [] (bool ok) { return ok ? "met" : "MISSED"; };
    for (const auto& c : cases)
    {
        if (! c.ran || c.subject->synth != PeerSubject::Synth::quorvane)
            continue;
        const auto& r = c.result;
        const auto name = c.key();
        if (c.workload->name == "poly16" && c.subject->sound == "Two saws")
            for (const auto& [peer, need] : { std::pair { PeerSubject::Synth::zynAddSubFx, kTwoSawsOverZyn },
                                              std::pair { PeerSubject::Synth::synthv1, kTwoSawsOverSynthv1 } })
                if (const auto* p = findPeer (cases, c.workload, peer))
                {
                    const double ratio = r.realtimeFactor() / p->result.realtimeFactor();
                    std::fprintf (report, "  %-36s %5.2fx %-12s (need %.0fx)  %s\n", name.toRawUTF8(), ratio,
                                 p->subject->synthName().toRawUTF8(), need, verdict (ratio >= need));
                }
        if (c.workload->name == "poly16" && c.subject->sound == "Heavy")
            std::fprintf (report, "  %-36s %5.1f realtime        (need %.0f)  %s\n", name.toRawUTF8(), r.realtimeFactor(),
                         kHeavyRealtime, verdict (r.realtimeFactor() >= kHeavyRealtime));
        const double median = r.blockQuantile (0.5);
        const double spread = median > 0.0 ? r.blockQuantile (0.99) / median : 0.0;
        if (spread > kMaxP99OverMedian)
            std::fprintf (report, "  %-36s p99 %.2f x median (at most %.0f)  MISSED\n", name.toRawUTF8(), spread,
                         kMaxP99OverMedian);
        if (RealtimeMonitor::isAvailable() && r.allocations > 0)
            std::fprintf (report, "  %-36s %ld allocations on the audio thread  MISSED\n", name.toRawUTF8(), r.allocations);
    }
    std::fprintf (report, "  every Quorvane case not listed above: p99 within %.0f x median%s\n", kMaxP99OverMedian,
                 RealtimeMonitor::isAvailable() ? ", no allocation on the audio thread" : "");
}

int run (const Options& options)
{
    std::vector<PeerSubject> subjects;
    for (const auto& [format, binary] :
         { std::pair { PluginLoader::Format::lv2, options.quorvaneLv2 },
           std::pair { PluginLoader::Format::vst3, options.quorvaneVst3 } })
        for (auto& s : PeerSubject::quorvane (format, binary))
            subjects.push_back (s);
    if (options.peers)
    {
        subjects.push_back (PeerSubject::synthv1 (options.synthv1));
        subjects.push_back (PeerSubject::zynAddSubFx (options.zyn));
    }
    const auto workloads = PeerWorkload::all (kRate, options.seconds);

    std::vector<Case> cases;
    for (const auto& w : workloads)
        for (const auto& s : subjects)
            cases.push_back ({ &w, &s, {}, false });

    std::fprintf (report, "peer_bench: %.0f Hz, %d-sample blocks, %.0f s per workload, best of %d; times are the CPU time of\n"
                 "the process calls on the audio thread (%s)\n",
                 kRate, kBlock, options.seconds, options.repeat, juce::SystemStats::getCpuModel().toRawUTF8());

    PluginLoader loader;
    PeerRunner runner (kRate, kBlock);
    std::map<juce::String, bool> described;
    for (auto& c : cases)
    {
        if (! selected (options, c.key()))
            continue;
        for (int attempt = 0; attempt < options.repeat; ++attempt)
        {
            juce::String error;
            auto instance = c.subject->load (loader, kRate, kBlock, error);
            if (instance == nullptr)
            {
                std::fprintf (progress, "peer_bench: %s: %s\n", c.key().toRawUTF8(), error.toRawUTF8());
                break;
            }
            const auto label = c.subject->synthName() + " " + c.subject->formatName() + " " + c.subject->sound;
            if (! described[label])
            {
                described[label] = true;
                const auto settings = c.subject->describeSettings (*instance);
                if (settings.isNotEmpty())
                    std::fprintf (report, "  %s: %s\n", label.toRawUTF8(), settings.toRawUTF8());
            }
            auto result = runner.run (*instance, *c.workload, options.wavFolder != juce::File());
            if (! c.ran || result.realtimeFactor() > c.result.realtimeFactor())
                c.result = std::move (result);
            c.ran = true;
        }
        if (c.ran)
        {
            std::fprintf (progress, "  %-40s %8.1f x realtime\n", c.key().toRawUTF8(), c.result.realtimeFactor());
            if (options.wavFolder != juce::File())
            {
                writeWav (options.wavFolder, c);
                c.result.audio.setSize (0, 0);
            }
        }
    }

    printResults (cases);
    printRatios (cases);
    printTargets (cases);
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    Options options;
    if (argc == 2 && juce::String (argv[1]) == "--help")
    {
        std::fputs (kUsage, stdout);
        return 0;
    }
    if (! parse (argc, argv, options))
    {
        std::fputs (kUsage, stderr);
        return 2;
    }
    // The plug-ins see a private, empty home folder: no user settings, banks or
    // sessions change what they play. synthv1 needs a Qt platform without a display.
    const auto home = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("quorvane-peer-bench-" + juce::String (juce::Time::currentTimeMillis()));
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    setenv ("QT_QPA_PLATFORM", "offscreen", 0);

    silencePlugins();
    int status = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        status = run (options);
    }
    home.deleteRecursively();
    std::fflush (report);
    return status;
}
