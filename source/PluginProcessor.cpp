#include "PluginProcessor.h"
#include "PluginEditor.h"
#include "common/StateReader.h"

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
        params.push_back (std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { id, 1 }, name, min, max, 0.0f));
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

void PluginProcessor::prepareToPlay (double, int) {}

void PluginProcessor::releaseResources() {}

void PluginProcessor::processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) {}

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
