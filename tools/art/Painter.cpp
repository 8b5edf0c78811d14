#include "Art.h"

namespace art
{
using juce::ColourGradient;
using juce::PathStrokeType;

//==============================================================================
Fonts loadFonts (const juce::File& dir)
{
    auto load = [&dir] (const char* name) -> juce::Typeface::Ptr
    {
        juce::MemoryBlock data;
        if (! dir.getChildFile (name).loadFileAsData (data) || data.getSize() == 0)
        {
            std::fprintf (stderr, "torka-art: cannot read %s\n", dir.getChildFile (name).getFullPathName().toRawUTF8());
            std::exit (1);
        }
        return juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());
    };

    return { load ("JetBrainsMono-Medium.ttf"), load ("JetBrainsMono-Bold.ttf"),
             load ("JetBrainsMono-ExtraBold.ttf"), load ("JetBrainsMono-Light.ttf") };
}

Path textPath (juce::Typeface::Ptr face, const juce::String& text, float capHeight,
               float tracking, float x, float baseline, Align align)
{
    // Glyph outlines at a fixed reference size, then scaled by the measured cap height.
    const auto font = juce::Font (face).withHeight (100.0f);

    juce::GlyphArrangement capRef;
    capRef.addLineOfText (font, "H", 0.0f, 0.0f);
    Path h;
    capRef.createPath (h);
    const float scale = capHeight / juce::jmax (1.0f, h.getBounds().getHeight());

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    const float extra = tracking * capHeight / scale;
    for (int i = 0; i < glyphs.getNumGlyphs(); ++i)
        glyphs.getGlyph (i).moveBy ((float) i * extra, 0.0f);

    Path p;
    glyphs.createPath (p);
    const auto ink = p.getBounds();
    const float width = ink.getWidth() * scale;
    const float left = align == Align::left ? x : align == Align::centre ? x - width * 0.5f : x - width;
    p.applyTransform (juce::AffineTransform::translation (-ink.getX(), 0.0f).scaled (scale).translated (left, baseline));
    return p;
}

void fillText (Graphics& g, juce::Typeface::Ptr face, const juce::String& text, float capHeight,
               float tracking, float x, float baseline, Align align)
{
    g.fillPath (textPath (face, text, capHeight, tracking, x, baseline, align));
}

