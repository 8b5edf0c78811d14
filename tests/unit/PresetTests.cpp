#include "PluginProcessor.h"
#include "PresetLibrary.h"
#include "PresetManager.h"
#include "TestSupport.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using torka::test::ScopedTemporaryHome;

namespace
{
class Presets : public ::testing::Test
{
protected:
    ScopedTemporaryHome home;
    PluginProcessor processor;
    hoa::PresetManager manager { processor.treeState, processor.variableTree, "TORKA" };
    juce::File folder = home.get().getChildFile ("presets");

    void SetUp() override { folder.createDirectory(); }

    float real (const char* id) { return torka::test::realValue (processor.treeState, id); }
    void setReal (const char* id, float value) { torka::test::setRealValue (processor.treeState, id, value); }

    juce::File write (const juce::String& name, const juce::String& text)
    {
        auto f = folder.getChildFile (name);
        f.replaceWithText (text, false, false, "\r\n");
        return f;
    }

    std::vector<float> allValues()
    {
        std::vector<float> v;
        for (auto* p : processor.getParameters())
            v.push_back (p->getValue());
        return v;
    }
};

juce::String document (const juce::String& root, const juce::String& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">\n" + body + "\n</" + root + ">\n";
}

juce::MemoryBlock bytesOf (const juce::File& f)
{
    juce::MemoryBlock b;
    f.loadFileAsData (b);
    return b;
}
} // namespace

TEST_F (Presets, ValueTextRoundsToFourPlacesInSinglePrecision)
{
    struct Case { float raw; const char* text; };
    const Case cases[] = {
        { 0.0f, "0.0" },
        { 0.000004f, "0.0" },
        { -0.000004f, "0.0" },
        { 7.0f, "7.0" },
        { -3.5f, "-3.5" },
        { 1.23456f, "1.234599947929382" },
        { -12.345678f, "-12.34570026397705" },
        { 16.64f, "16.63999938964844" },
        { 63.74f, "63.7400016784668" },
        { 0.49f, "0.4900000095367432" },
        { 100.0f, "100.0" },
        { 0.00005f, "0.00009999999747378752" },
    };

    for (const auto& c : cases)
    {
        juce::XmlElement e ("P");
        e.setAttribute ("v", hoa::PresetManager::valueForPreset (c.raw));
        EXPECT_EQ (e.getStringAttribute ("v"), c.text) << c.raw;
    }
}

TEST_F (Presets, SavedFileHasTheExactLayout)
{
    setReal ("bodyID", 16.64f);
    setReal ("mainID", 63.74f);
    setReal ("air1ID", 3.29f);
    setReal ("bypassID", 1.0f);
    manager.savePreset (folder.getChildFile ("Mine"));

    const auto expected = juce::String ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<TORKA>\r\n")
                          + "  <Parameter inputID=\"0.0\"/>\r\n"
                          + "  <Parameter bodyID=\"16.63999938964844\"/>\r\n"
                          + "  <Parameter mainID=\"63.7400016784668\"/>\r\n"
                          + "  <Parameter punchID=\"0.0\"/>\r\n"
                          + "  <Parameter outputID=\"0.0\"/>\r\n"
                          + "  <Parameter air1ID=\"3.289999961853027\"/>\r\n"
                          + "  <Parameter clipDrive1ID=\"0.0\"/>\r\n"
                          + "  <Parameter bypassID=\"1.0\"/>\r\n"
                          + "</TORKA>\r\n";
    const auto written = bytesOf (folder.getChildFile ("Mine.xml"));
    EXPECT_EQ (written.toString(), expected);
    EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false).size(), 1) << "no temporary file is left behind";
}

TEST_F (Presets, SavingReplacesTheExtensionWithXml)
{
    const std::pair<const char*, const char*> cases[] = { { "My Preset", "My Preset.xml" }, { "My Preset.txt", "My Preset.xml" },
                                                          { "Warm.XML", "Warm.xml" } };
    for (const auto& [given, written] : cases)
    {
        manager.savePreset (folder.getChildFile (given));
        EXPECT_TRUE (folder.getChildFile (written).existsAsFile()) << given;
    }

    juce::StringArray names;
    for (const auto& f : folder.findChildFiles (juce::File::findFiles, false))
        names.add (f.getFileName());
    names.sort (false);
    EXPECT_EQ (names, juce::StringArray ({ "My Preset.xml", "Warm.xml" }));
}

