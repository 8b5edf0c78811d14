#include "PluginEditor.h"

namespace
{
// Grid rectangles (x, y, w, h) on the 2048 x 1343 background.
struct GridRect
{
    double x, y, w, h;
};

constexpr GridRect knobGrid[] = {
    { 361, 876, 245, 247 },  // Weight
    { 1440, 877, 244, 244 }, // Air
    { 420, 324, 200, 201 },  // Heat
    { 1425, 322, 201, 201 }, // Punch
    { 768, 485, 508, 515 },  // Ignite
};
constexpr GridRect faderGrid[] = { { 0, 67, 292, 1276 }, { 1745, 85, 303, 1257 } };
constexpr GridRect inputMeterGrid { 90, 278, 20, 969 };
constexpr GridRect outputMeterGrid { 1938, 278, 20, 969 };
constexpr GridRect buttonGrid[] = {
    { 509, 31, 84, 84 },  // Back
    { 1455, 31, 84, 84 }, // Delete
    { 1350, 31, 84, 84 }, // Load
    { 614, 31, 84, 84 },  // Save
    { 1908, 37, 72, 72 }, // Bypass
};
constexpr GridRect menuGrid { 721, 32, 608, 83 };

constexpr double gridWidth = 2048.0, gridHeight = 1343.0;
} // namespace

PluginEditor::PluginEditor (PluginProcessor& p)
    : AudioProcessorEditor (&p),
      audioProcessor (p),
      buttonImages { images.backButton, images.deleteButton, images.loadButton, images.saveButton, images.bypassButton },
      menuBox (p)
{
    initMainSliders();
    initButtons();
    addAndMakeVisible (inputMeter);
    addAndMakeVisible (outputMeter);
    initIOSliders();
    buttons[4].toFront (false);
    addAndMakeVisible (menuBox);

    startTimer (33);

    setResizable (false, false);
    getConstrainer()->setFixedAspectRatio (1.525);
    setSize (defaultWidth, defaultHeight);
}

PluginEditor::~PluginEditor()
{
    stopTimer();
}

template <typename FilmStripSlider>
void PluginEditor::initSlider (FilmStripSlider& slider, int filmStrip, const juce::String& parameterID, std::unique_ptr<SliderAttachment>& attachment)
{
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    addAndMakeVisible (slider);
    slider.setFilmStripIndex (filmStrip);
    attachment = std::make_unique<SliderAttachment> (audioProcessor.treeState, parameterID, slider);
    // Each drag is one step of the undo history.
    slider.onDragEnd = [this] { audioProcessor.undoManager.beginNewTransaction(); };
}

void PluginEditor::initMainSliders()
{
    using namespace hoa::parameters;
    const juce::String ids[] = { weightID, airID, heatID, punchID, igniteID };

    for (size_t i = 0; i < mainSliders.size(); ++i)
        initSlider (mainSliders[i], (int) i, ids[i], mainSliderAttachments[i]);
}

void PluginEditor::initButtons()
{
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        auto& button = buttons[i];
        const auto& picture = buttonImages[i];
        button.setImages (true, true, true,
                          picture, 1.0f, juce::Colours::transparentBlack,
                          picture, 1.0f, juce::Colours::white.withAlpha ((juce::uint8) 0x40),
                          picture, 0.85f, juce::Colours::black.withAlpha ((juce::uint8) 0x40),
                          0.0f);
        button.setClickingTogglesState (false);
        addAndMakeVisible (button);
    }

    buttons[4].setClickingTogglesState (true);

    buttons[2].onClick = [this] { menuBox.load(); };
    buttons[3].onClick = [this] { menuBox.save(); };
    buttons[1].onClick = [this] { menuBox.deletePreset(); };
    buttons[0].onClick = [this] { audioProcessor.undoManager.undo(); };

    bypassAttachment = std::make_unique<juce::AudioProcessorValueTreeState::ButtonAttachment> (audioProcessor.treeState,
                                                                                                hoa::parameters::bypassID,
                                                                                                buttons[4]);
}

void PluginEditor::initIOSliders()
{
    using namespace hoa::parameters;
    const juce::String ids[] = { inputID, outputID };

    for (size_t i = 0; i < ioSliders.size(); ++i)
        initSlider (ioSliders[i], (int) i, ids[i], ioSliderAttachments[i]);
}

void PluginEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff0c0c0c));

    if (images.background.isValid())
        g.drawImage (images.background, getLocalBounds().toFloat(), juce::RectanglePlacement::stretchToFit);
}

void PluginEditor::resized()
{
    const auto w = (double) getWidth(), h = (double) getHeight();
    const auto place = [w, h] (juce::Component& c, const GridRect& r)
    {
        c.setBounds (juce::roundToInt (w * (r.x / gridWidth)), juce::roundToInt (h * (r.y / gridHeight)),
                     juce::roundToInt (w * (r.w / gridWidth)), juce::roundToInt (h * (r.h / gridHeight)));
    };

    for (size_t i = 0; i < mainSliders.size(); ++i)
        place (mainSliders[i], knobGrid[i]);
    for (size_t i = 0; i < ioSliders.size(); ++i)
        place (ioSliders[i], faderGrid[i]);

    place (inputMeter, inputMeterGrid);
    place (outputMeter, outputMeterGrid);
    outputMeter.setBarWidth (7.75f);

    for (size_t i = 0; i < buttons.size(); ++i)
        place (buttons[i], buttonGrid[i]);

    place (menuBox, menuGrid);
}

void PluginEditor::timerCallback()
{
    inputMeter.setLevel (audioProcessor.inputMeterLevel.load());
    outputMeter.setLevel (audioProcessor.outputMeterLevel.load());
}
