#pragma once

#include "Images.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <utility>

namespace kestrel::gui::widgets
{
// A slider drawn entirely as the frame of its film strip that matches its value, over
// its whole bounds; nothing else (no background, outline or text). Dragging, the wheel
// and the keys are juce::Slider's own.
template <size_t NumStrips>
class FilmStripSlider : public juce::Slider
{
public:
    // Which strip the control draws; an index outside them draws nothing.
    void setFilmStripIndex (int index)
    {
        filmStripIndex = index;
        repaint();
    }

    void paint (juce::Graphics& g) override
    {
        if ((unsigned int) filmStripIndex >= NumStrips)
            return;

        // The slider's normalisable range (the parameter's, once attached) applied to its
        // value; JUCE 7 has no getter for the range itself.
        const auto v = valueToProportionOfLength (getValue());
        filmStrips[(size_t) filmStripIndex].drawWithin (g, getWidth(), getHeight(), (float) v);
    }

protected:
    using Pictures = std::array<juce::Image Images::*, NumStrips>;

    FilmStripSlider (const Pictures& pictures, SliderStyle style)
        : filmStrips (stripsOf (images, pictures, std::make_index_sequence<NumStrips>()))
    {
        setSliderStyle (style);
        setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    }

private:
    template <size_t... I>
    static std::array<FilmStripImage, NumStrips> stripsOf (const Images& set, const Pictures& pictures, std::index_sequence<I...>)
    {
        return { FilmStripImage (set.*(pictures[I]), 128)... };
    }

    Images images;
    std::array<FilmStripImage, NumStrips> filmStrips;
    int filmStripIndex = 0;
};

// The five character knobs. Strips 0...4: Weight, Air, Heat, Punch, Ignite.
class BaseKnob : public FilmStripSlider<5>
{
public:
    BaseKnob();
    ~BaseKnob() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BaseKnob)
};

// The input and output faders. Strip 0: input, 1: output.
class Fader : public FilmStripSlider<2>
{
public:
    Fader();
    ~Fader() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Fader)
};
} // namespace kestrel::gui::widgets
