#pragma once

#include <juce_graphics/juce_graphics.h>

namespace kestrel
{
// The editor's fourteen pictures, from the embedded resources. Every widget that draws
// owns one; JUCE's image cache decodes each picture once while any handle to it lives.
struct Images
{
    Images();

    juce::Image background;
    juce::Image weightKnob;
    juce::Image airKnob;
    juce::Image heatKnob;
    juce::Image punchKnob;
    juce::Image igniteKnob;
    juce::Image inputFader;
    juce::Image outputFader;
    juce::Image meterBar;
    juce::Image backButton;
    juce::Image deleteButton;
    juce::Image loadButton;
    juce::Image saveButton;
    juce::Image bypassButton;
};

// One film strip: frames stacked top to bottom, frame 0 at the top.
class FilmStripImage
{
public:
    FilmStripImage (juce::Image strip, int frames);

    // Draws the frame for value (0...1) stretched over (0, 0, width, height); nothing
    // when the picture is missing.
    void drawWithin (juce::Graphics& g, int width, int height, float value) const;

    // The frame drawn for a value.
    int frameIndexFor (float value) const { return juce::roundToInt ((float) (numFrames - 1) * value); }

    const juce::Image image;
    const int numFrames;
    const int frameHeight;
};
} // namespace kestrel
