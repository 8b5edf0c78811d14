#pragma once

#include "PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <vector>

// The offline renderer behind the torka command: the same processor that hosts run,
// fed a file block by block.
namespace torka::cli
{
// Silence run through the processor before the audio, so that every control ramp has
// settled (the longest, the bypass fade and the Air fade-in, take 20 ms) and the file
// starts exactly as the settings say.
constexpr double primingSeconds = 0.1;

struct RenderOptions
{
    juce::File input, output;
    juce::String preset;                                             // a name or a .xml file; empty for none
    std::vector<std::pair<juce::String, juce::String>> settings;     // parameter (ID or name), value
    bool bypass = false;
    int blockSize = 512;
    int bitsPerSample = 0;                                           // 0: as the input
    std::function<void (double)> progress;                           // 0...1
};

struct RenderSummary
{
    double sampleRate = 0.0;
    int numChannels = 0;
    int bitsPerSample = 0;
    bool floatingPoint = false;
    juce::int64 numSamples = 0;
    float inputPeak = 0.0f, outputPeak = 0.0f;
    double inputLufs = 0.0, outputLufs = 0.0;
    int latency = 0;
    double seconds = 0.0;
};

// Each returns an error message, or an empty string on success.
juce::String applyPreset (PluginProcessor&, const juce::String& nameOrFile);
juce::String applySetting (PluginProcessor&, const juce::String& parameter, const juce::String& value);
juce::String render (const RenderOptions&, RenderSummary&);

// The presets as the preset bar lists them: INIT, the factory ones, the user ones.
struct PresetListing
{
    juce::StringArray factory, user;
    juce::File userFolder;
};
PresetListing listPresets();

// A short stereo demo: a drum pattern, a bass line and a chord pad.
juce::AudioBuffer<float> demoSignal (double sampleRate, double seconds);

// Writes a whole file, or nothing: through a temporary file beside it.
juce::String writeAudioFile (const juce::File&, const juce::AudioBuffer<float>&, double sampleRate, int bitsPerSample);

// The format a file name asks for: WAV, AIFF or FLAC.
std::unique_ptr<juce::AudioFormat> formatForFile (const juce::File&);
} // namespace torka::cli
