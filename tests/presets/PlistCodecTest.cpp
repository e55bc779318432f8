#include "PresetTestSupport.h"

#include "presets/PlistCodec.h"

#include <gtest/gtest.h>

namespace
{
const juce::String kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
const juce::String kDoctype =
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">";

std::unique_ptr<juce::XmlElement> smallDocument()
{
    auto root = plistNewRoot();
    auto dict = plistNewDict();
    plistAddString ("name", "A&B", dict.get());
    plistAddInteger ("n", 42, dict.get());
    plistAddReal ("r", dict.get(), 0.1f);
    plistAddBool ("t", dict.get(), true);
    plistAddString ("e", "", dict.get());
    auto* list = plistAddArray ("list", dict.get());
    list->createNewChildElement ("integer")->addTextElement ("1");
    plistAddElement ({}, root.get(), std::move (dict));
    return root;
}

std::unique_ptr<juce::XmlElement> parseDict (const juce::String& body)
{
    auto root = plistParseText (kHeader + " <plist><dict>" + body + "</dict></plist>");
    return root != nullptr ? std::make_unique<juce::XmlElement> (*root->getFirstChildElement()) : nullptr;
}
} // namespace

TEST (PlistCodec, MultiLineDocumentUsesCrLfAndTwoSpaceIndent)
{
    const juce::String expected = kHeader + "\r\n\r\n" + kDoctype + "\r\n"
                                  "<plist>\r\n"
                                  "  <dict>\r\n"
                                  "    <key>name</key>\r\n"
                                  "    <string>A&amp;B</string>\r\n"
                                  "    <key>n</key>\r\n"
                                  "    <integer>42</integer>\r\n"
                                  "    <key>r</key>\r\n"
                                  "    <real>0.1</real>\r\n"
                                  "    <key>t</key>\r\n"
                                  "    <true/>\r\n"
                                  "    <key>e</key>\r\n"
                                  "    <string></string>\r\n"
                                  "    <key>list</key>\r\n"
                                  "    <array>\r\n"
                                  "      <integer>1</integer>\r\n"
                                  "    </array>\r\n"
                                  "  </dict>\r\n"
                                  "</plist>\r\n";
    EXPECT_EQ (plistToText (*smallDocument(), false), expected);
}

TEST (PlistCodec, OneLineDocumentHasNoLineBreaks)
{
    const juce::String expected = kHeader + " " + kDoctype + " "
                                  + "<plist><dict><key>name</key><string>A&amp;B</string><key>n</key><integer>42</integer>"
                                    "<key>r</key><real>0.1</real><key>t</key><true/><key>e</key><string></string>"
                                    "<key>list</key><array><integer>1</integer></array></dict></plist>";
    EXPECT_EQ (plistToText (*smallDocument(), true), expected);
}

TEST (PlistCodec, StringsAreEscapedToPlainAscii)
{
    auto root = plistNewRoot();
    auto* dict = root->createNewChildElement ("dict");
    const juce::String text = juce::String ("<a & \"b\"> ^`'~\\ caf") + juce::String::charToString (0xe9) + "\r\n\t|";
    plistAddString ("k", text, dict);
    const auto written = plistToText (*root, true);
    EXPECT_TRUE (written.contains ("<string>&lt;a &amp; &quot;b&quot;&gt; ^`'~\\ caf&#233;\r\n&#9;|</string>")) << written;
    EXPECT_TRUE (written.toStdString().find_first_of ("\x80\xff") == std::string::npos);

    auto back = plistParseText (written);
    ASSERT_NE (back, nullptr);
    // The parser reads a carriage return and line feed as one line feed.
    EXPECT_EQ (plistGetString ("k", {}, back->getFirstChildElement()), text.replace ("\r\n", "\n"));
}

TEST (PlistCodec, RealsKeepSixSignificantDigits)
{
    const struct
    {
        float value;
        const char* text;
    } cases[] = {
        { 0.1f, "0.1" },        { 1.0f, "1" },         { 0.5f, "0.5" },         { 3.0f, "3" },
        { 0.0001f, "0.0001" },  { 0.00001f, "1e-05" }, { 123456.0f, "123456" }, { 1234567.0f, "1.23457e+06" },
        { -0.25f, "-0.25" },    { 0.0f, "0" },         { 1.06f, "1.06" },       { 0.501187f, "0.501187" },
        { 0.33333334f, "0.333333" },
    };
    for (const auto& c : cases)
        EXPECT_EQ (plistFormatReal (c.value), c.text) << c.value;
}

TEST (PlistCodec, IntegersReadUpToTheFirstNonDigit)
{
    const struct
    {
        const char* text;
        juce::int64 value;
    } cases[] = {
        { " 42abc", 42 }, { "abc", 0 }, { "", 0 }, { "-17", -17 }, { "+8", 8 }, { "\t\n 5", 5 },
        { "99999999999999999999999", std::numeric_limits<juce::int64>::max() },
        { "-99999999999999999999999", std::numeric_limits<juce::int64>::min() },
        { "9223372036854775807", std::numeric_limits<juce::int64>::max() },
    };
    for (const auto& c : cases)
        EXPECT_EQ (plistParseInteger (c.text), c.value) << c.text;
}

