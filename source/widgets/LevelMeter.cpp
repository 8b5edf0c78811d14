#include "LevelMeter.h"

namespace kestrel::gui::widgets
{
LevelMeter::LevelMeter()
{
    setOpaque (false);
}

LevelMeter::~LevelMeter() = default;

void LevelMeter::setLevel (float newLevel)
{
    level = juce::jlimit (0.0f, 1.0f, newLevel);
    repaint();
}

void LevelMeter::setBarWidth (float width)
{
    barWidth = width;
    repaint();
}

void LevelMeter::paint (juce::Graphics& g)
{
    const auto h = getHeight();
    const auto rows = juce::roundToInt ((double) h * (double) level);
    g.reduceClipRegion (0, h - rows, getWidth(), juce::jmax (0, rows));

    if (images.meterBar.isValid())
        g.drawImage (images.meterBar, { 0.0f, 0.0f, juce::jmax (0.0f, barWidth), (float) h }, juce::RectanglePlacement::stretchToFit);
}
} // namespace kestrel::gui::widgets
