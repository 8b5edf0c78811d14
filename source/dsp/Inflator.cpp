#include "Inflator.h"
#include "FastMath.h"

#include <cmath>
#include <limits>

namespace hoa::dsp
{
void Inflator::set_main (float amount)
{
    const auto a = juce::jlimit (0.0f, 100.0f, amount) * 0.015f;
    for (auto& ramp : mainAmount)
        ramp.setTargetValue (a);
}

void Inflator::prepare (double newSampleRate, int numChannels)
{
    sampleRate = newSampleRate;
    meanSquare.assign ((size_t) juce::jmax (0, numChannels), 0.0f);

    rmsWindowMs = juce::jlimit (1.0f, 100.0f, rmsWindowMs);
    rmsCoefficient = std::exp (-1.0f / ((float) sampleRate * juce::jmax (0.000001f, 0.001f * rmsWindowMs)));
    quietPower = 0.99f * std::pow (10.0f, 0.1f * lowerThresholdDb);
    loudPower = 1.01f * std::pow (10.0f, 0.1f * upperThresholdDb);

    for (auto* ramps : { &mainAmount, &shelfGainDb })
        for (auto& ramp : *ramps)
            ramp.reset (sampleRate, 0.02);

    shelf.sampleRate = (float) sampleRate;
    shelf.twoFs = 2.0 * (double) shelf.sampleRate;
    shelf.halfT = 0.5 / (double) shelf.sampleRate;
    shelf.s1.assign (meanSquare.size(), 0.0);
    shelf.s2.assign (meanSquare.size(), 0.0);
    shelf.linearGain.reset (sampleRate, 0.1);
}

void Inflator::process (juce::dsp::AudioBlock<float>& block)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numChannels = juce::jmin (block.getNumChannels(), meanSquare.size(), mainAmount.size());
    const auto numSamples = (int) block.getNumSamples();

    if (numChannels == 0 || numSamples == 0)
        return;

    lastShelfDb = std::numeric_limits<float>::quiet_NaN();
    lastShelfTarget = shelf.linearGain.getTargetValue();
    shelfTargetChanged = false;

    if (! settledGainPass (block, numChannels))
        for (size_t c = 0; c < numChannels; ++c)
            gainPass (block.getChannelPointer (c), numSamples, c);

    // The shelf heads for the target of the block's last sample. Any change of target
    // during the block restarts the ramp, even one that ends where it began.
    if (shelfTargetChanged)
    {
        auto& gain = shelf.linearGain;
        if (gain.getTargetValue() == lastShelfTarget)
            gain.setTargetValue (lastShelfTarget + 1.0f);
        gain.setTargetValue (lastShelfTarget);
    }

    updateShelfCoefficients();

    auto& gain = shelf.linearGain;
    if (shelfFlat)
    {
        const auto flat = ! gain.isSmoothing() && gain.getTargetValue() == 0.0f
                          && ! shelfGainDb[0].isSmoothing() && shelfGainDb[0].getTargetValue() == 0.0f;
        if (flat)
            return;
        shelfFlat = false;
    }

    // A settled gain is the same for every sample, so the channels can share one pass;
    // a moving one is stepped through channel 0 first, then channel 1.
    if (! gain.isSmoothing() && numChannels == 2)
    {
        settledShelfPass (block);
        return;
    }

    for (size_t c = 0; c < numChannels; ++c)
        shelfPass (block.getChannelPointer (c), numSamples, c);
}

float Inflator::boostShare (float power) const
{
    // Well outside the two thresholds t is exactly 1 or 0; the logarithm is needed between.
    const auto level = 20.0f * fast::log10 (juce::jmax (std::sqrt (power), 1.0e-9f));
    const auto n = (level - lowerThresholdDb) / (upperThresholdDb - lowerThresholdDb);
    const auto t = n < 0.0f ? 1.0f : 1.0f - juce::jmin (1.0f, n);
    return power <= quietPower ? 1.0f : (power >= loudPower ? 0.0f : t);
}

bool Inflator::settledGainPass (juce::dsp::AudioBlock<float>& block, size_t numChannels)
{
    for (size_t c = 0; c < numChannels; ++c)
        if (mainAmount[c].isSmoothing() || shelfGainDb[c].isSmoothing())
            return false;

    takeShelfDb (shelfGainDb[0].getTargetValue());

    // The detector is a recursion, so it runs first, both channels side by side; the
    // gain, which needs a logarithm per sample, then runs in a loop of its own.
    constexpr size_t chunk = 64;
    float power[2][chunk];
    const auto keep = 1.0f - rmsCoefficient;
    const auto numSamples = block.getNumSamples();
    float* x[2] = { block.getChannelPointer (0), block.getChannelPointer (numChannels - 1) };

    for (size_t start = 0; start < numSamples; start += chunk)
    {
        const auto n = std::min (chunk, numSamples - start);

        if (numChannels == 2)
        {
            auto ms0 = meanSquare[0], ms1 = meanSquare[1];
            for (size_t i = 0; i < n; ++i)
            {
                const auto a = x[0][start + i], b = x[1][start + i];
                ms0 = ms0 + keep * (a * a - ms0);
                ms1 = ms1 + keep * (b * b - ms1);
                power[0][i] = ms0 + 1.0e-20f;
                power[1][i] = ms1 + 1.0e-20f;
            }
            meanSquare[0] = ms0;
            meanSquare[1] = ms1;
        }
        else
        {
            auto ms = meanSquare[0];
            for (size_t i = 0; i < n; ++i)
            {
                const auto a = x[0][start + i];
                ms = ms + keep * (a * a - ms);
                power[0][i] = ms + 1.0e-20f;
            }
            meanSquare[0] = ms;
        }

        for (size_t c = 0; c < numChannels; ++c)
        {
            // Amount settled at 0: a * wet + (1 - a) * x is x itself.
            const auto a = mainAmount[c].getTargetValue();
            if (a == 0.0f)
                continue;

            auto* out = x[c] + start;
            for (size_t i = 0; i < n; ++i)
            {
                const auto t = boostShare (power[c][i]);
                const auto wet = out[i] * (0.6f * t * a * curveScale + 1.0f);
                out[i] = a * wet + (1.0f - a) * out[i];
            }
        }
    }

    return true;
}

