#include "PluginProcessor.h"
#include "PluginEditor.h"
#include "common/Numbers.h"
#include "common/StateReader.h"

#include <cmath>

PluginProcessor::PluginProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      treeState (*this, &undoManager, "PARAMETERS", createParameterLayout()),
      variableTree (createVariableTree())
{
    fillParameterSnapshot();
}

PluginProcessor::~PluginProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout PluginProcessor::createParameterLayout()
{
    using namespace hoa::parameters;

    std::vector<std::unique_ptr<juce::RangedAudioParameter>> params;
    const auto addFloat = [&params] (const juce::String& id, const juce::String& name, float min, float max)
    {
        // Typed text goes through the safe parser; text that is not a number reads as the default.
        const auto attributes = juce::AudioParameterFloatAttributes().withValueFromStringFunction ([] (const juce::String& text)
        {
            const auto value = (float) hoa::parseNumber (text);
            return std::isnan (value) ? 0.0f : value;
        });
        params.push_back (std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 1 }, name,
                                                                       juce::NormalisableRange<float> (min, max, 0.01f),
                                                                       0.0f, attributes));
    };

    addFloat (inputID, inputName, -30.0f, 20.0f);
    addFloat (weightID, weightName, 0.0f, 100.0f);
    addFloat (igniteID, igniteName, 0.0f, 100.0f);
    addFloat (punchID, punchName, 0.0f, 1.0f);
    addFloat (outputID, outputName, -30.0f, 20.0f);
    addFloat (airID, airName, 0.0f, 10.0f);
    addFloat (heatID, heightName, 0.0f, 30.0f);
    params.push_back (std::make_unique<juce::AudioParameterBool> (juce::ParameterID { bypassID, 1 }, bypassName, false));

    return { std::make_move_iterator (params.begin()), std::make_move_iterator (params.end()) };
}

juce::ValueTree PluginProcessor::createVariableTree()
{
    juce::ValueTree tree ("Variables");

    juce::ValueTree folder ("Parameter");
    folder.setProperty ("id", hoa::TreeItems::presetFolder, nullptr);
    folder.setProperty ("value", juce::String(), nullptr);
    tree.appendChild (folder, nullptr);

    juce::ValueTree size ("Parameter");
    size.setProperty ("id", "size", nullptr);
    size.setProperty ("value", 2, nullptr);
    tree.appendChild (size, nullptr);

    return tree;
}

void PluginProcessor::fillParameterSnapshot()
{
    parameterSnapshot = std::make_unique<hoa::parameters::parameters>();
    auto& p = *parameterSnapshot;

    const auto lookUp = [this] (auto*& field, const juce::String& id)
    {
        field = dynamic_cast<std::remove_pointer_t<std::remove_reference_t<decltype (field)>>*> (treeState.getParameter (id));
    };

    using namespace hoa::parameters;
    lookUp (p.input, inputID);
    lookUp (p.weight, weightID);
    lookUp (p.ignite, igniteID);
    lookUp (p.punch, punchID);
    lookUp (p.air, airID);
    lookUp (p.output, outputID);
    lookUp (p.heat, heatID);
    lookUp (p.bypass, bypassID);
}

const juce::String PluginProcessor::getName() const { return hoa::Globals::productName; }

namespace
{
constexpr int processingOrder = 2;

float peakOf (const juce::AudioBuffer<float>& buffer, int numChannels)
{
    float peak = 0.0f;
    for (int c = 0; c < numChannels; ++c)
    {
        const auto* x = buffer.getReadPointer (c);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            peak = juce::jmax (peak, std::abs (x[i]));
    }
    return peak;
}

// NaN or infinity must never reach the filters and detectors, whose states would keep
// it for ever: such samples count as silence.
void replaceNonFinite (juce::AudioBuffer<float>& buffer, int numChannels)
{
    for (int c = 0; c < numChannels; ++c)
    {
        auto* x = buffer.getWritePointer (c);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (x[i]))
                x[i] = 0.0f;
    }
}

