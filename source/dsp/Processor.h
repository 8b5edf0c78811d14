#pragma once

#include "Inflator.h"
#include "LinkwitzRiley.h"
#include "common/Common.h"

#include <array>
#include <memory>
#include <vector>

namespace hoa::dsp
{
// One complete character chain: upsample, Weight, Ignite, Heat, Heat lowpass, Air, the
// +-0.96 ceiling and Punch at the raised rate, then downsample back into the block.
class Processor
{
public:
    Processor();

    // order is the oversampling order (factor 2^order), 0...4.
    void prepare (double sampleRate, unsigned int maximumBlockSize, unsigned int numChannels, int order);

    // Reads Weight, Ignite, Punch, Air and Heat and sets the ramp targets.
    void setParameters (const hoa::parameters::parameters& p);

    // Processes one host-rate block of one or two channels in place.
    void process (juce::dsp::AudioBlock<float>& block);

    // Clears every filter, detector and oversampler state without allocating, for
    // recovery after a block that overflowed.
    void clearState();

    std::unique_ptr<juce::dsp::Oversampling<float>> oversampler;

private:
    using Ramp = std::array<juce::SmoothedValue<float>, 2>;
    using Crossover = LinkwitzRiley;

    void processPiece (juce::dsp::AudioBlock<float>& block);

    // Weight, for one or two channels in one pass.
    template <size_t numChannels>
    void processWeight (juce::dsp::AudioBlock<float>& up);

    // Heat, the Heat lowpass, Air, the ceiling and Punch, sample by sample in one pass:
    // each stage sees exactly what it would if the stages ran one after the other.
    template <size_t numChannels>
    void processHeatToPunch (juce::dsp::AudioBlock<float>& up);

    // The Heat corner, kept below Nyquist at host rates under 10 kHz.
    float heatCorner (float frequency) const;

    Inflator inflator1;
    Inflator inflator2;

    std::vector<float> punchLowState;
    std::vector<float> punchFastEnergy;
    std::vector<float> punchSlowEnergy;
    size_t punchNumChannels = 2;
    Ramp punchAmount;
    double punchSampleRate = 44100.0;
    float punchLowCoefficient = 0.0f;
    float punchFastCoefficient = 0.0f;
    float punchSlowCoefficient = 0.0f;

    Ramp airDrive;
    Ramp airMix;
    std::array<Crossover, 2> airCrossover;
    Crossover heatLowpass;
    std::array<Crossover, 2> weightCrossover;
    Ramp weightDrive;
    Ramp weightMix;
    Ramp heatDrive;
    Ramp heatMix;

    size_t preparedBlockSize = 0;

    // Band-split outputs of one oversampled piece: the recursive filters run in loops of
    // their own, apart from the library calls (atan, tanh) that would force their states
    // out of registers.
    std::array<std::vector<float>, 2> lowBand, highBand;
};
} // namespace hoa::dsp
