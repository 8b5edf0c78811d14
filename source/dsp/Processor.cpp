#include "Processor.h"
#include "FastMath.h"

#include <cmath>

namespace hoa::dsp
{
namespace
{
    constexpr auto pi = juce::MathConstants<float>::pi;

    // Per-sample values of one channel's ramp; a settled ramp is read once.
    struct RampReader
    {
        explicit RampReader (juce::SmoothedValue<float>& r) : ramp (&r), moving (r.isSmoothing()), value (r.getTargetValue()) {}

        float next() { return moving ? ramp->getNextValue() : value; }

        // True when the ramp sits at v for the whole block.
        bool settledAt (float v) const { return ! moving && value == v; }

        juce::SmoothedValue<float>* ramp;
        bool moving;
        float value;
    };

    // Steps a ramp through a block whose values are not needed.
    void advance (RampReader& r, size_t n)
    {
        if (r.moving)
            for (size_t i = 0; i < n; ++i)
                r.ramp->getNextValue();
    }

    using Readers = std::array<RampReader, 2>;

    Readers readersFor (std::array<juce::SmoothedValue<float>, 2>& ramps)
    {
        return { RampReader (ramps[0]), RampReader (ramps[1]) };
    }

    void setBoth (std::array<juce::SmoothedValue<float>, 2>& ramps, float target)
    {
        for (auto& r : ramps)
            r.setTargetValue (target);
    }

    float valueOf (const juce::AudioParameterFloat* p)
    {
        return p != nullptr ? p->get() : 0.0f;
    }
} // namespace

Processor::Processor()
{
    // Nothing ever sets the second inflator's shelf: it stays at 0 dB.
    inflator2.keepShelfFlat();
}

void Processor::prepare (double sampleRate, unsigned int maximumBlockSize, unsigned int numChannels, int order)
{
    order = juce::jlimit (0, 4, order);
    oversampler = std::make_unique<juce::dsp::Oversampling<float>> ((size_t) numChannels, (size_t) order,
                                                                     juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR,
                                                                     true, false);
    oversampler->initProcessing ((size_t) maximumBlockSize);
    preparedBlockSize = maximumBlockSize;

    const auto factor = 1u << (unsigned int) order;
    const auto fs = (double) factor * sampleRate;

    inflator1.prepare (fs, (int) numChannels);
    inflator2.prepare (fs, (int) numChannels);

    const auto fsf = (float) fs;
    punchSampleRate = fs;
    punchNumChannels = numChannels;
    punchLowState.assign (numChannels, 0.0f);
    punchFastEnergy.assign (numChannels, 0.0f);
    punchSlowEnergy.assign (numChannels, 0.0f);
    for (auto& r : punchAmount)
        r.reset (fs, 0.02);
    punchLowCoefficient = std::exp (-753.98224f / fsf);
    punchFastCoefficient = std::exp (-1.0f / (0.002f * fsf));
    punchSlowCoefficient = std::exp (-1.0f / (0.08f * fsf));

    // Air always fades in from dry after a prepare.
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
        f.prepare (fs);
        f.setCutoffFrequency (8000.0f);
    }

    heatLowpass.prepare (fs);
    heatLowpass.setCutoffFrequency (heatCorner (20000.0f));

    for (auto& f : weightCrossover)
    {
        f.prepare (fs);
        f.setCutoffFrequency (500.0f);
    }

    for (auto* ramps : { &weightDrive, &weightMix, &heatDrive, &heatMix })
        for (auto& r : *ramps)
            r.reset (fs, 0.01);

    for (auto* bands : { &lowBand, &highBand })
        for (auto& band : *bands)
            band.assign ((size_t) maximumBlockSize * factor, 0.0f);
}

float Processor::heatCorner (float frequency) const
{
    return juce::jmin (frequency, 0.49f * (float) punchSampleRate);
}

