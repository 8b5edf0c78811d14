#include "Loudness.h"

#include <cmath>
#include <limits>

namespace torka::cli
{
LoudnessMeter::LoudnessMeter (double sampleRate, int channels)
    : numChannels (channels), stepLength (juce::jmax (1, (int) std::lround (sampleRate * 0.1)))
{
    // The two K-weighting stages, from their analogue prototypes by the bilinear
    // transform, so that any sample rate gets the same curve: a +4 dB high shelf
    // around 1.7 kHz, then a second-order high-pass at 38 Hz.
    const auto pi = juce::MathConstants<double>::pi;
    {
        const auto f0 = 1681.974450955533, gainDb = 3.999843853973347, q = 0.7071752369554196;
        const auto k = std::tan (pi * f0 / sampleRate);
        const auto vh = std::pow (10.0, gainDb / 20.0);
        const auto vb = std::pow (vh, 0.4996667741545416);
        const auto a0 = 1.0 + k / q + k * k;
        const Biquad stage { (vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
                             2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0 };
        shelf.assign ((size_t) numChannels, stage);
    }
    {
        const auto f0 = 38.13547087602444, q = 0.5003270373238773;
        const auto k = std::tan (pi * f0 / sampleRate);
        const auto a0 = 1.0 + k / q + k * k;
        const Biquad stage { 1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0 };
        highpass.assign ((size_t) numChannels, stage);
    }
}

void LoudnessMeter::add (const juce::AudioBuffer<float>& buffer, int startSample, int numSamples)
{
    for (int i = startSample; i < startSample + numSamples; ++i)
    {
        for (int c = 0; c < numChannels; ++c)
        {
            const auto x = buffer.getSample (c, i);
            peakLevel = juce::jmax (peakLevel, std::abs (x));
            const auto y = highpass[(size_t) c].process (shelf[(size_t) c].process ((double) x));
            stepSum += y * y;
        }

        if (++stepPosition == stepLength)
        {
            steps.push_back (stepSum / stepLength);
            stepSum = 0.0;
            stepPosition = 0;
        }
    }
}

double LoudnessMeter::integratedLufs() const
{
    const auto minusInfinity = -std::numeric_limits<double>::infinity();
    const auto lufs = [] (double power) { return -0.691 + 10.0 * std::log10 (power); };

    // Gating blocks of four 100 ms steps, one step apart.
    std::vector<double> blocks;
    for (size_t i = 0; i + 4 <= steps.size(); ++i)
        blocks.push_back ((steps[i] + steps[i + 1] + steps[i + 2] + steps[i + 3]) / 4.0);

    const auto gatedMean = [&] (double thresholdLufs)
    {
        double sum = 0.0;
        int count = 0;
        for (const auto b : blocks)
            if (b > 0.0 && lufs (b) > thresholdLufs)
            {
                sum += b;
                ++count;
            }
        return count > 0 ? sum / count : 0.0;
    };

    const auto absolute = gatedMean (-70.0);
    if (absolute <= 0.0)
        return minusInfinity;

    const auto relative = gatedMean (lufs (absolute) - 10.0);
    return relative > 0.0 ? lufs (relative) : minusInfinity;
}
} // namespace torka::cli
