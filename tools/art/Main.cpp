// torka-art: draws the editor's background, control strips and icons as PNGs.
//
//   torka-art OUT_DIR [--preview FILE] [--fonts DIR]
//
// --preview also writes FILE (the editor at 793 x 520 with sample values),
// FILE-2x.png and FILE-frames.png (first, middle and last frame of every strip).

#include "Art.h"
#include <juce_events/juce_events.h>

using namespace art;

namespace
{
bool writePng (const Image& img, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    if (! out.openedOk() || ! juce::PNGImageFormat().writeImageToStream (img, out))
    {
        std::fprintf (stderr, "torka-art: cannot write %s\n", file.getFullPathName().toRawUTF8());
        return false;
    }
    return true;
}

struct Art
{
    Image background, weight, air, heat, punch, ignite, input, output, meter, back, save, load, remove, bypass;
};

Image frameOf (const Image& strip, const ControlArt& c, float v)
{
    return strip.getClippedImage (c.frame (juce::roundToInt (v * (float) (c.frames - 1))));
}

// Fader frames must stay clear where the meter shows through them.
bool meterIsClear (const Image& strip, const ControlArt& c, Rectangle<float> meter)
{
    const auto area = c.toFrame (meter.expanded (4.0f)).getSmallestIntegerContainer();
    const juce::Image::BitmapData data (strip, juce::Image::BitmapData::readOnly);
    for (int k = 0; k < c.frames; ++k)
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (data.getPixelColour (x, k * c.frameH + y).getAlpha() != 0)
                    return false;
    return true;
}

bool framesDiffer (const Image& strip, const ControlArt& c, int a, int b)
{
    const juce::Image::BitmapData data (strip, juce::Image::BitmapData::readOnly);
    for (int y = 0; y < c.frameH; ++y)
        for (int x = 0; x < c.frameW; ++x)
            if (data.getPixelColour (x, a * c.frameH + y) != data.getPixelColour (x, b * c.frameH + y))
                return true;
    return false;
}

// Mimics the editor: everything stretched from the grid onto the window.
Image composePreview (const Art& a, juce::Typeface::Ptr sans, float scale)
{
    using namespace layout;
    const int w = juce::roundToInt (windowW * scale), h = juce::roundToInt (windowH * scale);
    Image out (Image::RGB, w, h, true, juce::SoftwareImageType());
    Graphics g (out);
    g.setImageResamplingQuality (Graphics::highResamplingQuality);
    const float kx = (float) w / gridW, ky = (float) h / gridH;
    auto toWindow = [&] (Rectangle<float> r) { return Rectangle<float> (r.getX() * kx, r.getY() * ky, r.getWidth() * kx, r.getHeight() * ky); };
    auto place = [&] (const Image& img, Rectangle<float> gridRect, juce::RectanglePlacement how)
    {
        g.drawImage (img, toWindow (gridRect), how);
    };
    const auto stretch = juce::RectanglePlacement::stretchToFit;
    const auto keep = juce::RectanglePlacement::centred;

    place (a.background, { 0.0f, 0.0f, (float) gridW, (float) gridH }, stretch);
    place (frameOf (a.weight, weight, 0.3f), weight.grid, stretch);
    place (frameOf (a.air,    air,    0.55f), air.grid, stretch);
    place (frameOf (a.heat,   heat,   0.3f), heat.grid, stretch);
    place (frameOf (a.punch,  punch,  0.8f), punch.grid, stretch);
    place (frameOf (a.ignite, ignite, 0.45f), ignite.grid, stretch);

    place (a.back, backButton, keep);
    place (a.save, saveButton, keep);
    place (a.load, loadButton, keep);
    place (a.remove, deleteButton, keep);

    for (auto [meter, db] : { std::pair { inputMeter, -9.0f }, std::pair { outputMeter, -14.0f } })
    {
        const auto r = toWindow (meter);
        g.saveState();
        g.reduceClipRegion (r.withTop (r.getBottom() - r.getHeight() * (meterRangeDb + db) / meterRangeDb).getSmallestIntegerContainer());
        g.drawImage (a.meter, r, stretch);
        g.restoreState();
    }

    place (frameOf (a.input,  input,  0.6f), input.grid, stretch);
    place (frameOf (a.output, output, 0.6f), output.grid, stretch);
    place (a.bypass, bypassButton, keep);

    // The combo box: name centred, black arrow in its last 30 px (LookAndFeel_V4 style).
    const auto combo = toWindow (presetBar);
    g.setColour (juce::Colour (0xfff5f5f5));
    fillText (g, sans, "HOT TAPE", 9.4f * scale, 0.0f, combo.getCentreX(), combo.getCentreY() + 4.7f * scale, Align::centre);
    const auto zone = Rectangle<float> (combo.getRight() - 30.0f * scale, combo.getY(), 20.0f * scale, combo.getHeight());
    Path arrow;
    arrow.startNewSubPath (zone.getX() + 3.0f * scale, zone.getCentreY() - 2.0f * scale);
    arrow.lineTo (zone.getCentreX(), zone.getCentreY() + 3.0f * scale);
    arrow.lineTo (zone.getRight() - 3.0f * scale, zone.getCentreY() - 2.0f * scale);
    g.setColour (juce::Colours::black.withAlpha (0.9f));
    g.strokePath (arrow, juce::PathStrokeType (2.0f * scale));
    return out;
}

Image composeFrames (const Art& a)
{
    using namespace layout;
    const std::vector<std::pair<const Image*, const ControlArt*>> knobs { { &a.weight, &weight }, { &a.air, &air }, { &a.heat, &heat },
                                                                          { &a.punch, &punch }, { &a.ignite, &ignite } };
    const std::vector<std::pair<const Image*, const ControlArt*>> faders { { &a.input, &input }, { &a.output, &output } };
    const int frames[] = { 0, 64, 127 };

    int knobW = 0;
    for (auto& k : knobs) knobW += k.second->frameW + 8;
    const int faderW = 3 * (input.frameW + output.frameW + 16);
    Image out (Image::RGB, knobW + faderW, juce::jmax (3 * (ignite.frameH + 8), input.frameH), true, juce::SoftwareImageType());
    Graphics g (out);
    g.fillAll (juce::Colour (0xff34302c));

    int x = 0;
    for (auto& [img, c] : knobs)
    {
        for (int row = 0; row < 3; ++row)
            g.drawImageAt (img->getClippedImage (c->frame (frames[row])), x, row * (ignite.frameH + 8));
        x += c->frameW + 8;
    }
    for (int f : frames)
        for (auto& [img, c] : faders)
        {
            g.drawImageAt (img->getClippedImage (c->frame (f)), x, 0);
            x += c->frameW + 8;
        }
    return out;
}
}

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juceInit;

    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    auto option = [&args] (const char* name, const juce::String& fallback)
    {
        const int i = args.indexOf (name);
        if (i < 0) return fallback;
        const auto value = args[i + 1];
        args.removeRange (i, 2);
        return value;
    };

    const auto preview = option ("--preview", {});
    const auto fontDir = option ("--fonts", "/usr/share/fonts/truetype");
    if (args.size() != 1)
    {
        std::fprintf (stderr, "usage: torka-art OUT_DIR [--preview FILE] [--fonts DIR]\n");
        return 2;
    }

    const juce::File outDir = juce::File::getCurrentWorkingDirectory().getChildFile (args[0]);
    const juce::File fonts = juce::File::getCurrentWorkingDirectory().getChildFile (fontDir);
    outDir.createDirectory();

    const auto faces = loadFonts (fonts.getChildFile ("jetbrains-mono"));

    using namespace layout;
    Art a;
    a.background = drawBackground (faces);
    a.weight = drawKnobStrip (weight, false);
    a.air    = drawKnobStrip (air, false);
    a.heat   = drawKnobStrip (heat, false);
    a.punch  = drawKnobStrip (punch, false);
    a.ignite = drawKnobStrip (ignite, true);
    a.input  = drawFaderStrip (input, inputTrack);
    a.output = drawFaderStrip (output, outputTrack);
    a.meter  = drawMeterBar();
    a.back   = drawIcon (IconKind::back);
    a.save   = drawIcon (IconKind::save);
    a.load   = drawIcon (IconKind::load);
    a.remove = drawIcon (IconKind::remove);
    a.bypass = drawBypassIcon();

    bool ok = true;
    if (! meterIsClear (a.input, input, inputMeter) || ! meterIsClear (a.output, output, outputMeter))
    {
        std::fprintf (stderr, "torka-art: a fader frame covers its meter\n");
        ok = false;
    }
    for (auto [img, c] : { std::pair { &a.weight, &weight }, { &a.air, &air }, { &a.heat, &heat }, { &a.punch, &punch },
                           { &a.ignite, &ignite }, { &a.input, &input }, { &a.output, &output } })
        if (! framesDiffer (*img, *c, 0, c->frames - 1))
        {
            std::fprintf (stderr, "torka-art: %s does not move\n", c->file);
            ok = false;
        }

    const std::pair<const char*, const Image*> files[] = {
        { "BackgroundFinal.png", &a.background }, { weight.file, &a.weight }, { air.file, &a.air },
        { heat.file, &a.heat }, { punch.file, &a.punch }, { ignite.file, &a.ignite },
        { input.file, &a.input }, { output.file, &a.output }, { "bar-new.png", &a.meter },
        { "Back.png", &a.back }, { "Delete.png", &a.remove }, { "Load.png", &a.load },
        { "Save.png", &a.save }, { "bypass.png", &a.bypass } };

    juce::int64 total = 0;
    for (auto [name, img] : files)
    {
        const auto file = outDir.getChildFile (name);
        ok = writePng (*img, file) && ok;
        total += file.getSize();
        std::printf ("%-24s %5d x %-6d %9lld bytes\n", name, img->getWidth(), img->getHeight(), (long long) file.getSize());
    }
    std::printf ("total %lld bytes\n", (long long) total);

    if (preview.isNotEmpty())
    {
        const auto sans = [&]
        {
            juce::MemoryBlock data;
            fonts.getChildFile ("liberation2/LiberationSans-Bold.ttf").loadFileAsData (data);
            return data.getSize() > 0 ? juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize()) : faces.monoBold;
        }();
        const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (preview);
        file.getParentDirectory().createDirectory();
        ok = writePng (composePreview (a, sans, 1.0f), file) && ok;
        ok = writePng (composePreview (a, sans, 2.0f), file.getSiblingFile (file.getFileNameWithoutExtension() + "-2x.png")) && ok;
        ok = writePng (composeFrames (a), file.getSiblingFile (file.getFileNameWithoutExtension() + "-frames.png")) && ok;
    }

    return ok ? 0 : 1;
}
