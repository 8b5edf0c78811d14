// What hosts, users and files throw at the plug-in: broken state blobs, odd blocks,
// hostile input, and every factory preset on a standard programme signal.

#include "PluginProcessor.h"
#include "PresetLibrary.h"
#include "PresetManager.h"
#include "Signals.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

using namespace torka::test;

namespace
{
// Real values: a switch stores whatever normalised value it was given, but means on or off.
std::vector<float> valuesOf (PluginProcessor& p)
{
    std::vector<float> v;
    for (auto* param : p.getParameters())
        v.push_back (dynamic_cast<juce::RangedAudioParameter*> (param)->convertFrom0to1 (param->getValue()));
    return v;
}

// Pink noise (a -3 dB per octave slope: Paul Kellet's refined filter on white noise),
// scaled to an RMS level.
juce::AudioBuffer<float> pinkNoise (int numSamples, float rmsDb, int seed)
{
    juce::AudioBuffer<float> out (2, numSamples);
    juce::Random random (seed);
    for (int c = 0; c < 2; ++c)
    {
        double b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0;
        for (int i = 0; i < numSamples; ++i)
        {
            const auto white = random.nextDouble() * 2.0 - 1.0;
            b0 = 0.99886 * b0 + white * 0.0555179;
            b1 = 0.99332 * b1 + white * 0.0750759;
            b2 = 0.96900 * b2 + white * 0.1538520;
            b3 = 0.86650 * b3 + white * 0.3104856;
            b4 = 0.55000 * b4 + white * 0.5329522;
            b5 = -0.7616 * b5 - white * 0.0168980;
            out.setSample (c, i, (float) (b0 + b1 + b2 + b3 + b4 + b5 + b6 + white * 0.5362));
            b6 = white * 0.115926;
        }
        const auto gain = juce::Decibels::decibelsToGain (rmsDb) / rms (out, c, 0, numSamples);
        out.applyGain (c, 0, numSamples, (float) gain);
    }
    return out;
}
} // namespace

TEST (Faults, StateTruncatedAtEveryLengthChangesNothing)
{
    PluginProcessor source;
    for (auto* p : source.getParameters())
        p->setValueNotifyingHost (0.7f);
    source.variableTree.setProperty (hoa::TreeItems::currentPreset, "HOT TAPE", nullptr);
    juce::MemoryBlock blob;
    source.getStateInformation (blob);

    PluginProcessor target;
    const auto before = valuesOf (target);
    juce::MemoryBlock fresh;
    target.getStateInformation (fresh);

    for (size_t n = 0; n < blob.getSize(); ++n)
    {
        target.setStateInformation (blob.getData(), (int) n);
        ASSERT_EQ (valuesOf (target), before) << "truncated to " << n << " bytes";
    }
    juce::MemoryBlock after;
    target.getStateInformation (after);
    EXPECT_EQ (after, fresh);

    target.setStateInformation (blob.getData(), (int) blob.getSize());
    EXPECT_EQ (valuesOf (target), valuesOf (source)) << "the whole blob applies";
}

TEST (Faults, RandomBytesAsStateChangeNothing)
{
    PluginProcessor target;
    const auto before = valuesOf (target);
    juce::Random random (1234);

    for (int i = 0; i < 3000; ++i)
    {
        juce::MemoryBlock noise ((size_t) random.nextInt (600));
        random.fillBitsRandomly (noise.getData(), noise.getSize());
        // Half of them start like a real tree, so the reader gets past the first string.
        if (i % 2 == 0 && noise.getSize() > 12)
            noise.copyFrom ("PARAMETERS", 0, 11);
        target.setStateInformation (noise.getData(), (int) noise.getSize());
        ASSERT_EQ (valuesOf (target), before) << "random blob " << i;
    }
}

