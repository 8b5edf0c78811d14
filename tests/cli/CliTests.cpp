// End-to-end tests of the torka command on real files in a temporary folder.

#include "PluginProcessor.h"
#include "PresetLibrary.h"
#include "PresetManager.h"
#include "Render.h"
#include "Signals.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using torka::test::ScopedTemporaryHome;

namespace
{
struct CommandResult
{
    int exitCode = -1;
    juce::String out, err;
};

juce::String quoted (const juce::String& s)
{
    return "'" + s.replace ("'", "'\\''") + "'";
}

class Cli : public ::testing::Test
{
protected:
    ScopedTemporaryHome home;
    juce::File dir = home.get().getChildFile ("work");

    void SetUp() override { dir.createDirectory(); }

    // Runs torka through the shell, so stdout and stderr land apart and a limit can be set.
    CommandResult torka (const juce::StringArray& args, const juce::String& shellPrefix = {})
    {
        juce::String command = shellPrefix + quoted (TORKA_CLI);
        for (const auto& a : args)
            command << " " << quoted (a);
        const auto out = dir.getChildFile (".stdout"), err = dir.getChildFile (".stderr");
        command << " >" << quoted (out.getFullPathName()) << " 2>" << quoted (err.getFullPathName());

        juce::ChildProcess child;
        CommandResult run;
        if (! child.start (juce::StringArray { "/bin/sh", "-c", "cd " + quoted (dir.getFullPathName()) + " && " + command }))
            return run;
        child.waitForProcessToFinish (120000);
        run.exitCode = (int) child.getExitCode();
        run.out = out.loadFileAsString();
        run.err = err.loadFileAsString();
        out.deleteFile();
        err.deleteFile();
        return run;
    }

    juce::File writeAudio (const juce::String& name, const juce::AudioBuffer<float>& audio, int bits, double rate = 48000.0)
    {
        const auto file = dir.getChildFile (name);
        auto format = torka::cli::formatForFile (file);
        auto stream = file.createOutputStream();
        std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), rate, (unsigned int) audio.getNumChannels(), bits, {}, 0));
        EXPECT_NE (writer, nullptr) << name;
        stream.release();
        writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        return file;
    }

    struct Audio
    {
        juce::AudioBuffer<float> samples;
        double rate = 0;
        int bits = 0;
        juce::String format;
    };

    static Audio readAudio (const juce::File& file)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
        Audio a;
        if (reader == nullptr)
            return a;
        a.samples.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
        reader->read (&a.samples, 0, (int) reader->lengthInSamples, 0, true, true);
        a.rate = reader->sampleRate;
        a.bits = (int) reader->bitsPerSample;
        a.format = reader->getFormatName();
        return a;
    }

    juce::StringArray filesIn (const juce::File& folder)
    {
        juce::StringArray names;
        for (const auto& f : folder.findChildFiles (juce::File::findFiles, false, "*"))
            names.add (f.getFileName());
        names.sort (false);
        return names;
    }
};

juce::AudioBuffer<float> material (int channels, int numSamples)
{
    // Noise with a sweeping level, and silence at both ends: every stage has work.
    auto b = torka::test::noise (numSamples, channels, 0.6f, 77);
    for (int c = 0; c < channels; ++c)
        for (int i = 0; i < numSamples; ++i)
        {
            const auto shape = std::sin (juce::MathConstants<float>::pi * (float) i / (float) numSamples);
            b.setSample (c, i, i < 500 || i > numSamples - 500 ? 0.0f : b.getSample (c, i) * shape * shape);
        }
    return b;
}
} // namespace

TEST_F (Cli, ABypassRenderEqualsTheInputSampleForSample)
{
    struct Case { const char* file; int bits; int channels; };
    const Case cases[] = {
        { "in16.wav", 16, 2 }, { "in24.wav", 24, 2 }, { "in32.wav", 32, 2 }, { "mono24.wav", 24, 1 },
        { "in16.aiff", 16, 2 }, { "in24.aif", 24, 1 }, { "in16.flac", 16, 2 }, { "in24.flac", 24, 2 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.file);
        const auto input = writeAudio (c.file, material (c.channels, 30000), c.bits, 44100.0);
        const auto output = dir.getChildFile (juce::String ("out-") + c.file);
        const auto run = torka ({ "render", input.getFileName(), output.getFileName(), "--bypass", "--block", "333" });
        ASSERT_EQ (run.exitCode, 0) << run.err;

        const auto in = readAudio (input), out = readAudio (output);
        EXPECT_EQ (out.format, in.format);
        EXPECT_EQ (out.bits, in.bits);
        EXPECT_EQ (out.rate, 44100.0);
        ASSERT_EQ (out.samples.getNumChannels(), c.channels);
        ASSERT_EQ (out.samples.getNumSamples(), in.samples.getNumSamples());
        EXPECT_EQ (torka::test::maxAbsDifference (in.samples, out.samples), 0.0f);
    }
}

