#include "PluginProcessor.h"
#include "Signals.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace torka::test;

namespace
{
class BlockProcessing : public ::testing::Test
{
protected:
    PluginProcessor processor;
    juce::MidiBuffer midi;

    void set (const char* id, float real) { setRealValue (processor.treeState, id, real); }

    void run (juce::AudioBuffer<float>& buffer, int blockSize)
    {
        run (processor, buffer, blockSize);
    }

    void run (PluginProcessor& p, juce::AudioBuffer<float>& buffer, int blockSize)
    {
        processInBlocks (p, buffer, blockSize);
    }

    float inputMeter() const { return processor.inputMeterLevel.load(); }
    float outputMeter() const { return processor.outputMeterLevel.load(); }
};

juce::AudioBuffer<float> dc (float value, int numSamples)
{
    juce::AudioBuffer<float> b (2, numSamples);
    for (int c = 0; c < 2; ++c)
        juce::FloatVectorOperations::fill (b.getWritePointer (c), value, numSamples);
    return b;
}
} // namespace

TEST_F (BlockProcessing, BeforePreparationBlocksPassUntouched)
{
    auto buffer = noise (512, 2, 0.9f, 1);
    const auto copy = buffer;
    run (buffer, 512);
    EXPECT_EQ (maxAbsDifference (buffer, copy), 0.0f);
    EXPECT_EQ (inputMeter(), 0.0f);
    EXPECT_EQ (outputMeter(), 0.0f);

    processor.prepareToPlay (0.0, 512);
    run (buffer, 512);
    EXPECT_EQ (maxAbsDifference (buffer, copy), 0.0f) << "a rate of 0 leaves the processor unprepared";
}

TEST_F (BlockProcessing, LatencyIsTheSameWhateverTheBlockSizeOrRate)
{
    processor.prepareToPlay (48000.0, 512);
    const auto reference = processor.getLatencySamples();
    EXPECT_EQ (reference, 4) << "two half-band IIR stages: 4.43 samples, truncated";

    for (const auto rate : { 44100.0, 48000.0, 96000.0 })
        for (const auto block : { 1, 32, 441, 4096 })
        {
            processor.prepareToPlay (rate, block);
            EXPECT_EQ (processor.getLatencySamples(), reference) << rate << " Hz, " << block;
            EXPECT_EQ (processor.getReportedLatency(), reference);
        }
}

TEST_F (BlockProcessing, SettledBypassGivesTheInputDelayedByTheLatencyAtUnity)
{
    set ("inputID", 20.0f);
    set ("outputID", -30.0f);
    set ("clipDrive1ID", 30.0f);
    set ("bypassID", 1.0f);
    processor.prepareToPlay (48000.0, 256);
    const auto latency = processor.getLatencySamples();

    const auto input = noise (48000, 2, 0.9f, 4);
    auto output = input;
    run (output, 256);

    const auto settled = 2048; // well after the 960-sample fade
    for (int c = 0; c < 2; ++c)
        for (int i = settled; i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (c, i), input.getSample (c, i - latency)) << "channel " << c << " sample " << i;

    EXPECT_EQ (inputMeter(), outputMeter());
    EXPECT_GT (inputMeter(), 0.9f);
}

TEST_F (BlockProcessing, BypassCrossfadesLinearlyOverTwentyMilliseconds)
{
    // A DC input makes the processed level a constant P even after the chain pauses, so
    // each output sample shows the fade weight w: out = w P + (1 - w) dry.
    for (const auto rate : { 44100.0, 48000.0, 96000.0 })
    {
        SCOPED_TRACE (rate);
        PluginProcessor p;
        const auto setOn = [&p] (bool on) { p.treeState.getParameter ("bypassID")->setValueNotifyingHost (on ? 1.0f : 0.0f); };
        setRealValue (p.treeState, "outputID", -30.0f);
        const int block = 128;
        p.prepareToPlay (rate, block);
        const auto fade = (int) std::floor (0.02 * rate);

        auto settle = dc (0.5f, (int) rate / 2);
        run (p, settle, block);
        const auto processed = settle.getSample (0, settle.getNumSamples() - 1);
        ASSERT_LT (processed, 0.05f);

        for (const bool on : { true, false })
        {
            setOn (on);
            auto buffer = dc (0.5f, fade + 4 * block);
            run (p, buffer, block);

            for (int i = 0; i < fade; ++i)
            {
                const auto w = (buffer.getSample (0, i) - 0.5f) / (processed - 0.5f);
                const auto expected = on ? 1.0f - (float) (i + 1) / (float) fade : (float) (i + 1) / (float) fade;
                ASSERT_NEAR (w, expected, 2.0e-4f) << (on ? "fading out" : "fading in") << " at sample " << i;
            }
            for (int i = fade; i < buffer.getNumSamples(); ++i)
            {
                if (on)
                    ASSERT_EQ (buffer.getSample (1, i), 0.5f) << "exactly the dry signal after " << fade << " samples";
                else
                    ASSERT_NEAR (buffer.getSample (1, i), processed, 1.0e-6f) << "fully processed after " << fade << " samples";
            }
        }
    }
}

