#pragma once

#include <juce_graphics/juce_graphics.h>

// The one place where fonts are made: JUCE 8 builds fonts from FontOptions and gives
// every font a metrics kind; JUCE 7 has neither.
namespace hoa::compat
{
inline juce::Font fontFor (juce::Typeface::Ptr typeface)
{
   #if JUCE_MAJOR_VERSION >= 8
    return juce::Font (juce::FontOptions (typeface));
   #else
    return juce::Font (typeface);
   #endif
}

// A font by family and style; metricsKind is the look's default (JUCE 8 only).
template <typename Look>
juce::Font fontFor (const juce::String& family, const juce::String& style, float height, [[maybe_unused]] const Look& look)
{
   #if JUCE_MAJOR_VERSION >= 8
    return juce::Font (juce::FontOptions (family, style, height).withMetricsKind (look.getDefaultMetricsKind()));
   #else
    return juce::Font (family, style, height);
   #endif
}
} // namespace hoa::compat
