#include "PluginEditor.h"
#include "Signals.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using torka::test::pumpMessages;
using torka::test::pumpUntil;
using torka::test::ScopedTemporaryHome;

namespace
{
class Editor : public ::testing::Test
{
protected:
    ScopedTemporaryHome home;
    PluginProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> window { processor.createEditor() };
    PluginEditor& editor = dynamic_cast<PluginEditor&> (*window);

    juce::RangedAudioParameter& param (const char* id) { return *processor.treeState.getParameter (id); }

    float real (const char* id) { return torka::test::realValue (processor.treeState, id); }

    std::vector<float> allValues()
    {
        std::vector<float> v;
        for (auto* p : processor.getParameters())
            v.push_back (p->getValue());
        return v;
    }

    void saveSnapshot (juce::Component& c, const juce::String& name)
    {
        const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
        const auto file = torka::test::testOutputFolder().getChildFile (name);
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out)) << name;
    }
};

struct ChildBounds { const char* name; std::function<juce::Component& (PluginEditor&)> get; juce::Rectangle<int> bounds; };

std::vector<ChildBounds> childTable()
{
    return {
        { "Weight knob", [] (PluginEditor& e) -> juce::Component& { return e.knob (0); }, { 140, 339, 95, 96 } },
        { "Air knob", [] (PluginEditor& e) -> juce::Component& { return e.knob (1); }, { 558, 340, 94, 94 } },
        { "Heat knob", [] (PluginEditor& e) -> juce::Component& { return e.knob (2); }, { 163, 125, 77, 78 } },
        { "Punch knob", [] (PluginEditor& e) -> juce::Component& { return e.knob (3); }, { 552, 125, 78, 78 } },
        { "Ignite knob", [] (PluginEditor& e) -> juce::Component& { return e.knob (4); }, { 297, 188, 197, 199 } },
        { "input fader", [] (PluginEditor& e) -> juce::Component& { return e.fader (0); }, { 0, 26, 113, 494 } },
        { "output fader", [] (PluginEditor& e) -> juce::Component& { return e.fader (1); }, { 676, 33, 117, 487 } },
        { "input meter", [] (PluginEditor& e) -> juce::Component& { return e.meter (false); }, { 35, 108, 8, 375 } },
        { "output meter", [] (PluginEditor& e) -> juce::Component& { return e.meter (true); }, { 750, 108, 8, 375 } },
        { "Back button", [] (PluginEditor& e) -> juce::Component& { return e.button (0); }, { 197, 12, 33, 33 } },
        { "Delete button", [] (PluginEditor& e) -> juce::Component& { return e.button (1); }, { 563, 12, 33, 33 } },
        { "Load button", [] (PluginEditor& e) -> juce::Component& { return e.button (2); }, { 523, 12, 33, 33 } },
        { "Save button", [] (PluginEditor& e) -> juce::Component& { return e.button (3); }, { 238, 12, 33, 33 } },
        { "Bypass button", [] (PluginEditor& e) -> juce::Component& { return e.button (4); }, { 739, 14, 28, 28 } },
        { "preset bar", [] (PluginEditor& e) -> juce::Component& { return e.presetBar(); }, { 279, 12, 235, 32 } },
    };
}
} // namespace

TEST_F (Editor, OpensAtAFixedSizeThatTheHostCannotChange)
{
    EXPECT_EQ (editor.getWidth(), 793);
    EXPECT_EQ (editor.getHeight(), 520);
    EXPECT_FALSE (editor.isResizable());
    ASSERT_NE (editor.getConstrainer(), nullptr);
    EXPECT_DOUBLE_EQ (editor.getConstrainer()->getFixedAspectRatio(), 1.525);

    // In a real window too.
    editor.addToDesktop (0);
    editor.setVisible (true);
    pumpMessages (100);
    EXPECT_EQ (editor.getPeer()->getBounds().getWidth(), 793);
    EXPECT_EQ (editor.getPeer()->getBounds().getHeight(), 520);
    editor.removeFromDesktop();
}