void Processor::setParameters (const hoa::parameters::parameters& p)
{
    const auto w = valueOf (p.weight);
    const auto i = valueOf (p.ignite);
    const auto u = valueOf (p.punch);
    const auto a = valueOf (p.air);
    const auto h = valueOf (p.heat);

    setBoth (weightDrive, juce::Decibels::decibelsToGain (0.4f * w * 0.05f));
    setBoth (weightMix, 0.4f * w * 0.01f);

    inflator1.set_main (2.0f * i);
    setBoth (inflator1.shelfGainDb, 2.0f * i * 0.01f);
    inflator2.set_main ((i - 50.0f) * 100.0f / 50.0f);

    setBoth (punchAmount, juce::jlimit (0.0f, 1.0f, u));

    setBoth (airDrive, juce::Decibels::decibelsToGain (0.8f * a));
    setBoth (airMix, 0.8f * a > 0.0f ? 1.0f : 0.0f);

    setBoth (heatDrive, juce::Decibels::decibelsToGain (h));
    setBoth (heatMix, h / 30.0f);
    heatLowpass.setCutoffFrequency (heatCorner (h * -4000.0f / 30.0f + 20000.0f));
}

void Processor::process (juce::dsp::AudioBlock<float>& block)
{
    juce::ScopedNoDenormals noDenormals;

    const auto numChannels = juce::jmin (block.getNumChannels(), punchNumChannels, (size_t) 2);
    if (oversampler == nullptr || numChannels == 0 || preparedBlockSize == 0)
        return;

    auto channels = block.getSubsetChannelBlock (0, numChannels);

    // A block longer than prepared runs in pieces that the oversampler can hold.
    for (size_t start = 0; start < channels.getNumSamples(); start += preparedBlockSize)
    {
        auto piece = channels.getSubBlock (start, juce::jmin (preparedBlockSize, channels.getNumSamples() - start));
        processPiece (piece);
    }
}

void Processor::processPiece (juce::dsp::AudioBlock<float>& block)
{
    // The oversampler hands back all the channels it was prepared for; only the block's count are ours.
    auto up = oversampler->processSamplesUp (block);
    if (up.getNumChannels() > block.getNumChannels())
        up = up.getSubsetChannelBlock (0, block.getNumChannels());

    if (up.getNumChannels() > 0 && up.getNumSamples() > 0)
    {
        const auto stereo = up.getNumChannels() > 1;
        stereo ? processWeight<2> (up) : processWeight<1> (up);
        inflator1.process (up);
        inflator2.process (up);
        stereo ? processHeatToPunch<2> (up) : processHeatToPunch<1> (up);
    }

    oversampler->processSamplesDown (block);
}

void Processor::clearState()
{
    if (oversampler != nullptr)
        oversampler->reset();

    const auto fs = punchSampleRate;
    inflator1.prepare (fs, (int) punchNumChannels);
    inflator2.prepare (fs, (int) punchNumChannels);
    std::fill (punchLowState.begin(), punchLowState.end(), 0.0f);
    std::fill (punchFastEnergy.begin(), punchFastEnergy.end(), 0.0f);
    std::fill (punchSlowEnergy.begin(), punchSlowEnergy.end(), 0.0f);

    for (auto& f : airCrossover)
        f.reset();
    heatLowpass.reset();
    for (auto& f : weightCrossover)
        f.reset();
}

