#pragma once

#include "Images.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace kestrel::gui::widgets
{
// The five character knobs: a slider drawn as the frame of its film strip that matches
// its value. Strip 0...4: Weight, Air, Heat, Punch, Ignite.
class BaseKnob : public juce::Slider
{
public:
    BaseKnob();
    ~BaseKnob() override;

    void setFilmStripIndex (int index);
    void paint (juce::Graphics&) override;

private:
    Images images;
    std::array<FilmStripImage, 5> filmStrips;
    int filmStripIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BaseKnob)
};

// The input and output faders, drawn the same way. Strip 0: input, 1: output.
class Fader : public juce::Slider
{
public:
    Fader();
    ~Fader() override;

    void setFilmStripIndex (int index);
    void paint (juce::Graphics&) override;

private:
    Images images;
    std::array<FilmStripImage, 2> filmStrips;
    int filmStripIndex = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Fader)
};
} // namespace kestrel::gui::widgets
