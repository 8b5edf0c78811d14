#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace torka::cli
{
// Integrated loudness after ITU-R BS.1770-4 / EBU R 128: K-weighting, 400 ms blocks
// with 75% overlap, an absolute gate at -70 LUFS and a relative gate 10 LU below the
// ungated level. Channels are weighted 1 (left, right, or a single mono channel).
// Also keeps the sample peak.
class LoudnessMeter
{
public:
    LoudnessMeter (double sampleRate, int numChannels);

    void add (const juce::AudioBuffer<float>& buffer, int startSample, int numSamples);

    // -infinity when there was too little audio, or only silence.
    double integratedLufs() const;
    float peak() const noexcept { return peakLevel; }

private:
    struct Biquad
    {
        double b0, b1, b2, a1, a2;
        double z1 = 0, z2 = 0;

        double process (double x)
        {
            const auto y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };

    int numChannels;
    std::vector<Biquad> shelf, highpass;
    int stepLength;          // 100 ms: a quarter of a gating block
    int stepPosition = 0;
    double stepSum = 0.0;
    std::vector<double> steps; // mean square of each 100 ms step, summed over channels
    float peakLevel = 0.0f;
};
} // namespace torka::cli