TEST_F (BlockProcessing, MetersReadPeakLevelsOnASixtyDecibelScale)
{
    processor.prepareToPlay (48000.0, 480);

    {
        SCOPED_TRACE ("full-scale sine at -30 dB input gain reads 0.5");
        set ("inputID", -30.0f);
        auto buffer = sine (48000.0, 1000.0, 1.0f, 4800);
        run (buffer, 480);
        EXPECT_NEAR (inputMeter(), 0.5f, 0.001f);
        set ("inputID", 0.0f);
    }
    {
        SCOPED_TRACE ("after a full-scale peak the meter falls 20 dB per second");
        juce::AudioBuffer<float> peak (2, 480);
        peak.clear();
        peak.setSample (0, 10, 1.0f);
        run (peak, 480);
        EXPECT_NEAR (inputMeter(), 1.0f, 1.0e-6f);

        juce::AudioBuffer<float> silence (2, 48000);
        silence.clear();
        run (silence, 480);
        EXPECT_NEAR (inputMeter(), 2.0f / 3.0f, 0.002f);
        juce::AudioBuffer<float> more (2, 96000);
        more.clear();
        run (more, 480);
        EXPECT_NEAR (inputMeter(), 0.0f, 1.0e-5f) << "-60 dBFS after three seconds";
        run (silence, 480);
        EXPECT_EQ (inputMeter(), 0.0f);
    }
    {
        SCOPED_TRACE ("a +6 dBFS peak reads 1.1, on both meters when bypassed");
        set ("bypassID", 1.0f);
        auto buffer = sine (48000.0, 1000.0, 2.0f, 48000);
        run (buffer, 480);
        EXPECT_NEAR (inputMeter(), 1.1f, 0.001f);
        EXPECT_EQ (outputMeter(), inputMeter());
        set ("bypassID", 0.0f);
    }
    {
        SCOPED_TRACE ("the output meter measures after the output gain");
        PluginProcessor p;
        setRealValue (p.treeState, "outputID", 6.0f);
        p.prepareToPlay (48000.0, 480);
        auto buffer = sine (48000.0, 100.0, 0.5f, 48000);
        run (p, buffer, 480);
        const auto peak = buffer.getMagnitude (24000, 24000);
        EXPECT_NEAR (p.outputMeterLevel.load(), (20.0f * std::log10 (peak) + 60.0f) / 60.0f, 0.002f);
        EXPECT_NEAR (p.inputMeterLevel.load(), (20.0f * std::log10 (0.5f) + 60.0f) / 60.0f, 0.002f);
    }
}

