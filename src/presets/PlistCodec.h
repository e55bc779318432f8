#pragma once

#include <juce_core/juce_core.h>

#include <memory>

/*  The property lists every file and chunk of the plug-in is made of: a preset
    is a dict, a bank file and the arp library are arrays, the host state is one
    dict under a plist root. A dict is a sequence of key elements, each followed
    by its value element (string, integer, real, true, false, array or dict).

    Getters never change the tree; a missing key or a value of another type
    yields the caller's default. Pointers handed out by plistFindValue and
    plistGetItems are borrowed from the tree. */

/** The DOCTYPE line written in front of every document. */
extern const char* const kPlistDoctype;

std::unique_ptr<juce::XmlElement> plistNewDict();
std::unique_ptr<juce::XmlElement> plistNewRoot();

/** Appends a key element, then an element named typeTag that holds text. */
void plistAddKeyValue (const juce::String& key, const juce::String& typeTag, const juce::String& text,
                       juce::XmlElement* parent);
void plistAddString (const juce::String& key, const juce::String& value, juce::XmlElement* parent);
void plistAddInteger (const juce::String& key, juce::int64 value, juce::XmlElement* parent);
void plistAddReal (const juce::String& key, juce::XmlElement* parent, float value);
void plistAddBool (const juce::String& key, juce::XmlElement* parent, bool value);
/** Appends the key (unless empty) and a new empty array, which it returns for filling. */
juce::XmlElement* plistAddArray (const juce::String& key, juce::XmlElement* parent);
/** Appends the key (unless empty) and the element, which parent then owns. */
void plistAddElement (const juce::String& key, juce::XmlElement* parent, std::unique_ptr<juce::XmlElement> element);

/** The value element following the first key element whose text is key. */
juce::XmlElement* plistFindValue (const juce::String& key, const juce::XmlElement* dict);
juce::String plistGetString (const juce::String& key, const juce::String& defaultValue, const juce::XmlElement* dict);
bool plistGetBool (const juce::String& key, const juce::XmlElement* dict, bool defaultValue);
juce::int64 plistGetInteger (const juce::String& key, juce::int64 defaultValue, const juce::XmlElement* dict);
float plistGetReal (const juce::String& key, const juce::XmlElement* dict, float defaultValue);
/** Key empty: the children of parent; otherwise the children of key's value. */
juce::Array<juce::XmlElement*> plistGetItems (const juce::String& key, const juce::XmlElement* parent);

/** The whole document: declaration, DOCTYPE, tree; multi-line with CR LF and a
    two-space indent, or everything on one line. Plain ASCII. */
juce::String plistToText (const juce::XmlElement& root, bool allOnOneLine);
/** Writes a plist root holding a copy of element, multi-line, without a
    trailing zero byte. The old file is replaced only once the new one is complete. */
bool plistWriteFile (const juce::File& file, const juce::XmlElement& element);
/** The document element of the whole file, or null when it is missing, not
    XML, truncated or nested implausibly deep. */
std::unique_ptr<juce::XmlElement> plistParseFile (const juce::File& file);
std::unique_ptr<juce::XmlElement> plistParseText (const juce::String& text);

/** A real as written: at most 6 significant digits, fixed notation for decimal
    exponents -4..5, scientific otherwise, no trailing zeros. */
juce::String plistFormatReal (float value);
/** The integer reading rule: optional white space and sign, then digits up to
    the first non-digit; no digits give 0; values beyond 64 bits saturate. */
juce::int64 plistParseInteger (const juce::String& text);
/** A decimal number as a float: not-a-number reads 0, values beyond the float
    range saturate, so every reading is finite. */
float plistParseFloat (const juce::String& text);