bool allFinite (const juce::AudioBuffer<float>& buffer, int numChannels)
{
    for (int c = 0; c < numChannels; ++c)
    {
        // x * 0 is 0 for every finite x and NaN otherwise; this form vectorises.
        const auto* x = buffer.getReadPointer (c);
        float sum = 0.0f;
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            sum += x[i] * 0.0f;
        if (sum != 0.0f)
            return false;
    }
    return true;
}
} // namespace

void PluginProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    isPrepared = sampleRate > 0.0 && std::isfinite (sampleRate);
    if (! isPrepared)
        return;

    const auto numChannels = juce::jlimit (1, 2, getTotalNumOutputChannels());
    const auto maximumBlock = juce::jmax (1, samplesPerBlock);
    preparedChannels = numChannels;

    for (int order = 0; order < (int) processors.size(); ++order)
        processors[(size_t) order].prepare (sampleRate, (unsigned int) maximumBlock, (unsigned int) numChannels, order);

    for (auto& ramp : bypassMix)
    {
        ramp.reset (sampleRate, 0.02);
        ramp.setCurrentAndTargetValue (1.0f);
    }

    auto& chain = processors[processingOrder];
    chain.setParameters (*parameterSnapshot);

    const auto latency = chain.oversampler != nullptr ? (int) chain.oversampler->getLatencyInSamples() : 0;
    setLatencySamples (latency);
    reportedLatency = latency;

    dryDelay.prepare ({ sampleRate, (juce::uint32) maximumBlock, (juce::uint32) numChannels });
    dryDelay.reset();
    dryDelay.setDelay ((float) juce::jlimit (0, 4096, latency));

    meterReleaseCoefficient = 1.0f - std::pow (10.0f, -20.0f / (20.0f * (float) sampleRate / (float) maximumBlock));

    dryBuffer.setSize (numChannels, maximumBlock);
}

void PluginProcessor::releaseResources() {}

void PluginProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    // Channels beyond the prepared output count are input-only: the host ignores them.
    const auto numChannels = juce::jmin (buffer.getNumChannels(), preparedChannels);

    if (! isPrepared || buffer.getNumSamples() == 0 || numChannels == 0)
        return;

    const auto inputIsSilent = buffer.hasBeenCleared();
    replaceNonFinite (buffer, numChannels);
    processSamples (buffer, numChannels, inputIsSilent);
}