TEST_F (Presets, FailedSavesLeaveTheOldPresetIntact)
{
    setReal ("bodyID", 11.0f);
    const auto target = folder.getChildFile ("Keep.xml");
    manager.savePreset (target);
    const auto original = bytesOf (target);
    setReal ("bodyID", 99.0f);

    {
        SCOPED_TRACE ("the write fails half-way (file size limit)");
        // The limit makes the write fail part-way with EFBIG instead of ending the process.
        auto* previousHandler = std::signal (SIGXFSZ, SIG_IGN);
        rlimit previous {};
        getrlimit (RLIMIT_FSIZE, &previous);
        rlimit small = previous;
        small.rlim_cur = 100;
        setrlimit (RLIMIT_FSIZE, &small);

        manager.savePreset (target);

        setrlimit (RLIMIT_FSIZE, &previous);
        std::signal (SIGXFSZ, previousHandler);
        EXPECT_EQ (bytesOf (target), original);
        EXPECT_EQ (folder.findChildFiles (juce::File::findFiles, false).size(), 1) << "the partial temporary file is removed";
    }
    {
        SCOPED_TRACE ("the folder does not exist");
        manager.savePreset (folder.getChildFile ("missing").getChildFile ("Keep.xml"));
        EXPECT_FALSE (folder.getChildFile ("missing").exists());
    }
    if (geteuid() != 0) // permissions do not stop root
    {
        SCOPED_TRACE ("the folder is read-only");
        folder.setReadOnly (true);
        manager.savePreset (target);
        folder.setReadOnly (false);
        EXPECT_EQ (bytesOf (target), original);
    }

    manager.savePreset (target);
    EXPECT_NE (bytesOf (target), original) << "with the fault gone the save goes through";
}