TEST_F (Cli, APresetRenderEqualsTheProcessorsOwnOutput)
{
    const auto audio = material (2, 48000);
    const auto input = writeAudio ("mix.wav", audio, 32);
    const auto run = torka ({ "render", "mix.wav", "mastered.wav", "--preset", "PUNCHY DRUMS", "--set", "outputID=-3", "--block", "256" });
    ASSERT_EQ (run.exitCode, 0) << run.err;
    const auto rendered = readAudio (dir.getChildFile ("mastered.wav"));

    // The same processor, fed the same file block by block as a host would: the
    // silence first, then the file and enough silence to flush the latency.
    PluginProcessor processor;
    hoa::PresetManager manager (processor.treeState, processor.variableTree, "TORKA");
    for (const auto& p : hoa::presets::factoryPresets())
        if (p.name == "PUNCHY DRUMS")
            manager.loadEmbeddedPreset (p.data, p.size);
    torka::test::setRealValue (processor.treeState, "outputID", -3.0f);
    processor.prepareToPlay (48000.0, 256);
    const auto latency = processor.getLatencySamples();

    const auto process = [&] (juce::AudioBuffer<float>& buffer) { torka::test::processInBlocks (processor, buffer, 256); };

    juce::AudioBuffer<float> silence (2, (int) std::ceil (torka::cli::primingSeconds * 48000.0));
    silence.clear();
    process (silence);

    juce::AudioBuffer<float> feed (2, audio.getNumSamples() + latency);
    feed.clear();
    const auto fed = readAudio (input).samples;
    for (int c = 0; c < 2; ++c)
        feed.copyFrom (c, 0, fed, c, 0, audio.getNumSamples());
    process (feed);

    juce::AudioBuffer<float> expected (2, audio.getNumSamples());
    for (int c = 0; c < 2; ++c)
        expected.copyFrom (c, 0, feed, c, latency, audio.getNumSamples());

    ASSERT_EQ (rendered.samples.getNumSamples(), audio.getNumSamples());
    EXPECT_EQ (torka::test::maxAbsDifference (rendered.samples, expected), 0.0f);
    EXPECT_GT (rendered.samples.getRMSLevel (0, 0, 48000), 0.01f);
}

TEST_F (Cli, KeepsFormatAndDepthUnlessTold)
{
    const auto input = writeAudio ("in.flac", material (1, 10000), 16, 96000.0);

    struct Case { const char* output; juce::StringArray extra; const char* format; int bits; };
    const Case cases[] = {
        { "same.flac", {}, "FLAC file", 16 },
        { "deeper.flac", { "--bits", "24" }, "FLAC file", 24 },
        { "as.wav", {}, "WAV file", 16 },
        { "float.wav", { "--bits", "32" }, "WAV file", 32 },
        { "as.aiff", { "--bits", "24" }, "AIFF file", 24 },
        { "nearest.flac", { "--bits", "32" }, "FLAC file", 24 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.output);
        juce::StringArray args { "render", "in.flac", c.output };
        args.addArray (c.extra);
        const auto run = torka (args);
        ASSERT_EQ (run.exitCode, 0) << run.err;
        const auto out = readAudio (dir.getChildFile (c.output));
        EXPECT_EQ (out.format, c.format);
        EXPECT_EQ (out.bits, c.bits);
        EXPECT_EQ (out.rate, 96000.0);
        EXPECT_EQ (out.samples.getNumChannels(), 1);
        EXPECT_EQ (out.samples.getNumSamples(), 10000);
        EXPECT_TRUE (run.out.contains ("latency 4 samples")) << run.out;
        EXPECT_TRUE (run.err.isEmpty()) << "no progress bar unless stderr is a terminal: " << run.err;
    }
}

