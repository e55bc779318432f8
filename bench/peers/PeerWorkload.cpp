#include "PeerWorkload.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr juce::uint8 kVelocity = 100;
constexpr int kMidiChannel = 1;
} // namespace

PeerWorkload::PeerWorkload (const juce::String& workloadName, double sampleRate, double seconds)
    : name (workloadName), length ((juce::int64) std::llround (seconds * sampleRate)), rate (sampleRate)
{
}

void PeerWorkload::addNote (int note, double onSeconds, double offSeconds)
{
    const auto on = (juce::int64) std::llround (onSeconds * rate);
    if (on >= length)
        return;
    const auto off = (juce::int64) std::llround (offSeconds * rate);
    events.push_back ({ on, juce::MidiMessage::noteOn (kMidiChannel, note, kVelocity) });
    // A note still held at the end is released there, so that no voice hangs.
    events.push_back ({ std::min (off, length - 1), juce::MidiMessage::noteOff (kMidiChannel, note) });
}

void PeerWorkload::sort()
{
    std::stable_sort (events.begin(), events.end(), [] (const Event& a, const Event& b) {
        if (a.sample != b.sample)
            return a.sample < b.sample;
        return a.message.isNoteOff() && ! b.message.isNoteOff();
    });
}

PeerWorkload PeerWorkload::poly16 (double sampleRate, double seconds)
{
    PeerWorkload w ("poly16", sampleRate, seconds);
    // C3 D3 E3 F3 G3 A3 B3 C4 ... D5: the white keys from MIDI note 48 upwards.
    constexpr int steps[7] = { 2, 2, 1, 2, 2, 2, 1 };
    std::vector<int> cluster { 48 };
    for (int i = 1; i < 16; ++i)
        cluster.push_back (cluster.back() + steps[(i - 1) % 7]);
    for (double t = 0.0; t < seconds; t += 2.0)
        for (int note : cluster)
            w.addNote (note, t, t + 1.5);
    w.sort();
    return w;
}

PeerWorkload PeerWorkload::chords (double sampleRate, double seconds)
{
    PeerWorkload w ("chords", sampleRate, seconds);
    // C major 7, A minor 7, F major 7, G 7, round and round.
    constexpr int progression[4][4] = { { 60, 64, 67, 71 }, { 57, 60, 64, 67 }, { 53, 57, 60, 64 }, { 55, 59, 62, 65 } };
    int chord = 0;
    for (double t = 0.0; t < seconds; t += 0.5, chord = (chord + 1) % 4)
        for (int note : progression[chord])
            w.addNote (note, t, t + 0.5);
    w.sort();
    return w;
}

PeerWorkload PeerWorkload::mono (double sampleRate, double seconds)
{
    PeerWorkload w ("mono", sampleRate, seconds);
    // An arpeggio over two octaves; each eighth note sounds for 200 of its 250 ms.
    constexpr int pattern[8] = { 48, 55, 60, 64, 67, 72, 67, 60 };
    int step = 0;
    for (double t = 0.0; t < seconds; t += 0.25, step = (step + 1) % 8)
        w.addNote (pattern[step], t, t + 0.2);
    w.sort();
    return w;
}

std::vector<PeerWorkload> PeerWorkload::all (double sampleRate, double seconds)
{
    return { poly16 (sampleRate, seconds), chords (sampleRate, seconds), mono (sampleRate, seconds) };
}
