#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/** The lines of a factory source file: "key = value", one per line. A "#"
    starts a comment that runs to the end of the line; blank lines are skipped.
    Keys keep their case and inner blanks (parameter names have both). */
class SourceLines
{
public:
    struct Line
    {
        int number = 0;
        juce::String key, value;
    };

    /** False with "line N: reason" when a line is not "key = value". */
    bool parse (const juce::String& text, juce::String& error);

    const std::vector<Line>& lines() const noexcept { return entries; }
    /** "line N: " + message, for a reason that belongs to one line. */
    static juce::String at (const Line& line, const juce::String& message);

private:
    std::vector<Line> entries;
};
