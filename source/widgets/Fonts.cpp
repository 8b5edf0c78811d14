#include "Fonts.h"
#include "common/FontCompat.h"

#include <BinaryData.h>

namespace kestrel::gui_utils
{
Fonts::Fonts()
    : lightFont (hoa::compat::fontFor (juce::Typeface::createSystemTypefaceFor (BinaryData::JetBrainsMonoLight_ttf,
                                                                                (size_t) BinaryData::JetBrainsMonoLight_ttfSize)))
{
}

Fonts& Fonts::fonts()
{
    static Fonts instance;
    return instance;
}

juce::Font Fonts::regular (float size, float kerning)
{
    auto font = fonts().lightFont;
    font.setHeight (size);
    return font.withExtraKerningFactor (kerning);
}
} // namespace kestrel::gui_utils