TEST_F (Cli, ErrorsExitNonZeroWithAMessageAndWriteNothing)
{
    writeAudio ("in.wav", material (2, 4000), 24);
    writeAudio ("three.wav", material (3, 4000), 24);
    dir.getChildFile ("junk.wav").replaceWithText ("this is not audio");
    dir.getChildFile ("folder.wav").createDirectory();
    dir.getChildFile ("other.xml").replaceWithText ("<SOMETHING/>");

    struct Case { const char* name; juce::StringArray args; const char* message; };
    const Case cases[] = {
        { "missing input", { "render", "nothing.wav", "out.wav" }, "no input file" },
        { "input that is not audio", { "render", "junk.wav", "out.wav" }, "not a WAV, AIFF or FLAC file" },
        { "input that is a folder", { "render", "folder.wav", "out.wav" }, "no input file" },
        { "more than two channels", { "render", "three.wav", "out.wav" }, "has 3 channels" },
        { "unsupported output format", { "render", "in.wav", "out.mp3" }, "must be a .wav" },
        { "output in a missing folder", { "render", "in.wav", "nowhere/out.wav" }, "no folder" },
        { "unknown preset", { "render", "in.wav", "out.wav", "--preset", "NO SUCH PRESET" }, "no preset called" },
        { "preset file that is not a preset", { "render", "in.wav", "out.wav", "--preset", "other.xml" }, "is not a TORKA preset" },
        { "missing preset file", { "render", "in.wav", "out.wav", "--preset", "gone.xml" }, "no preset file" },
        { "unknown parameter", { "render", "in.wav", "out.wav", "--set", "volume=3" }, "no parameter called" },
        { "value that is not a number", { "render", "in.wav", "out.wav", "--set", "Heat=hot" }, "is not a number" },
        { "value with trailing text", { "render", "in.wav", "out.wav", "--set", "Heat=12abc" }, "is not a number" },
        { "value that is not finite", { "render", "in.wav", "out.wav", "--set", "Heat=nan" }, "is not a number" },
        { "value outside the range", { "render", "in.wav", "out.wav", "--set", "clipDrive1ID=31" }, "outside Heat" },
        { "switch that is not on or off", { "render", "in.wav", "out.wav", "--set", "Bypass=maybe" }, "not on or off" },
        { "bad block size", { "render", "in.wav", "out.wav", "--block", "0" }, "--block" },
        { "setting without a value", { "render", "in.wav", "out.wav", "--set", "Heat" }, "ID=VALUE" },
        { "one file only", { "render", "in.wav" }, "needs an input file and an output file" },
        { "unknown command", { "mangle" }, "unknown command" },
    };

    const auto before = filesIn (dir);
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto run = torka (c.args);
        EXPECT_NE (run.exitCode, 0);
        EXPECT_TRUE (run.err.contains (c.message)) << run.err;
        EXPECT_EQ (filesIn (dir), before) << "no output and no temporary file";
    }
}

TEST_F (Cli, AnExistingOutputSurvivesAFailingRender)
{
    writeAudio ("in.wav", material (2, 96000), 24);
    const auto out = dir.getChildFile ("out.wav");
    out.replaceWithText ("the previous render");

    auto run = torka ({ "render", "in.wav", "out.wav", "--preset", "NO SUCH PRESET" });
    EXPECT_NE (run.exitCode, 0);
    EXPECT_EQ (out.loadFileAsString(), "the previous render");

    // The disk fills up half-way through writing (a 100 KB file size limit).
    run = torka ({ "render", "in.wav", "out.wav" }, "trap '' XFSZ; ulimit -f 200; ");
    EXPECT_NE (run.exitCode, 0);
    EXPECT_TRUE (run.err.contains ("write")) << run.err;
    EXPECT_EQ (out.loadFileAsString(), "the previous render");
    EXPECT_EQ (filesIn (dir), juce::StringArray ({ "in.wav", "out.wav" }));

    run = torka ({ "render", "in.wav", "out.wav" });
    EXPECT_EQ (run.exitCode, 0) << run.err;
    EXPECT_EQ (readAudio (out).samples.getNumSamples(), 96000);
}

TEST_F (Cli, PresetsAndParametersAreFoundAsTheBarNamesThem)
{
    writeAudio ("in.wav", material (2, 4800), 24);
    const auto folder = home.presetFolder();
    folder.createDirectory();
    folder.getChildFile ("My Warm.xml").replaceWithText ("<TORKA><Parameter bodyID=\"30\"/></TORKA>");
    folder.getChildFile ("notes.xml").replaceWithText ("<OTHER/>");

    const auto listed = torka ({ "presets" });
    ASSERT_EQ (listed.exitCode, 0);
    juce::StringArray lines;
    lines.addLines (listed.out.trimEnd());
    EXPECT_EQ (lines[0], "INIT");
    EXPECT_EQ (lines[1], "Factory");
    EXPECT_EQ (lines[2], "  BOOST DETAILS");
    EXPECT_EQ (lines[11], "  WARM MASTER");
    EXPECT_EQ (lines[12], "User (" + folder.getFullPathName() + ")");
    EXPECT_EQ (lines[13], "  My Warm");
    EXPECT_EQ (lines.size(), 14);

    const juce::StringArray names { "INIT", "HOT AIR", "hot air", "My Warm", folder.getChildFile ("My Warm.xml").getRelativePathFrom (dir) };
    for (const auto& preset : names)
    {
        const auto run = torka ({ "render", "in.wav", "out.wav", "--preset", preset, "--set", "Heat=3", "--set", "punchID=0.5", "--set", "bypass=off" });
        EXPECT_EQ (run.exitCode, 0) << preset << ": " << run.err;
    }

    const auto info = torka ({ "info", "--rate", "96000" });
    ASSERT_EQ (info.exitCode, 0);
    for (const auto* text : { "inputID       Input   -30 to 20", "clipDrive1ID  Heat    0 to 30", "bypassID      Bypass  off, on",
                              "Latency at 96000 Hz: 4 samples" })
        EXPECT_TRUE (info.out.contains (text)) << text << "\n" << info.out;
}
