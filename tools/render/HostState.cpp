#include "HostState.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace
{
void writeBigEndian (juce::MemoryOutputStream& out, juce::uint32 value) { out.writeIntBigEndian ((int) value); }

juce::uint32 magic (const char* four) { return juce::ByteOrder::bigEndianInt (four); }
} // namespace

juce::MemoryBlock HostState::wrap (PluginLoader::Format format, const juce::MemoryBlock& pluginChunk, juce::String& error)
{
    juce::MemoryBlock result;
    switch (format)
    {
        case PluginLoader::Format::vst3:
        {
            // The component state, base64 in the XML the VST3 host saves.
            juce::XmlElement head ("VST3PluginState");
            head.createNewChildElement ("IComponent")->addTextElement (pluginChunk.toBase64Encoding());
            juce::AudioProcessor::copyXmlToBinary (head, result);
            return result;
        }
        case PluginLoader::Format::vst2:
        {
            // A bank chunk file ("CcnK" ... "FBCh"): the host hands the chunk to effSetChunk.
            constexpr int kHeaderBytes = 7 * 4 + 128 + 4;
            juce::MemoryOutputStream out (result, false);
            writeBigEndian (out, magic ("CcnK"));
            writeBigEndian (out, (juce::uint32) (kHeaderBytes - 8 + (int) pluginChunk.getSize()));
            writeBigEndian (out, magic ("FBCh"));
            writeBigEndian (out, 1);                // version
            writeBigEndian (out, magic ("QRVN"));  // the plug-in's unique ID
            writeBigEndian (out, 1);                // plug-in version
            writeBigEndian (out, 1);                // one program
            out.writeRepeatedByte (0, 128);
            writeBigEndian (out, (juce::uint32) pluginChunk.getSize());
            out.write (pluginChunk.getData(), pluginChunk.getSize());
            out.flush();
            return result;
        }
        case PluginLoader::Format::lv2: break;
    }
    error = "a sound from a bank can be loaded into the vst2 or vst3 binary, not " + PluginLoader::formatName (format);
    return {};
}
