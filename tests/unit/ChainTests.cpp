#include "ReferenceChain.h"
#include "Signals.h"
#include "dsp/Processor.h"

#include <gtest/gtest.h>

using namespace torka::test;

namespace
{
struct Controls { float weight = 0, ignite = 0, punch = 0, air = 0, heat = 0; };

struct Chain
{
    ParameterSet params;
    hoa::dsp::Processor processor;

    Chain (double rate, int block, int channels, int order, Controls c = {})
    {
        set (c);
        processor.prepare (rate, (unsigned int) block, (unsigned int) channels, order);
        processor.setParameters (params.snapshot);
    }

    void set (Controls c) { params.set (c.weight, c.ignite, c.punch, c.air, c.heat); }

    // Runs the buffer through in blocks, setting the controls before each block.
    void run (juce::AudioBuffer<float>& b, int block)
    {
        inBlocks (b, block, [&] (auto& blk, int)
        {
            processor.setParameters (params.snapshot);
            processor.process (blk);
        });
    }
};

// Settled output level over input level for a steady sine, through the order-2 chain at 48 kHz.
double chainGain (Controls c, double frequency, float amplitude = 0.00316f, double rate = 48000.0, int order = 2)
{
    Chain chain (rate, 512, 2, order, c);
    const auto input = sine (rate, frequency, amplitude, (int) rate);
    auto output = input;
    chain.run (output, 512);
    const auto n = output.getNumSamples();
    return rms (output, 0, n / 2, n) / rms (input, 0, n / 2, n);
}
} // namespace

TEST (Chain, ControlsMapToTheirStageGains)
{
    // Quiet sines (-50 dBFS) keep every stage in its small-signal range.
    struct Case { const char* name; Controls controls; double frequency; double gain; double tolerance; };
    const Case cases[] = {
        { "all controls at 0: the 0.96 Heat scale", {}, 200.0, 0.96, 0.002 },
        { "Ignite 25: the first inflator at half amount", { 0, 25, 0, 0, 0 }, 200.0, 0.96 * 1.3375, 0.005 },
        { "Ignite 50: first inflator full, second off", { 0, 50, 0, 0, 0 }, 200.0, 0.96 * 2.35, 0.005 },
        { "Ignite 100: both inflators full", { 0, 100, 0, 0, 0 }, 200.0, 0.96 * 2.35 * 2.35, 0.005 },
        { "Heat 15: half-wet arctangent", { 0, 0, 0, 0, 15 }, 200.0, 0.96 * (0.5 + 0.5 * 1.5707963), 0.003 },
        { "Heat 30: fully wet arctangent, about +3.6 dB", { 0, 0, 0, 0, 30 }, 200.0, 0.96 * 1.5707963, 0.003 },
        { "Weight 100: the low band lifted about 2.18 times", { 100, 0, 0, 0, 0 }, 20.0, 0.96 * 2.18, 0.01 },
        { "Air on: the 0.92 scale of the band split", { 0, 0, 0, 0.01f, 0 }, 200.0, 0.96 * 0.92, 0.003 },
    };

    for (const auto& c : cases)
    {
        const auto gain = chainGain (c.controls, c.frequency);
        EXPECT_NEAR (gain, c.gain, c.gain * c.tolerance) << c.name;
    }

    EXPECT_NEAR (juce::Decibels::gainToDecibels (chainGain ({ 0, 0, 0, 0, 30 }, 200.0)), 3.57, 0.05);
}

TEST (Chain, HeatLowpassFallsFrom20kTo16kHz)
{
    // Order 0 at 192 kHz: no oversampler in the way, so the corner is read directly.
    const auto fs = 192000.0;
    struct Case { float heat; double corner; };
    for (const auto& c : { Case { 0.0f, 20000.0 }, Case { 15.0f, 18000.0 }, Case { 30.0f, 16000.0 } })
    {
        const auto atCorner = chainGain ({ 0, 0, 0, 0, c.heat }, c.corner, 0.00316f, fs, 0);
        const auto low = chainGain ({ 0, 0, 0, 0, c.heat }, 200.0, 0.00316f, fs, 0);
        EXPECT_NEAR (juce::Decibels::gainToDecibels (atCorner / low), -6.02, 0.05) << "Heat " << c.heat;
    }
}

