#include "Images.h"

#include <BinaryData.h>

namespace kestrel
{
namespace
{
    juce::Image load (const char* data, int size)
    {
        return juce::ImageCache::getFromMemory (data, size);
    }
} // namespace

Images::Images()
    : background (load (BinaryData::BackgroundFinal_png, BinaryData::BackgroundFinal_pngSize)),
      weightKnob (load (BinaryData::Weight_Knob_128_png, BinaryData::Weight_Knob_128_pngSize)),
      airKnob (load (BinaryData::Air_Knib_128_png, BinaryData::Air_Knib_128_pngSize)),
      heatKnob (load (BinaryData::Heat_Knob_128_png, BinaryData::Heat_Knob_128_pngSize)),
      punchKnob (load (BinaryData::Punch_Knob_128_png, BinaryData::Punch_Knob_128_pngSize)),
      igniteKnob (load (BinaryData::Ignite_Knob_128_png, BinaryData::Ignite_Knob_128_pngSize)),
      inputFader (load (BinaryData::Input_Fader_128_png, BinaryData::Input_Fader_128_pngSize)),
      outputFader (load (BinaryData::Fader_Output_128_png, BinaryData::Fader_Output_128_pngSize)),
      meterBar (load (BinaryData::barnew_png, BinaryData::barnew_pngSize)),
      backButton (load (BinaryData::Back_png, BinaryData::Back_pngSize)),
      deleteButton (load (BinaryData::Delete_png, BinaryData::Delete_pngSize)),
      loadButton (load (BinaryData::Load_png, BinaryData::Load_pngSize)),
      saveButton (load (BinaryData::Save_png, BinaryData::Save_pngSize)),
      bypassButton (load (BinaryData::bypass_png, BinaryData::bypass_pngSize))
{
}

FilmStripImage::FilmStripImage (juce::Image strip, int frames)
    : image (std::move (strip)),
      numFrames (frames),
      frameHeight (image.isValid() && frames > 0 ? image.getHeight() / frames : 0)
{
}

void FilmStripImage::drawWithin (juce::Graphics& g, int width, int height, float value) const
{
    if (! image.isValid() || frameHeight <= 0)
        return;

    // A view of the strip's pixels; nothing is copied.
    const auto top = frameIndexFor (value) * frameHeight;
    const auto frame = image.getClippedImage ({ 0, top, image.getWidth(), frameHeight });
    if (! frame.isValid())
        return;

    g.drawImage (frame, { 0.0f, 0.0f, (float) width, (float) height }, juce::RectanglePlacement::stretchToFit);
}
} // namespace kestrel
