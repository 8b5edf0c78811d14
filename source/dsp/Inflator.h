#pragma once

#include <juce_dsp/juce_dsp.h>

#include <array>
#include <vector>

namespace hoa::dsp
{
// Level-dependent upward expander behind the Ignite control: quiet material (by each
// channel's short-term RMS) is lifted by up to +7.42 dB, material at or above -6 dBFS RMS
// passes at unity. A 4 kHz high shelf follows, with its own smoothed gain.
class Inflator
{
public:
    // Ignite amount in percent, clamped to 0...100.
    void set_main (float amount);

    void prepare (double newSampleRate, int numChannels);

    // Processes one or two channels in place.
    void process (juce::dsp::AudioBlock<float>& block);

    // For an owner that never sets the shelf gain: a shelf at 0 dB adds nothing, so its
    // filter need not run. Setting a shelf gain later brings the filter back.
    void keepShelfFlat() { shelfFlat = true; }

private:
    // Topology-preserving state-variable filter in double precision; only its high-pass
    // output is used, added back scaled by the shelf's linear gain.
    struct ShelfFilter
    {
        float sampleRate = 44100.0f;
        float q = 0.1f;
        float cutoff = 1000.0f;
        float gainDb = 0.0f;
        juce::SmoothedValue<float> linearGain { 0.0f };
        double g = 0.0, R = 0.0, R2 = 0.0, h = 1.0;
        std::vector<double> s1, s2;
        double twoFs = 0.0;
        double halfT = 0.0;
        double wd = 6280.0;
        double wa = 0.0;
    };

    // Share t of the full boost for a mean square (plus the detector's 1e-20 floor):
    // 1 at or below -40 dBFS RMS, 0 at or above -6, linear in dB between.
    float boostShare (float power) const;
    void takeShelfDb (float d);
    bool settledGainPass (juce::dsp::AudioBlock<float>& block, size_t numChannels);
    void gainPass (float* samples, int numSamples, size_t channel);
    void updateShelfCoefficients();
    void shelfPass (float* samples, int numSamples, size_t channel);
    void settledShelfPass (juce::dsp::AudioBlock<float>& block);

    double sampleRate = 44100.0;
    std::vector<float> meanSquare;
    float rmsWindowMs = 20.0f;
    float rmsCoefficient = 0.0f;
    float lowerThresholdDb = -40.0f;
    float upperThresholdDb = -6.0f;
    float curveScale = 1.0f;
    std::array<juce::SmoothedValue<float>, 2> mainAmount;

public:
    // The owner sets the shelf's gain in dB directly on both entries.
    std::array<juce::SmoothedValue<float>, 2> shelfGainDb;

private:
    ShelfFilter shelf;

    // Shelf target last handed to linearGain within the current block, so the power is
    // only computed while the dB ramp moves.
    float lastShelfDb = 0.0f;
    float lastShelfTarget = 0.0f;
    bool shelfTargetChanged = false;
    bool shelfFlat = false;

    // Mean squares 0.04 dB below the lower threshold and above the upper one: outside
    // them t is exactly 1 or 0, whatever the rounding of the logarithm.
    float quietPower = 0.0f;
    float loudPower = 0.0f;
};
} // namespace hoa::dsp