TEST_F (Editor, ChildrenSitOnTheDesignGrid)
{
    for (const auto& c : childTable())
        EXPECT_EQ (c.get (editor).getBounds(), c.bounds) << c.name;

    EXPECT_EQ (editor.meter (false).getBarWidth(), 7.5f);
    EXPECT_EQ (editor.meter (true).getBarWidth(), 7.75f);

    editor.setSize (1586, 1040);
    for (const auto& c : childTable())
    {
        const auto doubled = c.bounds * 2;
        const auto actual = c.get (editor).getBounds();
        EXPECT_LE (std::abs (actual.getX() - doubled.getX()), 1) << c.name;
        EXPECT_LE (std::abs (actual.getY() - doubled.getY()), 1) << c.name;
        EXPECT_LE (std::abs (actual.getWidth() - doubled.getWidth()), 1) << c.name;
        EXPECT_LE (std::abs (actual.getHeight() - doubled.getHeight()), 1) << c.name;
    }
    EXPECT_EQ (editor.meter (false).getBarWidth(), 7.5f) << "bar widths are pixels, not grid units";
    EXPECT_EQ (editor.meter (true).getBarWidth(), 7.75f);
}

TEST_F (Editor, StacksTheControlsInOrder)
{
    std::vector<juce::Component*> expected;
    for (int i = 0; i < 5; ++i)
        expected.push_back (&editor.knob (i));
    for (int i = 0; i < 4; ++i)
        expected.push_back (&editor.button (i));
    expected.push_back (&editor.meter (false));
    expected.push_back (&editor.meter (true));
    expected.push_back (&editor.fader (0));
    expected.push_back (&editor.fader (1));
    expected.push_back (&editor.button (4));
    expected.push_back (&editor.presetBar());

    std::vector<juce::Component*> actual;
    for (int i = 0; i < editor.getNumChildComponents(); ++i)
        actual.push_back (editor.getChildComponent (i));
    EXPECT_EQ (actual, expected);
}

TEST_F (Editor, EveryControlFollowsItsParameterBothWays)
{
    struct Case { const char* id; juce::Slider* control; };
    const Case cases[] = {
        { "bodyID", &editor.knob (0) }, { "air1ID", &editor.knob (1) }, { "clipDrive1ID", &editor.knob (2) },
        { "punchID", &editor.knob (3) }, { "mainID", &editor.knob (4) }, { "inputID", &editor.fader (0) },
        { "outputID", &editor.fader (1) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.id);
        param (c.id).setValueNotifyingHost (0.3f);
        EXPECT_NEAR (c.control->getValue(), real (c.id), 1.0e-4);

        c.control->setValue (param (c.id).convertFrom0to1 (0.8f));
        EXPECT_TRUE (pumpUntil ([&] { return std::abs (param (c.id).getValue() - 0.8f) < 1.0e-4f; }));

        // Host automation arrives on another thread.
        std::thread host ([&] { param (c.id).setValueNotifyingHost (0.1f); });
        host.join();
        EXPECT_TRUE (pumpUntil ([&] { return std::abs (c.control->getValue() - real (c.id)) < 1.0e-4; }));
    }

    auto& bypass = editor.button (4);
    std::thread host ([&] { param ("bypassID").setValueNotifyingHost (1.0f); });
    host.join();
    EXPECT_TRUE (pumpUntil ([&] { return bypass.getToggleState(); })) << "automation toggles the button";

    bypass.triggerClick();
    pumpMessages (30);
    EXPECT_FALSE (bypass.getToggleState());
    EXPECT_EQ (param ("bypassID").getValue(), 0.0f) << "a click sets the parameter";
}

namespace
{
// A real drag through the slider's own mouse handling.
void drag (juce::Slider& slider, float pixelsUp)
{
    auto source = juce::Desktop::getInstance().getMainMouseSource();
    const auto start = slider.getLocalBounds().getCentre().toFloat();
    const auto now = juce::Time::getCurrentTime();
    const auto event = [&] (juce::Point<float> at, bool dragged)
    {
        return juce::MouseEvent (source, at, juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f,
                                 0.0f, 0.0f, &slider, &slider, now, start, now, 1, dragged);
    };

    slider.mouseDown (event (start, false));
    for (int i = 1; i <= 10; ++i)
    {
        slider.mouseDrag (event (start.translated (0.0f, -pixelsUp * (float) i / 10.0f), true));
        pumpMessages (5);
    }
    pumpMessages (150); // the tree state copies parameter changes into the undo history on a timer
    slider.mouseUp (event (start.translated (0.0f, -pixelsUp), true));
}
} // namespace

