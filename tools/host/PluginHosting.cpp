#include "PluginHosting.h"

#include <cmath>

namespace torka::host
{
juce::String toString (Format f)
{
    return f == Format::vst3 ? "VST3" : "LV2";
}

std::optional<Format> formatOfBundle (const juce::File& bundle)
{
    if (bundle.hasFileExtension ("vst3"))
        return Format::vst3;
    if (bundle.hasFileExtension ("lv2"))
        return Format::lv2;
    return std::nullopt;
}

// The plug-in URIs that a bundle's manifest declares: other bundles in the same folder
// are loaded by lilv too, so the URI says which plug-in is this bundle's.
static juce::StringArray lv2PluginUris (const juce::File& bundle)
{
    juce::StringArray lines;
    bundle.getChildFile ("manifest.ttl").readLines (lines);

    juce::StringArray uris;
    for (int i = 0; i + 1 < lines.size(); ++i)
    {
        const auto subject = lines[i].trim();
        if (subject.startsWithChar ('<') && subject.endsWithChar ('>') && lines[i + 1].trim().startsWith ("a lv2:Plugin"))
            uris.add (subject.substring (1, subject.length() - 1));
    }
    return uris;
}

LoadResult loadPlugin (const juce::File& bundle, double sampleRate, int blockSize)
{
    LoadResult result;
    const auto format = formatOfBundle (bundle);

    if (! format.has_value() || ! bundle.exists())
    {
        result.error = "not a VST3 or LV2 bundle: " + bundle.getFullPathName();
        return result;
    }

    std::unique_ptr<juce::AudioPluginFormat> pluginFormat;
    juce::StringArray identifiers;

    if (*format == Format::vst3)
    {
        pluginFormat = std::make_unique<juce::VST3PluginFormat>();
        identifiers.add (bundle.getFullPathName());
    }
    else
    {
        pluginFormat = std::make_unique<juce::LV2PluginFormat>();
        identifiers = lv2PluginUris (bundle);

        // lilv already knows the default folders (~/.lv2 and the system's); others are scanned.
        juce::OwnedArray<juce::PluginDescription> known;
        for (const auto& uri : identifiers)
            pluginFormat->findAllTypesForFile (known, uri);
        if (known.isEmpty())
            pluginFormat->searchPathsForPlugins (juce::FileSearchPath (bundle.getParentDirectory().getFullPathName()), false, false);
    }

    juce::OwnedArray<juce::PluginDescription> descriptions;
    for (const auto& id : identifiers)
        pluginFormat->findAllTypesForFile (descriptions, id);

    if (descriptions.isEmpty())
    {
        result.error = "no plug-in found in " + bundle.getFullPathName();
        return result;
    }

    juce::AudioPluginFormatManager manager;
    manager.addFormat (pluginFormat.release());

    result.format = *format;
    result.description = *descriptions.getFirst();
    result.instance = manager.createPluginInstance (result.description, sampleRate, blockSize, result.error);
    return result;
}

juce::String parameterId (juce::AudioProcessorParameter& p)
{
    if (auto* withId = dynamic_cast<juce::HostedAudioProcessorParameter*> (&p))
        return withId->getParameterID();
    return {};
}

bool parameterHasId (juce::AudioProcessorParameter& p, const juce::String& id)
{
    const auto hosted = parameterId (p);

    // The VST3 wrapper publishes the ID string's hash with the top bit cleared; LV2
    // publishes a URI that ends in the ID string.
    const auto vst3Id = juce::String ((juce::uint32) id.hashCode() & 0x7fffffffu);
    return hosted == id || hosted == vst3Id || hosted.endsWith (":" + id) || hosted.endsWith ("#" + id);
}

juce::AudioProcessorParameter* findParameter (juce::AudioProcessor& processor, const juce::String& id)
{
    for (auto* p : processor.getParameters())
        if (parameterHasId (*p, id))
            return p;
    return nullptr;
}

void render (juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, int blockSize)
{
    juce::MidiBuffer midi;
    const auto numChannels = juce::jmax (buffer.getNumChannels(),
                                         processor.getTotalNumInputChannels(),
                                         processor.getTotalNumOutputChannels());
    juce::AudioBuffer<float> block (numChannels, blockSize);

    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        const auto n = juce::jmin (blockSize, buffer.getNumSamples() - start);
        block.setSize (numChannels, n, false, false, true);
        block.clear();
        for (int c = 0; c < buffer.getNumChannels(); ++c)
            block.copyFrom (c, 0, buffer, c, start, n);

        processor.processBlock (block, midi);

        for (int c = 0; c < buffer.getNumChannels(); ++c)
            buffer.copyFrom (c, start, block, c, 0, n);
    }
}

void prepareAndSettle (juce::AudioProcessor& processor, double sampleRate, int blockSize, int numChannels, int waitMilliseconds)
{
    processor.prepareToPlay (sampleRate, blockSize);
    juce::MessageManager::getInstance()->runDispatchLoopUntil (waitMilliseconds);
    juce::AudioBuffer<float> silence (numChannels, blockSize);
    silence.clear();
    render (processor, silence, blockSize);
}

juce::AudioBuffer<float> makeTestSignal (double sampleRate, double seconds)
{
    const auto numSamples = (int) std::lround (sampleRate * seconds);
    juce::AudioBuffer<float> buffer (2, numSamples);
    juce::Random random (1234);
    const auto twoPi = juce::MathConstants<double>::twoPi;
    const auto burstLength = (int) (0.08 * sampleRate);
    const auto burstPeriod = juce::jmax (1, (int) (0.5 * sampleRate));

    for (int i = 0; i < numSamples; ++i)
    {
        const auto t = i / sampleRate;
        const auto fade = juce::jmin (1.0, t / 0.01);
        const auto inBurst = i % burstPeriod;
        const auto burst = inBurst < burstLength
                               ? (random.nextFloat() * 2.0f - 1.0f) * 0.3f * std::exp (-8.0f * (float) inBurst / (float) burstLength)
                               : 0.0f;

        buffer.setSample (0, i, (float) (fade * 0.25 * std::sin (twoPi * 110.0 * t)) + burst);
        buffer.setSample (1, i, (float) (fade * (0.2 * std::sin (twoPi * 220.0 * t) + 0.05 * std::sin (twoPi * 3500.0 * t))) + burst);
    }

    return buffer;
}

bool writeWav (const juce::File& file, const juce::AudioBuffer<float>& buffer, double sampleRate, int bitsPerSample)
{
    file.deleteFile();
    auto stream = std::unique_ptr<juce::OutputStream> (file.createOutputStream());
    if (stream == nullptr)
        return false;

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, (unsigned int) buffer.getNumChannels(), bitsPerSample, {}, 0));
    if (writer == nullptr)
        return false;

    stream.release(); // the writer owns the stream now
    return writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
}

float peakOf (const juce::AudioBuffer<float>& buffer)
{
    float peak = 0.0f;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        peak = juce::jmax (peak, buffer.getMagnitude (c, 0, buffer.getNumSamples()));
    return peak;
}

float rmsDbOf (const juce::AudioBuffer<float>& buffer)
{
    double sum = 0.0;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            sum += juce::square ((double) buffer.getSample (c, i));

    const auto count = (double) juce::jmax (1, buffer.getNumChannels() * buffer.getNumSamples());
    return (float) juce::Decibels::gainToDecibels (std::sqrt (sum / count), -200.0);
}
} // namespace torka::host
