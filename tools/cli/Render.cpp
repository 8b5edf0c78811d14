#include "Render.h"
#include "Loudness.h"
#include "PresetLibrary.h"
#include "PresetManager.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace torka::cli
{
namespace
{
    juce::RangedAudioParameter* findParameter (PluginProcessor& p, const juce::String& idOrName)
    {
        if (auto* byId = p.treeState.getParameter (idOrName))
            return byId;

        for (auto* param : p.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (param))
                if (ranged->getName (64).equalsIgnoreCase (idOrName))
                    return ranged;
        return nullptr;
    }

    bool parseNumber (const juce::String& text, double& value)
    {
        const auto trimmed = text.trim().toStdString();
        if (trimmed.empty())
            return false;
        char* end = nullptr;
        value = std::strtod (trimmed.c_str(), &end);
        return end == trimmed.c_str() + trimmed.size() && std::isfinite (value);
    }

    juce::String describe (juce::RangedAudioParameter& p)
    {
        return p.getName (64) + " (" + p.getParameterID() + ")";
    }

    // A file stream that remembers whether any write fell short: JUCE's writers ignore
    // the results of the writes they make, and a short write (a full disk, a file size
    // limit) sets no error status.
    class CheckedFileStream : public juce::OutputStream
    {
    public:
        CheckedFileStream (const juce::File& file, std::shared_ptr<bool> failedFlag)
            : stream (file), failed (std::move (failedFlag))
        {
            *failed = ! stream.openedOk();
        }

        ~CheckedFileStream() override
        {
            stream.flush();
            note (stream.getStatus().wasOk());
        }

        bool write (const void* data, size_t numBytes) override { return note (stream.write (data, numBytes)); }
        bool writeRepeatedByte (juce::uint8 byte, size_t numBytes) override { return note (stream.writeRepeatedByte (byte, numBytes)); }
        bool setPosition (juce::int64 position) override { return note (stream.setPosition (position)); }
        juce::int64 getPosition() override { return stream.getPosition(); }
        void flush() override
        {
            stream.flush();
            note (stream.getStatus().wasOk());
        }

    private:
        bool note (bool ok)
        {
            *failed = *failed || ! ok || stream.getStatus().failed();
            return ok;
        }

        juce::FileOutputStream stream;
        std::shared_ptr<bool> failed;
    };

    // Integer samples as JUCE's readers give them (left-justified in 32 bits) and back,
    // by powers of two, so a sample that passes unchanged is written back bit for bit.
    // (JUCE's own float conversions scale by 2^31 - 1 one way and round the other,
    // which moves some samples by one step.)
    void intToFloat (const int* in, float* out, int n, bool isFloat)
    {
        if (isFloat)
            std::memcpy (out, in, (size_t) n * sizeof (float));
        else
            for (int i = 0; i < n; ++i)
                out[i] = (float) ((double) in[i] * (1.0 / 2147483648.0));
    }

    // Rounded to the file's bit depth, clipped to its range, left-justified in 32 bits.
    void floatToInt (const float* in, int* out, int n, int bits)
    {
        const auto scale = std::ldexp (1.0, bits - 1);
        const auto shift = 32 - bits;
        for (int i = 0; i < n; ++i)
        {
            const auto q = juce::jlimit (-scale, scale - 1.0, std::round ((double) in[i] * scale));
            out[i] = (int) ((juce::int64) q * ((juce::int64) 1 << shift));
        }
    }

    // A writer onto a checked stream in temporary; failed turns true if any write falls
    // short. Null when the file cannot be opened (failed is then true) or the format
    // cannot write these settings.
    std::unique_ptr<juce::AudioFormatWriter> openWriter (juce::AudioFormat& format, const juce::TemporaryFile& temporary,
                                                         double rate, int channels, int bits, const std::shared_ptr<bool>& failed)
    {
        auto stream = std::make_unique<CheckedFileStream> (temporary.getFile(), failed);
        if (*failed)
            return {};

        std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream.get(), rate, (unsigned int) channels, bits, {}, 0));
        if (writer != nullptr)
            stream.release(); // the writer owns it now
        return writer;
    }

    // The nearest bit depth the format can write, preferring the requested one.
    int supportedBits (juce::AudioFormat& format, int wanted)
    {
        const auto possible = format.getPossibleBitDepths();
        if (possible.contains (wanted))
            return wanted;
        int best = possible.getFirst();
        for (auto b : possible)
            if (b <= wanted)
                best = juce::jmax (best, b);
        return best;
    }
} // namespace

