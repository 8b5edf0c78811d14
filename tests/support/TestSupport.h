#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace torka::test
{
// Points HOME (and so the documents folder and the preset folder) at a fresh temporary
// folder for the lifetime of the object, and removes it afterwards.
class ScopedTemporaryHome
{
public:
    ScopedTemporaryHome()
        : previous (juce::SystemStats::getEnvironmentVariable ("HOME", {})),
          folder (juce::File::createTempFile ("torka-home"))
    {
        folder.createDirectory();
        setenv ("HOME", folder.getFullPathName().toRawUTF8(), 1);
        unsetenv ("XDG_CONFIG_HOME");
    }

    ~ScopedTemporaryHome()
    {
        folder.setReadOnly (false, true);
        folder.deleteRecursively();
        setenv ("HOME", previous.toRawUTF8(), 1);
    }

    const juce::File& get() const { return folder; }

    // Where the preset bar keeps user presets under this HOME.
    juce::File presetFolder() const
    {
        return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory).getChildFile ("HollowOakAudio").getChildFile ("TORKA");
    }

private:
    juce::String previous;
    juce::File folder;
};

// A parameter's real value, and setting one (host-style, notifying), by ID.
inline float realValue (juce::AudioProcessorValueTreeState& state, const juce::String& id)
{
    auto* p = state.getParameter (id);
    return p->convertFrom0to1 (p->getValue());
}

inline void setRealValue (juce::AudioProcessorValueTreeState& state, const juce::String& id, float value)
{
    auto* p = state.getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

// Feeds audio through a processor in blocks of at most block samples, as a host would.
inline void processInBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float>& audio, int block)
{
    juce::MidiBuffer midi;
    for (int start = 0; start < audio.getNumSamples(); start += block)
    {
        juce::AudioBuffer<float> part (audio.getArrayOfWritePointers(), audio.getNumChannels(), start,
                                       juce::jmin (block, audio.getNumSamples() - start));
        processor.processBlock (part, midi);
    }
}

// Runs the message loop for a while so that timers and async callbacks are delivered.
inline void pumpMessages (int milliseconds)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
}

// Pumps until the condition holds or the time runs out; returns the condition.
template <typename Condition>
bool pumpUntil (Condition&& condition, int timeoutMs = 2000)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounter() > end)
            return false;
        pumpMessages (5);
    }
    return true;
}

// Output folder for pictures a person should look at (screenshots, film-strip frames).
inline juce::File testOutputFolder()
{
    const auto env = juce::SystemStats::getEnvironmentVariable ("TORKA_TEST_OUTPUT", {});
    auto folder = env.isNotEmpty() ? juce::File (env) : juce::File::getCurrentWorkingDirectory().getChildFile ("test-output");
    folder.createDirectory();
    return folder;
}
} // namespace torka::test