TEST_F (Editor, BackUndoesExactlyTheLastDrag)
{
    pumpMessages (150);
    processor.undoManager.clearUndoHistory();

    drag (editor.knob (0), 400.0f);
    ASSERT_EQ (real ("bodyID"), 100.0f) << "dragged to the maximum";
    drag (editor.knob (4), 150.0f);
    const auto ignite = real ("mainID");
    ASSERT_GT (ignite, 10.0f);

    editor.button (0).triggerClick();
    pumpMessages (50);
    EXPECT_EQ (real ("mainID"), 0.0f) << "the last drag is undone";
    EXPECT_EQ (real ("bodyID"), 100.0f) << "the drag before it is not";

    editor.button (0).triggerClick();
    pumpMessages (50);
    EXPECT_EQ (real ("bodyID"), 0.0f);
    EXPECT_EQ (editor.knob (0).getValue(), 0.0);
}

TEST_F (Editor, MetersFollowTheProcessorWithinATick)
{
    struct Case { float published, shown; };
    for (const auto& c : { Case { 0.7f, 0.7f }, Case { 1.3f, 1.0f }, Case { -0.2f, 0.0f }, Case { 0.25f, 0.25f } })
    {
        processor.inputMeterLevel = c.published;
        processor.outputMeterLevel = c.published / 2.0f;
        pumpMessages (45);
        EXPECT_EQ (editor.meter (false).getLevel(), c.shown) << c.published;
        EXPECT_EQ (editor.meter (true).getLevel(), juce::jlimit (0.0f, 1.0f, c.published / 2.0f));
    }
}

TEST_F (Editor, OpeningAndClosingLeavesTheParametersAlone)
{
    param ("bodyID").setValueNotifyingHost (0.42f);
    param ("bypassID").setValueNotifyingHost (1.0f);
    processor.variableTree.setProperty (hoa::TreeItems::currentPreset, "TAPE SMILE", nullptr);
    window.reset();
    const auto before = allValues();

    for (int i = 0; i < 100; ++i)
    {
        std::unique_ptr<juce::AudioProcessorEditor> e (processor.createEditor());
        if (i % 10 == 0)
            pumpMessages (40);
    }
    pumpMessages (100);

    EXPECT_EQ (allValues(), before);
    EXPECT_EQ (processor.variableTree[hoa::TreeItems::currentPreset].toString(), "TAPE SMILE");
}

TEST_F (Editor, WritesScreenshotsOfTheWindow)
{
    pumpMessages (100);
    saveSnapshot (editor, "editor-default.png");

    auto& box = editor.presetBar().getPresetBox();
    for (int id = 1; id <= box.getNumItems(); ++id)
        if (box.getItemText (box.indexOfItemId (id)) == "MIX FINISHER")
            box.setSelectedId (id);
    ASSERT_TRUE (pumpUntil ([this] { return real ("mainID") > 60.0f; }));
    pumpMessages (100);
    saveSnapshot (editor, "editor-mix-finisher.png");

    // Audio through the processor moves the meters.
    processor.prepareToPlay (48000.0, 512);
    auto audio = torka::test::sine (48000.0, 220.0, 0.3f, 48000);
    juce::MidiBuffer midi;
    for (int start = 0; start + 512 <= audio.getNumSamples(); start += 512)
    {
        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, start, 512);
        processor.processBlock (block, midi);
    }
    pumpMessages (80);
    EXPECT_GT (editor.meter (false).getLevel(), 0.8f);
    EXPECT_GT (editor.meter (true).getLevel(), 0.8f);
    saveSnapshot (editor, "editor-meters.png");

    const auto shot = torka::test::testOutputFolder().getChildFile ("editor-meters.png");
    const auto image = juce::ImageFileFormat::loadFrom (shot);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), 793);
    EXPECT_EQ (image.getHeight(), 520);
    EXPECT_NE (image.getPixelAt (38, 470), image.getPixelAt (38, 120)) << "the lit meter differs from the dark slot";
}