//==============================================================================
namespace
{
Rectangle<float> circle (Point<float> c, float r)  { return { c.x - r, c.y - r, 2.0f * r, 2.0f * r }; }

void strokeLine (Graphics& g, Point<float> a, Point<float> b, float width)
{
    Path p;
    p.startNewSubPath (a);
    p.lineTo (b);
    g.strokePath (p, PathStrokeType (width, PathStrokeType::curved, PathStrokeType::rounded));
}

void strokeArc (Graphics& g, Point<float> c, float r, float from, float to, float width)
{
    Path p;
    p.addCentredArc (c.x, c.y, r, r, 0.0f, from, to, true);
    g.strokePath (p, PathStrokeType (width, PathStrokeType::curved, PathStrokeType::rounded));
}

// Value colour: warms from amber to orange as a knob turns up.
Colour heatColour (float t)
{
    return t < 0.6f ? palette::amber.interpolatedWith (palette::orange, t / 0.6f)
                    : palette::orange.interpolatedWith (palette::ember, (t - 0.6f) / 0.4f);
}

// Every edge costs bytes in each of the 128 frames, so the frames hold only what moves
// or lights up: the unlit groove and the shadows are painted on the background.
void drawValueArc (Graphics& g, Point<float> c, float r, float width, float v, bool hero)
{
    if (v <= 0.0f)
        return;

    const float a = knobAngle (v);
    if (! hero)
    {
        g.setColour (heatColour (v * 0.8f));
        strokeArc (g, c, r, knobStartAngle, a, width);
        return;
    }

    // The hero ring heats up along its length.
    g.setColour (heatColour (0.0f));
    strokeArc (g, c, r, knobStartAngle, a, width);
    constexpr int pieces = 16;
    for (int i = 1; i < pieces; ++i)
    {
        const float t0 = (float) i / pieces, t1 = juce::jmin (v, (float) (i + 1) / pieces);
        if (t0 >= v)
            break;
        Path p;
        p.addCentredArc (c.x, c.y, r, r, 0.0f, knobAngle (t0), knobAngle (t1) + (t1 < v ? 0.01f : 0.0f), true);
        g.setColour (heatColour ((t0 + t1) * 0.5f));
        g.strokePath (p, PathStrokeType (width, PathStrokeType::curved, t1 < v ? PathStrokeType::butt : PathStrokeType::rounded));
    }
}

void drawKnob (Graphics& g, float w, float h, float v, bool hero)
{
    const Point<float> c { w * 0.5f, h * 0.5f };
    const float R = juce::jmin (w, h) * 0.5f - 1.0f;
    const auto geo = knobGeometry (hero);
    const float a = knobAngle (v);

    drawValueArc (g, c, R * geo.ring, R * geo.ringWidth, v, hero);

    // The knurled skirt around the face never moves, so it lives on the background.
    // Face: slightly dished, dark at the top and lighter at the bottom; the hero's
    // warms up as it is turned (colour only, so no extra bytes).
    const float faceR = R * geo.body * geo.face;
    const Colour faceTop = hero ? Colour (0xff1a1512).interpolatedWith (Colour (0xff2a1510), v) : Colour (0xff1c1816);
    const Colour faceLow = hero ? Colour (0xff3d322b).interpolatedWith (Colour (0xff7a3416), v * v) : Colour (0xff3b3531);
    g.setGradientFill (ColourGradient (faceTop, c.x, c.y - faceR, faceLow, c.x, c.y + faceR, false));
    g.fillEllipse (circle (c, faceR));

    if (hero)
    {
        // Ember core that glows up with the value.
        const float coreR = faceR * 0.30f;
        const auto coreTop = Colour (0xff5a463a).interpolatedWith (palette::amberHot, v);
        const auto coreLow = Colour (0xff1c1512).interpolatedWith (palette::ember.darker (0.25f), v);
        g.setGradientFill (ColourGradient (coreTop, c.x, c.y - coreR, coreLow, c.x, c.y + coreR, false));
        g.fillEllipse (circle (c, coreR));

        const auto p0 = polar (c, coreR * 1.35f, a), p1 = polar (c, faceR * 0.93f, a);
        g.setColour (palette::orange.withAlpha (0.3f));
        strokeLine (g, p0, p1, R * 0.085f);
        g.setColour (palette::amberHot);
        strokeLine (g, p0, p1, R * 0.04f);
    }
    else
    {
        g.setColour (palette::cream);
        strokeLine (g, polar (c, faceR * 0.34f, a), polar (c, faceR * 0.90f, a), R * 0.07f);
    }
}

template <typename DrawFrame>
Image makeStrip (const ControlArt& art, DrawFrame&& drawFrame)
{
    Image img (Image::ARGB, art.frameW, art.frameH * art.frames, true, juce::SoftwareImageType());
    for (int k = 0; k < art.frames; ++k)
    {
        Graphics g (img);
        g.reduceClipRegion (art.frame (k));
        g.setOrigin ({ 0, k * art.frameH });
        drawFrame (g, (float) k / (float) (art.frames - 1));
    }
    return img;
}
}

//==============================================================================
Image drawKnobStrip (const ControlArt& art, bool hero)
{
    return makeStrip (art, [&] (Graphics& g, float v)
    {
        drawKnob (g, (float) art.frameW, (float) art.frameH, v, hero);
    });
}

