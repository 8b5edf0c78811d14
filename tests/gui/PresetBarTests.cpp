#include "PluginProcessor.h"
#include "PresetLibrary.h"
#include "TestSupport.h"
#include "gui/MenuBox.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using torka::test::pumpMessages;
using torka::test::pumpUntil;
using torka::test::ScopedTemporaryHome;

namespace
{
// Each test has its own HOME, so its own documents folder and preset folder.
class PresetBar : public ::testing::Test
{
protected:
    ScopedTemporaryHome home;
    PluginProcessor processor;
    juce::File folder = home.presetFolder();

    std::unique_ptr<hoa::gui::MenuBox> makeBar()
    {
        auto bar = std::make_unique<hoa::gui::MenuBox> (processor);
        bar->setBounds (0, 0, 235, 32);
        return bar;
    }

    float real (const char* id) { return torka::test::realValue (processor.treeState, id); }
    void setReal (const char* id, float value) { torka::test::setRealValue (processor.treeState, id, value); }

    juce::File writeUserPreset (const juce::String& name, const juce::String& body, const juce::String& root = "TORKA")
    {
        folder.createDirectory();
        auto f = folder.getChildFile (name);
        f.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">" + body + "</" + root + ">\n");
        return f;
    }

    juce::String current() const { return processor.variableTree[hoa::TreeItems::currentPreset].toString(); }

    // Picks an item the way the pop-up does, then lets the change callback run.
    static void pick (hoa::gui::MenuBox& bar, int id)
    {
        bar.getPresetBox().setSelectedId (id, juce::sendNotificationAsync);
        pumpMessages (30);
    }

    static int idOf (hoa::gui::MenuBox& bar, const juce::String& name, bool factory)
    {
        const auto& presets = bar.getPresets();
        for (int i = 0; i < presets.size(); ++i)
            if (presets[i].name == name && presets[i].isFactory == factory)
                return i + 1;
        return -1;
    }

    // The menu as shown: top-level items, separators and sub-menus with their items.
    static juce::StringArray menuOutline (juce::ComboBox& box)
    {
        juce::StringArray lines;
        for (juce::PopupMenu::MenuItemIterator it (*box.getRootMenu()); it.next();)
        {
            const auto& item = it.getItem();
            if (item.isSeparator)
                lines.add ("---");
            else if (item.subMenu != nullptr)
            {
                juce::StringArray children;
                for (juce::PopupMenu::MenuItemIterator sub (*item.subMenu); sub.next();)
                    children.add (sub.getItem().text + "=" + juce::String (sub.getItem().itemID));
                lines.add (item.text + ": " + children.joinIntoString (", "));
            }
            else
                lines.add (item.text + "=" + juce::String (item.itemID));
        }
        return lines;
    }
};

const char* const factoryNames[] = { "BOOST DETAILS", "CLEAN BOOST", "HOT AIR", "HOT TAPE", "MAGIC TOUCH",
                                     "MIX FINISHER", "PUNCHY DRUMS", "PUNCHY SNARE", "TAPE SMILE", "WARM MASTER" };

juce::String factoryLine()
{
    juce::StringArray items;
    for (int i = 0; i < 10; ++i)
        items.add (juce::String (factoryNames[i]) + "=" + juce::String (i + 2));
    return "Factory: " + items.joinIntoString (", ");
}
} // namespace

TEST_F (PresetBar, AFreshFolderGetsDefaultAndTheFullMenu)
{
    setReal ("bodyID", 21.0f);
    ASSERT_FALSE (folder.exists());
    auto bar = makeBar();

    ASSERT_TRUE (folder.getChildFile ("Default.xml").existsAsFile());
    EXPECT_TRUE (folder.getChildFile ("Default.xml").loadFileAsString().contains ("bodyID=\"21.0\""));
    EXPECT_EQ (processor.variableTree[hoa::TreeItems::presetFolder].toString(), folder.getFullPathName());

    const juce::StringArray expected { juce::String ("INIT=1"), juce::String ("---"), factoryLine(), juce::String ("User: Default=12") };
    EXPECT_EQ (menuOutline (bar->getPresetBox()), expected);
    EXPECT_EQ (bar->getPresetBox().getNumItems(), 12);
    EXPECT_EQ (bar->getPresetBox().getSelectedId(), 0) << "nothing is remembered yet";
}

