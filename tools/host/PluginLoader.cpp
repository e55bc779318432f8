#include "PluginLoader.h"


PluginLoader::PluginLoader() = default;
PluginLoader::~PluginLoader() = default;

juce::String PluginLoader::formatName (Format format)
{
    switch (format)
    {
        case Format::vst2: return "vst2";
        case Format::vst3: return "vst3";
        case Format::lv2: return "lv2";
    }
    return {};
}

bool PluginLoader::parseFormat (const juce::String& text, Format& format)
{
    for (auto f : { Format::vst2, Format::vst3, Format::lv2 })
        if (text.equalsIgnoreCase (formatName (f)))
        {
            format = f;
            return true;
        }
    return false;
}

juce::AudioPluginFormat& PluginLoader::formatFor (Format format)
{
    switch (format)
    {
        case Format::vst2:
            if (vst2 == nullptr)
                vst2 = std::make_unique<juce::VSTPluginFormat>();
            return *vst2;
        case Format::vst3:
            if (vst3 == nullptr)
                vst3 = std::make_unique<juce::VST3PluginFormat>();
            return *vst3;
        case Format::lv2:
            break;
    }
    if (lv2 == nullptr)
        lv2 = std::make_unique<juce::LV2PluginFormat>();
    return *lv2;
}

juce::String PluginLoader::lv2PluginUri (const juce::File& bundle)
{
    // The manifest names each plug-in as "<uri>" followed by "a lv2:Plugin".
    const auto manifest = bundle.getChildFile ("manifest.ttl").loadFileAsString();
    for (int end = manifest.indexOf ("lv2:Plugin"); end >= 0; end = manifest.indexOf (end + 1, "lv2:Plugin"))
    {
        const auto before = manifest.substring (0, end).trimEnd();
        if (! before.endsWith (" a") && ! before.endsWith ("\ta") && ! before.endsWith ("\na"))
            continue;
        const auto subject = before.dropLastCharacters (1).trimEnd();
        if (subject.endsWithChar ('>'))
            return subject.fromLastOccurrenceOf ("<", false, false).dropLastCharacters (1);
    }
    return {};
}

std::unique_ptr<juce::AudioPluginInstance> PluginLoader::load (Format format, const juce::File& binary, double sampleRate,
                                                               int blockSize, juce::String& error)
{
    if (! binary.exists())
    {
        error = "no plug-in at " + binary.getFullPathName();
        return nullptr;
    }

    auto& pluginFormat = formatFor (format);
    juce::String identifier = binary.getFullPathName();
    if (format == Format::lv2)
    {
        // JUCE looks for LV2 bundles in the standard folders only; load this one explicitly.
        pluginFormat.searchPathsForPlugins (juce::FileSearchPath (binary.getParentDirectory().getFullPathName()), false, false);
        identifier = lv2PluginUri (binary);
        if (identifier.isEmpty())
        {
            error = "no LV2 plug-in declared in " + binary.getChildFile ("manifest.ttl").getFullPathName();
            return nullptr;
        }
    }

    juce::OwnedArray<juce::PluginDescription> descriptions;
    pluginFormat.findAllTypesForFile (descriptions, identifier);
    if (descriptions.isEmpty())
    {
        error = "cannot load " + formatName (format) + " plug-in " + identifier;
        return nullptr;
    }

    auto instance = pluginFormat.createInstanceFromDescription (*descriptions[0], sampleRate, blockSize, error);
    if (instance == nullptr && error.isEmpty())
        error = "cannot instantiate " + identifier;
    return instance;
}

juce::AudioProcessorParameter* PluginLoader::parameterByNumber (juce::AudioPluginInstance& instance, Format format,
                                                               int number)
{
    const auto& params = instance.getParameters();
    if (format != Format::lv2)
        return juce::isPositiveAndBelow (number, params.size()) ? params[number] : nullptr;
    const auto suffix = ":param" + juce::String (number).paddedLeft ('0', 2);
    for (auto* p : params)
        if (auto* hosted = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
            if (hosted->getParameterID().endsWith (suffix))
                return p;
    return nullptr;
}