template <size_t numChannels>
void Processor::processWeight (juce::dsp::AudioBlock<float>& up)
{
    const auto n = up.getNumSamples();
    float* x[numChannels];
    float* lowOut[numChannels];
    LinkwitzRiley::State state[numChannels];
    LinkwitzRiley::Coefficients k[numChannels];

    for (size_t c = 0; c < numChannels; ++c)
    {
        x[c] = up.getChannelPointer (c);
        lowOut[c] = lowBand[c].data();
        state[c] = weightCrossover[c].state (c);
        k[c] = weightCrossover[c].coefficients();
    }

   #if defined(__GNUC__) || defined(__clang__)
    if constexpr (numChannels == 2)
    {
        auto lanes = LinkwitzRiley::laneState (state[0], state[1]);
        const auto laneK = LinkwitzRiley::laneCoefficients (k[0], k[1]);
        for (size_t i = 0; i < n; ++i)
        {
            LinkwitzRiley::Lanes low, high;
            LinkwitzRiley::split (laneK, lanes, LinkwitzRiley::Lanes { x[0][i], x[1][i], 0, 0 }, low, high);
            lowOut[0][i] = low[0];
            lowOut[1][i] = low[1];
        }
        LinkwitzRiley::unpack (lanes, state[0], state[1]);
    }
    else
   #endif
    {
        for (size_t i = 0; i < n; ++i)
            for (size_t c = 0; c < numChannels; ++c)
            {
                float high;
                LinkwitzRiley::split (k[c], state[c], x[c][i], lowOut[c][i], high);
            }
    }

    for (size_t c = 0; c < numChannels; ++c)
    {
        weightCrossover[c].state (c) = state[c];

        RampReader drive (weightDrive[c]), mix (weightMix[c]);
        auto* out = x[c];
        const auto* low = lowOut[c];

        if (mix.settledAt (0.0f))
        {
            advance (drive, n);
        }
        else if (! drive.moving && ! mix.moving)
        {
            const auto d = drive.value, m = mix.value;
            for (size_t i = 0; i < n; ++i)
                out[i] = out[i] + m * (pi * fast::atan (d * low[i]) - low[i]);
        }
        else
        {
            for (size_t i = 0; i < n; ++i)
            {
                const auto d = drive.next();
                const auto m = mix.next();
                out[i] = out[i] + m * (pi * fast::atan (d * low[i]) - low[i]);
            }
        }
    }
}