TEST_F (PresetBar, ListsUserPresetsByPathIgnoringCaseAndLeavesJunkOut)
{
    writeUserPreset ("Warm.xml", "<Parameter bodyID=\"1\"/>");
    writeUserPreset ("C.xml", "<Parameter bodyID=\"2\"/>");
    writeUserPreset ("b.xml", "<Parameter bodyID=\"3\"/>");
    writeUserPreset ("lower.xml", "<Parameter bodyID=\"4\"/>", "torka");
    writeUserPreset ("other.xml", "<Parameter bodyID=\"5\"/>", "OTHER");
    folder.getChildFile ("broken.xml").replaceWithText ("<TORKA><Parameter");
    folder.getChildFile ("binary.xml").replaceWithData ("\0\1\2\3\xff\xfe", 6);
    folder.getChildFile ("notes.txt").replaceWithText ("<TORKA/>");
    {
        // A real preset, padded past the largest size a preset may have.
        juce::FileOutputStream huge (folder.getChildFile ("huge.xml"));
        huge << "<TORKA><Parameter bodyID=\"3\"/>";
        for (int i = 0; i < 50000; ++i)
            huge << "<!-- padding padding -->";
        huge << "</TORKA>";
    }
    const auto unreadable = writeUserPreset ("unreadable.xml", "<Parameter bodyID=\"6\"/>");
    unreadable.setReadOnly (true);
    chmod (unreadable.getFullPathName().toRawUTF8(), 0);
    auto bar = makeBar();

    const auto outline = menuOutline (bar->getPresetBox());
    if (geteuid() == 0) // root reads the file whatever its permissions
        EXPECT_EQ (outline[3], "User: b=12, C=13, Default=14, unreadable=15, Warm=16");
    else
        EXPECT_EQ (outline[3], "User: b=12, C=13, Default=14, Warm=15");
}

TEST_F (PresetBar, PickingAppliesThePresetAndRemembersIt)
{
    writeUserPreset ("Warm.xml", "<Parameter bodyID=\"33\"/><Parameter clipDrive1ID=\"4\"/>");
    auto bar = makeBar();

    setReal ("bodyID", 50.0f);
    setReal ("outputID", -6.0f);
    pick (*bar, 1);
    EXPECT_EQ (real ("bodyID"), 0.0f) << "INIT resets every parameter";
    EXPECT_EQ (real ("outputID"), 0.0f);
    EXPECT_EQ (current(), "INIT");

    pick (*bar, idOf (*bar, "CLEAN BOOST", true));
    EXPECT_EQ (real ("mainID"), 60.53f);
    EXPECT_EQ (current(), "CLEAN BOOST");

    setReal ("outputID", 3.0f);
    pick (*bar, idOf (*bar, "Warm", false));
    EXPECT_EQ (real ("bodyID"), 33.0f);
    EXPECT_EQ (real ("clipDrive1ID"), 4.0f);
    EXPECT_EQ (real ("mainID"), 60.53f) << "a user preset changes only what it names";
    EXPECT_EQ (current(), "Warm");

    juce::MemoryBlock blob;
    processor.getStateInformation (blob);
    const auto state = juce::ValueTree::readFromData (blob.getData(), blob.getSize());
    EXPECT_EQ (state.getChildWithName ("Variables")[hoa::TreeItems::currentPreset].toString(), "Warm");
}