TEST (Chain, CeilingClampsAtPointNineSix)
{
    const auto fs = 96000.0;
    Chain chain (fs, 256, 2, 0);
    auto loud = sine (fs, 100.0, 2.0f, 9600);
    chain.run (loud, 256);
    EXPECT_EQ (loud.getMagnitude (0, loud.getNumSamples()), 0.96f);
}

TEST (Chain, PunchLiftsAttacksUpTo2Point4AndLeavesDecaysAlone)
{
    // At order 0 Punch is the last stage, so its gain is the ratio of the outputs with and without it.
    const auto fs = 96000.0;
    juce::AudioBuffer<float> input (1, (int) fs);
    input.clear();
    const auto attack = (int) (0.2 * fs);
    for (int i = attack; i < input.getNumSamples(); ++i)
    {
        const auto t = (i - attack) / fs;
        input.setSample (0, i, 0.5f * (float) (std::exp (-t / 0.05) * std::sin (juce::MathConstants<double>::twoPi * 3000.0 * t)));
    }

    auto with = input, without = input;
    Chain punchy (fs, 512, 1, 0, { 0, 0, 1, 0, 0 }), plain (fs, 512, 1, 0);
    punchy.run (with, 512);
    plain.run (without, 512);

    float largest = 0.0f;
    int unityInTail = 0, tail = 0;
    for (int i = attack; i < input.getNumSamples(); ++i)
    {
        if (std::abs (without.getSample (0, i)) < 1.0e-6f)
            continue;
        const auto gain = with.getSample (0, i) / without.getSample (0, i);
        largest = std::max (largest, gain);
        EXPECT_LE (gain, 2.4f + 1.0e-5f);
        if (i > attack + (int) (0.3 * fs))
        {
            ++tail;
            unityInTail += gain == 1.0f ? 1 : 0;
        }
    }

    // 1 - sqrt(2 ms / 80 ms) bounds t for a step, so a step reaches about 2.18.
    EXPECT_GT (largest, 2.1f) << "a sharp attack after silence approaches 2.4";
    EXPECT_GT (tail, 0);
    EXPECT_EQ (unityInTail, tail) << "in the decay the gain is exactly 1";
}

TEST (Chain, AirIsASwitchNotABlend)
{
    const auto off = chainGain ({ 0, 0, 0, 0, 0 }, 200.0);
    const auto tiny = chainGain ({ 0, 0, 0, 0.01f, 0 }, 200.0); // the smallest step above 0
    const auto full = chainGain ({ 0, 0, 0, 10.0f, 0 }, 200.0);
    EXPECT_NEAR (tiny / off, 0.92, 0.002);
    EXPECT_NEAR (full / off, 0.92, 0.002) << "the drive only touches the band above 8 kHz";
}

TEST (Chain, EmptyBlocksAndUnpreparedChainsChangeNothing)
{
    {
        hoa::dsp::Processor unprepared;
        auto block = noise (256, 2, 0.5f, 1), copy = block;
        juce::dsp::AudioBlock<float> b (block);
        unprepared.process (b);
        EXPECT_EQ (maxAbsDifference (block, copy), 0.0f);
    }

    const Controls busy { 50, 50, 0.5f, 5, 15 };
    Chain a (48000.0, 256, 2, 2, busy), b (48000.0, 256, 2, 2, busy);
    auto x = noise (9600, 2, 0.3f, 5), y = x;
    juce::AudioBuffer<float> empty (2, 0);
    inBlocks (x, 256, [&] (auto& blk, int)
    {
        juce::dsp::AudioBlock<float> none (empty);
        a.processor.setParameters (a.params.snapshot);
        a.processor.process (none);
        a.processor.process (blk);
    });
    b.run (y, 256);
    EXPECT_EQ (maxAbsDifference (x, y), 0.0f);
}

