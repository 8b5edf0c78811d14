// torka-validate: loads the built VST3 and LV2 the way a host does (through JUCE's hosting
// classes, not the plug-in's own code) and puts each through what hosts and users do to
// a plug-in: every rate and block size, automation, editors, state, threads. It prints
// each check and a final count, and exits non-zero when any check fails.
//
//   torka-validate BUNDLE... (needs an X display for the editor checks)

#include "PluginHosting.h"
#include "QuietXErrors.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iostream>
#include <thread>

namespace
{
using torka::host::Format;

// TORKA's own parameters; hosts add theirs (the VST3 wrapper a bypass).
constexpr const char* ourIds[] = { "inputID", "bodyID", "mainID", "punchID", "outputID", "air1ID", "clipDrive1ID", "bypassID" };

struct Report
{
    int checks = 0, failures = 0, skipped = 0;

    void skip (const juce::String& what, const juce::String& why)
    {
        ++skipped;
        std::cout << "  SKIP  " << what << "  (" << why << ")" << std::endl;
    }

    void check (bool ok, const juce::String& what, const juce::String& detail = {})
    {
        ++checks;
        failures += ok ? 0 : 1;
        std::cout << (ok ? "  PASS  " : "  FAIL  ") << what;
        if (detail.isNotEmpty())
            std::cout << "  (" << detail << ")";
        std::cout << std::endl;
    }
};

void pump (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

struct Health
{
    bool finite = true, subnormalFree = true;
    float peak = 0.0f;

    void add (const juce::AudioBuffer<float>& b, int channels)
    {
        for (int c = 0; c < channels; ++c)
            for (int i = 0; i < b.getNumSamples(); ++i)
            {
                const auto x = b.getSample (c, i);
                finite = finite && std::isfinite (x);
                subnormalFree = subnormalFree && std::fpclassify (x) != FP_SUBNORMAL;
                peak = std::isfinite (x) ? juce::jmax (peak, std::abs (x)) : peak;
            }
    }

    bool ok() const { return finite && subnormalFree; }
    juce::String describe() const
    {
        return juce::String (finite ? "finite" : "NOT FINITE") + ", " + (subnormalFree ? "no subnormals" : "SUBNORMALS")
               + ", peak " + juce::String (peak, 3);
    }
};

// A signal that gives every stage work: a sine sweep with bursts, some silence, a
// full-scale square and a stretch of tiny values whose products inside the chain would
// be subnormal. (Subnormal input itself is left out: a bypassed plug-in passes its input
// through unchanged, subnormal or not.)
juce::AudioBuffer<float> testSignal (double rate, int numSamples)
{
    juce::AudioBuffer<float> b (2, numSamples);
    juce::Random random (99);
    for (int i = 0; i < numSamples; ++i)
    {
        const auto t = i / rate;
        const auto part = (i * 5) / numSamples;
        float x = 0.0f;
        if (part == 0)
            x = 0.5f * (float) std::sin (juce::MathConstants<double>::twoPi * (100.0 + 4000.0 * t) * t);
        else if (part == 1)
            x = (random.nextFloat() * 2.0f - 1.0f) * ((i / 2000) % 2 == 0 ? 0.8f : 0.0f);
        else if (part == 2)
            x = (std::fmod (t * 220.0, 1.0) < 0.5) ? 1.0f : -1.0f;
        else if (part == 3)
            x = 1.0e-30f * (float) ((i % 7) - 3);
        b.setSample (0, i, x);
        b.setSample (1, i, -0.7f * x);
    }
    return b;
}

class Validator
{
public:
    Validator (const juce::File& b, Report& r) : bundle (b), report (r) {}

    void run()
    {
        const auto found = torka::host::formatOfBundle (bundle);
        std::cout << "\n" << (found ? torka::host::toString (*found) : juce::String ("?")) << "  " << bundle.getFullPathName() << std::endl;

        auto loaded = torka::host::loadPlugin (bundle, 44100.0, 512);
        report.check (loaded.instance != nullptr, "loads", loaded.error);
        if (loaded.instance == nullptr)
            return;
        plugin = std::move (loaded.instance);
        format = loaded.format;

        info (loaded.description);
        ratesAndBlockSizes();
        reprepareWithoutRelease();
        busLayouts();
        valueText();
        stateRoundTrip();
        editors();
        stateFromABackgroundThread();
        concurrentParameters();

        plugin->releaseResources();
        plugin.reset();
    }

private:
    // Only prepareToPlay: JUCE's VST3 host skips a prepare whose rate and block size the
    // processor already holds, so setting them first would leave the plug-in unprepared.
    void prepare (double rate, int block, int channels = 2)
    {
        torka::host::prepareAndSettle (*plugin, rate, block, channels, 50);
    }

    static juce::AudioBuffer<float> silenceOf (int n, int channels)
    {
        juce::AudioBuffer<float> b (channels, n);
        b.clear();
        return b;
    }

    Health process (juce::AudioBuffer<float> audio, int block, int channels, int automateEvery = 0)
    {
        Health health;
        juce::MidiBuffer midi;
        juce::Random random (5);
        const auto numChannels = juce::jmax (channels, plugin->getTotalNumInputChannels(), plugin->getTotalNumOutputChannels());

        for (int start = 0; start < audio.getNumSamples(); start += block)
        {
            const auto n = juce::jmin (block, audio.getNumSamples() - start);
            juce::AudioBuffer<float> buffer (numChannels, n);
            buffer.clear();
            for (int c = 0; c < juce::jmin (channels, audio.getNumChannels()); ++c)
                buffer.copyFrom (c, 0, audio, c, start, n);

            if (automateEvery <= 0)
            {
                plugin->processBlock (buffer, midi);
            }
            else
            {
                // Every parameter moves every automateEvery samples, as a host that splits
                // blocks at automation points would deliver it.
                for (int s = 0; s < n; s += automateEvery)
                {
                    for (auto* p : plugin->getParameters())
                        p->setValue (torka::host::parameterHasId (*p, "bypassID") ? (random.nextInt (8) == 0 ? 1.0f : 0.0f) : random.nextFloat());
                    juce::AudioBuffer<float> part (buffer.getArrayOfWritePointers(), numChannels, s, juce::jmin (automateEvery, n - s));
                    plugin->processBlock (part, midi);
                }
            }

            health.add (buffer, channels);
        }
        return health;
    }

    void info (const juce::PluginDescription& d)
    {
        prepare (44100.0, 512);
        report.check (plugin->getName() == "TORKA" && d.manufacturerName == "HollowOakAudio",
                      "info: name and manufacturer", plugin->getName() + " by " + d.manufacturerName);
        report.check (plugin->getTotalNumInputChannels() == 2 && plugin->getTotalNumOutputChannels() == 2 && ! plugin->acceptsMidi(),
                      "info: stereo in and out, no MIDI");
        report.check (plugin->getLatencySamples() == 4, "info: latency", juce::String (plugin->getLatencySamples()) + " samples");

        int found = 0;
        for (const auto* id : ourIds)
            found += torka::host::findParameter (*plugin, id) != nullptr ? 1 : 0;
        report.check (found == 8, "info: the eight parameters", juce::String (found) + " of 8 found");
    }

    void ratesAndBlockSizes()
    {
        for (const auto rate : { 44100.0, 48000.0, 96000.0 })
            for (const auto block : { 32, 64, 128, 256, 512, 1024 })
            {
                prepare (rate, block);
                const auto audio = testSignal (rate, (int) (rate * 0.5));
                const auto health = process (audio, block, 2, 32);
                report.check (health.ok() && health.peak > 0.01f,
                              "process with every parameter automated every 32 samples at " + juce::String (rate, 0) + " Hz, block " + juce::String (block),
                              health.describe());

                // A block longer than the host said it would send. VST3 forbids it outright,
                // and JUCE's VST3 wrapper copies every block into a buffer of the declared
                // size, so only the LV2 build is sent one.
                const auto longBlock = block * 2 + 17;
                if (format == Format::lv2)
                {
                    const auto longer = process (testSignal (rate, longBlock), longBlock, 2);
                    report.check (longer.ok(), "  and one block of " + juce::String (longBlock) + " samples", longer.describe());
                }
                else
                {
                    report.skip ("  one block of " + juce::String (longBlock) + " samples", "VST3 hosts may not exceed the block size they set up");
                }
            }
    }

    void reprepareWithoutRelease()
    {
        prepare (44100.0, 256);
        process (testSignal (44100.0, 8000), 256, 2);
        prepare (96000.0, 512); // no releaseResources in between
        const auto health = process (testSignal (96000.0, 16000), 512, 2);
        report.check (health.ok() && plugin->getLatencySamples() == 4, "prepared again at another rate without a release",
                      health.describe() + ", latency " + juce::String (plugin->getLatencySamples()));
    }

    void busLayouts()
    {
        using Set = juce::AudioChannelSet;
        plugin->releaseResources();

        // VST3 negotiates speaker arrangements; an LV2 plug-in's ports are fixed at stereo.
        const auto monoOk = plugin->setBusesLayout ({ { Set::mono() }, { Set::mono() } });
        if (format == Format::vst3)
        {
            report.check (monoOk, "bus layout: mono in, mono out accepted");
            if (monoOk)
            {
                prepare (48000.0, 256, 1);
                const auto health = process (testSignal (48000.0, 12000), 256, 1);
                report.check (health.ok() && health.peak > 0.01f, "  and processes mono", health.describe());
                plugin->releaseResources();
            }
        }
        else
        {
            report.check (! monoOk && plugin->getTotalNumOutputChannels() == 2, "bus layout: LV2's fixed stereo ports kept when mono is asked for");
        }

        report.check (! plugin->setBusesLayout ({ { Set::stereo() }, { Set::create5point1() } }), "bus layout: a 5.1 output refused");
        const auto restored = plugin->setBusesLayout ({ { Set::stereo() }, { Set::stereo() } });
        prepare (48000.0, 256);
        const auto health = process (testSignal (48000.0, 12000), 256, 2);
        report.check (restored && plugin->getTotalNumOutputChannels() == 2 && health.ok(), "bus layout: stereo restored", health.describe());
    }

    void valueText()
    {
        int checked = 0, wrong = 0;
        juce::String firstWrong;
        for (auto* p : plugin->getParameters())
        {
            if (! isOurs (*p))
                continue;
            for (const auto v : { 0.0f, 0.123f, 0.5f, 0.6f, 0.999f, 1.0f })
            {
                const auto text = p->getText (v, 64);
                const auto back = p->getValueForText (text);
                const auto again = p->getText (back, 64);
                ++checked;
                if (text.isEmpty() || again != text)
                {
                    ++wrong;
                    if (firstWrong.isEmpty())
                        firstWrong = p->getName (32) + " " + juce::String (v) + ": \"" + text + "\" -> \"" + again + "\"";
                }
            }
        }
        report.check (wrong == 0 && checked > 0, "value to text and back, for every parameter",
                      juce::String (checked) + " conversions" + (firstWrong.isNotEmpty() ? ", first wrong: " + firstWrong : juce::String()));
    }

    static bool isOurs (juce::AudioProcessorParameter& p)
    {
        return std::any_of (std::begin (ourIds), std::end (ourIds), [&p] (const char* id) { return torka::host::parameterHasId (p, id); });
    }

    // Every TORKA parameter (not the host's own) to a random value.
    void randomiseOurs (juce::Random& random)
    {
        for (auto* p : plugin->getParameters())
            if (isOurs (*p))
                p->setValueNotifyingHost (random.nextFloat());
    }

    // Lets the host learn the plug-in's values: a VST3 host through its message thread,
    // an LV2 host from the plug-in's output port while it runs.
    void settle()
    {
        process (silenceOf (256, 2), 256, 2);
        pump (100);
    }

    void stateRoundTrip()
    {
        prepare (48000.0, 256);
        juce::Random random (11);
        randomiseOurs (random);
        settle();

        juce::MemoryBlock saved;
        plugin->getStateInformation (saved);
        std::vector<float> before;
        for (auto* p : plugin->getParameters())
            before.push_back (p->getValue());

        randomiseOurs (random);
        settle();

        plugin->setStateInformation (saved.getData(), (int) saved.getSize());
        settle();
        juce::MemoryBlock again;
        plugin->getStateInformation (again);

        // An LV2 host keeps the values it sent, the plug-in the values snapped to its
        // 0.01 grid: a setting is back when it reads the same, to that grid.
        const auto sameSetting = [] (juce::AudioProcessorParameter& p, float a, float b)
        {
            if (torka::host::parameterHasId (p, "bypassID"))
                return (a >= 0.5f) == (b >= 0.5f);
            const auto ta = p.getText (a, 64), tb = p.getText (b, 64);
            return ta == tb || std::abs (ta.getFloatValue() - tb.getFloatValue()) <= 0.0051f;
        };

        juce::String moved;
        int index = 0;
        for (auto* p : plugin->getParameters())
        {
            const auto was = before[(size_t) index++], now = p->getValue();
            if (! sameSetting (*p, was, now))
                moved << p->getName (32) << " \"" << p->getText (was, 64) << "\" -> \"" << p->getText (now, 64) << "\"; ";
        }

        report.check (again == saved, "state saved, parameters randomised, state restored and saved again: identical",
                      juce::String ((int) saved.getSize()) + " bytes");
        report.check (moved.isEmpty(), "  and every parameter back where it was", moved);
    }

    // The plug-in's editor on the desktop, given time to come up; null when it has none.
    std::unique_ptr<juce::AudioProcessorEditor> showEditor()
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        if (editor != nullptr)
        {
            editor->addToDesktop (0);
            editor->setVisible (true);
            pump (300);
        }
        return editor;
    }

    void openEditor (const juce::String& what)
    {
        auto editor = showEditor();
        const auto ok = editor != nullptr;
        juce::String size;
        if (ok)
            size = juce::String (editor->getWidth()) + " x " + juce::String (editor->getHeight());
        report.check (ok && editor->getWidth() == 793 && editor->getHeight() == 520, what, size);
        closeEditor (editor);
    }

    // JUCE's X11 embedding (the LV2 host's editor) answers window events with callbacks
    // it posts holding a raw pointer to itself, so those must run before it is deleted.
    static void closeEditor (std::unique_ptr<juce::AudioProcessorEditor>& editor)
    {
        if (editor != nullptr)
        {
            editor->removeFromDesktop();
            pump (50);
        }
        editor.reset();
        pump (50);
    }

    void editors()
    {
        prepare (48000.0, 512);
        openEditor ("editor opens cold at 793 x 520");
        openEditor ("editor opens warm");

        std::atomic<bool> running { true }, healthy { true };
        const auto signal = testSignal (48000.0, 2048);
        std::thread audio ([&]
        {
            while (running)
                healthy = healthy && process (signal, 512, 2).ok();
        });
        for (int i = 0; i < 3; ++i)
            openEditor ("editor opens while audio runs (" + juce::String (i + 1) + ")");
        running = false;
        audio.join();
        report.check (healthy, "  and the audio stayed finite");
    }

    void stateFromABackgroundThread()
    {
        prepare (48000.0, 512);
        juce::MemoryBlock saved;
        plugin->getStateInformation (saved);

        auto editor = showEditor();

        std::atomic<int> restores { 0 };
        std::thread worker ([&]
        {
            for (int i = 0; i < 10; ++i)
            {
                plugin->setStateInformation (saved.getData(), (int) saved.getSize());
                ++restores;
            }
        });
        const auto deadline = juce::Time::getMillisecondCounter() + 20000;
        while (restores < 10 && juce::Time::getMillisecondCounter() < deadline)
            pump (10);
        worker.join();
        closeEditor (editor);
        const auto health = process (testSignal (48000.0, 4096), 512, 2);
        report.check (restores == 10 && health.ok(), "state set 10 times from a background thread while the editor is open",
                      health.describe());
    }

    void concurrentParameters()
    {
        prepare (48000.0, 128);
        std::atomic<bool> running { true };
        Health health;
        std::thread audio ([&]
        {
            juce::Random random (3);
            const auto signal = testSignal (48000.0, 128);
            juce::MidiBuffer midi;
            while (running)
            {
                randomiseOurs (random);
                auto buffer = signal;
                plugin->processBlock (buffer, midi);
                health.add (buffer, 2);
            }
        });

        juce::Random random (4);
        const auto end = juce::Time::getMillisecondCounter() + 1500;
        while (juce::Time::getMillisecondCounter() < end)
        {
            randomiseOurs (random);
            pump (2);
        }
        running = false;
        audio.join();
        report.check (health.ok(), "parameters set from the message thread while the audio thread sets them and processes", health.describe());
    }

    juce::File bundle;
    Format format = Format::vst3;
    Report& report;
    std::unique_ptr<juce::AudioPluginInstance> plugin;
};
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    torka::host::ignoreXErrors();
    Report report;

    if (argc < 2)
    {
        std::cerr << "usage: torka-validate BUNDLE.vst3|BUNDLE.lv2...\n";
        return 2;
    }

    for (int i = 1; i < argc; ++i)
        Validator (juce::File::getCurrentWorkingDirectory().getChildFile (argv[i]), report).run();

    std::cout << "\n" << report.checks << " checks, " << report.failures << " failed, " << report.skipped << " not applicable" << std::endl;
    return report.failures == 0 && report.checks > 0 ? 0 : 1;
}
