#pragma once

#include "PluginProcessor.h"
#include "gui/MenuBox.h"
#include "widgets/FilmStripControls.h"
#include "widgets/LevelMeter.h"

#include <array>
#include <vector>

// The plug-in's window: the background picture with five film-strip knobs, the input and
// output faders, two level meters, the preset bar with its four buttons and the bypass
// toggle, laid out in proportion on the background's 2048 x 1343 grid.
class PluginEditor : public juce::AudioProcessorEditor,
                     private juce::Timer
{
public:
    explicit PluginEditor (PluginProcessor&);
    ~PluginEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    static constexpr int defaultWidth = 793;
    static constexpr int defaultHeight = 520;

    // Children, for the host's accessibility and for tests.
    kestrel::gui::widgets::BaseKnob& knob (int index) { return mainSliders[(size_t) index]; }
    kestrel::gui::widgets::Fader& fader (int index) { return ioSliders[(size_t) index]; }
    kestrel::gui::widgets::LevelMeter& meter (bool output) { return output ? outputMeter : inputMeter; }
    juce::ImageButton& button (int index) { return buttons[(size_t) index]; }
    hoa::gui::MenuBox& presetBar() { return menuBox; }

private:
    void timerCallback() override;
    void initMainSliders();
    void initButtons();
    void initIOSliders();

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;

    // Vertical drag, no text box, its film strip, attached to its parameter.
    template <typename FilmStripSlider>
    void initSlider (FilmStripSlider&, int filmStrip, const juce::String& parameterID, std::unique_ptr<SliderAttachment>&);

    PluginProcessor& audioProcessor;
    kestrel::Images images;
    std::array<kestrel::gui::widgets::BaseKnob, 5> mainSliders;
    std::array<kestrel::gui::widgets::Fader, 2> ioSliders;
    std::array<std::unique_ptr<SliderAttachment>, 5> mainSliderAttachments;
    std::array<std::unique_ptr<SliderAttachment>, 2> ioSliderAttachments;
    kestrel::gui::widgets::LevelMeter inputMeter, outputMeter;
    std::array<juce::ImageButton, 5> buttons;
    std::vector<juce::Image> buttonImages;
    std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> bypassAttachment;
    hoa::gui::MenuBox menuBox;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginEditor)
};