// Every shortcut the chain takes (settled ramps, skipped dry stages, both channels in
// one vector, the filters apart from the function calls) must give the plain model's
// output: to the bit with the same elementary functions, to float rounding with the
// C library's.
TEST (Chain, MatchesThePlainPerSampleModel)
{
    struct Scenario { const char* name; double rate; int order; int channels; int block; std::vector<Controls> automation; };
    const std::vector<Scenario> scenarios = {
        { "all off, order 2", 48000.0, 2, 2, 512, { {} } },
        { "busy, order 2", 48000.0, 2, 2, 512, { { 50, 50, 0.5f, 5, 15 } } },
        { "every control moving, order 2", 44100.0, 2, 2, 128,
          { { 0, 0, 0, 0, 0 }, { 100, 30, 1, 2, 30 }, { 20, 100, 0.2f, 0, 5 }, { 0, 60, 0, 10, 0 }, { 70, 0, 0.8f, 0.5f, 25 } } },
        { "order 0 equals the stages without oversampling", 48000.0, 0, 2, 256, { { 40, 70, 0.6f, 3, 20 }, { 10, 20, 0, 0, 1 } } },
        { "order 1, mono", 96000.0, 1, 1, 300, { { 30, 40, 0.3f, 1, 10 } } },
        { "order 3", 48000.0, 3, 2, 64, { { 60, 80, 1, 7, 28 } } },
        { "order 4, odd blocks", 44100.0, 4, 2, 37, { { 5, 95, 0.1f, 9, 3 }, { 0, 0, 0, 0, 0 } } },
    };

    for (const auto* math : { &fastMath, &libraryMath })
        for (const auto& s : scenarios)
        {
            const auto sameMath = math == &fastMath;
            SCOPED_TRACE (juce::String (s.name) + (sameMath ? ", same functions" : ", library functions"));
            Chain fast (s.rate, s.block, s.channels, s.order, s.automation.front());
            // The model takes the values the parameters hold, snapped to their 0.01 grid.
            ReferenceChain plain;
            plain.useMath (*math);
            ParameterSet snapped;
            const auto setPlain = [&] (Controls c)
            {
                snapped.set (c.weight, c.ignite, c.punch, c.air, c.heat);
                plain.setParameters (snapped.weight.get(), snapped.ignite.get(), snapped.punch.get(), snapped.air.get(), snapped.heat.get());
            };
            plain.prepare (s.rate, (unsigned int) s.block, (unsigned int) s.channels, s.order);
            setPlain (s.automation.front());

            auto x = noise ((int) (s.rate * 0.4), s.channels, 0.7f, 21);
            for (int i = 0; i < x.getNumSamples() / 3; ++i) // a quiet stretch, then loud
                for (int c = 0; c < s.channels; ++c)
                    x.setSample (c, i, x.getSample (c, i) * 0.01f);
            auto y = x;

            const auto controlsAt = [&] (int start)
            {
                const auto index = (size_t) (start / s.block) % s.automation.size();
                return s.automation[index];
            };

            inBlocks (x, s.block, [&] (auto& blk, int start)
            {
                fast.set (controlsAt (start));
                fast.processor.setParameters (fast.params.snapshot);
                fast.processor.process (blk);
            });
            inBlocks (y, s.block, [&] (auto& blk, int start)
            {
                setPlain (controlsAt (start));
                plain.process (blk);
            });

            EXPECT_LE (maxAbsDifference (x, y), sameMath ? 0.0f : 1.0e-5f);
        }
}

TEST (Chain, LongerBlocksThanPreparedRunInPieces)
{
    const Controls busy { 50, 50, 0.5f, 5, 15 };
    Chain whole (48000.0, 256, 2, 2, busy), pieces (48000.0, 256, 2, 2, busy);
    auto x = noise (4096, 2, 0.5f, 9), y = x;

    juce::dsp::AudioBlock<float> all (x);
    whole.processor.setParameters (whole.params.snapshot);
    whole.processor.process (all);

    inBlocks (y, 256, [&] (auto& blk, int)
    {
        pieces.processor.setParameters (pieces.params.snapshot);
        pieces.processor.process (blk);
    });

    EXPECT_EQ (maxAbsDifference (x, y), 0.0f);
}