TEST_F (BlockProcessing, NonFiniteInputCountsAsSilenceAndNeverPoisonsTheChain)
{
    for (const bool bypassed : { false, true })
    {
        SCOPED_TRACE (bypassed ? "bypassed" : "active");
        PluginProcessor withBad, withZeros;
        for (auto* p : { &withBad, &withZeros })
        {
            for (const auto& [id, v] : { std::pair { "mainID", 60.0f }, { "clipDrive1ID", 20.0f }, { "punchID", 1.0f }, { "air1ID", 4.0f }, { "bodyID", 40.0f } })
                setRealValue (p->treeState, id, v);
            p->treeState.getParameter ("bypassID")->setValueNotifyingHost (bypassed ? 1.0f : 0.0f);
            p->prepareToPlay (48000.0, 256);
        }

        auto bad = noise (24000, 2, 0.5f, 8);
        auto zeros = bad;
        const float poison[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity() };
        for (int i = 3000; i < 3400; ++i)
        {
            bad.setSample (i % 2, i, poison[i % 3]);
            zeros.setSample (i % 2, i, 0.0f);
        }

        for (int start = 0; start < bad.getNumSamples(); start += 256)
        {
            const auto n = juce::jmin (256, bad.getNumSamples() - start);
            juce::AudioBuffer<float> a (bad.getArrayOfWritePointers(), 2, start, n), b (zeros.getArrayOfWritePointers(), 2, start, n);
            withBad.processBlock (a, midi);
            withZeros.processBlock (b, midi);
            ASSERT_TRUE (std::isfinite (withBad.inputMeterLevel.load()) && std::isfinite (withBad.outputMeterLevel.load()));
        }

        EXPECT_TRUE (allFinite (bad));
        EXPECT_EQ (maxAbsDifference (bad, zeros), 0.0f);
    }
}

TEST_F (BlockProcessing, BlocksLongerThanPreparedAreProcessedWhole)
{
    PluginProcessor longBlocks, shortBlocks;
    for (auto* p : { &longBlocks, &shortBlocks })
    {
        p->treeState.getParameter ("mainID")->setValueNotifyingHost (0.7f);
        p->treeState.getParameter ("clipDrive1ID")->setValueNotifyingHost (0.5f);
        p->prepareToPlay (48000.0, 256);
    }

    auto a = noise (48000, 2, 0.5f, 12), b = a;
    run (longBlocks, a, 4096);
    run (shortBlocks, b, 256);
    EXPECT_EQ (maxAbsDifference (a, b), 0.0f);
}

TEST_F (BlockProcessing, HandlesMonoAndExtraInputOnlyChannels)
{
    {
        SCOPED_TRACE ("mono");
        PluginProcessor mono;
        ASSERT_TRUE (mono.setBusesLayout ({ { juce::AudioChannelSet::mono() }, { juce::AudioChannelSet::mono() } }));
        mono.treeState.getParameter ("clipDrive1ID")->setValueNotifyingHost (1.0f);
        mono.prepareToPlay (44100.0, 64);
        auto buffer = sine (44100.0, 200.0, 0.01f, 44100, 1);
        run (mono, buffer, 64);
        EXPECT_NEAR (rms (buffer, 0, 22050, 44100) / (0.01 / std::sqrt (2.0)), 0.96 * 1.5708, 0.01);
    }
    {
        SCOPED_TRACE ("a buffer with more channels than the prepared outputs");
        processor.prepareToPlay (48000.0, 128);
        auto buffer = noise (1280, 6, 0.5f, 2);
        const auto copy = buffer;
        run (buffer, 128);
        for (int c = 2; c < 6; ++c)
            EXPECT_EQ (buffer.getMagnitude (c, 0, 1280), copy.getMagnitude (c, 0, 1280));
        EXPECT_TRUE (allFinite (buffer));
    }
}

TEST_F (BlockProcessing, RunsAtEveryRateFrom8To384kHz)
{
    // At host rates below 10 kHz the Heat corner (16 to 20 kHz) would lie at or above the
    // oversampled Nyquist frequency; it is held just below it instead.
    for (const auto rate : { 8000.0, 11025.0, 22050.0, 44100.0, 192000.0, 384000.0 })
        for (const auto heat : { 0.0f, 15.0f, 30.0f })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, Heat " + juce::String (heat));
            PluginProcessor p;
            p.treeState.getParameter ("clipDrive1ID")->setValueNotifyingHost (heat / 30.0f);
            p.prepareToPlay (rate, 256);
            EXPECT_EQ (p.getLatencySamples(), 4);

            const auto input = sine (rate, 200.0, 0.00316f, (int) rate / 2);
            auto output = input;
            run (p, output, 256);
            ASSERT_TRUE (allFinite (output));

            // A quiet low tone: the Heat stage's small-signal gain, whatever the rate.
            const auto n = output.getNumSamples();
            const auto expected = 0.96 * (1.0 - heat / 30.0 + heat / 30.0 * 1.5707963);
            EXPECT_NEAR (rms (output, 0, n / 2, n) / rms (input, 0, n / 2, n), expected, expected * 0.02);
        }
}
