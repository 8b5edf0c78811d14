#include "gui/MenuBox.h"
#include "widgets/FilmStripControls.h"
#include "widgets/LevelMeter.h"

#include <gtest/gtest.h>

using kestrel::FilmStripImage;
using kestrel::gui::widgets::BaseKnob;
using kestrel::gui::widgets::Fader;
using kestrel::gui::widgets::LevelMeter;

namespace
{
// A strip of 128 opaque frames whose red channel is the frame's index.
juce::Image numberedStrip (int width, int frameHeight)
{
    juce::Image strip (juce::Image::ARGB, width, frameHeight * 128, false);
    juce::Graphics g (strip);
    for (int k = 0; k < 128; ++k)
    {
        g.setColour (juce::Colour ((juce::uint8) k, 40, 200));
        g.fillRect (0, k * frameHeight, width, frameHeight);
    }
    return strip;
}

juce::Image render (const std::function<void (juce::Graphics&)>& paint, int w, int h)
{
    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics g (image);
    paint (g);
    return image;
}

int opaquePixels (const juce::Image& image)
{
    int n = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            n += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;
    return n;
}

std::vector<int> litRows (juce::Component& c)
{
    const auto image = c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    std::vector<int> rows;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() > 0)
            {
                rows.push_back (y);
                break;
            }
    return rows;
}
} // namespace

TEST (FilmStrip, ChoosesTheFrameNearestToTheValue)
{
    const FilmStripImage strip (numberedStrip (20, 10), 128);
    EXPECT_EQ (strip.frameHeight, 10);

    struct Case { float value; int frame; };
    for (const auto& c : { Case { 0.0f, 0 }, Case { 0.25f, 32 }, Case { 0.5f, 64 }, Case { 1.0f, 127 }, Case { 0.3f, 38 } })
    {
        const auto image = render ([&] (juce::Graphics& g) { strip.drawWithin (g, 20, 10, c.value); }, 20, 10);
        EXPECT_EQ (image.getPixelAt (10, 5).getRed(), c.frame) << c.value;
        EXPECT_EQ (strip.frameIndexFor (c.value), c.frame);
    }
}

TEST (FilmStrip, StretchesTheFrameOverTheWholeControl)
{
    // A 245 x 247 Weight knob showing 190 x 192 frames.
    const FilmStripImage strip (numberedStrip (190, 192), 128);
    const auto image = render ([&] (juce::Graphics& g) { strip.drawWithin (g, 245, 247, 1.0f); }, 245, 247);
    EXPECT_EQ (opaquePixels (image), 245 * 247);
    for (const auto& corner : { juce::Point<int> (0, 0), juce::Point<int> (244, 0), juce::Point<int> (0, 246), juce::Point<int> (244, 246) })
    {
        EXPECT_NEAR (image.getPixelAt (corner.x, corner.y).getRed(), 127, 2) << "the last frame reaches " << corner.toString();
        EXPECT_GT (image.getPixelAt (corner.x, corner.y).getAlpha(), 240);
    }
}

TEST (FilmStrip, MissingPicturesAndUnknownStripsDrawNothing)
{
    const FilmStripImage missing (juce::Image(), 128);
    EXPECT_EQ (missing.frameHeight, 0);
    EXPECT_EQ (opaquePixels (render ([&] (juce::Graphics& g) { missing.drawWithin (g, 50, 50, 0.5f); }, 50, 50)), 0);

    for (const auto index : { 5, -1, 100 })
    {
        BaseKnob knob;
        knob.setSize (95, 96);
        knob.setFilmStripIndex (index);
        EXPECT_TRUE (litRows (knob).empty()) << "knob strip " << index;
    }

    Fader fader;
    fader.setSize (113, 494);
    fader.setFilmStripIndex (2);
    EXPECT_TRUE (litRows (fader).empty());

    LevelMeter meter;
    meter.setSize (8, 375);
    meter.images.meterBar = {};
    meter.setLevel (1.0f);
    EXPECT_TRUE (litRows (meter).empty());
}

TEST (FilmStrip, ControlsDrawTheFrameForTheirValue)
{
    BaseKnob knob;
    knob.setSize (95, 96);
    knob.setRange (0.0, 100.0, 0.01);

    knob.setFilmStripIndex (0);
    knob.setValue (0.0);
    const auto atZero = knob.createComponentSnapshot (knob.getLocalBounds());
    knob.setValue (100.0);
    const auto atFull = knob.createComponentSnapshot (knob.getLocalBounds());
    EXPECT_GT (opaquePixels (atZero), 0);

    int differing = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 95; ++x)
            differing += atZero.getPixelAt (x, y) != atFull.getPixelAt (x, y) ? 1 : 0;
    EXPECT_GT (differing, 100) << "the knob turns";
}

TEST (LevelMeter, UncoversTheBottomRowsInProportion)
{
    LevelMeter meter;
    meter.setSize (8, 375);

    struct Case { float level; int rows; };
    for (const auto& c : { Case { 0.0f, 0 }, Case { 0.5f, 188 }, Case { 1.0f, 375 }, Case { 1.3f, 375 }, Case { -0.2f, 0 }, Case { 0.1f, 38 } })
    {
        meter.setLevel (c.level);
        const auto rows = litRows (meter);
        EXPECT_EQ ((int) rows.size(), c.rows) << c.level;
        if (! rows.empty())
        {
            EXPECT_EQ (rows.front(), 375 - c.rows) << "from the bottom up";
            EXPECT_EQ (rows.back(), 374);
        }
    }
    EXPECT_EQ (meter.getLevel(), 0.1f);
}

TEST (LevelMeter, DrawsTheBarAtItsOwnWidthFromTheLeftEdge)
{
    LevelMeter meter;
    meter.setSize (8, 375);
    meter.setLevel (1.0f);
    meter.setBarWidth (7.5f);

    const auto image = meter.createComponentSnapshot (meter.getLocalBounds());
    EXPECT_GT (image.getPixelAt (0, 200).getAlpha(), 0);
    EXPECT_GT (image.getPixelAt (6, 200).getAlpha(), 0);
    EXPECT_NEAR (image.getPixelAt (7, 200).getAlpha(), 128, 8) << "half of the 8th column";

    meter.setBarWidth (-3.0f);
    EXPECT_TRUE (litRows (meter).empty()) << "a negative width draws nothing";
}

// A combo box is a component, so it needs a display.
TEST (MenuLook, ComboFontResolvesToARealTypeface)
{
    hoa::gui::MenuBox::MenuLAF look;
    juce::ComboBox box;
    box.setSize (235, 32);
    const auto font = look.getComboBoxFont (box);

    EXPECT_TRUE (juce::Font::findAllTypefaceNames().contains (hoa::gui::MenuBox::MenuLAF::comboTypefaceName()));
    if (! juce::Font::findAllTypefaceNames().contains ("Helvetica"))
    {
        EXPECT_EQ (hoa::gui::MenuBox::MenuLAF::comboTypefaceName(), "Liberation Sans") << "fonts-liberation2 has Helvetica's metrics";
    }

    ASSERT_NE (font.getTypefacePtr(), nullptr);
    EXPECT_EQ (font.getTypefacePtr()->getName(), hoa::gui::MenuBox::MenuLAF::comboTypefaceName());
    EXPECT_EQ (font.getTypefaceStyle(), "Bold");
    EXPECT_FLOAT_EQ (font.getHeight(), 12.8f);
}
