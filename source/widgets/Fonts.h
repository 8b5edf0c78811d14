#pragma once

#include <juce_graphics/juce_graphics.h>

namespace kestrel::gui_utils
{
// The embedded JetBrains Mono Light, made once per process and shared by every editor
// window, so the preset list looks the same whatever fonts the system has.
class Fonts
{
public:
    static Fonts& fonts();

    // The light font at a height, with an extra kerning factor.
    static juce::Font regular (float size, float kerning);

    juce::Font lightFont;

private:
    Fonts();
};
} // namespace kestrel::gui_utils
