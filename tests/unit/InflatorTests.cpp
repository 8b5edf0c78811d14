#include "ReferenceChain.h"
#include "Signals.h"
#include "dsp/Inflator.h"

#include <gtest/gtest.h>

using namespace torka::test;

namespace
{
constexpr double rate = 48000.0;

void setShelf (hoa::dsp::Inflator& inflator, float db)
{
    for (auto& r : inflator.shelfGainDb)
        r.setTargetValue (db);
}

// Output RMS over input RMS in the last fifth, once the detector and ramps have settled.
double settledGain (float amount, float rmsDb, double frequency = 1000.0)
{
    hoa::dsp::Inflator inflator;
    inflator.set_main (amount);
    inflator.prepare (rate, 2);

    const auto amplitude = (float) (std::sqrt (2.0) * juce::Decibels::decibelsToGain ((double) rmsDb));
    const auto input = sine (rate, frequency, amplitude, (int) rate);
    auto output = input;
    inBlocks (output, 480, [&] (auto& block, int) { inflator.process (block); });

    const auto start = output.getNumSamples() * 4 / 5;
    return rms (output, 0, start, output.getNumSamples()) / rms (input, 0, start, input.getNumSamples());
}
} // namespace

TEST (Inflator, GainFollowsTheRmsLevelBetweenTheThresholds)
{
    struct Case { float rmsDb; float amount; double gain; };
    const Case cases[] = {
        { -3.0f, 100.0f, 1.0 },     // full-scale sine: at or above -6 dBFS RMS passes at unity
        { -5.0f, 100.0f, 1.0 },
        { -23.0f, 100.0f, 1.675 },  // halfway in dB between the thresholds
        { -50.0f, 100.0f, 2.35 },   // the full boost, +7.42 dB
        { -50.0f, 200.0f / 3.0f, 1.6 }, // an amount of 1 (66.7 percent)
        { -50.0f, 0.0f, 1.0 },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (settledGain (c.amount, c.rmsDb), c.gain, c.gain * 0.005) << c.rmsDb << " dBFS RMS, amount " << c.amount;
}

TEST (Inflator, AmountsAreClampedToTheirRange)
{
    const std::pair<float, float> equivalent[] = { { 250.0f, 100.0f }, { -5.0f, 0.0f } };

    for (const auto& [given, clamped] : equivalent)
    {
        hoa::dsp::Inflator a, b;
        a.set_main (given);
        b.set_main (clamped);
        a.prepare (rate, 1);
        b.prepare (rate, 1);
        auto x = sine (rate, 300.0, 0.05f, 4800, 1), y = x;
        inBlocks (x, 256, [&] (auto& block, int) { a.process (block); });
        inBlocks (y, 256, [&] (auto& block, int) { b.process (block); });
        EXPECT_EQ (maxAbsDifference (x, y), 0.0f) << given << " acts as " << clamped;
    }
}

TEST (Inflator, ShelfLiftsContentWellAbove4kHzBy2dB)
{
    const auto fs = 192000.0;
    struct Case { double frequency; double gainDb; };
    const Case cases[] = { { 200.0, 0.0 }, { 50000.0, 2.0 } };

    for (const auto& c : cases)
    {
        hoa::dsp::Inflator inflator;
        inflator.prepare (fs, 1);
        setShelf (inflator, 2.0f);
        const auto input = sine (fs, c.frequency, 0.1f, (int) fs / 2, 1);
        auto output = input;
        inBlocks (output, 1024, [&] (auto& block, int) { inflator.process (block); });

        const auto n = output.getNumSamples();
        const auto gainDb = juce::Decibels::gainToDecibels (rms (output, 0, n / 2, n) / rms (input, 0, n / 2, n));
        EXPECT_NEAR (gainDb, c.gainDb, 0.05) << c.frequency << " Hz";
    }
}

TEST (Inflator, AmountZeroAndFlatShelfLeaveTheSignalUntouched)
{
    hoa::dsp::Inflator inflator;
    inflator.prepare (rate, 2);
    const auto input = noise (9000, 2, 0.8f, 7);
    auto output = input;
    inBlocks (output, 333, [&] (auto& block, int) { inflator.process (block); });
    EXPECT_EQ (maxAbsDifference (input, output), 0.0f);
}

TEST (Inflator, SilenceStaysSilentAndTheNextSoundGetsTheFullBoost)
{
    hoa::dsp::Inflator inflator;
    inflator.set_main (100.0f);
    inflator.prepare (rate, 1);

    juce::AudioBuffer<float> buffer (1, 48000);
    buffer.clear();
    inBlocks (buffer, 512, [&] (auto& block, int) { inflator.process (block); });
    EXPECT_EQ (buffer.getMagnitude (0, 0, buffer.getNumSamples()), 0.0f);

    juce::AudioBuffer<float> click (1, 1);
    click.setSample (0, 0, 0.001f);
    juce::dsp::AudioBlock<float> block (click);
    inflator.process (block);
    EXPECT_NEAR (click.getSample (0, 0), 0.001f * 2.35f, 1.0e-7f);
}

TEST (Inflator, EmptyBlocksChangeNothing)
{
    hoa::dsp::Inflator a, b;
    for (auto* i : { &a, &b })
    {
        i->set_main (80.0f);
        i->prepare (rate, 2);
        setShelf (*i, 1.5f);
    }

    auto x = noise (4800, 2, 0.2f, 3), y = x;
    juce::AudioBuffer<float> empty (2, 0);
    inBlocks (x, 100, [&] (auto& block, int)
    {
        juce::dsp::AudioBlock<float> none (empty);
        a.process (none);
        a.process (block);
    });
    inBlocks (y, 100, [&] (auto& block, int) { b.process (block); });
    EXPECT_EQ (maxAbsDifference (x, y), 0.0f);
}

// The class skips work while ramps sit still, and takes the detector out of the gain
// loop; the plain model does neither. With the same logarithm they agree to the bit;
// with the C library's, to float rounding.
TEST (Inflator, MatchesThePlainPerSampleModel)
{
    struct Step { float amount; float shelfDb; };
    struct Scenario { const char* name; int channels; int blockSize; std::vector<Step> steps; };
    const Scenario scenarios[] = {
        { "steady full amount", 2, 256, { { 100.0f, 2.0f } } },
        { "amount and shelf moving every block", 2, 64, { { 10.0f, 0.2f }, { 80.0f, 1.6f }, { 0.0f, 0.0f }, { 55.0f, 1.1f }, { 55.0f, 1.1f }, { 100.0f, 2.0f } } },
        { "shelf returns to its old target mid-ramp", 1, 97, { { 30.0f, 2.0f }, { 30.0f, 0.0f }, { 30.0f, 2.0f }, { 30.0f, 2.0f } } },
        { "off, then on", 2, 500, { { 0.0f, 0.0f }, { 0.0f, 0.0f }, { 60.0f, 1.2f } } },
        { "single-sample blocks", 2, 1, { { 70.0f, 1.4f }, { 20.0f, 0.4f } } },
    };

    for (const auto* math : { &fastMath, &libraryMath })
        for (const auto& s : scenarios)
        {
            const auto sameMath = math == &fastMath;
            SCOPED_TRACE (juce::String (s.name) + (sameMath ? ", same logarithm" : ", library logarithm"));
            hoa::dsp::Inflator fast;
            ReferenceInflator plain;
            plain.math = *math;
            fast.prepare (rate, s.channels);
            plain.prepare (rate, s.channels);

            auto x = noise (24000, s.channels, 0.3f, 11);
            for (int i = 0; i < x.getNumSamples(); ++i) // a level that sweeps across both thresholds
                for (int c = 0; c < s.channels; ++c)
                    x.setSample (c, i, x.getSample (c, i) * (float) std::pow (10.0, -3.0 * i / x.getNumSamples()));
            auto y = x;

            const auto stepAt = [&] (int start)
            {
                const auto span = juce::jmax (1, x.getNumSamples() / (int) s.steps.size());
                return s.steps[std::min (s.steps.size() - 1, (size_t) (start / span))];
            };

            inBlocks (x, s.blockSize, [&] (auto& block, int start)
            {
                fast.set_main (stepAt (start).amount);
                setShelf (fast, stepAt (start).shelfDb);
                fast.process (block);
            });
            inBlocks (y, s.blockSize, [&] (auto& block, int start)
            {
                plain.set_main (stepAt (start).amount);
                plain.setShelfDb (stepAt (start).shelfDb);
                plain.process (block);
            });

            EXPECT_LE (maxAbsDifference (x, y), sameMath ? 0.0f : 1.0e-6f);
        }
}
