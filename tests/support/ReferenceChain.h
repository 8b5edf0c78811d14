#pragma once

// Plain, sample-by-sample models of the inflator and the character chain, written
// straight from their description with no shortcuts. The real classes take shortcuts
// (settled ramps read once, skipped work when a stage is dry); tests compare the two.

#include "common/Common.h"
#include "dsp/FastMath.h"

#include <juce_dsp/juce_dsp.h>

#include <array>
#include <cmath>
#include <vector>

namespace torka::test
{
using Smoothed = juce::SmoothedValue<float>;

// The elementary functions the models use: the C library's, or the chain's own fast
// ones (then a model and the chain must agree to the bit).
struct MathFunctions
{
    float (*atan) (float);
    float (*tanh) (float);
    float (*log10) (float);
};

inline const MathFunctions libraryMath { [] (float x) { return std::atan (x); },
                                         [] (float x) { return std::tanh (x); },
                                         [] (float x) { return std::log10 (x); } };

inline const MathFunctions fastMath { [] (float x) { return hoa::dsp::fast::atan (x); },
                                      [] (float x) { return hoa::dsp::fast::tanh (x); },
                                      [] (float x) { return hoa::dsp::fast::log10 (x); } };

struct ReferenceInflator
{
    MathFunctions math = libraryMath;
    double sampleRate = 44100.0;
    std::vector<float> meanSquare;
    float rmsWindowMs = 20.0f, rmsCoefficient = 0.0f;
    float lowerThresholdDb = -40.0f, upperThresholdDb = -6.0f, curveScale = 1.0f;
    std::array<Smoothed, 2> mainAmount, shelfGainDb;

    float shelfSampleRate = 44100.0f, q = 0.1f, cutoff = 1000.0f, gainDb = 0.0f;
    Smoothed linearGain { 0.0f };
    double g = 0.0, R = 0.0, R2 = 0.0, h = 1.0;
    std::vector<double> s1, s2;
    double twoFs = 0.0, halfT = 0.0, wd = 6280.0, wa = 0.0;

    void set_main (float amount)
    {
        amount = amount < 0.0f ? 0.0f : (amount > 100.0f ? 100.0f : amount);
        for (auto& r : mainAmount)
            r.setTargetValue (amount * 0.015f);
    }

    void setShelfDb (float db)
    {
        for (auto& r : shelfGainDb)
            r.setTargetValue (db);
    }

    void prepare (double fs, int numChannels)
    {
        sampleRate = fs;
        meanSquare.assign ((size_t) numChannels, 0.0f);
        rmsWindowMs = juce::jlimit (1.0f, 100.0f, rmsWindowMs);
        rmsCoefficient = std::exp (-1.0f / ((float) fs * juce::jmax (0.000001f, 0.001f * rmsWindowMs)));
        for (auto* ramps : { &mainAmount, &shelfGainDb })
            for (auto& r : *ramps)
                r.reset (fs, 0.02);
        shelfSampleRate = (float) fs;
        twoFs = 2.0 * (double) shelfSampleRate;
        halfT = 0.5 / (double) shelfSampleRate;
        s1.assign ((size_t) numChannels, 0.0);
        s2.assign ((size_t) numChannels, 0.0);
        linearGain.reset (fs, 0.1);
    }

    void process (juce::dsp::AudioBlock<float>& block)
    {
        const auto C = block.getNumChannels(), N = block.getNumSamples();
        if (C == 0 || N == 0)
            return;

        for (size_t c = 0; c < C; ++c)
        {
            auto* x = block.getChannelPointer (c);
            for (size_t i = 0; i < N; ++i)
            {
                const auto a = mainAmount[c].getNextValue();
                const auto d = shelfGainDb[c].getNextValue();
                cutoff = 4000.0f;
                q = 0.01f;
                R = 1.0 - (double) q;
                gainDb = juce::jlimit (-100.0f, 100.0f, d);
                linearGain.setTargetValue ((float) (std::pow (10.0, 0.05 * (double) gainDb) - 1.0));

                const auto m = meanSquare[c];
                const auto ms = m + (1.0f - rmsCoefficient) * (x[i] * x[i] - m);
                meanSquare[c] = ms;
                const auto level = 20.0f * math.log10 (juce::jmax (std::sqrt (ms + 1.0e-20f), 1.0e-9f));
                const auto n = (level - lowerThresholdDb) / (upperThresholdDb - lowerThresholdDb);
                const auto t = n < 0.0f ? 1.0f : 1.0f - juce::jmin (1.0f, n);
                const auto wet = x[i] * (0.6f * t * a * curveScale + 1.0f);
                x[i] = a * wet + (1.0f - a) * x[i];
            }
        }

        wd = 2.0 * 3.14 * (double) cutoff;
        wa = twoFs * std::tan (wd * halfT);
        g = halfT * wa;
        R2 = 2.0 * R;
        h = 1.0 / (1.0 + R2 * g + g * g);

        for (size_t c = 0; c < C; ++c)
        {
            auto* x = block.getChannelPointer (c);
            for (size_t i = 0; i < N; ++i)
            {
                const auto in = (double) x[i];
                const auto hp = h * (in - (g + R2) * s1[c] - s2[c]);
                const auto bp = g * hp + s1[c];
                s1[c] = g * hp + bp;
                const auto lp = g * bp + s2[c];
                s2[c] = g * bp + lp;
                linearGain.getNextValue();
                linearGain.getNextValue();
                const auto k = linearGain.getNextValue();
                x[i] = (float) (in + (double) k * hp);
            }
        }
    }
};

struct ReferenceChain
{
    using LR = juce::dsp::LinkwitzRileyFilter<float>;
    static constexpr float pi = 3.1415927f;

