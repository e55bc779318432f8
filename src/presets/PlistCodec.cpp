#include "presets/PlistCodec.h"

#include "presets/SafeFileWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

const char* const kPlistDoctype =
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";

namespace
{
// Our documents nest seven levels deep (plist, bank array, preset dict, arp
// dict, steps array, step dict, value). A document nested far deeper is not
// one of ours and would only exhaust the stack of the recursive parser.
constexpr int kMaxNesting = 32;

bool isTextNode (const juce::XmlElement* e) { return e->isTextElement(); }

juce::XmlElement* nextElement (juce::XmlElement* e)
{
    for (e = e->getNextElement(); e != nullptr && isTextNode (e); e = e->getNextElement())
    {
    }
    return e;
}

juce::XmlElement* firstElement (const juce::XmlElement* parent)
{
    auto* e = parent->getFirstChildElement();
    while (e != nullptr && isTextNode (e))
        e = e->getNextElement();
    return e;
}

void appendKey (const juce::String& key, juce::XmlElement* parent)
{
    auto* k = parent->createNewChildElement ("key");
    k->addTextElement (key);
}

/** Skips input up to and including terminator; false when it never comes. */
bool skipPast (juce::String::CharPointerType& p, const char* terminator)
{
    const auto found = p.indexOf (juce::CharPointer_ASCII (terminator));
    if (found < 0)
        return false;
    p += found + (int) std::strlen (terminator);
    return true;
}

/** A quick scan of the element structure. False when the document is cut
    short (an element, tag, comment or section left open: the parser would
    return the part before the cut as if it were whole, and a bank saved from
    it would lose the rest), when it nests deeper than our formats ever do (the
    recursive parser would exhaust the stack), when it declares entities
    (which let a small file expand into a large tree), or when a processing
    instruction stands inside an element. */
bool isWholeAndPlausible (const juce::String& text)
{
    if (text.containsIgnoreCase ("<!ENTITY"))
        return false;

    int depth = 0;
    auto p = text.getCharPointer();
    while (! p.isEmpty())
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }
        ++p;
        const auto c = *p;
        if (c == '/')
        {
            if (--depth < 0 || ! skipPast (p, ">"))
                return false;
        }
        else if (c == '?')
        {
            // A processing instruction inside an element followed by text
            // sends JUCE's parser round in circles; ours stand before the root.
            if (depth > 0 || ! skipPast (p, "?>"))
                return false;
        }
        else if (c == '!')
        {
            const char* end = p.compareUpTo (juce::CharPointer_ASCII ("!--"), 3) == 0        ? "-->"
                              : p.compareUpTo (juce::CharPointer_ASCII ("![CDATA["), 8) == 0 ? "]]>"
                                                                                             : ">";
            if (! skipPast (p, end))
                return false;
        }
        else
        {
            if (++depth > kMaxNesting)
                return false;
            // Find the end of the tag, stepping over quoted attribute values.
            juce::juce_wchar previous = 0;
            for (;;)
            {
                const auto t = p.getAndAdvance();
                if (t == 0)
                    return false;
                if (t == '"' || t == '\'')
                {
                    while (! p.isEmpty() && *p != t)
                        ++p;
                    if (p.isEmpty())
                        return false;
                    ++p;
                    previous = t;
                    continue;
                }
                if (t == '>')
                {
                    if (previous == '/')
                        --depth;
                    break;
                }
                previous = t;
            }
        }
    }
    return depth == 0;
}

/** A value read from "<string></string>" has no text node; it gets an empty
    one, so that saving it again writes it as this codec writes any string. */
void giveEmptyValuesTheirText (juce::XmlElement& element)
{
    const auto& tag = element.getTagName();
    if (element.getFirstChildElement() == nullptr
        && (tag == "string" || tag == "key" || tag == "integer" || tag == "real"))
    {
        element.addTextElement ({});
        return;
    }
    for (auto* child = element.getFirstChildElement(); child != nullptr; child = child->getNextElement())
        if (! child->isTextElement())
            giveEmptyValuesTheirText (*child);
}

juce::String fixEscapes (juce::String text)
{
    // The XML writer also escapes two printable characters that need no escape
    // in text; stored documents keep every printable ASCII character except
    // & < > and the double quote as it is. (A literal "&#94;" in a string is
    // written "&amp;#94;", so these sequences come from the writer alone.)
    return text.replace ("&#94;", "^").replace ("&#96;", "`");
}
} // namespace

std::unique_ptr<juce::XmlElement> plistNewDict() { return std::make_unique<juce::XmlElement> ("dict"); }
std::unique_ptr<juce::XmlElement> plistNewRoot() { return std::make_unique<juce::XmlElement> ("plist"); }

void plistAddKeyValue (const juce::String& key, const juce::String& typeTag, const juce::String& text,
                       juce::XmlElement* parent)
{
    if (parent == nullptr)
        return;
    appendKey (key, parent);
    auto* value = parent->createNewChildElement (typeTag);
    // Even an empty text is a text node, so the element keeps both of its tags.
    value->addTextElement (text);
}

void plistAddString (const juce::String& key, const juce::String& value, juce::XmlElement* parent)
{
    plistAddKeyValue (key, "string", value, parent);
}

void plistAddInteger (const juce::String& key, juce::int64 value, juce::XmlElement* parent)
{
    plistAddKeyValue (key, "integer", juce::String (value), parent);
}

void plistAddReal (const juce::String& key, juce::XmlElement* parent, float value)
{
    plistAddKeyValue (key, "real", plistFormatReal (value), parent);
}

