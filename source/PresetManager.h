#pragma once

#include "common/Common.h"

namespace hoa
{
// Writes the current parameter values as a preset document, reads one from a file, and
// applies the parameter attributes of a parsed document. Failures are silent: a failed
// save or load leaves everything as it was.
class PresetManager
{
public:
    PresetManager (juce::AudioProcessorValueTreeState& treeState, juce::ValueTree& variableTree, juce::String productName);

    // Writes target (its extension replaced by .xml) whole or not at all.
    void savePreset (const juce::File& target) const;

    // Applies the preset file at an absolute path whose root element is the product name, in any case.
    void loadPreset (const juce::String& path) const;

    // Applies an embedded preset document (a factory preset), under the same rule.
    void loadEmbeddedPreset (const char* data, int size) const;

    // Sets every parameter to its default: the INIT preset.
    void applyDefaults() const;

    // Applies every attribute of element and its following siblings whose name is a
    // parameter ID (and in ids, unless ids is empty).
    void applyXmlParams (const juce::XmlElement* element, const juce::StringArray& ids) const;

    // The value text of a raw parameter value: rounded to four decimal places in single
    // precision, 0 below 0.00001, written through the XML library's double conversion.
    static double valueForPreset (float raw);

    // The processor's variables tree, where the preset bar keeps the folder and the current preset.
    juce::ValueTree& variables() const noexcept { return variableTree; }

private:
    void applyDocument (const juce::XmlElement* root) const;

    juce::AudioProcessorValueTreeState& treeState;
    juce::ValueTree& variableTree;
    juce::String productName;
};
} // namespace hoa
