#pragma once

#include "engine/VexmoorPatch.h"
#include "presets/KWPreset.h"
#include "presets/KWPresetClient.h"
#include "presets/PresetListener.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

/** Fresh per-user and common vendor folders for one test; the folder
    functions use them until the object goes. */
class ScopedTestFolders
{
public:
    ScopedTestFolders();
    ~ScopedTestFolders();

    juce::File perUserApp() const { return perUser.getChildFile ("Quorvane"); }
    juce::File commonApp() const { return common.getChildFile ("Quorvane"); }
    juce::File banks() const { return perUserApp().getChildFile ("Banks"); }

    /** Puts a factory archive with these entries (path, content) into the common folder. */
    void installFactoryArchive (const std::vector<std::pair<juce::String, juce::String>>& entries) const;

    juce::File root, perUser, common;
};

/** The processor's part for the bank manager: one sound, applied directly. */
class TestClient : public KWPresetClient
{
public:
    std::unique_ptr<juce::XmlElement> createPresetDictionary() override { return patch.buildPresetDictionary(); }
    void loadPreset (KWPreset* preset) override;

    VexmoorPatch patch;
    int loads = 0;
};

/** Everything the log file got since the object was made. */
class LogWatch
{
public:
    LogWatch();
    juce::String newText() const;
    static juce::File logFile();

private:
    juce::int64 start;
};

/** A sound away from Init in every respect the dict stores. */
void makeDistinctSound (VexmoorPatch& patch, unsigned seed);

/** Writes a bank file of the given presets the way the program does. */
juce::File writeBankFile (const juce::File& file, const std::vector<juce::String>& presetNames);