std::unique_ptr<juce::AudioFormat> formatForFile (const juce::File& file)
{
    if (file.hasFileExtension ("wav"))
        return std::make_unique<juce::WavAudioFormat>();
    if (file.hasFileExtension ("aif;aiff"))
        return std::make_unique<juce::AiffAudioFormat>();
    if (file.hasFileExtension ("flac"))
        return std::make_unique<juce::FlacAudioFormat>();
    return {};
}

juce::String applyPreset (PluginProcessor& processor, const juce::String& nameOrFile)
{
    const hoa::PresetManager manager (processor.treeState, processor.variableTree, hoa::Globals::productName);
    const auto cwd = juce::File::getCurrentWorkingDirectory();

    // A file: anything with the .xml extension or a path.
    if (nameOrFile.endsWithIgnoreCase (".xml") || nameOrFile.containsChar ('/'))
    {
        const auto file = cwd.getChildFile (nameOrFile);
        if (! file.existsAsFile())
            return "no preset file " + file.getFullPathName();
        const auto root = hoa::presets::readDocument (file);
        if (root == nullptr || ! root->hasTagName (hoa::Globals::productName))
            return file.getFullPathName() + " is not a TORKA preset";
        manager.applyXmlParams (root->getFirstChildElement(), {});
        return {};
    }

    if (nameOrFile == "INIT")
    {
        manager.applyDefaults();
        return {};
    }

    // As the preset bar finds a name: the factory presets first, then the user's.
    const auto factoryPresets = hoa::presets::factoryPresets();
    const auto userFolder = hoa::presets::defaultFolder();
    const auto userPresets = hoa::presets::userPresets (userFolder);
    for (const auto exact : { true, false })
    {
        const auto matches = [&] (const juce::String& name) { return exact ? name == nameOrFile : name.equalsIgnoreCase (nameOrFile); };

        for (const auto& factory : factoryPresets)
            if (matches (factory.name))
            {
                manager.loadEmbeddedPreset (factory.data, factory.size);
                return {};
            }

        for (const auto& file : userPresets)
            if (matches (file.getFileNameWithoutExtension()))
            {
                manager.loadPreset (file.getFullPathName());
                return {};
            }

        if (! exact && nameOrFile.equalsIgnoreCase ("INIT"))
        {
            manager.applyDefaults();
            return {};
        }
    }

    return "no preset called \"" + nameOrFile + "\" (torka presets lists them)";
}

juce::String applySetting (PluginProcessor& processor, const juce::String& parameter, const juce::String& value)
{
    auto* param = findParameter (processor, parameter);
    if (param == nullptr)
        return "no parameter called \"" + parameter + "\" (torka info lists them)";

    if (dynamic_cast<juce::AudioParameterBool*> (param) != nullptr)
    {
        const auto v = value.trim().toLowerCase();
        const auto on = v == "on" || v == "true" || v == "yes" || v == "1";
        const auto off = v == "off" || v == "false" || v == "no" || v == "0";
        if (! on && ! off)
            return "\"" + value + "\" is not on or off, for " + describe (*param);
        param->setValueNotifyingHost (on ? 1.0f : 0.0f);
        return {};
    }

    double real = 0.0;
    if (! parseNumber (value, real))
        return "\"" + value + "\" is not a number, for " + describe (*param);

    const auto& range = param->getNormalisableRange();
    if (real < range.start || real > range.end)
        return juce::String (real) + " is outside " + describe (*param) + "'s range of "
               + juce::String (range.start) + " to " + juce::String (range.end);

    param->setValueNotifyingHost (param->convertTo0to1 ((float) real));
    return {};
}

PresetListing listPresets()
{
    PresetListing listing;
    for (const auto& f : hoa::presets::factoryPresets())
        listing.factory.add (f.name);

    listing.userFolder = hoa::presets::defaultFolder();
    for (const auto& file : hoa::presets::userPresets (listing.userFolder))
        listing.user.add (file.getFileNameWithoutExtension());
    return listing;
}