TEST_F (PresetBar, RepickingTheCurrentItemDoesNothing)
{
    auto bar = makeBar();
    const auto id = idOf (*bar, "HOT AIR", true);
    pick (*bar, id);
    ASSERT_EQ (real ("air1ID"), 8.58f);

    setReal ("air1ID", 1.0f);
    bar->refreshMenu(); // clears the selection; the item applied last is remembered
    pick (*bar, id);
    EXPECT_EQ (real ("air1ID"), 1.0f);
    EXPECT_EQ (bar->getPresetBox().getSelectedId(), id);
}

TEST_F (PresetBar, StepButtonsWrapBothWays)
{
    writeUserPreset ("Warm.xml", "<Parameter bodyID=\"33\"/>");
    auto bar = makeBar();
    auto& box = bar->getPresetBox();
    const auto count = box.getNumItems();
    ASSERT_EQ (count, 13);

    bar->getNextButton().triggerClick();
    pumpMessages (30);
    EXPECT_EQ (box.getSelectedId(), 1) << "from nothing, next goes to INIT";

    juce::StringArray visited;
    for (int i = 0; i < count; ++i)
    {
        bar->getNextButton().triggerClick();
        pumpMessages (20);
        visited.add (box.getText());
    }
    EXPECT_EQ (visited[0], "BOOST DETAILS");
    EXPECT_EQ (visited[9], "WARM MASTER");
    EXPECT_EQ (visited[10], "Default");
    EXPECT_EQ (visited[11], "Warm");
    EXPECT_EQ (visited[12], "INIT") << "the last item wraps to INIT";

    bar->getPreviousButton().triggerClick();
    pumpMessages (30);
    EXPECT_EQ (box.getText(), "Warm") << "back from INIT goes to the last user preset";
    EXPECT_EQ (real ("bodyID"), 33.0f) << "stepping applies";
    EXPECT_EQ (current(), "Warm");

    auto fresh = makeBar();
    fresh->getPresetBox().setSelectedId (0, juce::dontSendNotification);
    fresh->getPreviousButton().triggerClick();
    pumpMessages (30);
    EXPECT_EQ (fresh->getPresetBox().getText(), "Warm") << "from nothing, previous goes to the last item";
}

TEST_F (PresetBar, DeleteIsRefusedForFactoryInitAndDefault)
{
    auto bar = makeBar();
    for (const auto id : { 1, idOf (*bar, "TAPE SMILE", true), idOf (*bar, "Default", false) })
    {
        pick (*bar, id);
        bar->deletePreset();
        pumpMessages (30);
        EXPECT_EQ (juce::Component::getCurrentlyModalComponent(), nullptr) << "no alert for " << bar->getPresetBox().getText();
    }
    EXPECT_TRUE (folder.getChildFile ("Default.xml").existsAsFile());
}

namespace
{
juce::AlertWindow* openAlert()
{
    pumpUntil ([] { return dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent()) != nullptr; });
    return dynamic_cast<juce::AlertWindow*> (juce::Component::getCurrentlyModalComponent());
}

juce::Button* buttonOf (juce::AlertWindow& alert, const juce::String& text)
{
    for (int i = 0; i < alert.getNumChildComponents(); ++i)
        if (auto* b = dynamic_cast<juce::Button*> (alert.getChildComponent (i)); b != nullptr && b->getButtonText() == text)
            return b;
    return nullptr;
}
} // namespace

