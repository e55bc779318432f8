#include "RenderOptions.h"

const char* RenderOptions::usage()
{
    return "usage: quorvane-render --midi FILE.mid --out FILE.wav [options]\n"
           "  --format vst2|vst3|lv2   which installed Quorvane binary to use (default vst3)\n"
           "  --plugin PATH            any other plug-in binary or bundle (of --format)\n"
           "  --preset \"BANK/PRESET\"   a sound from the installed banks (or from --banks)\n"
           "  --banks FOLDER           read --preset from the bank files in this folder, for example\n"
           "                           a build tree's compiled factory banks (build/release/factory/Banks)\n"
           "  --state FILE             a saved host state chunk\n"
           "  --param INDEX=VALUE      set a parameter (0..1); repeat as needed\n"
           "  --float                  write 32-bit float samples (default 24-bit)\n"
           "  --rate HZ                sample rate (default 44100)\n"
           "  --block SAMPLES          host block size (default 512)\n"
           "  --tail SECONDS           render on after the last note until silent, at most this long (default 4)\n";
}

juce::File RenderOptions::installedPlugin (PluginLoader::Format format)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    switch (format)
    {
        case PluginLoader::Format::vst2: return home.getChildFile (".vst/Quorvane.so");
        case PluginLoader::Format::vst3: return home.getChildFile (".vst3/Quorvane.vst3");
        case PluginLoader::Format::lv2: return home.getChildFile (".lv2/Quorvane.lv2");
    }
    return {};
}

bool RenderOptions::parse (const juce::StringArray& args, juce::String& error)
{
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    for (int i = 1; i < args.size() && error.isEmpty(); ++i)
    {
        const auto& option = args[i];
        auto value = [&]() -> juce::String {
            if (i + 1 >= args.size())
            {
                error = option + " needs a value";
                return {};
            }
            return args[++i];
        };
        auto number = [&] (double low, double high) {
            const auto text = value();
            if (error.isNotEmpty())
                return 0.0;
            if (! text.containsOnly ("0123456789.-+eE") || text.isEmpty())
            {
                error = option + " needs a number, not '" + text + "'";
                return 0.0;
            }
            const double v = text.getDoubleValue();
            if (v < low || v > high)
                error = option + " must be between " + juce::String (low) + " and " + juce::String (high);
            return v;
        };

        if (option == "--format")
        {
            const auto text = value();
            if (error.isEmpty() && ! PluginLoader::parseFormat (text, format))
                error = "unknown format '" + text + "' (use vst2, vst3 or lv2)";
        }
        else if (option == "--plugin")
            plugin = cwd.getChildFile (value());
        else if (option == "--preset")
            preset = value();
        else if (option == "--banks")
            banks = cwd.getChildFile (value());
        else if (option == "--state")
            state = cwd.getChildFile (value());
        else if (option == "--param")
        {
            const auto text = value();
            const int index = text.upToFirstOccurrenceOf ("=", false, false).getIntValue();
            const auto valueText = text.fromFirstOccurrenceOf ("=", false, false);
            if (error.isEmpty() && (! text.contains ("=") || ! text.upToFirstOccurrenceOf ("=", false, false).containsOnly ("0123456789")
                                    || valueText.isEmpty() || ! valueText.containsOnly ("0123456789.-+eE")))
                error = "--param needs INDEX=VALUE, not '" + text + "'";
            else
                params.emplace_back (index, valueText.getFloatValue());
        }
        else if (option == "--midi")
            midi = cwd.getChildFile (value());
        else if (option == "--out")
            out = cwd.getChildFile (value());
        else if (option == "--float")
            floatOutput = true;
        else if (option == "--rate")
            rate = number (8000.0, 384000.0);
        else if (option == "--block")
            block = (int) number (1.0, 65536.0);
        else if (option == "--tail")
            tail = number (0.0, 3600.0);
        else
            error = "unknown option '" + option + "'";
    }
    if (error.isEmpty() && (midi == juce::File() || out == juce::File()))
        error = "--midi and --out are required";
    if (error.isEmpty() && preset.isNotEmpty() && ! preset.contains ("/"))
        error = "--preset needs \"BANK/PRESET\"";
    if (error.isEmpty() && banks != juce::File() && ! banks.isDirectory())
        error = "--banks needs a folder of bank files: " + banks.getFullPathName();
    if (plugin == juce::File())
        plugin = installedPlugin (format);
    return error.isEmpty();
}