juce::String render (const RenderOptions& options, RenderSummary& summary)
{
    const auto start = juce::Time::getMillisecondCounterHiRes();

    if (! options.input.existsAsFile())
        return "no input file " + options.input.getFullPathName();
    if (options.blockSize < 1 || options.blockSize > 65536)
        return "the block size must be 1 to 65536 samples";

    auto outputFormat = formatForFile (options.output);
    if (outputFormat == nullptr)
        return "cannot write " + options.output.getFileName() + ": the output must be a .wav, .aif, .aiff or .flac file";
    if (options.output.isDirectory())
        return options.output.getFullPathName() + " is a folder";
    if (! options.output.getParentDirectory().isDirectory())
        return "no folder " + options.output.getParentDirectory().getFullPathName();

    juce::AudioFormatManager formats;
    formats.registerFormat (new juce::WavAudioFormat(), true);
    formats.registerFormat (new juce::AiffAudioFormat(), false);
    formats.registerFormat (new juce::FlacAudioFormat(), false);

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (options.input));
    if (reader == nullptr)
        return "cannot read " + options.input.getFullPathName() + ": not a WAV, AIFF or FLAC file";

    const auto channels = (int) reader->numChannels;
    if (channels < 1 || channels > 2)
        return options.input.getFileName() + " has " + juce::String (channels) + " channels; TORKA processes mono or stereo";
    if (reader->sampleRate <= 0.0)
        return options.input.getFileName() + " has no sample rate";

    // The processor, set up as a host would for this file.
    PluginProcessor processor;
    const auto layout = channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
    if (! processor.setBusesLayout ({ { layout }, { layout } }))
        return "cannot set the processor to " + juce::String (channels) + " channels";

    if (options.preset.isNotEmpty())
        if (auto error = applyPreset (processor, options.preset); error.isNotEmpty())
            return error;
    for (const auto& [parameter, value] : options.settings)
        if (auto error = applySetting (processor, parameter, value); error.isNotEmpty())
            return error;
    if (options.bypass)
        processor.treeState.getParameter (hoa::parameters::bypassID)->setValueNotifyingHost (1.0f);

    const auto rate = reader->sampleRate;
    const auto block = options.blockSize;
    processor.setNonRealtime (true);
    processor.setRateAndBufferSizeDetails (rate, block);
    processor.prepareToPlay (rate, block);
    const auto latency = processor.getLatencySamples();

    juce::AudioBuffer<float> buffer (channels, block);
    std::vector<int> pcm[2] = { std::vector<int> ((size_t) block), std::vector<int> ((size_t) block) };
    juce::MidiBuffer midi;

    for (auto primed = (int) std::ceil (primingSeconds * rate); primed > 0; primed -= block)
    {
        buffer.setSize (channels, juce::jmin (block, primed), false, false, true);
        buffer.clear();
        processor.processBlock (buffer, midi);
    }

    // The output goes to a temporary file beside the target and replaces it only once
    // it is complete and reads back whole.
    const auto bits = supportedBits (*outputFormat, options.bitsPerSample > 0 ? options.bitsPerSample : (int) reader->bitsPerSample);
    juce::TemporaryFile temporary (options.output);
    auto writeFailed = std::make_shared<bool> (false);
    {
        const auto writer = openWriter (*outputFormat, temporary, rate, channels, bits, writeFailed);
        if (writer == nullptr)
            return *writeFailed ? "cannot write in " + options.output.getParentDirectory().getFullPathName()
                                : "cannot write " + outputFormat->getFormatName() + " at " + juce::String (rate) + " Hz, " + juce::String (bits) + " bits";
        summary.floatingPoint = writer->isFloatingPoint();

        LoudnessMeter inputMeter (rate, channels), outputMeter (rate, channels);
        const auto total = reader->lengthInSamples;
        juce::int64 read = 0, written = 0;
        auto toSkip = (juce::int64) latency;
        auto lastReport = -1.0;

        // Feeds the file, then the latency's worth of silence to flush the tail; drops
        // the first `latency` output samples so the output lines up with the input.
        while (written < total)
        {
            const auto n = (int) juce::jmin ((juce::int64) block, total + latency - read);
            buffer.setSize (channels, n, false, false, true);
            buffer.clear();
            const auto fromFile = (int) juce::jmax ((juce::int64) 0, juce::jmin ((juce::int64) n, total - read));
            if (fromFile > 0)
            {
                int* ints[2] = { pcm[0].data(), pcm[1].data() };
                if (! reader->read (ints, channels, read, fromFile, false))
                    return "cannot read " + options.input.getFullPathName() + " past sample " + juce::String (read);
                for (int c = 0; c < channels; ++c)
                    intToFloat (ints[c], buffer.getWritePointer (c), fromFile, reader->usesFloatingPointData);
                inputMeter.add (buffer, 0, fromFile);
            }
            read += n;

            processor.processBlock (buffer, midi);

            const auto skip = (int) juce::jmin ((juce::int64) n, toSkip);
            toSkip -= skip;
            const auto keep = (int) juce::jmin ((juce::int64) (n - skip), total - written);
            if (keep > 0)
            {
                juce::AudioBuffer<float> kept (buffer.getArrayOfWritePointers(), channels, skip, keep);
                auto ok = true;
                if (writer->isFloatingPoint())
                {
                    ok = writer->writeFromAudioSampleBuffer (kept, 0, keep);
                }
                else
                {
                    const int* ints[3] = { pcm[0].data(), channels > 1 ? pcm[1].data() : nullptr, nullptr };
                    for (int c = 0; c < channels; ++c)
                        floatToInt (kept.getReadPointer (c), pcm[c].data(), keep, bits);
                    ok = writer->write (ints, keep);
                }
                if (! ok)
                    return "cannot write " + temporary.getFile().getFullPathName();
                outputMeter.add (kept, 0, keep);
                written += keep;
            }

            if (options.progress != nullptr && total > 0)
            {
                const auto fraction = (double) written / (double) total;
                if (fraction - lastReport >= 0.01 || written == total)
                {
                    options.progress (fraction);
                    lastReport = fraction;
                }
            }
        }

        summary.inputPeak = inputMeter.peak();
        summary.outputPeak = outputMeter.peak();
        summary.inputLufs = inputMeter.integratedLufs();
        summary.outputLufs = outputMeter.integratedLufs();
        summary.numSamples = total;
    }

    // Read back what was written before it replaces anything.
    if (*writeFailed)
        return "the output could not be written whole (is the disk full?)";
    {
        std::unique_ptr<juce::AudioFormatReader> check (formats.createReaderFor (temporary.getFile()));
        if (check == nullptr || check->lengthInSamples != summary.numSamples || (int) check->numChannels != channels)
            return "the output could not be written whole (is the disk full?)";
    }
    if (! temporary.overwriteTargetFileWithTemporary())
        return "cannot replace " + options.output.getFullPathName();

    summary.sampleRate = rate;
    summary.numChannels = channels;
    summary.bitsPerSample = bits;
    summary.latency = latency;
    summary.seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
    return {};
}