    MathFunctions math = libraryMath;
    std::unique_ptr<juce::dsp::Oversampling<float>> oversampler;
    ReferenceInflator inflator1, inflator2;

    void useMath (const MathFunctions& m)
    {
        math = inflator1.math = inflator2.math = m;
    }
    std::vector<float> punchLow, punchFast, punchSlow;
    std::array<Smoothed, 2> punchAmount, airDrive, airMix, weightDrive, weightMix, heatDrive, heatMix;
    float lowCoefficient = 0.0f, fastCoefficient = 0.0f, slowCoefficient = 0.0f;
    std::array<LR, 2> airCrossover, weightCrossover;
    LR heatLowpass;
    double fs = 44100.0;

    static void setBoth (std::array<Smoothed, 2>& r, float v)
    {
        for (auto& x : r)
            x.setTargetValue (v);
    }

    void prepare (double sampleRate, unsigned int maximumBlockSize, unsigned int numChannels, int order)
    {
        oversampler = std::make_unique<juce::dsp::Oversampling<float>> (numChannels, (size_t) order,
                                                                         juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true, false);
        oversampler->initProcessing (maximumBlockSize);
        const auto F = 1u << (unsigned int) order;
        fs = F * sampleRate;
        const juce::dsp::ProcessSpec spec { fs, maximumBlockSize * F, numChannels };
        inflator1.prepare (fs, (int) numChannels);
        inflator2.prepare (fs, (int) numChannels);
        punchLow.assign (numChannels, 0.0f);
        punchFast.assign (numChannels, 0.0f);
        punchSlow.assign (numChannels, 0.0f);
        for (auto& r : punchAmount)
            r.reset (fs, 0.02);
        lowCoefficient = std::exp (-753.98224f / (float) fs);
        fastCoefficient = std::exp (-1.0f / (0.002f * (float) fs));
        slowCoefficient = std::exp (-1.0f / (0.08f * (float) fs));
        for (auto& r : airDrive)
        {
            r.reset (fs, 0.02);
            r.setCurrentAndTargetValue (1.0f);
        }
        for (auto& r : airMix)
        {
            r.reset (fs, 0.02);
            r.setCurrentAndTargetValue (0.0f);
        }
        for (auto& f : airCrossover)
        {
            f.prepare (spec);
            f.setCutoffFrequency (8000.0f);
        }
        heatLowpass.prepare (spec);
        heatLowpass.setType (juce::dsp::LinkwitzRileyFilterType::lowpass);
        heatLowpass.setCutoffFrequency (20000.0f);
        for (auto& f : weightCrossover)
        {
            f.prepare (spec);
            f.setCutoffFrequency (500.0f);
        }
        for (auto* r : { &weightDrive, &weightMix, &heatDrive, &heatMix })
            for (auto& x : *r)
                x.reset (fs, 0.01);
    }

    void setParameters (float w, float i, float u, float a, float h)
    {
        setBoth (weightDrive, juce::Decibels::decibelsToGain (0.4f * w * 0.05f));
        setBoth (weightMix, 0.4f * w * 0.01f);
        inflator1.set_main (2.0f * i);
        inflator1.setShelfDb (2.0f * i * 0.01f);
        inflator2.set_main ((i - 50.0f) * 100.0f / 50.0f);
        setBoth (punchAmount, juce::jlimit (0.0f, 1.0f, u));
        setBoth (airDrive, juce::Decibels::decibelsToGain (0.8f * a));
        setBoth (airMix, 0.8f * a > 0.0f ? 1.0f : 0.0f);
        setBoth (heatDrive, juce::Decibels::decibelsToGain (h));
        setBoth (heatMix, h / 30.0f);
        heatLowpass.setCutoffFrequency (h * (-4000.0f) / 30.0f + 20000.0f);
    }