TEST_F (Presets, LoaderAppliesMatchingDocumentsOnly)
{
    struct Case { const char* name; juce::String text; float bodyAfter; };
    const auto all = juce::String ("<Parameter bodyID=\"12.5\"/>");
    const Case cases[] = {
        { "product root", document ("TORKA", all), 12.5f },
        { "root in lower case", document ("torka", all), 12.5f },
        { "another root", document ("OTHER", all), 40.0f },
        { "not XML", "this is not xml <<<", 40.0f },
        { "empty file", "", 40.0f },
        { "truncated document", document ("TORKA", all).substring (0, 60), 40.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        setReal ("bodyID", 40.0f);
        manager.loadPreset (write ("case.xml", c.text).getFullPathName());
        EXPECT_FLOAT_EQ (real ("bodyID"), c.bodyAfter);
    }

    setReal ("bodyID", 40.0f);
    const auto before = allValues();
    for (const auto& path : { folder.getChildFile ("nothing.xml").getFullPathName(), folder.getFullPathName(), juce::String ("relative/path.xml"), juce::String() })
        manager.loadPreset (path);
    EXPECT_EQ (allValues(), before) << "missing files, folders and relative paths do nothing";
}

TEST_F (Presets, AttributesApplyByIdAsNumbers)
{
    struct Case { const char* name; juce::String body; const char* id; float expected; };
    const Case cases[] = {
        { "a partial document changes only what it names", "<Parameter mainID=\"30\"/>", "bodyID", 40.0f },
        { "an element of any name", "<Knob bodyID=\"22\"/>", "bodyID", 22.0f },
        { "two attributes on one element", "<P bodyID=\"5\" mainID=\"6\"/>", "mainID", 6.0f },
        { "wrong case is not an ID", "<Parameter BodyID=\"77\"/>", "bodyID", 40.0f },
        { "weightID is the constant's name, not the ID", "<Parameter weightID=\"77\"/>", "bodyID", 40.0f },
        { "12abc reads 12", "<Parameter bodyID=\"12abc\"/>", "bodyID", 12.0f },
        { "abc reads 0", "<Parameter bodyID=\"abc\"/>", "bodyID", 0.0f },
        { "500 is brought into the range", "<Parameter bodyID=\"500\"/>", "bodyID", 100.0f },
        { "below the range", "<Parameter inputID=\"-90\"/>", "inputID", -30.0f },
        { "steps to the 0.01 grid", "<Parameter bodyID=\"12.345\"/>", "bodyID", 12.35f },
        { "nan is skipped", "<Parameter bodyID=\"nan\"/>", "bodyID", 40.0f },
        { "inf is skipped", "<Parameter bodyID=\"inf\"/>", "bodyID", 40.0f },
        { "-inf is skipped", "<Parameter bodyID=\"-inf\"/>", "bodyID", 40.0f },
        { "1e999 is skipped", "<Parameter bodyID=\"1e999\"/>", "bodyID", 40.0f },
        { "an exponent of 25 digits is skipped", "<Parameter bodyID=\"-1e99911111111111111111111\"/>", "bodyID", 40.0f },
        { "leading zeros in an exponent", "<Parameter bodyID=\"5e+0000000000001\"/>", "bodyID", 50.0f },
        { "a switch at 500 is on", "<Parameter bypassID=\"500\"/>", "bypassID", 1.0f },
        { "children of an element are not visited", "<Group><Parameter bodyID=\"9\"/></Group>", "bodyID", 40.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        setReal ("bodyID", 40.0f);
        setReal ("mainID", 40.0f);
        setReal ("inputID", 0.0f);
        setReal ("bypassID", 0.0f);
        manager.loadPreset (write ("case.xml", document ("TORKA", c.body)).getFullPathName());
        EXPECT_NEAR (real (c.id), c.expected, 1.0e-4f);
    }
}

TEST_F (Presets, IdFilterAppliesOnlyTheListedIds)
{
    const auto root = juce::parseXML (document ("TORKA", "<Parameter bodyID=\"10\"/><Parameter mainID=\"20\"/><Parameter punchID=\"0.3\"/>"));
    ASSERT_NE (root, nullptr);
    manager.applyXmlParams (root->getFirstChildElement(), juce::StringArray { "bodyID" });
    EXPECT_FLOAT_EQ (real ("bodyID"), 10.0f);
    EXPECT_FLOAT_EQ (real ("mainID"), 0.0f);
    EXPECT_FLOAT_EQ (real ("punchID"), 0.0f);

    manager.applyXmlParams (nullptr, {});
    manager.applyXmlParams (root->getFirstChildElement(), {});
    EXPECT_FLOAT_EQ (real ("mainID"), 20.0f);
}

TEST_F (Presets, HostileDocumentsAreNotParsed)
{
    juce::MemoryOutputStream deep;
    deep << "<TORKA>";
    for (int i = 0; i < 200000; ++i)
        deep << "<a>";
    const auto deepFile = write ("deep.xml", deep.toString());
    const auto huge = folder.getChildFile ("huge.xml");
    {
        juce::FileOutputStream out (huge);
        out << "<TORKA><Parameter bodyID=\"3\"/>";
        for (int i = 0; i < 200000; ++i)
            out << "<!-- padding padding padding -->";
        out << "</TORKA>";
    }

    setReal ("bodyID", 40.0f);
    for (const auto& f : { deepFile, huge })
    {
        EXPECT_EQ (hoa::presets::readDocument (f), nullptr) << f.getFileName();
        manager.loadPreset (f.getFullPathName());
    }
    EXPECT_FLOAT_EQ (real ("bodyID"), 40.0f);

    // A processing instruction inside an element, then text, sends JUCE's parser round a
    // loop for ever; an unclosed quote must not hide one.
    for (const auto* looping : { "<TORKA><P bodyID=\"1\"/> <?pi x?>text</TORKA>",
                                 "<TORKA><P a=\"0/>\n<P b=\"0\"/>\n<?x?>\nhhh/>\n<P c=\"0\"/></TORKA>" })
        EXPECT_EQ (hoa::presets::parseDocument (looping), nullptr) << looping;
    EXPECT_NE (hoa::presets::parseDocument ("<?xml version=\"1.0\"?><!-- <a> --><?pi?><TORKA/>"), nullptr)
        << "declarations, comments and instructions before the root are fine";

    // A hexadecimal character reference cut off by the end of the text made JUCE's parser
    // read past it; complete references still read.
    // The same at the end of markup that JUCE parses again: an unknown entity starting
    // with "<", or a document type's entities.
    for (const auto* cutOff : { "<TORKA>&#x", "<TORKA>&#X4f", "<TORKA><P bodyID=\"&#x3",
                                "<TORKA>&<P bodyID=\"3\"/>&#x;</TORKA>",
                                "<!DOCTYPE TORKA [<!ENTITY e \"<P/>\">]><TORKA>&e;</TORKA>" })
        EXPECT_EQ (hoa::presets::parseDocument (cutOff), nullptr) << cutOff;
    const auto referenced = hoa::presets::parseDocument ("<TORKA><P bodyID=\"&#x33;&#x32;\"/>&#x;</TORKA>");
    ASSERT_NE (referenced, nullptr);
    EXPECT_EQ (referenced->getChildElement (0)->getStringAttribute ("bodyID"), "32");

    // Nesting as deep as the element limit allows still parses.
    const auto nested = [] (int levels)
    {
        return "<TORKA>" + juce::String::repeatedString ("<a>", levels - 1)
             + juce::String::repeatedString ("</a>", levels - 1) + "</TORKA>";
    };
    EXPECT_NE (hoa::presets::parseDocument (nested (hoa::presets::maximumElements)), nullptr);
    EXPECT_EQ (hoa::presets::parseDocument (nested (hoa::presets::maximumElements + 1)), nullptr);
}

TEST (ResourceTable, LooksResourcesUpByName)
{
    int size = -1;
    EXPECT_NE (BinaryData::getNamedResource ("Save_png", size), nullptr);
    EXPECT_EQ (size, BinaryData::Save_pngSize);

    for (const char* unknown : { "Save.png", "nothing", "", "save_png" })
    {
        size = -1;
        EXPECT_EQ (BinaryData::getNamedResource (unknown, size), nullptr) << unknown;
        EXPECT_EQ (size, 0) << unknown;
    }
    size = -1;
    EXPECT_EQ (BinaryData::getNamedResource (nullptr, size), nullptr);
    EXPECT_EQ (size, 0);

    EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename ("barnew_png"), "bar-new.png");
    EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename ("BOOST_DETAILS_xml"), "BOOST DETAILS.xml");
    EXPECT_EQ (BinaryData::getNamedResourceOriginalFilename ("nothing"), nullptr);
    EXPECT_EQ (BinaryData::getNamedResourceOriginalFilename (nullptr), nullptr);
}

