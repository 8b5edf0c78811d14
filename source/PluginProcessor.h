#pragma once

#include "common/Common.h"
#include "dsp/Processor.h"

#include <array>
#include <atomic>
#include <memory>

class PluginProcessor : public juce::AudioProcessor,
                        public juce::AudioProcessorValueTreeState::Listener
{
public:
    PluginProcessor();
    ~PluginProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using AudioProcessor::processBlock;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void parameterChanged (const juce::String& parameterID, float newValue) override;

    // The latency reported at the last prepareToPlay, in samples at the host rate.
    int getReportedLatency() const noexcept { return reportedLatency; }

    juce::UndoManager undoManager;
    juce::AudioProcessorValueTreeState treeState;
    juce::ValueTree variableTree;

private:
    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();
    static juce::ValueTree createVariableTree();
    void fillParameterSnapshot();

    void processSamples (juce::AudioBuffer<float>& buffer, int numChannels, bool inputIsSilent);
    void updateMeter (float peak, float& heldPeak, std::atomic<float>& meter) const;

    std::unique_ptr<hoa::parameters::parameters> parameterSnapshot;
    std::array<hoa::dsp::Processor, 5> processors;
    int reportedLatency = 0;
    bool isPrepared = false;

public:
    // Meter values for the editor: 0 is -60 dBFS or less, 1 is 0 dBFS. Written once per block.
    std::atomic<float> inputMeterLevel { 0.0f };
    std::atomic<float> outputMeterLevel { 0.0f };

private:
    float inputPeakLevel = 0.0f;
    float outputPeakLevel = 0.0f;
    float meterReleaseCoefficient = 0.0f;
    juce::AudioBuffer<float> dryBuffer;
    std::array<juce::SmoothedValue<float>, 2> bypassMix;
    juce::dsp::DelayLine<float, juce::dsp::DelayLineInterpolationTypes::None> dryDelay { 4096 };
    int preparedChannels = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginProcessor)
};
