// Runs a fuzz target over stored inputs (the seeds and every input that once
// crashed it), so the normal test runs keep them fixed.

#include <juce_core/juce_core.h>

#include <cstdint>
#include <iostream>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size);

int main (int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i)
    {
        const juce::File path (argv[i]);
        juce::Array<juce::File> files;
        if (path.isDirectory())
            files = path.findChildFiles (juce::File::findFiles, true);
        else if (path.existsAsFile())
            files.add (path);
        for (const auto& file : files)
        {
            juce::MemoryBlock data;
            file.loadFileAsData (data);
            LLVMFuzzerTestOneInput (static_cast<const uint8_t*> (data.getData()), data.getSize());
            ++count;
        }
    }
    std::cout << count << " passed, 0 failed" << std::endl;
    return count > 0 ? 0 : 1;
}
