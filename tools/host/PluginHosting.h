#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_audio_formats/juce_audio_formats.h>

// Loading and running a built TORKA bundle through JUCE's own hosting classes, the way
// a DAW does. Shared by the demo host, the real-host tests and the validator.
namespace torka::host
{
enum class Format { vst3, lv2 };

juce::String toString (Format);
inline void PrintTo (Format f, std::ostream* os) { *os << toString (f); }

// Guesses the format from the bundle's extension (".vst3" or ".lv2").
std::optional<Format> formatOfBundle (const juce::File& bundle);

struct LoadResult
{
    std::unique_ptr<juce::AudioPluginInstance> instance;
    Format format = Format::vst3;
    juce::PluginDescription description;
    juce::String error;
};

// Loads the first plug-in of a VST3 bundle, or of an LV2 bundle (the bundle's folder is
// scanned with lilv; LV2 plug-ins are then created by URI). Call on the message thread.
LoadResult loadPlugin (const juce::File& bundle, double sampleRate, int blockSize);

// Looks a parameter up by its ID string; hosts order parameters differently, and the
// VST3 wrapper adds a bypass parameter of its own.
juce::AudioProcessorParameter* findParameter (juce::AudioProcessor&, const juce::String& id);

juce::String parameterId (juce::AudioProcessorParameter&);
bool parameterHasId (juce::AudioProcessorParameter&, const juce::String& id);

// Runs the buffer through the plug-in in place, in blocks of at most blockSize samples.
void render (juce::AudioProcessor&, juce::AudioBuffer<float>& buffer, int blockSize);

// Prepares the plug-in as a host does, then lets host and plug-in agree: a VST3 plug-in
// reports its latency through a restart request the host takes on its message thread,
// an LV2 plug-in its latency and parameters through ports while it runs (one block of
// silence). Call on the message thread.
void prepareAndSettle (juce::AudioProcessor&, double sampleRate, int blockSize, int numChannels = 2, int waitMilliseconds = 100);

// A stereo test signal: a 110 Hz sine on the left, 220 Hz plus a quieter 3.5 kHz on the
// right, fading in over 10 ms, with one short burst of drum-like noise each half second.
juce::AudioBuffer<float> makeTestSignal (double sampleRate, double seconds);

bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& buffer, double sampleRate, int bitsPerSample);

float peakOf (const juce::AudioBuffer<float>&);
float rmsDbOf (const juce::AudioBuffer<float>&);
} // namespace torka::host