TEST (PlistCodec, FloatsReadFiniteWhateverTheText)
{
    EXPECT_EQ (plistParseFloat ("nan"), 0.0f);
    EXPECT_EQ (plistParseFloat ("junk"), 0.0f);
    EXPECT_EQ (plistParseFloat ("1e999"), std::numeric_limits<float>::max());
    EXPECT_EQ (plistParseFloat ("-inf"), -std::numeric_limits<float>::max());
    EXPECT_EQ (plistParseFloat ("0.5"), 0.5f);
}

TEST (PlistCodec, LookupsFallBackToTheirDefaults)
{
    auto d = parseDict ("<key>s</key><string>true</string>"
                        "<key>r</key><real>2.5</real>"
                        "<key>i</key><integer> 42abc</integer>"
                        "<key>letters</key><integer>abc</integer>"
                        "<key>dup</key><real>1</real><key>dup</key><integer>9</integer>"
                        "<key>empty</key><string></string>"
                        "<key>last</key>");
    ASSERT_NE (d, nullptr);
    EXPECT_FALSE (plistGetBool ("s", d.get(), true));
    EXPECT_EQ (plistGetInteger ("r", 7, d.get()), 7);
    EXPECT_EQ (plistGetInteger ("i", 7, d.get()), 42);
    EXPECT_EQ (plistGetInteger ("letters", 7, d.get()), 0);
    EXPECT_EQ (plistGetInteger ("dup", 7, d.get()), 7); // the first "dup" is a real
    EXPECT_EQ (plistGetString ("empty", "x", d.get()), "");
    EXPECT_EQ (plistGetString ("last", "x", d.get()), "x");
    EXPECT_EQ (plistFindValue ("last", d.get()), nullptr);
    EXPECT_EQ (plistGetReal ("missing", d.get(), 0.25f), 0.25f);
    EXPECT_TRUE (plistGetBool ("missing", d.get(), true));
    EXPECT_EQ (plistGetItems ("missing", d.get()).size(), 0);
    EXPECT_EQ (plistGetItems ({}, d.get()).size(), 15);
}

TEST (PlistCodec, AnEmptyStringReadsBackEmpty)
{
    auto root = plistNewRoot();
    auto* dict = root->createNewChildElement ("dict");
    plistAddString ("e", "", dict);
    auto back = plistParseText (plistToText (*root, false));
    ASSERT_NE (back, nullptr);
    EXPECT_EQ (plistGetString ("e", "default", back->getFirstChildElement()), "");
}

TEST (PlistCodec, FileIsWrittenMultiLineWithoutZeroByte)
{
    ScopedTestFolders folders;
    const auto file = folders.root.getChildFile ("list.hpr");
    auto dict = plistNewDict();
    plistAddInteger ("n", 1, dict.get());
    ASSERT_TRUE (plistWriteFile (file, *dict));

    juce::MemoryBlock data;
    file.loadFileAsData (data);
    const auto text = juce::String::fromUTF8 (static_cast<const char*> (data.getData()), (int) data.getSize());
    EXPECT_EQ (text, kHeader + "\r\n\r\n" + kDoctype + "\r\n<plist>\r\n  <dict>\r\n    <key>n</key>\r\n"
                                               "    <integer>1</integer>\r\n  </dict>\r\n</plist>\r\n");
    EXPECT_NE (static_cast<const char*> (data.getData())[data.getSize() - 1], 0);
}

TEST (PlistCodec, DocumentsThatAreNotWholeDoNotParse)
{
    const auto full = plistToText (*smallDocument(), false);
    EXPECT_NE (plistParseText (full), nullptr);
    // Cut inside a closing tag, the parser alone would return the part before the cut.
    for (int cut : { 1, 10, 60, full.length() / 2, full.indexOf ("</integer>") + 4, full.indexOf ("</dict>") + 3,
                     full.indexOf ("</plist>") + 3 })
        EXPECT_EQ (plistParseText (full.substring (0, cut)), nullptr) << cut;
    EXPECT_EQ (plistParseText ("not xml at all"), nullptr);
    EXPECT_EQ (plistParseText (""), nullptr);
}

TEST (PlistCodec, DocumentsTheParserCannotFinishAreRefused)
{
    juce::String deep;
    for (int i = 0; i < 5000; ++i)
        deep << "<a>";
    EXPECT_EQ (plistParseText (deep), nullptr);

    const juce::String entities = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"<b/><b/>\">]><plist>&a;</plist>";
    EXPECT_EQ (plistParseText (entities), nullptr);

    // JUCE's parser never returns from this one.
    EXPECT_EQ (plistParseText ("<plist><dict><?pi x?> text</dict></plist>"), nullptr);

    juce::String fine;
    for (int i = 0; i < 10; ++i)
        fine << "<a x=\"/>\">";
    for (int i = 0; i < 10; ++i)
        fine << "</a>";
    EXPECT_NE (plistParseText (fine), nullptr);
}
