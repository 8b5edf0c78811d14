#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

#include <cmath>
#include <vector>

namespace torka::test
{
inline juce::AudioBuffer<float> sine (double rate, double frequency, float amplitude, int numSamples, int numChannels = 2)
{
    juce::AudioBuffer<float> b (numChannels, numSamples);
    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < numSamples; ++i)
            b.setSample (c, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / rate + 0.3 * c));
    return b;
}

inline juce::AudioBuffer<float> noise (int numSamples, int numChannels, float amplitude, int seed)
{
    juce::AudioBuffer<float> b (numChannels, numSamples);
    juce::Random r (seed);
    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < numSamples; ++i)
            b.setSample (c, i, amplitude * (r.nextFloat() * 2.0f - 1.0f));
    return b;
}

inline double rms (const float* x, int start, int end)
{
    double sum = 0.0;
    for (int i = start; i < end; ++i)
        sum += (double) x[i] * x[i];
    return std::sqrt (sum / juce::jmax (1, end - start));
}

inline double rms (const juce::AudioBuffer<float>& b, int channel, int start, int end)
{
    return rms (b.getReadPointer (channel), start, end);
}

inline float maxAbsDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    float worst = 0.0f;
    for (int c = 0; c < juce::jmin (a.getNumChannels(), b.getNumChannels()); ++c)
        for (int i = 0; i < juce::jmin (a.getNumSamples(), b.getNumSamples()); ++i)
            worst = juce::jmax (worst, std::abs (a.getSample (c, i) - b.getSample (c, i)));
    return worst;
}

inline bool allFinite (const juce::AudioBuffer<float>& b)
{
    for (int c = 0; c < b.getNumChannels(); ++c)
        for (int i = 0; i < b.getNumSamples(); ++i)
            if (! std::isfinite (b.getSample (c, i)))
                return false;
    return true;
}

inline bool hasSubnormals (const juce::AudioBuffer<float>& b)
{
    for (int c = 0; c < b.getNumChannels(); ++c)
        for (int i = 0; i < b.getNumSamples(); ++i)
            if (std::fpclassify (b.getSample (c, i)) == FP_SUBNORMAL)
                return true;
    return false;
}

// Runs fn over consecutive blocks of the buffer.
template <typename Fn>
void inBlocks (juce::AudioBuffer<float>& b, int blockSize, Fn&& fn)
{
    for (int start = 0; start < b.getNumSamples(); start += blockSize)
    {
        const auto n = juce::jmin (blockSize, b.getNumSamples() - start);
        juce::dsp::AudioBlock<float> block (b.getArrayOfWritePointers(), (size_t) b.getNumChannels(), (size_t) start, (size_t) n);
        fn (block, start);
    }
}
} // namespace torka::test
