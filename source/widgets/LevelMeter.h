#pragma once

#include "Images.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace kestrel::gui::widgets
{
// A vertical meter that uncovers its bar picture from the bottom up in proportion to a
// level of 0...1 (linear in dB over 60 dB). The picture always spans the full height;
// only the clip moves. No ballistics: the processor's peak follower provides them.
class LevelMeter : public juce::Component
{
public:
    LevelMeter();
    ~LevelMeter() override;

    // Clamped to 0...1.
    void setLevel (float newLevel);
    void setBarWidth (float width);

    float getLevel() const noexcept { return level; }
    float getBarWidth() const noexcept { return barWidth; }

    void paint (juce::Graphics&) override;

    // Public so a missing picture can be shown to draw nothing.
    Images images;

private:
    float level = 0.0f;
    float barWidth = 7.5f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LevelMeter)
};
} // namespace kestrel::gui::widgets
