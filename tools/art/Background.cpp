#include "Art.h"

namespace art
{
using juce::ColourGradient;
using juce::PathStrokeType;

namespace
{
void strokeLine (Graphics& g, Point<float> a, Point<float> b, float width)
{
    Path p;
    p.startNewSubPath (a);
    p.lineTo (b);
    g.strokePath (p, PathStrokeType (width, PathStrokeType::curved, PathStrokeType::rounded));
}

// Recessed rounded area: dark fill, shadow along the top edge, faint light lip below.
void recess (Graphics& g, Rectangle<float> r, float corner, Colour fill)
{
    g.setColour (juce::Colours::white.withAlpha (0.05f));
    g.fillRoundedRectangle (r.translated (0.0f, 2.0f).expanded (1.5f), corner + 1.5f);
    g.setColour (fill);
    g.fillRoundedRectangle (r, corner);
    g.saveState();
    g.reduceClipRegion (r.toNearestInt());
    g.setGradientFill (ColourGradient (juce::Colours::black.withAlpha (0.55f), 0.0f, r.getY(),
                                       juce::Colours::transparentBlack, 0.0f, r.getY() + juce::jmin (18.0f, r.getHeight() * 0.4f), false));
    g.fillRoundedRectangle (r, corner);
    g.restoreState();
    g.setColour (juce::Colours::black.withAlpha (0.8f));
    g.drawRoundedRectangle (r, corner, 2.0f);
}

void panel (Graphics& g, Rectangle<float> r)
{
    g.setColour (juce::Colours::black.withAlpha (0.35f));
    g.fillRoundedRectangle (r.translated (0.0f, 6.0f).expanded (4.0f), 30.0f);
    g.setGradientFill (ColourGradient (Colour (0xff25211d), 0.0f, r.getY(), Colour (0xff171412), 0.0f, r.getBottom(), false));
    g.fillRoundedRectangle (r, 26.0f);
    g.setColour (juce::Colours::white.withAlpha (0.06f));
    g.drawRoundedRectangle (r.reduced (2.0f), 24.0f, 2.0f);
    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.drawRoundedRectangle (r, 26.0f, 2.5f);
}

void knobWell (Graphics& g, const ControlArt& art, bool hero)
{
    const auto c = art.grid.getCentre();
    const auto geo = knobGeometry (hero);
    // The frames' knob radius, taken back to the grid (frames are stretched a hair unevenly).
    const float Rf = juce::jmin (art.frameW, art.frameH) * 0.5f - 1.0f;
    const float R = Rf / art.sx();
    auto ell = [&] (float k, Point<float> at)
    {
        const float rx = Rf * k / art.sx(), ry = Rf * k / art.sy();
        return Rectangle<float> (at.x - rx, at.y - ry, 2.0f * rx, 2.0f * ry);
    };

    g.setColour (juce::Colours::black.withAlpha (0.22f));
    for (float f : { 1.06f, 1.03f, 1.0f })
        g.fillEllipse (ell (f, c.translated (0.0f, R * 0.02f)));
    g.setGradientFill (ColourGradient (Colour (0xff0a0908), c.x, c.y - R, Colour (0xff1b1815), c.x, c.y + R, false));
    g.fillEllipse (ell (0.985f, c));
    g.setColour (juce::Colours::white.withAlpha (0.06f));
    g.drawEllipse (ell (0.99f, c), 2.0f);

    // The unlit groove of the value ring; the frames light it up.
    {
        const auto box = ell (geo.ring, c);
        Path groove;
        groove.addCentredArc (c.x, c.y, box.getWidth() * 0.5f, box.getHeight() * 0.5f, 0.0f, knobStartAngle, knobEndAngle, true);
        g.setColour (palette::unlit);
        g.strokePath (groove, PathStrokeType (R * geo.ringWidth, PathStrokeType::curved, PathStrokeType::rounded));
        g.setColour (juce::Colours::black.withAlpha (0.3f));
        g.strokePath (groove, PathStrokeType (R * geo.ringWidth * 0.4f, PathStrokeType::curved, PathStrokeType::rounded));
    }

    // Shadow and knurled skirt: they never move, so they cost nothing here, while in the
    // strips every extra edge is paid 128 times. The frames draw the face on top.
    g.setColour (juce::Colours::black.withAlpha (0.16f));
    for (float spread : { 0.075f, 0.055f, 0.035f, 0.018f })
        g.fillEllipse (ell (geo.body + spread, c.translated (0.0f, R * 0.035f)));

    const auto skirt = ell (geo.body, c);
    const Colour top = hero ? Colour (0xffd2945c) : Colour (0xff7a7066);
    const Colour low = hero ? Colour (0xff2a170c) : Colour (0xff141211);
    g.setGradientFill (ColourGradient (top, c.x, skirt.getY(), low, c.x, skirt.getBottom(), false));
    g.fillEllipse (skirt);

    const int ridges = hero ? 72 : 40;
    for (int i = 0; i < ridges; ++i)
    {
        const float a = juce::MathConstants<float>::twoPi * (float) i / (float) ridges;
        const auto p0 = Point<float> (c.x + std::sin (a) * skirt.getWidth() * 0.5f * 0.88f, c.y - std::cos (a) * skirt.getHeight() * 0.5f * 0.88f);
        const auto p1 = Point<float> (c.x + std::sin (a) * skirt.getWidth() * 0.5f * 0.995f, c.y - std::cos (a) * skirt.getHeight() * 0.5f * 0.995f);
        g.setColour (juce::Colours::black.withAlpha (0.35f));
        strokeLine (g, p0, p1, R * (hero ? 0.012f : 0.018f));
    }
    g.setColour (juce::Colours::white.withAlpha (hero ? 0.25f : 0.14f));
    {
        Path rim;
        rim.addCentredArc (c.x, c.y, skirt.getWidth() * 0.5f - 2.0f, skirt.getHeight() * 0.5f - 2.0f, 0.0f, -1.2f, 1.2f, true);
        g.strokePath (rim, PathStrokeType (2.5f, PathStrokeType::curved, PathStrokeType::rounded));
    }
    g.setColour (juce::Colours::black.withAlpha (0.75f));
    g.drawEllipse (skirt, 2.5f);
    // Dark lip just outside the face the frames draw.
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillEllipse (ell (geo.body * geo.face * 1.035f, c));

    // Scale: eleven ticks, the ends and the middle longer and warmer.
    const float r0 = R * (hero ? 1.035f : 1.05f);
    for (int i = 0; i <= 10; ++i)
    {
        const float a = knobAngle ((float) i / 10.0f);
        const bool major = i == 0 || i == 5 || i == 10;
        g.setColour (major ? palette::copper.withAlpha (0.9f) : palette::dim.withAlpha (0.75f));
        strokeLine (g, polar (c, r0, a), polar (c, r0 + (major ? 16.0f : 10.0f), a), major ? 5.0f : 4.0f);
    }
}

void knobLabel (Graphics& g, const Fonts& f, const ControlArt& art, const char* text, float baseline)
{
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    fillText (g, f.monoHeavy, text, 30.0f, 0.42f, art.grid.getCentreX(), baseline + 3.0f, Align::centre);
    g.setColour (palette::label);
    fillText (g, f.monoHeavy, text, 30.0f, 0.42f, art.grid.getCentreX(), baseline, Align::centre);
}

float dbToY (float db, Rectangle<float> r, float minDb, float maxDb)
{
    return r.getBottom() - (db - minDb) / (maxDb - minDb) * r.getHeight();
}

void meterAndFader (Graphics& g, const Fonts& f, Rectangle<float> meter, const layout::FaderTrack& t, const char* name)
{
    using namespace layout;
    const bool right = t.scaleOnRight;   // true: meter on the left, fader scale on the right
    const float out = right ? -1.0f : 1.0f;

    // Meter slot: ticks on the fader side, numbers on the outer side.
    const auto meterSlot = meter.expanded (5.0f, 6.0f);
    recess (g, meterSlot, 6.0f, palette::slot);
    for (int db = 0; db >= -60; db -= 6)
    {
        const float y = dbToY ((float) db, meter, -meterRangeDb, 0.0f);
        const bool labelled = db % 12 == 0;
        const float x0 = right ? meterSlot.getRight() + 4.0f : meterSlot.getX() - 4.0f;
        const float len = labelled ? 12.0f : 7.0f;
        g.setColour (labelled ? palette::dim : palette::dim.withAlpha (0.55f));
        g.fillRect (Rectangle<float> (right ? x0 : x0 - len, y - 1.5f, len, 3.0f));
        if (labelled)
            fillText (g, f.monoBold, juce::String (db), 19.0f, 0.0f,
                      right ? meterSlot.getX() - 8.0f : meterSlot.getRight() + 8.0f, y + 9.5f,
                      right ? Align::right : Align::left);
    }

    // Fader slot with ticks either side (the cap slides over them) and numbers beyond the cap.
    const auto slot = Rectangle<float>::leftTopRightBottom (t.x - 9.0f, t.top - 14.0f, t.x + 9.0f, t.bottom + 14.0f);
    recess (g, slot, 8.0f, palette::slot);
    const auto travel = Rectangle<float>::leftTopRightBottom (t.x, t.top, t.x, t.bottom);
    for (int db = (int) faderMinDb; db <= (int) faderMaxDb; db += 5)
    {
        const float y = dbToY ((float) db, travel, faderMinDb, faderMaxDb);
        const bool labelled = db % 10 == 0;
        const float len = labelled ? 22.0f : 13.0f;
        g.setColour (db == 0 ? palette::copper : palette::dim.withAlpha (labelled ? 0.9f : 0.5f));
        g.fillRect (Rectangle<float> (t.x + 16.0f, y - 1.5f, len, 3.0f));
        g.fillRect (Rectangle<float> (t.x - 16.0f - len, y - 1.5f, len, 3.0f));
        if (labelled)
        {
            const auto text = db > 0 ? "+" + juce::String (db) : juce::String (db);
            fillText (g, f.monoBold, text, 21.0f, 0.0f, t.x - out * (capW * 0.5f + 12.0f), y + 10.5f,
                      right ? Align::left : Align::right);
        }
    }

    // Name under the pair.
    const float cx = (meter.getCentreX() + t.x) * 0.5f;
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    fillText (g, f.monoHeavy, name, 30.0f, 0.42f, cx, 1303.0f, Align::centre);
    g.setColour (palette::label);
    fillText (g, f.monoHeavy, name, 30.0f, 0.42f, cx, 1300.0f, Align::centre);
}

void chevron (Graphics& g, Point<float> c, float size, bool pointsRight)
{
    const float d = pointsRight ? 1.0f : -1.0f;
    Path p;
    p.startNewSubPath (c.x - d * size * 0.45f, c.y - size);
    p.lineTo (c.x + d * size * 0.45f, c.y);
    p.lineTo (c.x - d * size * 0.45f, c.y + size);
    g.strokePath (p, PathStrokeType (5.0f, PathStrokeType::curved, PathStrokeType::rounded));
}

void presetDisplay (Graphics& g)
{
    using namespace layout;
    const auto r = presetBar;
    recess (g, r, 14.0f, Colour (0xff080706));

    // Faint warm bloom behind the name, as if the display were lit.
    g.setGradientFill (ColourGradient (palette::amber.withAlpha (0.07f), r.getCentreX(), r.getCentreY(),
                                       palette::amber.withAlpha (0.0f), r.getCentreX() + r.getWidth() * 0.32f, r.getCentreY(), true));
    g.fillRoundedRectangle (r.reduced (6.0f), 10.0f);
    g.setColour (palette::copper.withAlpha (0.35f));
    g.drawRoundedRectangle (r.expanded (3.0f), 16.0f, 1.5f);

    // Step zones: previous on the left, next on the right.
    const float step = r.getWidth() * presetStepFraction;
    g.setColour (juce::Colours::white.withAlpha (0.07f));
    g.fillRect (Rectangle<float> (r.getX() + step, r.getY() + 16.0f, 2.0f, r.getHeight() - 32.0f));
    g.fillRect (Rectangle<float> (r.getRight() - step - 2.0f, r.getY() + 16.0f, 2.0f, r.getHeight() - 32.0f));
    g.setColour (palette::dim);
    chevron (g, { r.getX() + step * 0.5f, r.getCentreY() }, 13.0f, false);
    chevron (g, { r.getRight() - step * 0.5f, r.getCentreY() }, 13.0f, true);

    // Light key under the combo's black arrow.
    const auto key = Rectangle<float>::leftTopRightBottom (presetArrowZone.getX() + 1.0f, r.getY() + 12.0f,
                                                           presetArrowZone.getRight() - 1.0f, r.getBottom() - 12.0f);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRoundedRectangle (key.translated (0.0f, 2.0f), 9.0f);
    g.setGradientFill (ColourGradient (Colour (0xffe9b77c), 0.0f, key.getY(), Colour (0xffb9773f), 0.0f, key.getBottom(), false));
    g.fillRoundedRectangle (key, 9.0f);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.fillRoundedRectangle (key.reduced (6.0f, 0.0f).withHeight (2.0f).translated (0.0f, 2.0f), 1.0f);
}

void buttonSeat (Graphics& g, Rectangle<float> r, float corner)
{
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillRoundedRectangle (r.expanded (4.0f), corner + 4.0f);
    g.setColour (juce::Colours::white.withAlpha (0.04f));
    g.drawRoundedRectangle (r.expanded (4.0f), corner + 4.0f, 1.5f);
}
}

//==============================================================================
Image drawBackground (const Fonts& f)
{
    using namespace layout;
    Image img (Image::RGB, gridW, gridH, true, juce::SoftwareImageType());
    Graphics g (img);
    const auto all = Rectangle<float> (0.0f, 0.0f, (float) gridW, (float) gridH);

    g.setGradientFill (ColourGradient (palette::panelTop, 0.0f, 0.0f, palette::panelLow, 0.0f, (float) gridH, false));
    g.fillAll();

    // Fine horizontal brushing; fixed seed so every run writes the same bytes.
    juce::Random random (0x70124a);
    for (int y = (int) headerBottom; y < gridH; y += 2)
    {
        g.setColour (juce::Colours::white.withAlpha (0.006f + 0.01f * random.nextFloat()));
        g.fillRect (0, y, gridW, 1);
    }

    // Warm light from behind the centre knob.
    const auto ic = ignite.grid.getCentre();
    g.setGradientFill (ColourGradient (palette::orange.withAlpha (0.10f), ic.x, ic.y, palette::orange.withAlpha (0.0f), ic.x + 560.0f, ic.y, true));
    g.fillRect (all);

    // Header strip.
    const auto header = all.withHeight (headerBottom);
    g.setGradientFill (ColourGradient (Colour (0xff0b0a09), 0.0f, 0.0f, Colour (0xff151210), 0.0f, headerBottom, false));
    g.fillRect (header);
    g.setColour (juce::Colours::black);
    g.fillRect (0.0f, headerBottom, (float) gridW, 3.0f);
    g.setColour (palette::copper.withAlpha (0.45f));
    g.fillRect (0.0f, headerBottom + 3.0f, (float) gridW, 2.0f);

    // Knob sections.
    panel (g, { 330.0f, 190.0f, 372.0f, 1060.0f });
    panel (g, { 1346.0f, 190.0f, 372.0f, 1060.0f });

    knobWell (g, heat, false);
    knobWell (g, weight, false);
    knobWell (g, punch, false);
    knobWell (g, air, false);
    knobWell (g, ignite, true);

    knobLabel (g, f, heat,   "HEAT",   583.0f);
    knobLabel (g, f, punch,  "PUNCH",  583.0f);
    knobLabel (g, f, weight, "WEIGHT", 1183.0f);
    knobLabel (g, f, air,    "AIR",    1183.0f);

    // The hero label, bigger and lit.
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    fillText (g, f.monoHeavy, "IGNITE", 40.0f, 0.5f, ic.x, 1073.0f, Align::centre);
    g.setColour (palette::amber);
    fillText (g, f.monoHeavy, "IGNITE", 40.0f, 0.5f, ic.x, 1069.0f, Align::centre);

    meterAndFader (g, f, inputMeter, inputTrack, "INPUT");
    meterAndFader (g, f, outputMeter, outputTrack, "OUTPUT");

    // Wordmark above the centre knob.
    {
        const auto mark = textPath (f.monoHeavy, "TORKA", 104.0f, 0.3f, ic.x, 314.0f, Align::centre);
        g.setColour (juce::Colours::black.withAlpha (0.65f));
        g.fillPath (mark, juce::AffineTransform::translation (0.0f, 6.0f));
        const auto b = mark.getBounds();
        ColourGradient metal (palette::amberHot, 0.0f, b.getY(), palette::copper, 0.0f, b.getBottom(), false);
        metal.addColour (0.5, palette::amber);
        g.setGradientFill (metal);
        g.fillPath (mark);

        g.setColour (palette::dim);
        fillText (g, f.monoBold, "CHARACTER  PROCESSOR", 20.0f, 0.55f, ic.x, 378.0f, Align::centre);
        g.setColour (palette::copper.withAlpha (0.6f));
        g.fillRect (Rectangle<float> (ic.x - 300.0f, 352.0f, 600.0f, 2.0f));
    }

    // Maker's mark at the left of the header.
    {
        g.setColour (palette::copper);
        fillText (g, f.monoHeavy, "HOLLOWOAK", 24.0f, 0.3f, 44.0f, 86.0f, Align::left);
        const float w = textPath (f.monoHeavy, "HOLLOWOAK", 24.0f, 0.3f, 44.0f, 86.0f, Align::left).getBounds().getRight();
        g.setColour (palette::dim);
        fillText (g, f.monoLight, "AUDIO", 24.0f, 0.3f, w + 14.0f, 86.0f, Align::left);
    }

    for (auto r : { backButton, saveButton, loadButton, deleteButton })
        buttonSeat (g, r.reduced (3.0f), 16.0f);
    g.setColour (juce::Colours::black.withAlpha (0.5f));
    g.fillEllipse (bypassButton.expanded (6.0f));

    presetDisplay (g);

    g.setColour (palette::label);
    fillText (g, f.monoHeavy, "BYPASS", 28.0f, 0.38f, bypassButton.getX() - 26.0f, bypassButton.getCentreY() + 14.0f, Align::right);

    return img;
}
}