void Inflator::takeShelfDb (float d)
{
    if (d == lastShelfDb)
        return;

    lastShelfDb = d;
    shelf.cutoff = 4000.0f;
    shelf.q = 0.01f;
    shelf.R = 1.0 - (double) shelf.q;
    shelf.gainDb = juce::jlimit (-100.0f, 100.0f, d);
    const auto target = (float) (std::pow (10.0, 0.05 * (double) shelf.gainDb) - 1.0);

    if (target != lastShelfTarget)
    {
        lastShelfTarget = target;
        shelfTargetChanged = true;
    }
}

void Inflator::gainPass (float* samples, int numSamples, size_t channel)
{
    auto& amount = mainAmount[channel];
    auto& shelfDb = shelfGainDb[channel];
    auto ms = meanSquare[channel];
    const auto keep = 1.0f - rmsCoefficient;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto a = amount.getNextValue();
        takeShelfDb (shelfDb.getNextValue());

        const auto x = samples[i];
        ms = ms + keep * (x * x - ms);
        const auto t = boostShare (ms + 1.0e-20f);
        const auto wet = x * (0.6f * t * a * curveScale + 1.0f);
        samples[i] = a * wet + (1.0f - a) * x;
    }

    meanSquare[channel] = ms;
}

void Inflator::updateShelfCoefficients()
{
    // 3.14 rather than pi: the corner sits at 3997.97 Hz.
    shelf.wd = 2.0 * 3.14 * (double) shelf.cutoff;
    shelf.wa = shelf.twoFs * std::tan (shelf.wd * shelf.halfT);
    shelf.g = shelf.halfT * shelf.wa;
    shelf.R2 = 2.0 * shelf.R;
    shelf.h = 1.0 / (1.0 + shelf.R2 * shelf.g + shelf.g * shelf.g);
}

void Inflator::settledShelfPass (juce::dsp::AudioBlock<float>& block)
{
    const auto numSamples = block.getNumSamples();
    auto* left = block.getChannelPointer (0);
    auto* right = block.getChannelPointer (1);
    const auto g = shelf.g, h = shelf.h, gR2 = shelf.g + shelf.R2;
    const auto k = (double) shelf.linearGain.getTargetValue();
    const auto addsNothing = k == 0.0;

   #if defined(__GNUC__) || defined(__clang__)
    // Both channels in the two lanes of one vector: the same double arithmetic per lane.
    using Pair = double __attribute__ ((vector_size (16)));
    Pair s1 { shelf.s1[0], shelf.s1[1] }, s2 { shelf.s2[0], shelf.s2[1] };

    for (size_t i = 0; i < numSamples; ++i)
    {
        const Pair x { (double) left[i], (double) right[i] };
        const auto hp = h * (x - gR2 * s1 - s2);
        const auto bp = g * hp + s1;
        s1 = g * hp + bp;
        const auto lp = g * bp + s2;
        s2 = g * bp + lp;
        if (! addsNothing)
        {
            const auto y = x + k * hp;
            left[i] = (float) y[0];
            right[i] = (float) y[1];
        }
    }
   #else
    double s1[2] = { shelf.s1[0], shelf.s1[1] }, s2[2] = { shelf.s2[0], shelf.s2[1] };

    const auto step = [&] (float& sample, size_t c)
    {
        const auto x = (double) sample;
        const auto hp = h * (x - gR2 * s1[c] - s2[c]);
        const auto bp = g * hp + s1[c];
        s1[c] = g * hp + bp;
        const auto lp = g * bp + s2[c];
        s2[c] = g * bp + lp;
        if (! addsNothing)
            sample = (float) (x + k * hp);
    };

    for (size_t i = 0; i < numSamples; ++i)
    {
        step (left[i], 0);
        step (right[i], 1);
    }
   #endif

    for (size_t c = 0; c < 2; ++c)
    {
        shelf.s1[c] = s1[c];
        shelf.s2[c] = s2[c];
    }
}

void Inflator::shelfPass (float* samples, int numSamples, size_t channel)
{
    auto s1 = shelf.s1[channel];
    auto s2 = shelf.s2[channel];
    const auto g = shelf.g, h = shelf.h, gR2 = shelf.g + shelf.R2;
    auto& gain = shelf.linearGain;

    // A settled gain of 0 adds nothing; the states still run so a later gain starts from them.
    const auto silentShelf = ! gain.isSmoothing() && gain.getTargetValue() == 0.0f;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto x = (double) samples[i];
        const auto hp = h * (x - gR2 * s1 - s2);
        const auto bp = g * hp + s1;
        s1 = g * hp + bp;
        const auto lp = g * bp + s2;
        s2 = g * bp + lp;

        if (silentShelf)
            continue;

        // Three steps per sample: the ramp completes in a third of its nominal time.
        gain.getNextValue();
        gain.getNextValue();
        const auto k = (double) gain.getNextValue();
        samples[i] = (float) (x + k * hp);
    }

    shelf.s1[channel] = s1;
    shelf.s2[channel] = s2;
}
} // namespace hoa::dsp
