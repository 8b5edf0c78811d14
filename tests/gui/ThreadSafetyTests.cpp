// The audio thread processes while the message thread saves and restores state, applies
// presets and opens and closes the editor, and a host thread automates every parameter.
// Run under ThreadSanitizer by scripts/deep-checks.sh; here it shows that all of that
// together keeps the audio finite and the parameters in range.

#include "PluginEditor.h"
#include "Signals.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using torka::test::pumpMessages;

TEST (ThreadSafety, AudioRunsWhileTheHostAndTheEditorWork)
{
    torka::test::ScopedTemporaryHome home;
    PluginProcessor processor;
    processor.prepareToPlay (48000.0, 256);

    std::atomic<bool> running { true };
    std::atomic<bool> audioFinite { true };
    std::atomic<int> blocks { 0 }, automations { 0 };

    std::thread audio ([&]
    {
        auto signal = torka::test::noise (256, 2, 0.5f, 1);
        juce::MidiBuffer midi;
        while (running)
        {
            auto buffer = signal;
            processor.processBlock (buffer, midi);
            audioFinite = audioFinite && torka::test::allFinite (buffer);
            ++blocks;
        }
    });

    std::thread host ([&]
    {
        juce::Random random (2);
        while (running)
        {
            for (auto* p : processor.getParameters())
                p->setValueNotifyingHost (random.nextFloat());
            ++automations;
            std::this_thread::sleep_for (std::chrono::microseconds (200));
        }
    });

    juce::MemoryBlock saved;
    processor.getStateInformation (saved);

    const auto end = juce::Time::getMillisecondCounter() + 4000;
    for (int round = 0; juce::Time::getMillisecondCounter() < end; ++round)
    {
        {
            std::unique_ptr<juce::AudioProcessorEditor> window (processor.createEditor());
            auto& editor = dynamic_cast<PluginEditor&> (*window);
            pumpMessages (40);

            // A preset pick through the bar, as the user would.
            auto& box = editor.presetBar().getPresetBox();
            box.setSelectedItemIndex (1 + round % 10, juce::sendNotificationAsync);
            pumpMessages (20);

            processor.getStateInformation (saved);
            processor.setStateInformation (saved.getData(), (int) saved.getSize());
            pumpMessages (20);
        }
        pumpMessages (10);
    }

    running = false;
    audio.join();
    host.join();

    EXPECT_TRUE (audioFinite);
    EXPECT_GT (blocks.load(), 100);
    EXPECT_GT (automations.load(), 100);
    for (auto* p : processor.getParameters())
        EXPECT_TRUE (p->getValue() >= 0.0f && p->getValue() <= 1.0f);
}