TEST (ResourceTable, HoldsTheTwentySevenFilesInOrderAndInSync)
{
    const char* names[] = { "JetBrainsMonoBold_ttf", "JetBrainsMonoItalic_ttf", "JetBrainsMonoLight_ttf", "Air_Knib_128_png",
                            "Back_png", "BackgroundFinal_png", "Delete_png", "Fader_Output_128_png", "Heat_Knob_128_png",
                            "Ignite_Knob_128_png", "Input_Fader_128_png", "Load_png", "Punch_Knob_128_png", "Save_png",
                            "Weight_Knob_128_png", "barnew_png", "bypass_png", "BOOST_DETAILS_xml", "CLEAN_BOOST_xml",
                            "HOT_AIR_xml", "HOT_TAPE_xml", "MAGIC_TOUCH_xml", "MIX_FINISHER_xml", "PUNCHY_DRUMS_xml",
                            "PUNCHY_SNARE_xml", "TAPE_SMILE_xml", "WARM_MASTER_xml" };
    ASSERT_EQ (BinaryData::namedResourceListSize, 27);

    const juce::File sources (TORKA_RESOURCES_DIR);
    std::set<juce::uint32> hashes;
    for (int i = 0; i < 27; ++i)
    {
        SCOPED_TRACE (names[i]);
        EXPECT_STREQ (BinaryData::namedResourceList[i], names[i]);

        int size = 0;
        const auto* data = BinaryData::getNamedResource (names[i], size);
        ASSERT_NE (data, nullptr);
        juce::MemoryBlock onDisk;
        ASSERT_TRUE (sources.getChildFile (BinaryData::originalFilenames[i]).loadFileAsData (onDisk));
        EXPECT_EQ (juce::MemoryBlock (data, (size_t) size), onDisk) << "the embedded copy matches resources/";

        juce::uint32 hash = 0;
        for (auto* c = names[i]; *c != 0; ++c)
            hash = 31 * hash + (juce::uint32) (juce::int8) *c;
        hashes.insert (hash);
    }
    EXPECT_EQ (hashes.size(), 27u) << "every name has its own hash";

    const std::pair<const char*, juce::uint32> knownHashes[] = { { "Back_png", 0x824A7EF1 }, { "CLEAN_BOOST_xml", 0x023C8AC5 } };
    for (const auto& [name, hash] : knownHashes)
    {
        juce::uint32 h = 0;
        for (auto* c = name; *c != 0; ++c)
            h = 31 * h + (juce::uint32) (juce::int8) *c;
        EXPECT_EQ (h, hash) << name;
    }
}