template <size_t numChannels>
void Processor::processHeatToPunch (juce::dsp::AudioBlock<float>& up)
{
    const auto n = up.getNumSamples();
    float* x[numChannels];
    for (size_t c = 0; c < numChannels; ++c)
        x[c] = up.getChannelPointer (c);

    // Heat: a 0.96 scale, blended with an arctangent of the driven signal.
    for (size_t c = 0; c < numChannels; ++c)
    {
        RampReader drive (heatDrive[c]), mix (heatMix[c]);
        auto* out = x[c];

        if (mix.settledAt (0.0f))
        {
            advance (drive, n);
            for (size_t i = 0; i < n; ++i)
                out[i] = 0.96f * out[i];
        }
        else if (! drive.moving && ! mix.moving)
        {
            const auto d = drive.value, m = mix.value;
            const auto k = (1.0f / (d * 0.12f)) * 0.5f;
            const auto wet = m * k * pi, dryShare = 1.0f - m, gain = 0.12f * d;
            for (size_t i = 0; i < n; ++i)
            {
                const auto v = 0.96f * out[i];
                out[i] = dryShare * v + wet * fast::atan (gain * v);
            }
        }
        else
        {
            for (size_t i = 0; i < n; ++i)
            {
                const auto d = drive.next();
                const auto k = (1.0f / (d * 0.12f)) * 0.5f;
                const auto m = mix.next();
                const auto v = 0.96f * out[i];
                out[i] = (1.0f - m) * v + m * k * pi * fast::atan (0.12f * d * v);
            }
        }
    }

    // The Heat lowpass, then the Air band split, both channels in one pass.
    {
        LinkwitzRiley::State lowpass[numChannels], air[numChannels];
        LinkwitzRiley::Coefficients airK[numChannels];
        const auto lowpassK = heatLowpass.coefficients();
        for (size_t c = 0; c < numChannels; ++c)
        {
            lowpass[c] = heatLowpass.state (c);
            air[c] = airCrossover[c].state (c);
            airK[c] = airCrossover[c].coefficients();
        }

       #if defined(__GNUC__) || defined(__clang__)
        if constexpr (numChannels == 2)
        {
            auto lowpassLanes = LinkwitzRiley::laneState (lowpass[0], lowpass[1]);
            auto airLanes = LinkwitzRiley::laneState (air[0], air[1]);
            const auto lowpassLaneK = LinkwitzRiley::laneCoefficients (lowpassK, lowpassK);
            const auto airLaneK = LinkwitzRiley::laneCoefficients (airK[0], airK[1]);
            for (size_t i = 0; i < n; ++i)
            {
                const auto v = LinkwitzRiley::lowpass (lowpassLaneK, lowpassLanes, LinkwitzRiley::Lanes { x[0][i], x[1][i], 0, 0 });
                LinkwitzRiley::Lanes low, high;
                LinkwitzRiley::split (airLaneK, airLanes, v, low, high);
                x[0][i] = v[0];
                x[1][i] = v[1];
                lowBand[0][i] = low[0];
                lowBand[1][i] = low[1];
                highBand[0][i] = high[0];
                highBand[1][i] = high[1];
            }
            LinkwitzRiley::unpack (lowpassLanes, lowpass[0], lowpass[1]);
            LinkwitzRiley::unpack (airLanes, air[0], air[1]);
        }
        else
       #endif
        {
            for (size_t i = 0; i < n; ++i)
                for (size_t c = 0; c < numChannels; ++c)
                {
                    const auto v = LinkwitzRiley::lowpass (lowpassK, lowpass[c], x[c][i]);
                    x[c][i] = v;
                    LinkwitzRiley::split (airK[c], air[c], v, lowBand[c][i], highBand[c][i]);
                }
        }

        for (size_t c = 0; c < numChannels; ++c)
        {
            heatLowpass.state (c) = lowpass[c];
            airCrossover[c].state (c) = air[c];
        }
        heatLowpass.snapToZero();
    }

    // Air: the band above 8 kHz through a hyperbolic tangent; then the ceiling.
    {
        juce::ScopedNoDenormals noDenormals;
        for (size_t c = 0; c < numChannels; ++c)
        {
            RampReader drive (airDrive[c]), mix (airMix[c]);
            const auto* low = lowBand[c].data();
            const auto* high = highBand[c].data();
            auto* out = x[c];

            if (mix.settledAt (0.0f))
            {
                advance (drive, n);
            }
            else if (! drive.moving && ! mix.moving)
            {
                const auto d = drive.value, m = mix.value;
                const auto dryShare = 1.0f - m, wet = m * 0.92f;
                for (size_t i = 0; i < n; ++i)
                    out[i] = dryShare * out[i] + wet * (low[i] + 1.2f * fast::tanh (d * high[i]));
            }
            else
            {
                for (size_t i = 0; i < n; ++i)
                {
                    const auto d = drive.next();
                    const auto m = mix.next();
                    out[i] = (1.0f - m) * out[i] + m * 0.92f * (low[i] + 1.2f * fast::tanh (d * high[i]));
                }
            }

            for (size_t i = 0; i < n; ++i)
                out[i] = juce::jlimit (-0.96f, 0.96f, out[i]);
        }
    }

    // Punch: gain from the fast level's lead over the slow one, above 120 Hz.
    {
        juce::ScopedNoDenormals noDenormals;
        const auto lowKeep = 1.0f - punchLowCoefficient;
        const auto fastKeep = 1.0f - punchFastCoefficient;
        const auto slowKeep = 1.0f - punchSlowCoefficient;
        float low[numChannels], fast[numChannels], slow[numChannels];
        bool off[numChannels];
        auto amount = readersFor (punchAmount);

        for (size_t c = 0; c < numChannels; ++c)
        {
            low[c] = punchLowState[c];
            fast[c] = punchFastEnergy[c];
            slow[c] = punchSlowEnergy[c];
            off[c] = amount[c].settledAt (0.0f);
        }

        for (size_t i = 0; i < n; ++i)
            for (size_t c = 0; c < numChannels; ++c)
            {
                const auto v = x[c][i];
                const auto p = amount[c].next();
                low[c] = low[c] + lowKeep * (v - low[c]);
                const auto e = (v - low[c]) * (v - low[c]);
                fast[c] = fast[c] + fastKeep * (e - fast[c]);
                slow[c] = slow[c] + slowKeep * (e - slow[c]);

                if (off[c])
                    continue;

                // Computed whether or not it is used: a branch here would be mispredicted
                // at every turn of the signal.
                const auto rf = std::sqrt (fast[c]);
                const auto rs = std::sqrt (slow[c]);
                const auto t = rf > rs ? 1.0f - rs / juce::jmax (0.000001f, rf) : 0.0f;
                x[c][i] = v * juce::jmin (4.0f, 1.0f + 1.4f * p * t);
            }

        for (size_t c = 0; c < numChannels; ++c)
        {
            punchLowState[c] = low[c];
            punchFastEnergy[c] = fast[c];
            punchSlowEnergy[c] = slow[c];
        }
    }
}
} // namespace hoa::dsp
