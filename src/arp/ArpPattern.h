#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

/** One step of an arpeggio pattern. */
struct ArpStep
{
    int transpose = 0; ///< semitones added to the played note ("tr")
    int spare = 0;     ///< stored and loaded, used by nothing ("t")
    int mode = 0;      ///< 0 rest, 1 repeat, 2 first, 3 last, 4 down, 5 up ("a")
    bool hold = false; ///< not released half-way through the step ("h")
    int voices = 1;    ///< how many held notes sound at once ("v")
    bool glide = false; ///< one legato note with the glide flag ("g")

    bool operator== (const ArpStep& other) const noexcept;
    bool operator!= (const ArpStep& other) const noexcept { return ! operator== (other); }
};

/** The arpeggiator's pattern: steps played in order, five settings and a name.
    It belongs to the current sound, travels in every preset under "arp" and can
    be kept in the pattern library. The editor changes it on the message thread
    while the arpeggiator reads it on the audio thread: replacing, inserting and
    removing steps happen under `lock`, which the arpeggiator takes while it
    reads a step. */
class ArpPattern
{
public:
    /** The default pattern: eight steps named "Custom". */
    ArpPattern();
    ~ArpPattern();

    ArpPattern (const ArpPattern&) = delete;
    ArpPattern& operator= (const ArpPattern&) = delete;

    /** The pattern as a dict (caller owns it); built without the lock. */
    std::unique_ptr<juce::XmlElement> toDictionary() const;
    /** Replaces settings, name and steps from a dict, under the lock. A timeDivision
        of 0 becomes 2; a dict without steps leaves one rest step, since the
        arpeggiator needs at least one. Null changes nothing. */
    void readDictionary (const juce::XmlElement* dict);
    /** Back to the default pattern, under the lock. */
    void resetToDefault();

    /** Inserts before index a step playing like the nearest sounding step at or
        before index (a rest when there is none) and returns it. */
    ArpStep* insertCopiedStep (int index);
    /** Inserts a rest step before index and returns it. */
    ArpStep* insertBlankStep (int index);
    /** Removes the step at index, unless it is the last one left. */
    void removeStep (int index);

    int getNumSteps() const noexcept { return (int) steps.size(); }
    /** The step at index (no lock; null when out of range). */
    ArpStep* getStep (int index) const noexcept;
    /** Same steps, settings and name. */
    bool sameAs (const ArpPattern& other) const;

    std::mutex lock;
    std::vector<std::unique_ptr<ArpStep>> steps;
    std::string name { "Custom" };
    bool sortFingers = false;
    bool skipFinger = false;
    bool continuous = false;
    bool random = false;
    int timeDivision = 2;

private:
    void fillDefaults();
};

/** Told when the current sound's pattern was reloaded from the library. */
class ArpListener
{
public:
    virtual ~ArpListener() = default;
    virtual void patternChanged (ArpPattern* pattern) = 0;
};
