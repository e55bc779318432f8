#include "presets/AppLog.h"

#include <juce_core/juce_core.h>

#include <cstdarg>
#include <cstdio>
#include <memory>

namespace
{
constexpr int kMaxMessageBytes = 20000;
constexpr juce::int64 kMaxLogBytes = 128 * 1024;

juce::FileLogger& getLogger()
{
    // Created on first use and kept for the life of the process.
    static std::unique_ptr<juce::FileLogger> logger (
        juce::FileLogger::createDefaultAppLogger ("quorvane", "console.txt", {}, kMaxLogBytes));
    return *logger;
}
} // namespace

void logMessage (const char* format, ...)
{
    char buffer[kMaxMessageBytes];
    va_list args;
    va_start (args, format);
    // A longer message is cut to the buffer less its terminating zero (19999 bytes).
    if (std::vsnprintf (buffer, sizeof (buffer), format, args) < 0)
        buffer[0] = 0;
    va_end (args);
    getLogger().logMessage (juce::String::fromUTF8 (buffer));
}
