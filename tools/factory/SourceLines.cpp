#include "SourceLines.h"

bool SourceLines::parse (const juce::String& text, juce::String& error)
{
    entries.clear();
    juce::StringArray rows;
    rows.addLines (text);
    for (int i = 0; i < rows.size(); ++i)
    {
        const auto content = rows[i].upToFirstOccurrenceOf ("#", false, false).trim();
        if (content.isEmpty())
            continue;
        Line line { i + 1, content.upToFirstOccurrenceOf ("=", false, false).trim(),
                    content.fromFirstOccurrenceOf ("=", false, false).trim() };
        if (! content.containsChar ('=') || line.key.isEmpty())
        {
            error = at (line, "expected \"key = value\", found \"" + content + "\"");
            return false;
        }
        entries.push_back (line);
    }
    return true;
}

juce::String SourceLines::at (const Line& line, const juce::String& message)
{
    return "line " + juce::String (line.number) + ": " + message;
}