TEST (Faults, BlocksOfZeroAndOneSample)
{
    PluginProcessor a, b;
    for (auto* p : { &a, &b })
    {
        for (auto* param : p->getParameters())
            if (param->getName (32) != "Bypass")
                param->setValueNotifyingHost (0.5f);
        p->prepareToPlay (48000.0, 512);
    }

    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    a.processBlock (empty, midi);
    EXPECT_EQ (a.inputMeterLevel.load(), 0.0f) << "an empty block moves nothing";

    // While the Ignite shelf's ramp runs, its steps are shared out per block, so the
    // first 33 ms depend on the block size by design, and Punch's 80 ms detector carries
    // that for a while; after a second only the lowpass's flushing of tiny states, done
    // after every block, differs.
    auto settle = noise (48000, 2, 0.4f, 5), settleToo = settle;
    processInBlocks (a, settle, 1);
    processInBlocks (b, settleToo, 512);

    auto one = noise (9600, 2, 0.4f, 6), whole = one;
    processInBlocks (a, one, 1);
    a.processBlock (empty, midi);
    processInBlocks (b, whole, 512);

    EXPECT_TRUE (allFinite (one));
    EXPECT_LT (maxAbsDifference (one, whole), 1.0e-5f);
}

TEST (Faults, SubnormalAndFullScaleSquareInput)
{
    PluginProcessor p;
    for (auto* param : p.getParameters())
        if (param->getName (32) != "Bypass")
            param->setValueNotifyingHost (param->getName (32) == "Input" || param->getName (32) == "Output" ? 1.0f : 0.8f);
    p.prepareToPlay (44100.0, 256);

    juce::AudioBuffer<float> tiny (2, 44100);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < tiny.getNumSamples(); ++i)
            tiny.setSample (c, i, std::numeric_limits<float>::denorm_min() * (float) ((i % 9) - 4) * 1000.0f);
    processInBlocks (p, tiny, 256);
    EXPECT_TRUE (allFinite (tiny));
    EXPECT_FALSE (hasSubnormals (tiny)) << "the chain flushes subnormals";

    juce::AudioBuffer<float> square (2, 44100);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < square.getNumSamples(); ++i)
            square.setSample (c, i, (i / 100) % 2 == 0 ? 1.0f : -1.0f);
    processInBlocks (p, square, 256);
    EXPECT_TRUE (allFinite (square));
    // +20 dB out after the ceiling and Punch: 0.96 x 2.4 x 10, plus the filters' ringing.
    EXPECT_LT (square.getMagnitude (0, square.getNumSamples()), 0.96f * 2.4f * 10.0f * 1.1f);
}

// Each factory preset on pink noise at -18 dBFS RMS: none may be silent, non-finite, or
// beyond what the ceiling and Punch allow (+-0.96 times 2.4, with the output gain at 0 dB
// in every factory preset); more than 12 dB of gain would need looking into.
TEST (Faults, EveryFactoryPresetOnPinkNoise)
{
    const auto input = pinkNoise (48000 * 4, -18.0f, 7);
    const auto inputRms = juce::Decibels::gainToDecibels (rms (input, 0, 0, input.getNumSamples()));

    std::cout << "  preset          in (dBFS RMS)  out (dBFS RMS)  gain (dB)  out peak\n";
    for (const auto& preset : hoa::presets::factoryPresets())
    {
        PluginProcessor p;
        hoa::PresetManager manager (p.treeState, p.variableTree, "TORKA");
        manager.loadEmbeddedPreset (preset.data, preset.size);
        p.prepareToPlay (48000.0, 512);

        auto output = input;
        processInBlocks (p, output, 512);
        const auto skip = 4800; // past the ramps
        const auto outRms = juce::Decibels::gainToDecibels (0.5 * (rms (output, 0, skip, output.getNumSamples()) + rms (output, 1, skip, output.getNumSamples())));
        const auto peak = output.getMagnitude (skip, output.getNumSamples() - skip);

        std::cout << "  " << preset.name.paddedRight (' ', 16) << juce::String (inputRms, 1).paddedLeft (' ', 13)
                  << juce::String (outRms, 1).paddedLeft (' ', 16) << juce::String (outRms - inputRms, 1).paddedLeft (' ', 11)
                  << juce::String (peak, 3).paddedLeft (' ', 10) << "\n";

        SCOPED_TRACE (preset.name);
        EXPECT_TRUE (allFinite (output));
        EXPECT_GT (outRms, inputRms - 12.0) << "not silent";
        EXPECT_LE (peak, 0.96f * 2.4f * 1.05f) << "within the ceiling times the Punch gain";
        EXPECT_LT (outRms - inputRms, 12.0) << "more than 12 dB louder than its input";
    }
}