TEST_F (Presets, FactoryListHoldsTheTenDocumentsInOrder)
{
    const char* expected[] = { "BOOST DETAILS", "CLEAN BOOST", "HOT AIR", "HOT TAPE", "MAGIC TOUCH",
                               "MIX FINISHER", "PUNCHY DRUMS", "PUNCHY SNARE", "TAPE SMILE", "WARM MASTER" };
    const int sizes[] = { 346, 319, 333, 347, 361, 360, 376, 362, 347, 361 };
    const auto factory = hoa::presets::factoryPresets();
    ASSERT_EQ (factory.size(), 10u);
    for (size_t i = 0; i < 10; ++i)
    {
        EXPECT_EQ (factory[i].name, expected[i]);
        EXPECT_EQ (factory[i].size, sizes[i]) << expected[i];
    }
}

TEST_F (Presets, EachFactoryDocumentIsWhatTheWriterProducesForItsValues)
{
    for (const auto& preset : hoa::presets::factoryPresets())
    {
        SCOPED_TRACE (preset.name);
        PluginProcessor fresh;
        hoa::PresetManager writer (fresh.treeState, fresh.variableTree, "TORKA");
        const auto root = hoa::presets::parseEmbedded (preset.data, preset.size);
        ASSERT_NE (root, nullptr);
        writer.applyXmlParams (root->getFirstChildElement(), {});

        const auto out = folder.getChildFile ("rewritten.xml");
        writer.savePreset (out);
        EXPECT_EQ (bytesOf (out), juce::MemoryBlock (preset.data, (size_t) preset.size));
    }
}

TEST_F (Presets, CleanBoostSetsOnlyIgnite)
{
    setReal ("bodyID", 50.0f);
    setReal ("bypassID", 1.0f);
    for (const auto& preset : hoa::presets::factoryPresets())
        if (preset.name == "CLEAN BOOST")
            manager.applyXmlParams (hoa::presets::parseEmbedded (preset.data, preset.size)->getFirstChildElement(), {});

    EXPECT_EQ (real ("mainID"), 60.53f);
    for (auto* id : { "inputID", "bodyID", "punchID", "outputID", "air1ID", "clipDrive1ID", "bypassID" })
        EXPECT_EQ (real (id), 0.0f) << id;
}

TEST (UserPresetFiles, ListsXmlFilesByFullPathIgnoringCase)
{
    ScopedTemporaryHome home;
    const auto folder = home.get().getChildFile ("p");
    folder.createDirectory();
    for (auto* name : { "Warm.xml", "C.xml", "b.xml", "Default.xml", "LOUD.XML", "notes.txt", "xml" })
        folder.getChildFile (name).create();
    folder.getChildFile ("sub.xml").createDirectory();

    juce::StringArray names;
    for (const auto& f : hoa::presets::userPresetFiles (folder))
        names.add (f.getFileName());
    EXPECT_EQ (names, juce::StringArray ({ "b.xml", "C.xml", "Default.xml", "LOUD.XML", "Warm.xml" }));
    EXPECT_TRUE (hoa::presets::userPresetFiles (folder.getChildFile ("missing")).isEmpty());
}
