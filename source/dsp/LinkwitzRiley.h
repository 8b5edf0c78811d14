#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cmath>

namespace hoa::dsp
{
// Fourth-order Linkwitz-Riley filter (two cascaded TPT state-variable sections), with
// the same arithmetic, in the same order, as juce::dsp::LinkwitzRileyFilter<float>, so
// its output is identical sample for sample. It is inline and keeps its states in plain
// arrays, so a chain can run it for both channels in one pass with the states in
// registers, instead of one out-of-line call per sample. The per-sample steps take a
// float, or a vector whose lanes each do exactly the float arithmetic (both channels).
class LinkwitzRiley
{
public:
    static constexpr size_t maximumChannels = 2;

    template <typename T>
    struct StateOf
    {
        T s1 {}, s2 {}, s3 {}, s4 {};
    };

    template <typename T>
    struct CoefficientsOf
    {
        T g {}, R2 {}, h {};
    };

    using State = StateOf<float>;
    using Coefficients = CoefficientsOf<float>;

    void prepare (double newSampleRate)
    {
        sampleRate = newSampleRate;
        update();
        reset();
    }

    void setCutoffFrequency (float frequency)
    {
        cutoffFrequency = frequency;
        update();
    }

    void reset() { states.fill ({}); }

    // States whose magnitude is at most 1e-8 become 0, so decays end in true silence.
    void snapToZero()
    {
        for (auto& s : states)
            for (auto* v : { &s.s1, &s.s2, &s.s3, &s.s4 })
                if (! (*v < -1.0e-8f || *v > 1.0e-8f))
                    *v = 0.0f;
    }

    const Coefficients& coefficients() const noexcept { return coeffs; }
    State& state (size_t channel) noexcept { return states[channel]; }

    // Splits x into the low band and its complement.
    template <typename T>
    static void split (const CoefficientsOf<T>& k, StateOf<T>& s, T x, T& low, T& high) noexcept
    {
        const auto yH = (x - (k.R2 + k.g) * s.s1 - s.s2) * k.h;
        const auto yB = k.g * yH + s.s1;
        s.s1 = k.g * yH + yB;
        const auto yL = k.g * yB + s.s2;
        s.s2 = k.g * yB + yL;

        const auto yH2 = (yL - (k.R2 + k.g) * s.s3 - s.s4) * k.h;
        const auto yB2 = k.g * yH2 + s.s3;
        s.s3 = k.g * yH2 + yB2;
        const auto yL2 = k.g * yB2 + s.s4;
        s.s4 = k.g * yB2 + yL2;

        low = yL2;
        high = yL - k.R2 * yB + yH - yL2;
    }

    // The low band alone (the complement's arithmetic is dropped by the compiler).
    template <typename T>
    static T lowpass (const CoefficientsOf<T>& k, StateOf<T>& s, T x) noexcept
    {
        T low, high;
        split (k, s, x, low, high);
        return low;
    }

   #if defined(__GNUC__) || defined(__clang__)
    // Both channels at once, one per lane (the upper two lanes idle at zero).
    using Lanes = float __attribute__ ((vector_size (16)));

    static CoefficientsOf<Lanes> laneCoefficients (const Coefficients& left, const Coefficients& right)
    {
        return { Lanes { left.g, right.g, left.g, right.g }, Lanes { left.R2, right.R2, left.R2, right.R2 },
                 Lanes { left.h, right.h, left.h, right.h } };
    }

    static StateOf<Lanes> laneState (const State& left, const State& right)
    {
        return { Lanes { left.s1, right.s1, 0, 0 }, Lanes { left.s2, right.s2, 0, 0 },
                 Lanes { left.s3, right.s3, 0, 0 }, Lanes { left.s4, right.s4, 0, 0 } };
    }

    static void unpack (const StateOf<Lanes>& lanes, State& left, State& right)
    {
        left = { lanes.s1[0], lanes.s2[0], lanes.s3[0], lanes.s4[0] };
        right = { lanes.s1[1], lanes.s2[1], lanes.s3[1], lanes.s4[1] };
    }
   #endif

private:
    void update()
    {
        coeffs.g = (float) std::tan (juce::MathConstants<double>::pi * cutoffFrequency / sampleRate);
        coeffs.R2 = (float) std::sqrt (2.0);
        coeffs.h = (float) (1.0 / (1.0 + coeffs.R2 * coeffs.g + coeffs.g * coeffs.g));
    }

    double sampleRate = 44100.0;
    float cutoffFrequency = 2000.0f;
    Coefficients coeffs;
    std::array<State, maximumChannels> states {};
};
} // namespace hoa::dsp
