#include "PluginProcessor.h"
#include "gui/MenuBox.h"
#include "widgets/Fonts.h"

#include <gtest/gtest.h>

#include <algorithm>

using Look = hoa::gui::MenuBox::MenuLAF;

TEST (FontHolder, GivesTheEmbeddedLightFaceMadeOnce)
{
    const auto a = kestrel::gui_utils::Fonts::regular (15.0f, 0.15f);
    const auto b = kestrel::gui_utils::Fonts::regular (15.0f, 0.15f);

    EXPECT_EQ (a, b);
    EXPECT_EQ (a.getTypefacePtr(), b.getTypefacePtr()) << "one typeface for the process";
    EXPECT_EQ (&kestrel::gui_utils::Fonts::fonts(), &kestrel::gui_utils::Fonts::fonts());
    EXPECT_TRUE (a.getTypefaceName().startsWith ("JetBrains Mono")) << a.getTypefaceName();
    EXPECT_FLOAT_EQ (a.getHeight(), 15.0f);
    EXPECT_FLOAT_EQ (a.getExtraKerningFactor(), 0.15f);

    // The face comes from the embedded file, not from the system: its glyphs are monospaced.
    EXPECT_FLOAT_EQ (a.getStringWidthFloat ("iiii"), a.getStringWidthFloat ("WWWW"));
}

TEST (MenuLook, PlacesItemPartsWhereTheyBelong)
{
    const juce::Rectangle<int> item (0, 0, 200, 24);
    EXPECT_EQ (Look::textArea (item), juce::Rectangle<int> (15, 1, 170, 22));
    EXPECT_EQ (Look::highlightArea (item), juce::Rectangle<int> (3, 1, 194, 22));
    EXPECT_EQ (Look::separatorLine (item), juce::Rectangle<int> (8, 12, 184, 1));
    EXPECT_EQ (Look::tickDot (Look::textArea (item), 24), juce::Rectangle<int> (15 + 9, 1 + 8, 5, 5));

    const juce::Rectangle<int> narrow (10, 40, 12, 2);
    EXPECT_EQ (Look::textArea (narrow), juce::Rectangle<int> (25, 41, 0, 0));
    EXPECT_EQ (Look::separatorLine (narrow), juce::Rectangle<int> (18, 41, 0, 1));

    EXPECT_FLOAT_EQ (Look::comboFontHeight (30), 12.0f);
    EXPECT_FLOAT_EQ (Look::comboFontHeight (40), 16.0f);
    EXPECT_FLOAT_EQ (Look::comboFontHeight (10), 12.0f);
}

namespace
{
juce::Image drawItem (Look& look, bool separator, bool active, bool highlighted, bool ticked, bool subMenu,
                      const juce::String& text = {})
{
    juce::Image image (juce::Image::ARGB, 200, 24, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::black);
    look.drawPopupMenuItem (g, { 0, 0, 200, 24 }, separator, active, highlighted, ticked, subMenu, text, "", nullptr, nullptr);
    return image;
}

bool lit (const juce::Image& image, int x, int y)
{
    return image.getPixelAt (x, y).getBrightness() > 0.02f;
}
} // namespace

TEST (MenuLook, DrawsHighlightSeparatorTickAndArrowOnTheirPixels)
{
    Look look;
    look.setColour (juce::PopupMenu::highlightedBackgroundColourId, juce::Colours::white.withAlpha (0.14f));
    look.setColour (juce::PopupMenu::textColourId, juce::Colours::whitesmoke);

    const auto highlighted = drawItem (look, false, true, true, false, false);
    EXPECT_TRUE (lit (highlighted, 100, 12));
    EXPECT_FALSE (lit (highlighted, 1, 12)) << "left of the highlight";
    EXPECT_FALSE (lit (highlighted, 198, 12)) << "right of the highlight";
    EXPECT_FALSE (lit (highlighted, 100, 0)) << "above the highlight";
    EXPECT_FALSE (lit (drawItem (look, false, false, true, false, false), 100, 12)) << "inactive items are not highlighted";

    const auto separator = drawItem (look, true, true, false, false, false);
    EXPECT_TRUE (lit (separator, 100, 12));
    EXPECT_FALSE (lit (separator, 100, 11));
    EXPECT_FALSE (lit (separator, 100, 13));
    EXPECT_FALSE (lit (separator, 6, 12)) << "inset 8 pixels";
    EXPECT_FALSE (lit (separator, 193, 12)) << "inset 8 pixels";

    const auto ticked = drawItem (look, false, true, false, true, false);
    EXPECT_TRUE (lit (ticked, 26, 11)) << "the dot, centred in the first 24 pixels of the text box";
    EXPECT_FALSE (lit (ticked, 20, 11));

    const auto withSubMenu = drawItem (look, false, true, false, false, true);
    EXPECT_TRUE (lit (withSubMenu, 174, 12)) << "the arrow's point, 0.4 k right of its base";
    EXPECT_FALSE (lit (withSubMenu, 150, 12));
}

TEST (MenuLook, DimsInactiveTextToFortyPercent)
{
    Look look;
    look.setColour (juce::PopupMenu::textColourId, juce::Colours::white);

    const auto brightest = [] (const juce::Image& image)
    {
        float peak = 0.0f;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                peak = std::max (peak, image.getPixelAt (x, y).getBrightness());
        return peak;
    };

    const auto active = brightest (drawItem (look, false, true, false, false, false, "MMMM"));
    const auto inactive = brightest (drawItem (look, false, false, false, false, false, "MMMM"));
    ASSERT_GT (active, 0.9f) << "white text on black";
    EXPECT_NEAR (inactive / active, 0.4f, 0.02f);
}
