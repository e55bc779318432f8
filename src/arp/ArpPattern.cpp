#include "arp/ArpPattern.h"

#include "presets/PlistCodec.h"

#include <algorithm>
#include <limits>

namespace
{
struct StepValues
{
    int transpose, spare, mode;
    bool hold;
    int voices;
    bool glide;
};

const StepValues kDefaultSteps[] = {
    { 0, 0, 2, false, 1, false }, { 0, 0, 5, false, 1, false }, { 0, 0, 1, true, 3, false },
    { 0, 0, 1, false, 1, false }, { 0, 0, 1, false, 2, false }, { 2, 0, 1, true, 3, false },
    { 2, 0, 1, false, 1, false }, { 3, 0, 1, false, 5, false },
};

// Semitone offsets far beyond the keyboard have no meaning; keeping stored
// values within this range keeps the arpeggiator's note arithmetic in range.
constexpr int kMaxTranspose = 127;

int readInt (const char* key, const juce::XmlElement* dict)
{
    const auto v = plistGetInteger (key, 0, dict);
    return (int) juce::jlimit<juce::int64> (std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), v);
}

std::unique_ptr<ArpStep> makeStep (const StepValues& v)
{
    auto s = std::make_unique<ArpStep>();
    s->transpose = v.transpose;
    s->spare = v.spare;
    s->mode = v.mode;
    s->hold = v.hold;
    s->voices = v.voices;
    s->glide = v.glide;
    return s;
}

std::unique_ptr<ArpStep> readStep (const juce::XmlElement* d)
{
    auto s = std::make_unique<ArpStep>();
    s->mode = readInt ("a", d);
    s->glide = plistGetBool ("g", d, false);
    s->hold = plistGetBool ("h", d, false);
    s->spare = readInt ("t", d);
    s->transpose = juce::jlimit (-kMaxTranspose, kMaxTranspose, readInt ("tr", d));
    s->voices = readInt ("v", d);
    return s;
}
} // namespace

bool ArpStep::operator== (const ArpStep& o) const noexcept
{
    return transpose == o.transpose && spare == o.spare && mode == o.mode && hold == o.hold && voices == o.voices
           && glide == o.glide;
}

ArpPattern::ArpPattern() { fillDefaults(); }
ArpPattern::~ArpPattern() = default;

void ArpPattern::fillDefaults()
{
    steps.clear();
    for (const auto& v : kDefaultSteps)
        steps.push_back (makeStep (v));
    name = "Custom";
    sortFingers = skipFinger = continuous = random = false;
    timeDivision = 2;
}

void ArpPattern::resetToDefault()
{
    const std::lock_guard<std::mutex> guard (lock);
    fillDefaults();
}

std::unique_ptr<juce::XmlElement> ArpPattern::toDictionary() const
{
    auto d = plistNewDict();
    plistAddBool ("sortFingers", d.get(), sortFingers);
    plistAddBool ("skipFinger", d.get(), skipFinger);
    plistAddBool ("continuous", d.get(), continuous);
    plistAddBool ("random", d.get(), random);
    plistAddInteger ("timeDivision", timeDivision, d.get());
    plistAddString ("name", juce::String::fromUTF8 (name.c_str()), d.get());
    auto* list = plistAddArray ("steps", d.get());
    for (const auto& s : steps)
    {
        auto* sd = list->createNewChildElement ("dict");
        plistAddInteger ("a", s->mode, sd);
        plistAddBool ("g", sd, s->glide);
        plistAddBool ("h", sd, s->hold);
        plistAddInteger ("t", s->spare, sd);
        plistAddInteger ("tr", s->transpose, sd);
        plistAddInteger ("v", s->voices, sd);
    }
    return d;
}

void ArpPattern::readDictionary (const juce::XmlElement* d)
{
    if (d == nullptr)
        return;

    // Everything is read before the lock is taken, so the arpeggiator waits
    // only for the exchange itself.
    std::vector<std::unique_ptr<ArpStep>> newSteps;
    for (auto* item : plistGetItems ("steps", d))
        newSteps.push_back (readStep (item));
    if (newSteps.empty())
        newSteps.push_back (std::make_unique<ArpStep>());
    int newDivision = readInt ("timeDivision", d);
    if (newDivision == 0)
        newDivision = 2;
    const auto newName = plistGetString ("name", {}, d).toStdString();

    std::vector<std::unique_ptr<ArpStep>> oldSteps;
    {
        const std::lock_guard<std::mutex> guard (lock);
        timeDivision = newDivision;
        sortFingers = plistGetBool ("sortFingers", d, false);
        skipFinger = plistGetBool ("skipFinger", d, false);
        random = plistGetBool ("random", d, false);
        continuous = plistGetBool ("continuous", d, false);
        name = newName;
        oldSteps.swap (steps);
        steps.swap (newSteps);
    }
    // The old steps are freed outside the lock.
}

ArpStep* ArpPattern::insertCopiedStep (int index)
{
    const std::lock_guard<std::mutex> guard (lock);
    if (index < 0 || index >= (int) steps.size())
        return nullptr;
    auto step = std::make_unique<ArpStep>();
    for (int i = index; i >= 0; --i)
    {
        const auto& source = *steps[(size_t) i];
        if (source.mode != 0)
        {
            step->mode = source.mode;
            step->voices = source.voices;
            step->transpose = source.transpose;
            step->glide = source.glide;
            break;
        }
    }
    auto* result = step.get();
    steps.insert (steps.begin() + index, std::move (step));
    return result;
}

ArpStep* ArpPattern::insertBlankStep (int index)
{
    const std::lock_guard<std::mutex> guard (lock);
    if (index < 0 || index > (int) steps.size())
        return nullptr;
    auto step = std::make_unique<ArpStep>();
    auto* result = step.get();
    steps.insert (steps.begin() + index, std::move (step));
    return result;
}

void ArpPattern::removeStep (int index)
{
    std::unique_ptr<ArpStep> removed;
    const std::lock_guard<std::mutex> guard (lock);
    if (steps.size() < 2 || index < 0 || index >= (int) steps.size())
        return;
    removed = std::move (steps[(size_t) index]);
    steps.erase (steps.begin() + index);
}

ArpStep* ArpPattern::getStep (int index) const noexcept
{
    return index >= 0 && index < (int) steps.size() ? steps[(size_t) index].get() : nullptr;
}

bool ArpPattern::sameAs (const ArpPattern& o) const
{
    if (name != o.name || sortFingers != o.sortFingers || skipFinger != o.skipFinger || continuous != o.continuous
        || random != o.random || timeDivision != o.timeDivision || steps.size() != o.steps.size())
        return false;
    for (size_t i = 0; i < steps.size(); ++i)
        if (*steps[i] != *o.steps[i])
            return false;
    return true;
}
