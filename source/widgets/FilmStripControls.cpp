#include "FilmStripControls.h"

namespace kestrel::gui::widgets
{
namespace
{
    // Draws strip index of strips for the slider's value, mapped to 0...1 through the
    // slider's own range (the parameter's, once attached); nothing for an unknown index.
    template <size_t N>
    void paintStrip (juce::Graphics& g, juce::Slider& slider, const std::array<FilmStripImage, N>& strips, int index)
    {
        if ((unsigned int) index >= N)
            return;

        // The slider's normalisable range applied to its value (JUCE 7 has no getter for the range).
        const auto v = slider.valueToProportionOfLength (slider.getValue());
        strips[(size_t) index].drawWithin (g, slider.getWidth(), slider.getHeight(), (float) v);
    }
} // namespace

BaseKnob::BaseKnob()
    : filmStrips { FilmStripImage (images.weightKnob, 128), FilmStripImage (images.airKnob, 128),
                   FilmStripImage (images.heatKnob, 128), FilmStripImage (images.punchKnob, 128),
                   FilmStripImage (images.igniteKnob, 128) }
{
    setSliderStyle (juce::Slider::RotaryVerticalDrag);
    setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
}

BaseKnob::~BaseKnob() = default;

void BaseKnob::setFilmStripIndex (int index)
{
    filmStripIndex = index;
    repaint();
}

void BaseKnob::paint (juce::Graphics& g)
{
    paintStrip (g, *this, filmStrips, filmStripIndex);
}

Fader::Fader()
    : filmStrips { FilmStripImage (images.inputFader, 128), FilmStripImage (images.outputFader, 128) }
{
    setSliderStyle (juce::Slider::LinearVertical);
    setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
}

Fader::~Fader() = default;

void Fader::setFilmStripIndex (int index)
{
    filmStripIndex = index;
    repaint();
}

void Fader::paint (juce::Graphics& g)
{
    paintStrip (g, *this, filmStrips, filmStripIndex);
}
} // namespace kestrel::gui::widgets