    void process (juce::dsp::AudioBlock<float>& block)
    {
        juce::ScopedNoDenormals noDenormals;
        auto up = oversampler->processSamplesUp (block);
        up = up.getSubsetChannelBlock (0, block.getNumChannels());

        if (up.getNumSamples() > 0)
        {
            forEach (up, [&] (size_t c, float& x)
            {
                const auto d = weightDrive[c].getNextValue();
                const auto m = weightMix[c].getNextValue();
                float low, high;
                weightCrossover[c].processSample ((int) c, x, low, high);
                x = x + m * (pi * math.atan (d * low) - low);
            });
            inflator1.process (up);
            inflator2.process (up);
            forEach (up, [&] (size_t c, float& x)
            {
                const auto d = heatDrive[c].getNextValue();
                const auto k = (1.0f / (d * 0.12f)) * 0.5f;
                const auto m = heatMix[c].getNextValue();
                const auto v = 0.96f * x;
                x = (1.0f - m) * v + m * k * pi * math.atan (0.12f * d * v);
            });
            heatLowpass.process (juce::dsp::ProcessContextReplacing<float> (up));
            heatLowpass.snapToZero();
            forEach (up, [&] (size_t c, float& x)
            {
                const auto d = airDrive[c].getNextValue();
                const auto m = airMix[c].getNextValue();
                float low, high;
                airCrossover[c].processSample ((int) c, x, low, high);
                x = (1.0f - m) * x + m * 0.92f * (low + 1.2f * math.tanh (d * high));
            });
            forEach (up, [] (size_t, float& x) { x = juce::jlimit (-0.96f, 0.96f, x); });
            forEach (up, [&] (size_t c, float& x)
            {
                const auto p = punchAmount[c].getNextValue();
                punchLow[c] = punchLow[c] + (1.0f - lowCoefficient) * (x - punchLow[c]);
                const auto e = (x - punchLow[c]) * (x - punchLow[c]);
                punchFast[c] = punchFast[c] + (1.0f - fastCoefficient) * (e - punchFast[c]);
                punchSlow[c] = punchSlow[c] + (1.0f - slowCoefficient) * (e - punchSlow[c]);
                const auto rf = std::sqrt (punchFast[c]), rs = std::sqrt (punchSlow[c]);
                const auto t = rf > rs ? 1.0f - rs / juce::jmax (0.000001f, rf) : 0.0f;
                x = x * juce::jmin (4.0f, 1.0f + 1.4f * p * t);
            });
        }

        oversampler->processSamplesDown (block);
    }

    template <typename Fn>
    static void forEach (juce::dsp::AudioBlock<float>& b, Fn&& fn)
    {
        for (size_t c = 0; c < b.getNumChannels(); ++c)
            for (size_t i = 0; i < b.getNumSamples(); ++i)
                fn (c, b.getChannelPointer (c)[i]);
    }
};

// Stand-alone parameter objects and the snapshot that points to them, for driving a
// chain without a whole plug-in.
struct ParameterSet
{
    juce::AudioParameterFloat input { juce::ParameterID { "inputID", 1 }, "Input", -30.0f, 20.0f, 0.0f };
    juce::AudioParameterFloat weight { juce::ParameterID { "bodyID", 1 }, "Weight", 0.0f, 100.0f, 0.0f };
    juce::AudioParameterFloat ignite { juce::ParameterID { "mainID", 1 }, "Ignite", 0.0f, 100.0f, 0.0f };
    juce::AudioParameterFloat punch { juce::ParameterID { "punchID", 1 }, "Punch", 0.0f, 1.0f, 0.0f };
    juce::AudioParameterFloat output { juce::ParameterID { "outputID", 1 }, "Output", -30.0f, 20.0f, 0.0f };
    juce::AudioParameterFloat air { juce::ParameterID { "air1ID", 1 }, "Air", 0.0f, 10.0f, 0.0f };
    juce::AudioParameterFloat heat { juce::ParameterID { "clipDrive1ID", 1 }, "Heat", 0.0f, 30.0f, 0.0f };
    juce::AudioParameterBool bypass { juce::ParameterID { "bypassID", 1 }, "Bypass", false };

    hoa::parameters::parameters snapshot { &input, &weight, &ignite, &punch, &air, &heat, &output, &bypass };

    void set (float w, float i, float u, float a, float h)
    {
        weight = w;
        ignite = i;
        punch = u;
        air = a;
        heat = h;
    }
};
} // namespace torka::test
