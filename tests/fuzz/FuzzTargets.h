#pragma once

// What the fuzzers feed, shared with the regression test that replays every input a
// fuzzer ever found: a state blob into setStateInformation, and a preset document
// through the loader. Each returns false when an invariant breaks.

#include "PluginProcessor.h"
#include "PresetLibrary.h"
#include "PresetManager.h"

#include <cmath>

namespace torka::fuzz
{
inline bool parametersInRange (PluginProcessor& p)
{
    for (auto* param : p.getParameters())
    {
        const auto v = param->getValue();
        if (! std::isfinite (v) || v < 0.0f || v > 1.0f)
            return false;
    }
    return true;
}

// Any blob: nothing crashes, parameters stay finite and in range, and a state saved
// afterwards restores to itself byte for byte. The blob goes in twice, the second time
// over the state it left, which is rarely the default one.
inline bool runStateInput (PluginProcessor& p, const void* data, size_t size)
{
    const auto sizeInBytes = (int) juce::jmin (size, (size_t) std::numeric_limits<int>::max());

    for (int pass = 0; pass < 2; ++pass)
    {
        p.setStateInformation (data, sizeInBytes);
        if (! parametersInRange (p))
            return false;

        juce::MemoryBlock saved, again;
        p.getStateInformation (saved);
        p.setStateInformation (saved.getData(), (int) saved.getSize());
        p.getStateInformation (again);
        if (saved != again || ! parametersInRange (p))
            return false;
    }
    return true;
}

// Any bytes as a preset file: nothing crashes and every parameter stays in range.
inline bool runPresetInput (PluginProcessor& p, const void* data, size_t size)
{
    const hoa::PresetManager manager (p.treeState, p.variableTree, "TORKA");
    const auto root = hoa::presets::parseBytes (data, size);
    if (root != nullptr && root->hasTagName ("TORKA"))
        manager.applyXmlParams (root->getFirstChildElement(), {});
    return parametersInRange (p);
}
} // namespace torka::fuzz
