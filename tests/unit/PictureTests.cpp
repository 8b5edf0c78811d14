#include "TestSupport.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

namespace
{
struct Picture { const char* name; const char* data; int size; int width, height, frames; };

const Picture pictures[] = {
    { "Air_Knib_128.png", BinaryData::Air_Knib_128_png, BinaryData::Air_Knib_128_pngSize, 188, 24064, 128 },
    { "Back.png", BinaryData::Back_png, BinaryData::Back_pngSize, 84, 84, 1 },
    { "BackgroundFinal.png", BinaryData::BackgroundFinal_png, BinaryData::BackgroundFinal_pngSize, 2048, 1343, 1 },
    { "Delete.png", BinaryData::Delete_png, BinaryData::Delete_pngSize, 84, 84, 1 },
    { "Fader_Output_128.png", BinaryData::Fader_Output_128_png, BinaryData::Fader_Output_128_pngSize, 234, 124416, 128 },
    { "Heat_Knob_128.png", BinaryData::Heat_Knob_128_png, BinaryData::Heat_Knob_128_pngSize, 155, 19968, 128 },
    { "Ignite_Knob_128.png", BinaryData::Ignite_Knob_128_png, BinaryData::Ignite_Knob_128_pngSize, 392, 50944, 128 },
    { "Input_Fader_128.png", BinaryData::Input_Fader_128_png, BinaryData::Input_Fader_128_pngSize, 225, 126208, 128 },
    { "Load.png", BinaryData::Load_png, BinaryData::Load_pngSize, 84, 84, 1 },
    { "Punch_Knob_128.png", BinaryData::Punch_Knob_128_png, BinaryData::Punch_Knob_128_pngSize, 153, 19968, 128 },
    { "Save.png", BinaryData::Save_png, BinaryData::Save_pngSize, 84, 84, 1 },
    { "Weight_Knob_128.png", BinaryData::Weight_Knob_128_png, BinaryData::Weight_Knob_128_pngSize, 190, 24576, 128 },
    { "bar-new.png", BinaryData::barnew_png, BinaryData::barnew_pngSize, 18, 967, 1 },
    { "bypass.png", BinaryData::bypass_png, BinaryData::bypass_pngSize, 43, 43, 1 },
};

juce::Image frameOf (const juce::Image& strip, int frames, int index)
{
    const auto h = strip.getHeight() / frames;
    return strip.getClippedImage ({ 0, index * h, strip.getWidth(), h });
}

bool differ (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return true;
    return false;
}
} // namespace

TEST (Pictures, EveryPictureDecodesAtItsSizeAndFrameLayout)
{
    for (const auto& p : pictures)
    {
        SCOPED_TRACE (p.name);
        const auto image = juce::ImageFileFormat::loadFrom (p.data, (size_t) p.size);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), p.width);
        EXPECT_EQ (image.getHeight(), p.height);
        EXPECT_EQ (image.getHeight() % p.frames, 0);

        if (p.frames > 1)
        {
            EXPECT_TRUE (differ (frameOf (image, p.frames, 0), frameOf (image, p.frames, 127))) << "the control moves from its first to its last frame";
            EXPECT_TRUE (differ (frameOf (image, p.frames, 63), frameOf (image, p.frames, 64)));
        }
    }
}

// Frames 0, 64 and 127 of each knob strip side by side, for a person to look at.
TEST (Pictures, WritesKnobFramesForInspection)
{
    const int gap = 16;
    std::vector<const Picture*> knobs;
    for (const auto& p : pictures)
        if (juce::String (p.name).contains ("Kn"))
            knobs.push_back (&p);

    int width = gap, height = gap;
    for (const auto* k : knobs)
    {
        width = juce::jmax (width, gap + 3 * (k->width + gap));
        height += k->height / k->frames + gap;
    }

    juce::Image sheet (juce::Image::ARGB, width, height, true);
    juce::Graphics g (sheet);
    g.fillAll (juce::Colour (0xff2a2622));
    int y = gap;
    for (const auto* k : knobs)
    {
        const auto strip = juce::ImageFileFormat::loadFrom (k->data, (size_t) k->size);
        int x = gap;
        for (const auto index : { 0, 64, 127 })
        {
            g.drawImageAt (frameOf (strip, k->frames, index), x, y);
            x += k->width + gap;
        }
        y += k->height / k->frames + gap;
    }

    const auto file = torka::test::testOutputFolder().getChildFile ("knob-frames-0-64-127.png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (sheet, out));
    EXPECT_GT (file.getSize(), 0);
}