Image drawFaderStrip (const ControlArt& art, const layout::FaderTrack& track)
{
    using namespace layout;

    return makeStrip (art, [&] (Graphics& g, float v)
    {
        // Drawn on the grid, so it lines up with the slot and scale on the background.
        g.addTransform (juce::AffineTransform::translation (-art.grid.getX(), -art.grid.getY()).scaled (art.sx(), art.sy()));

        const float y = track.bottom - v * (track.bottom - track.top);

        // Level line in the slot, from the bottom up to the cap.
        if (v > 0.0f)
        {
            const auto fill = Rectangle<float>::leftTopRightBottom (track.x - 4.0f, y, track.x + 4.0f, track.bottom + 6.0f);
            g.setColour (palette::amber.withAlpha (0.18f));
            g.fillRoundedRectangle (fill.expanded (5.0f, 0.0f), 6.0f);
            g.setColour (palette::amber.withAlpha (0.9f));
            g.fillRoundedRectangle (fill, 3.0f);
        }

        const Rectangle<float> cap { track.x - capW * 0.5f, y - capH * 0.5f, capW, capH };
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.fillRoundedRectangle (cap.translated (0.0f, 9.0f).expanded (4.0f), 13.0f);
        g.fillRoundedRectangle (cap.translated (0.0f, 4.0f).expanded (1.5f), 11.0f);

        ColourGradient body (Colour (0xff645a51), cap.getX(), cap.getY(), Colour (0xff191614), cap.getX(), cap.getBottom(), false);
        body.addColour (0.45, Colour (0xff3a332e));
        body.addColour (0.55, Colour (0xff2a2521));
        g.setGradientFill (body);
        g.fillRoundedRectangle (cap, 10.0f);

        g.setColour (juce::Colours::white.withAlpha (0.22f));
        g.fillRect (cap.reduced (10.0f, 0.0f).withHeight (2.0f).translated (0.0f, 2.0f));

        // Grip grooves either side of the index line.
        for (float dy : { -19.0f, -12.0f, 12.0f, 19.0f })
        {
            const auto groove = Rectangle<float> (cap.getX() + 14.0f, y + dy - 1.5f, capW - 28.0f, 3.0f);
            g.setColour (juce::Colours::black.withAlpha (0.55f));
            g.fillRect (groove);
            g.setColour (juce::Colours::white.withAlpha (0.09f));
            g.fillRect (groove.translated (0.0f, 3.0f).withHeight (1.5f));
        }

        g.setColour (palette::amber);
        g.fillRoundedRectangle (Rectangle<float> (cap.getX() + 6.0f, y - 3.0f, capW - 12.0f, 6.0f), 2.0f);

        g.setColour (juce::Colours::black.withAlpha (0.75f));
        g.drawRoundedRectangle (cap, 10.0f, 2.0f);
    });
}

Image drawMeterBar()
{
    constexpr int w = 18, h = 967;
    Image img (Image::RGB, w, h, true, juce::SoftwareImageType());   // opaque by design
    Graphics g (img);

    // Top is 0 dBFS, bottom -60 dBFS: warm green low, amber through the body, red near clipping.
    ColourGradient grad (Colour (0xffff2d1e), 0.0f, 0.0f, Colour (0xff7fb43a), 0.0f, (float) h, false);
    grad.addColour (0.06, Colour (0xffff4a1e));
    grad.addColour (0.12, Colour (0xffff7a1f));
    grad.addColour (0.25, Colour (0xffffa53a));
    grad.addColour (0.45, Colour (0xffffc44a));
    grad.addColour (0.72, Colour (0xffd6c648));
    g.setGradientFill (grad);
    g.fillAll();

    // A little roundness across the bar.
    ColourGradient shade (juce::Colours::black.withAlpha (0.35f), 0.0f, 0.0f, juce::Colours::black.withAlpha (0.35f), (float) w, 0.0f, false);
    shade.addColour (0.35, juce::Colours::white.withAlpha (0.18f));
    shade.addColour (0.6, juce::Colours::transparentWhite);
    g.setGradientFill (shade);
    g.fillAll();
    return img;
}

//==============================================================================
namespace
{
void drawPlate (Graphics& g, Rectangle<float> r, float corner)
{
    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillRoundedRectangle (r.translated (0.0f, 2.0f), corner);
    g.setGradientFill (ColourGradient (Colour (0xff3d362f), r.getX(), r.getY(), Colour (0xff1a1715), r.getX(), r.getBottom(), false));
    g.fillRoundedRectangle (r, corner);
    g.setColour (juce::Colours::white.withAlpha (0.10f));
    g.drawRoundedRectangle (r.reduced (1.5f), corner - 1.5f, 1.5f);
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawRoundedRectangle (r, corner, 1.5f);
}
}

