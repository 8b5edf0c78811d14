#include "FilmStripControls.h"

namespace kestrel::gui::widgets
{
BaseKnob::BaseKnob()
    : FilmStripSlider ({ &Images::weightKnob, &Images::airKnob, &Images::heatKnob, &Images::punchKnob, &Images::igniteKnob },
                       juce::Slider::RotaryVerticalDrag)
{
}

BaseKnob::~BaseKnob() = default;

// The editor switches both faders to vertical dragging too.
Fader::Fader()
    : FilmStripSlider ({ &Images::inputFader, &Images::outputFader }, juce::Slider::LinearVertical)
{
}

Fader::~Fader() = default;
} // namespace kestrel::gui::widgets