TEST_F (PresetBar, DeletingAsksFirstThenRemovesTheFileAndAppliesInit)
{
    const auto warm = writeUserPreset ("Warm.xml", "<Parameter bodyID=\"33\"/>");
    auto bar = makeBar();
    pick (*bar, idOf (*bar, "Warm", false));
    ASSERT_EQ (real ("bodyID"), 33.0f);

    bar->deletePreset();
    auto* alert = openAlert();
    ASSERT_NE (alert, nullptr);
    EXPECT_EQ (alert->getName(), "Delete Preset");
    const auto options = hoa::gui::MenuBox::deleteAlertOptions (warm);
    EXPECT_EQ (options.getMessage(), "Delete \"Warm\"?");
    EXPECT_EQ (options.getIconType(), juce::MessageBoxIconType::WarningIcon);
    EXPECT_EQ (options.getNumButtons(), 2);
    ASSERT_NE (buttonOf (*alert, "Cancel"), nullptr);
    buttonOf (*alert, "Cancel")->triggerClick();
    ASSERT_TRUE (pumpUntil ([] { return juce::Component::getCurrentlyModalComponent() == nullptr; }));
    EXPECT_TRUE (warm.existsAsFile()) << "cancel deletes nothing";

    bar->deletePreset();
    alert = openAlert();
    ASSERT_NE (alert, nullptr);
    ASSERT_NE (buttonOf (*alert, "Delete"), nullptr);
    buttonOf (*alert, "Delete")->triggerClick();
    ASSERT_TRUE (pumpUntil ([this] { return current() == "INIT"; }));

    EXPECT_FALSE (warm.exists());
    EXPECT_EQ (idOf (*bar, "Warm", false), -1);
    EXPECT_EQ (bar->getPresetBox().getSelectedId(), 1);
    EXPECT_EQ (real ("bodyID"), 0.0f) << "INIT is applied";
}

TEST_F (PresetBar, SavingIntoTheFolderListsAndSelectsThePreset)
{
    auto bar = makeBar();
    setReal ("bodyID", 12.0f);
    bar->saveChosenFile (folder.getChildFile ("Warm"));
    pumpMessages (30);

    EXPECT_TRUE (folder.getChildFile ("Warm.xml").existsAsFile());
    EXPECT_EQ (bar->getPresetBox().getText(), "Warm");
    EXPECT_EQ (current(), "Warm");

    // Saving over the selected preset replaces the file and keeps the selection, without applying it again.
    setReal ("bodyID", 60.0f);
    bar->saveChosenFile (folder.getChildFile ("Warm.xml"));
    pumpMessages (30);
    EXPECT_TRUE (folder.getChildFile ("Warm.xml").loadFileAsString().contains ("bodyID=\"60.0\""));
    EXPECT_EQ (bar->getPresetBox().getText(), "Warm");
    EXPECT_EQ (real ("bodyID"), 60.0f);

    // A file saved elsewhere is written but not listed.
    const auto elsewhere = home.get().getChildFile ("elsewhere");
    elsewhere.createDirectory();
    bar->saveChosenFile (elsewhere.getChildFile ("Mine.txt"));
    pumpMessages (30);
    EXPECT_TRUE (elsewhere.getChildFile ("Mine.xml").existsAsFile());
    EXPECT_EQ (idOf (*bar, "Mine", false), -1);
    EXPECT_EQ (bar->getPresetBox().getSelectedId(), 0);

    bar->saveChosenFile ({});
    pumpMessages (30);
    EXPECT_EQ (bar->getPresetBox().getNumItems(), 13);
}

TEST_F (PresetBar, LoadingAFileAppliesItAndSelectsAListedNamesake)
{
    writeUserPreset ("Warm.xml", "<Parameter bodyID=\"33\"/>");
    const auto elsewhere = home.get().getChildFile ("elsewhere");
    elsewhere.createDirectory();
    const auto other = elsewhere.getChildFile ("Other.xml");
    other.replaceWithText ("<TORKA><Parameter clipDrive1ID=\"7\"/></TORKA>");
    const auto namesake = elsewhere.getChildFile ("Warm.xml");
    namesake.replaceWithText ("<TORKA><Parameter bodyID=\"44\"/><Parameter punchID=\"0.5\"/></TORKA>");
    auto bar = makeBar();

    bar->loadChosenFile (other);
    pumpMessages (30);
    EXPECT_EQ (real ("clipDrive1ID"), 7.0f);
    EXPECT_EQ (bar->getPresetBox().getSelectedId(), 0) << "a file from another folder leaves the bar empty";

    bar->loadChosenFile (namesake);
    pumpMessages (30);
    EXPECT_EQ (bar->getPresetBox().getText(), "Warm");
    EXPECT_EQ (real ("punchID"), 0.5f) << "the chosen file was applied";
    EXPECT_EQ (real ("bodyID"), 33.0f) << "then the listed preset of that name, over it";
    EXPECT_EQ (current(), "Warm");

    setReal ("bodyID", 1.0f);
    bar->loadChosenFile (elsewhere.getChildFile ("missing.xml"));
    bar->loadChosenFile ({});
    pumpMessages (30);
    EXPECT_EQ (real ("bodyID"), 1.0f);
}