juce::String writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bits)
{
    auto format = formatForFile (file);
    if (format == nullptr)
        return "the file must be a .wav, .aif, .aiff or .flac file";

    juce::TemporaryFile temporary (file);
    auto failed = std::make_shared<bool> (false);
    {
        const auto writer = openWriter (*format, temporary, sampleRate, audio.getNumChannels(), supportedBits (*format, bits), failed);
        if (writer == nullptr)
            return *failed ? "cannot write " + file.getFullPathName()
                           : "cannot write " + format->getFormatName() + " at " + juce::String (sampleRate) + " Hz";
        if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
            return "cannot write " + file.getFullPathName();
    }
    if (*failed || ! temporary.overwriteTargetFileWithTemporary())
        return "cannot write " + file.getFullPathName();
    return {};
}

juce::AudioBuffer<float> demoSignal (double sampleRate, double seconds)
{
    const auto n = (int) std::lround (sampleRate * seconds);
    juce::AudioBuffer<float> out (2, n);
    out.clear();
    juce::Random random (2026);
    const auto twoPi = juce::MathConstants<double>::twoPi;
    const auto beat = 60.0 / 112.0; // 112 BPM

    for (int i = 0; i < n; ++i)
    {
        const auto t = i / sampleRate;
        const auto inBeat = std::fmod (t, beat);
        const auto beatIndex = (int) (t / beat);
        const auto halfBeat = std::fmod (t, beat / 2.0);

        // Kick on every beat: a sine gliding from 105 to 45 Hz; snare on 2 and 4: noise with a tone.
        const auto kick = std::exp (-inBeat * 18.0) * std::sin (twoPi * (45.0 * inBeat + 2.0 * (1.0 - std::exp (-inBeat * 30.0))));
        const auto snare = (beatIndex % 2 == 1) ? std::exp (-inBeat * 22.0) * (0.6 * (random.nextDouble() * 2.0 - 1.0) + 0.4 * std::sin (twoPi * 185.0 * t)) : 0.0;
        const auto hat = std::exp (-halfBeat * 90.0) * (random.nextDouble() * 2.0 - 1.0) * 0.25;

        // Bass following A, F, C, G, one bar each; a soft chord pad above it.
        const double roots[] = { 55.0, 43.65, 65.41, 49.0 };
        const auto root = roots[(beatIndex / 4) % 4];
        const auto bass = 0.5 * std::sin (twoPi * root * t) + 0.15 * std::sin (twoPi * 2.0 * root * t);
        const auto pad = 0.06 * (std::sin (twoPi * root * 4.0 * t) + std::sin (twoPi * root * 5.04 * t) + std::sin (twoPi * root * 6.0 * t));
        const auto fade = juce::jmin (1.0, t / 0.02, (seconds - t) / 0.05);

        // About -7 dBFS at the peaks, as a mix would arrive for mastering.
        const auto centre = 0.55 * kick + 0.35 * snare + 0.3 * bass;
        out.setSample (0, i, (float) (0.4 * fade * (centre + hat * 0.8 + pad * 1.1)));
        out.setSample (1, i, (float) (0.4 * fade * (centre + hat * 1.2 + pad * 0.9)));
    }
    return out;
}
} // namespace torka::cli
