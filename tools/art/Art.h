#pragma once

#include <juce_graphics/juce_graphics.h>

// Everything here is laid out on the editor's 2048 x 1343 design grid; the editor
// stretches the background over its window and places each control on the same grid.
namespace art
{
using juce::Colour;
using juce::Graphics;
using juce::Image;
using juce::Path;
using juce::Point;
using juce::Rectangle;

constexpr int gridW = 2048, gridH = 1343;
constexpr int windowW = 793, windowH = 520;

namespace palette
{
    const Colour panelTop  { 0xff201c18 };
    const Colour panelLow  { 0xff121010 };
    const Colour slot      { 0xff070606 };
    const Colour copper    { 0xffc7773a };
    const Colour amber     { 0xffffa53a };
    const Colour amberHot  { 0xffffc878 };
    const Colour orange    { 0xffff7a1f };
    const Colour ember     { 0xffff4a1c };
    const Colour cream     { 0xffeddcc2 };
    const Colour label     { 0xffe4d2b8 };
    const Colour dim       { 0xff8d7c69 };
    const Colour unlit     { 0xff2c2520 };
}

struct Fonts
{
    juce::Typeface::Ptr mono, monoBold, monoHeavy, monoLight;
};

// Loads the faces from the font files themselves so the pictures never depend
// on what the machine's font configuration resolves a family name to.
Fonts loadFonts (const juce::File& jetBrainsDir);

enum class Align { left, centre, right };

// Text as a filled outline scaled by cap height, so it looks the same whatever
// metrics the JUCE version applies to Font heights. `tracking` is extra space per
// letter as a fraction of the cap height; `baseline` is the y of the text's base.
Path textPath (juce::Typeface::Ptr face, const juce::String& text, float capHeight,
               float tracking, float x, float baseline, Align align);

void fillText (Graphics& g, juce::Typeface::Ptr face, const juce::String& text, float capHeight,
               float tracking, float x, float baseline, Align align);

//==============================================================================
// Where each control sits on the grid and how big its picture is.
struct ControlArt
{
    const char* file;
    int frameW, frameH, frames;
    Rectangle<float> grid;

    Rectangle<int> frame (int k) const   { return { 0, k * frameH, frameW, frameH }; }
    float sx() const                     { return frameW / grid.getWidth(); }
    float sy() const                     { return frameH / grid.getHeight(); }
    Point<float> toFrame (Point<float> p) const  { return { (p.x - grid.getX()) * sx(), (p.y - grid.getY()) * sy() }; }
    Rectangle<float> toFrame (Rectangle<float> r) const
    {
        return Rectangle<float>::leftTopRightBottom (toFrame (r.getTopLeft()).x, toFrame (r.getTopLeft()).y,
                                                     toFrame (r.getBottomRight()).x, toFrame (r.getBottomRight()).y);
    }
};

namespace layout
{
    const ControlArt weight { "Weight_Knob_128.png",  190, 192, 128, {  361.0f, 876.0f, 245.0f, 247.0f } };
    const ControlArt air    { "Air_Knib_128.png",     188, 188, 128, { 1440.0f, 877.0f, 244.0f, 244.0f } };
    const ControlArt heat   { "Heat_Knob_128.png",    155, 156, 128, {  420.0f, 324.0f, 200.0f, 201.0f } };
    const ControlArt punch  { "Punch_Knob_128.png",   153, 156, 128, { 1425.0f, 322.0f, 201.0f, 201.0f } };
    const ControlArt ignite { "Ignite_Knob_128.png",  392, 398, 128, {  768.0f, 485.0f, 508.0f, 515.0f } };
    const ControlArt input  { "Input_Fader_128.png",  225, 986, 128, {    0.0f,  67.0f, 292.0f, 1276.0f } };
    const ControlArt output { "Fader_Output_128.png", 234, 972, 128, { 1745.0f,  85.0f, 303.0f, 1257.0f } };

    const Rectangle<float> inputMeter  {   90.0f, 278.0f, 20.0f, 969.0f };
    const Rectangle<float> outputMeter { 1938.0f, 278.0f, 20.0f, 969.0f };

    const Rectangle<float> backButton    {  509.0f, 31.0f, 84.0f, 84.0f };
    const Rectangle<float> saveButton    {  614.0f, 31.0f, 84.0f, 84.0f };
    const Rectangle<float> loadButton    { 1350.0f, 31.0f, 84.0f, 84.0f };
    const Rectangle<float> deleteButton  { 1455.0f, 31.0f, 84.0f, 84.0f };
    const Rectangle<float> bypassButton  { 1908.0f, 37.0f, 72.0f, 72.0f };
    const Rectangle<float> presetBar     {  721.0f, 32.0f, 608.0f, 83.0f };

    // The step buttons take 14% of the bar at each end and the combo box the 72% between;
    // the combo paints its black arrow 27 to 13 window pixels left of its own right end
    // (grid x 1174 to 1210 at 793 px wide), so the light key sits under that.
    const Rectangle<float> presetArrowZone { 1166.0f, 32.0f, 52.0f, 83.0f };
    constexpr float presetStepFraction = 0.14f;

    constexpr float headerBottom = 146.0f;

    // Fader caps run beside the meter; the value is linear in dB from -30 to +20.
    struct FaderTrack { float x, top, bottom; bool scaleOnRight; };
    const FaderTrack inputTrack  {  200.0f, 300.0f, 1225.0f, true };
    const FaderTrack outputTrack { 1848.0f, 300.0f, 1225.0f, false };
    constexpr float capW = 104.0f, capH = 58.0f;
    constexpr float faderMinDb = -30.0f, faderMaxDb = 20.0f;
    constexpr float meterRangeDb = 60.0f;
}

//==============================================================================
enum class IconKind { back, save, load, remove };

Image drawKnobStrip (const ControlArt& art, bool hero);
Image drawFaderStrip (const ControlArt& art, const layout::FaderTrack& track);
Image drawMeterBar();
Image drawIcon (IconKind kind);
Image drawBypassIcon();
Image drawBackground (const Fonts& fonts);

// Shared bits of knob geometry, so the background's well and ticks match the frames.
constexpr float knobStartAngle = -2.35619449f; // -135 degrees, from 12 o'clock clockwise
constexpr float knobEndAngle   =  2.35619449f;
inline float knobAngle (float v)  { return knobStartAngle + v * (knobEndAngle - knobStartAngle); }
// Knob proportions, as fractions of half the frame's shorter side (less a pixel).
struct KnobGeometry { float ring, ringWidth, body, face; };
inline KnobGeometry knobGeometry (bool hero)  { return hero ? KnobGeometry { 0.90f, 0.105f, 0.74f, 0.84f } : KnobGeometry { 0.90f, 0.08f, 0.74f, 0.84f }; }
inline Point<float> polar (Point<float> c, float r, float angle) { return c.getPointOnCircumference (r, angle); }
}