TEST_F (PresetBar, ANewBarShowsTheRememberedPresetWithoutApplyingIt)
{
    processor.variableTree.setProperty (hoa::TreeItems::currentPreset, "HOT AIR", nullptr);
    setReal ("air1ID", 2.0f);
    auto bar = makeBar();
    pumpMessages (50);
    EXPECT_EQ (bar->getPresetBox().getText(), "HOT AIR");
    EXPECT_EQ (real ("air1ID"), 2.0f);

    processor.variableTree.setProperty (hoa::TreeItems::currentPreset, "Gone", nullptr);
    auto other = makeBar();
    EXPECT_EQ (other->getPresetBox().getSelectedId(), 0);

    // A user file named like a factory preset is listed twice; the factory one comes first.
    writeUserPreset ("HOT AIR.xml", "<Parameter air1ID=\"1\"/>");
    processor.variableTree.setProperty (hoa::TreeItems::currentPreset, "HOT AIR", nullptr);
    auto twice = makeBar();
    EXPECT_NE (idOf (*twice, "HOT AIR", false), -1);
    EXPECT_EQ (twice->getPresetBox().getSelectedId(), idOf (*twice, "HOT AIR", true));
}

TEST_F (PresetBar, ARestoredFolderIsScannedWhileTheTreeNamesThisMachinesFolder)
{
    const auto restored = home.get().getChildFile ("from-another-machine");
    restored.createDirectory();
    restored.getChildFile ("Old.xml").replaceWithText ("<TORKA><Parameter bodyID=\"9\"/></TORKA>");
    processor.variableTree.setProperty (hoa::TreeItems::presetFolder, restored.getFullPathName(), nullptr);

    auto bar = makeBar();
    EXPECT_NE (idOf (*bar, "Old", false), -1);
    EXPECT_EQ (idOf (*bar, "Default", false), -1);
    EXPECT_EQ (processor.variableTree[hoa::TreeItems::presetFolder].toString(), folder.getFullPathName());
    EXPECT_TRUE (folder.getChildFile ("Default.xml").existsAsFile());
}

TEST_F (PresetBar, WorksWhenThePresetFolderCannotBeMade)
{
    // Something that is not a folder sits where the preset folder belongs.
    folder.getParentDirectory().createDirectory();
    folder.replaceWithText ("not a folder");

    auto bar = makeBar();
    EXPECT_EQ (bar->getPresetBox().getNumItems(), 11) << "INIT and the factory presets";
    pick (*bar, idOf (*bar, "HOT TAPE", true));
    EXPECT_EQ (real ("bodyID"), 49.45f);

    bar->saveChosenFile (folder.getChildFile ("Mine"));
    pumpMessages (30);
    EXPECT_TRUE (folder.existsAsFile()) << "nothing replaced it";
}

TEST_F (PresetBar, LaysOutTheStepButtonsAroundTheBox)
{
    auto bar = makeBar();
    EXPECT_EQ (bar->getPreviousButton().getBounds(), juce::Rectangle<int> (0, 0, 33, 32));
    EXPECT_EQ (bar->getPresetBox().getBounds(), juce::Rectangle<int> (33, 0, 169, 32));
    EXPECT_EQ (bar->getNextButton().getBounds(), juce::Rectangle<int> (202, 0, 33, 32));
}
