#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Strings shared by the processor, the presets and the editor. Saved states and
// preset files key parameter values by the ID strings, so they must never change.
namespace hoa
{
namespace parameters
{
    inline const juce::String inputID  { "inputID" };
    inline const juce::String weightID { "bodyID" };
    inline const juce::String igniteID { "mainID" };
    inline const juce::String punchID  { "punchID" };
    inline const juce::String airID    { "air1ID" };
    inline const juce::String outputID { "outputID" };
    inline const juce::String heatID   { "clipDrive1ID" };
    inline const juce::String bypassID { "bypassID" };

    inline const juce::String inputName  { "Input" };
    inline const juce::String weightName { "Weight" };
    inline const juce::String igniteName { "Ignite" };
    inline const juce::String punchName  { "Punch" };
    inline const juce::String airName    { "Air" };
    inline const juce::String outputName { "Output" };
    inline const juce::String heightName { "Heat" };
    inline const juce::String bypassName { "Bypass" };

    // Non-owning view of the parameter objects; the audio thread reads each value
    // once per block through it.
    struct parameters
    {
        juce::AudioParameterFloat* input  = nullptr;
        juce::AudioParameterFloat* weight = nullptr;
        juce::AudioParameterFloat* ignite = nullptr;
        juce::AudioParameterFloat* punch  = nullptr;
        juce::AudioParameterFloat* air    = nullptr;
        juce::AudioParameterFloat* heat   = nullptr;
        juce::AudioParameterFloat* output = nullptr;
        juce::AudioParameterBool*  bypass = nullptr;
    };
} // namespace parameters

namespace TreeItems
{
    inline const juce::String presetFolder { "presetFolder" };
    inline const juce::String currentPreset { "currentPreset" };
} // namespace TreeItems

namespace Globals
{
    inline const juce::String company { "HollowOakAudio/" };
    inline const juce::String productName { "TORKA" };
} // namespace Globals
} // namespace hoa