void PluginProcessor::processSamples (juce::AudioBuffer<float>& buffer, int numChannels, bool inputIsSilent)
{
    const auto numSamples = buffer.getNumSamples();

    // The unprocessed input, delayed by the reported latency.
    dryBuffer.setSize (numChannels, numSamples, false, false, true);
    for (int c = 0; c < numChannels; ++c)
    {
        auto* dry = dryBuffer.getWritePointer (c);
        if (inputIsSilent)
            juce::FloatVectorOperations::clear (dry, numSamples);
        else
            juce::FloatVectorOperations::copy (dry, buffer.getReadPointer (c), numSamples);

        for (int i = 0; i < numSamples; ++i)
        {
            dryDelay.pushSample (c, dry[i]);
            dry[i] = dryDelay.popSample (c);
        }
    }

    auto& chain = processors[processingOrder];
    chain.setParameters (*parameterSnapshot);

    const auto bypassOn = parameterSnapshot->bypass != nullptr && parameterSnapshot->bypass->get();
    for (auto& ramp : bypassMix)
        ramp.setTargetValue (bypassOn ? 0.0f : 1.0f);

    if (bypassOn && ! bypassMix[0].isSmoothing())
    {
        for (auto& ramp : bypassMix)
            ramp.skip (numSamples);
        for (int c = 0; c < numChannels; ++c)
            buffer.copyFrom (c, 0, dryBuffer, c, 0, numSamples);

        updateMeter (peakOf (buffer, numChannels), inputPeakLevel, inputMeterLevel);
        outputPeakLevel = inputPeakLevel;
        outputMeterLevel = inputMeterLevel.load();
        return;
    }

    const auto inputGain = juce::Decibels::decibelsToGain (parameterSnapshot->input->get());
    for (int c = 0; c < numChannels; ++c)
        buffer.applyGain (c, 0, numSamples, inputGain);
    updateMeter (peakOf (buffer, numChannels), inputPeakLevel, inputMeterLevel);

    juce::dsp::AudioBlock<float> block (buffer.getArrayOfWritePointers(), (size_t) numChannels, (size_t) numSamples);
    chain.process (block);

    // Only an absurdly loud finite input can overflow inside the chain; start it afresh
    // rather than let its states stay non-finite.
    if (! allFinite (buffer, numChannels))
    {
        replaceNonFinite (buffer, numChannels);
        chain.clearState();
    }

    const auto outputGain = juce::Decibels::decibelsToGain (parameterSnapshot->output->get());
    for (int c = 0; c < numChannels; ++c)
        buffer.applyGain (c, 0, numSamples, outputGain);
    updateMeter (peakOf (buffer, numChannels), outputPeakLevel, outputMeterLevel);

    for (int c = 0; c < numChannels; ++c)
    {
        auto& ramp = bypassMix[(size_t) c];
        if (! ramp.isSmoothing() && ramp.getTargetValue() == 1.0f)
            continue;

        auto* out = buffer.getWritePointer (c);
        const auto* dry = dryBuffer.getReadPointer (c);
        for (int i = 0; i < numSamples; ++i)
        {
            const auto w = ramp.getNextValue();
            out[i] = w * out[i] + (1.0f - w) * dry[i];
        }
    }
}

void PluginProcessor::updateMeter (float peak, float& heldPeak, std::atomic<float>& meter) const
{
    if (peak >= heldPeak)
        heldPeak = peak;
    else
        heldPeak *= 1.0f - meterReleaseCoefficient;

    meter = heldPeak <= 0.0f ? 0.0f : (juce::jmax (20.0f * std::log10 (heldPeak), -60.0f) + 60.0f) / 60.0f;
}

double PluginProcessor::getTailLengthSeconds() const { return 0.0; }
bool PluginProcessor::acceptsMidi() const { return false; }
bool PluginProcessor::producesMidi() const { return false; }
bool PluginProcessor::isMidiEffect() const { return false; }

juce::AudioProcessorEditor* PluginProcessor::createEditor() { return new PluginEditor (*this); }
bool PluginProcessor::hasEditor() const { return true; }

int PluginProcessor::getNumPrograms() { return 1; }
int PluginProcessor::getCurrentProgram() { return 0; }
void PluginProcessor::setCurrentProgram (int) {}
const juce::String PluginProcessor::getProgramName (int) { return {}; }
void PluginProcessor::changeProgramName (int, const juce::String&) {}

void PluginProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    auto state = treeState.copyState();

    auto previous = state.getChildWithName ("Variables");
    if (previous.isValid())
        state.removeChild (previous, nullptr);

    state.appendChild (variableTree.createCopy(), nullptr);

    juce::MemoryOutputStream stream (destData, false);
    state.writeToStream (stream);
}

void PluginProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto tree = hoa::readStateTree (data, sizeInBytes);

    if (! tree.isValid())
        return;

    hoa::keepCurrentValuesWhereUnset (tree, treeState);
    treeState.replaceState (tree);

    auto variables = tree.getChildWithName ("Variables");
    if (variables.isValid())
        variableTree = variables;
}

bool PluginProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto out = layouts.getMainOutputChannelSet();
    return out == juce::AudioChannelSet::mono() || out == juce::AudioChannelSet::stereo();
}

void PluginProcessor::parameterChanged (const juce::String&, float) {}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new PluginProcessor();
}