Image drawIcon (IconKind kind)
{
    Image img (Image::ARGB, 84, 84, true, juce::SoftwareImageType());
    Graphics g (img);
    drawPlate (g, { 3.0f, 2.0f, 78.0f, 78.0f }, 16.0f);

    const PathStrokeType stroke (7.0f, PathStrokeType::curved, PathStrokeType::rounded);
    Path p;

    switch (kind)
    {
        case IconKind::back:
            // Undo: shaft to the left, then a turn down and back.
            p.startNewSubPath (24.0f, 33.0f);
            p.lineTo (49.0f, 33.0f);
            p.addCentredArc (49.0f, 46.5f, 13.5f, 13.5f, 0.0f, 0.0f, juce::MathConstants<float>::pi);
            p.lineTo (33.0f, 60.0f);
            p.startNewSubPath (34.0f, 22.0f);
            p.lineTo (23.0f, 33.0f);
            p.lineTo (34.0f, 44.0f);
            break;

        case IconKind::save:
            p.startNewSubPath (42.0f, 17.0f);
            p.lineTo (42.0f, 47.0f);
            p.startNewSubPath (30.0f, 35.0f);
            p.lineTo (42.0f, 47.0f);
            p.lineTo (54.0f, 35.0f);
            p.startNewSubPath (20.0f, 47.0f);
            p.lineTo (20.0f, 62.0f);
            p.lineTo (64.0f, 62.0f);
            p.lineTo (64.0f, 47.0f);
            break;

        case IconKind::load:
            p.startNewSubPath (42.0f, 48.0f);
            p.lineTo (42.0f, 18.0f);
            p.startNewSubPath (30.0f, 30.0f);
            p.lineTo (42.0f, 18.0f);
            p.lineTo (54.0f, 30.0f);
            p.startNewSubPath (20.0f, 47.0f);
            p.lineTo (20.0f, 62.0f);
            p.lineTo (64.0f, 62.0f);
            p.lineTo (64.0f, 47.0f);
            break;

        case IconKind::remove:
            // Bin: lid with handle, tapered body, two slats.
            p.startNewSubPath (22.0f, 26.0f);
            p.lineTo (62.0f, 26.0f);
            p.startNewSubPath (35.0f, 25.0f);
            p.lineTo (36.0f, 19.0f);
            p.lineTo (48.0f, 19.0f);
            p.lineTo (49.0f, 25.0f);
            p.startNewSubPath (27.0f, 33.0f);
            p.lineTo (30.0f, 63.0f);
            p.lineTo (54.0f, 63.0f);
            p.lineTo (57.0f, 33.0f);
            p.startNewSubPath (38.0f, 37.0f);
            p.lineTo (38.0f, 55.0f);
            p.startNewSubPath (46.0f, 37.0f);
            p.lineTo (46.0f, 55.0f);
            break;
    }

    Path outline;
    stroke.createStrokedPath (outline, p);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillPath (outline, juce::AffineTransform::translation (0.0f, 2.0f));
    g.setColour (palette::cream);
    g.fillPath (outline);
    return img;
}

Image drawBypassIcon()
{
    Image img (Image::ARGB, 43, 43, true, juce::SoftwareImageType());
    Graphics g (img);
    const Point<float> c { 21.5f, 21.0f };

    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillEllipse (circle (c.translated (0.0f, 1.0f), 20.5f));
    g.setGradientFill (ColourGradient (Colour (0xff3d362f), c.x, 1.0f, Colour (0xff1a1715), c.x, 41.0f, false));
    g.fillEllipse (circle (c, 19.5f));
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawEllipse (circle (c, 19.5f), 1.0f);

    Path p;
    p.addCentredArc (c.x, c.y + 1.0f, 10.0f, 10.0f, 0.0f, 0.75f, juce::MathConstants<float>::twoPi - 0.75f, true);
    p.startNewSubPath (c.x, c.y - 12.0f);
    p.lineTo (c.x, c.y - 1.0f);

    g.setColour (palette::amber.withAlpha (0.22f));
    g.strokePath (p, PathStrokeType (7.0f, PathStrokeType::curved, PathStrokeType::rounded));
    g.setColour (palette::amber);
    g.strokePath (p, PathStrokeType (4.0f, PathStrokeType::curved, PathStrokeType::rounded));
    return img;
}
}