void plistAddBool (const juce::String& key, juce::XmlElement* parent, bool value)
{
    if (parent == nullptr)
        return;
    appendKey (key, parent);
    parent->createNewChildElement (value ? "true" : "false");
}

juce::XmlElement* plistAddArray (const juce::String& key, juce::XmlElement* parent)
{
    if (parent == nullptr)
        return nullptr;
    if (key.isNotEmpty())
        appendKey (key, parent);
    return parent->createNewChildElement ("array");
}

void plistAddElement (const juce::String& key, juce::XmlElement* parent, std::unique_ptr<juce::XmlElement> element)
{
    if (parent == nullptr || element == nullptr)
        return;
    if (key.isNotEmpty())
        appendKey (key, parent);
    parent->addChildElement (element.release());
}

juce::XmlElement* plistFindValue (const juce::String& key, const juce::XmlElement* dict)
{
    if (dict == nullptr)
        return nullptr;
    for (auto* child = firstElement (dict); child != nullptr; child = nextElement (child))
        if (child->getTagName() == "key" && child->getAllSubText() == key)
            if (auto* value = nextElement (child))
                return value;
    return nullptr;
}

juce::String plistGetString (const juce::String& key, const juce::String& defaultValue, const juce::XmlElement* dict)
{
    if (auto* value = plistFindValue (key, dict))
        if (value->getTagName() == "string")
            return value->getAllSubText();
    return defaultValue;
}

bool plistGetBool (const juce::String& key, const juce::XmlElement* dict, bool defaultValue)
{
    if (auto* value = plistFindValue (key, dict))
        return value->getTagName() == "true";
    return defaultValue;
}

juce::int64 plistGetInteger (const juce::String& key, juce::int64 defaultValue, const juce::XmlElement* dict)
{
    if (auto* value = plistFindValue (key, dict))
        if (value->getTagName() == "integer")
            return plistParseInteger (value->getAllSubText());
    return defaultValue;
}

float plistGetReal (const juce::String& key, const juce::XmlElement* dict, float defaultValue)
{
    if (auto* value = plistFindValue (key, dict))
        if (value->getTagName() == "real")
            return plistParseFloat (value->getAllSubText());
    return defaultValue;
}

juce::Array<juce::XmlElement*> plistGetItems (const juce::String& key, const juce::XmlElement* parent)
{
    juce::Array<juce::XmlElement*> items;
    const juce::XmlElement* container = key.isEmpty() ? parent : plistFindValue (key, parent);
    if (container != nullptr)
        for (auto* child = firstElement (container); child != nullptr; child = nextElement (child))
            items.add (child);
    return items;
}

juce::String plistToText (const juce::XmlElement& root, bool allOnOneLine)
{
    juce::XmlElement::TextFormat format;
    format.dtd = kPlistDoctype;
    format.customEncoding = "UTF-8";
    format.addDefaultHeader = true;
    format.lineWrapLength = 60;
    if (allOnOneLine)
        format.newLineChars = nullptr;
    return fixEscapes (root.toString (format));
}

bool plistWriteFile (const juce::File& file, const juce::XmlElement& element)
{
    auto root = plistNewRoot();
    root->addChildElement (new juce::XmlElement (element));
    const auto text = plistToText (*root, false);
    return writeFileReplacing (file, text.toRawUTF8(), text.getNumBytesAsUTF8());
}

std::unique_ptr<juce::XmlElement> plistParseFile (const juce::File& file)
{
    if (! file.existsAsFile())
        return nullptr;
    // Read as text and parse from memory: a document never reaches other files.
    return plistParseText (file.loadFileAsString());
}

std::unique_ptr<juce::XmlElement> plistParseText (const juce::String& text)
{
    if (text.isEmpty() || ! isWholeAndPlausible (text))
        return nullptr;
    juce::XmlDocument document (text);
    auto root = document.getDocumentElement();
    if (root != nullptr)
        giveEmptyValuesTheirText (*root);
    return root;
}

juce::String plistFormatReal (float value)
{
    // Six significant digits, as printf's %g gives them, but independent of the
    // host's locale (a decimal comma would break every list and file).
    char buffer[64];
    const auto result = std::to_chars (buffer, buffer + sizeof (buffer), (double) value, std::chars_format::general, 6);
    return juce::String (buffer, (size_t) (result.ptr - buffer));
}

juce::int64 plistParseInteger (const juce::String& text)
{
    auto p = text.getCharPointer().findEndOfWhitespace();
    bool negative = false;
    if (*p == '-' || *p == '+')
    {
        negative = *p == '-';
        ++p;
    }
    constexpr auto limit = (juce::uint64) std::numeric_limits<juce::int64>::max();
    juce::uint64 magnitude = 0;
    for (;;)
    {
        const auto c = *p;
        if (c < '0' || c > '9')
            break;
        const auto digit = (juce::uint64) (c - '0');
        magnitude = magnitude > (limit + 1 - digit) / 10 ? limit + 1 : magnitude * 10 + digit;
        ++p;
    }
    if (negative)
        return magnitude > limit ? std::numeric_limits<juce::int64>::min() : -(juce::int64) magnitude;
    return magnitude > limit ? std::numeric_limits<juce::int64>::max() : (juce::int64) magnitude;
}

float plistParseFloat (const juce::String& text)
{
    const double d = text.getDoubleValue();
    if (std::isnan (d))
        return 0.0f;
    constexpr double largest = (double) std::numeric_limits<float>::max();
    if (d > largest)
        return std::numeric_limits<float>::max();
    if (d < -largest)
        return -std::numeric_limits<float>::max();
    return (float) d;
}
