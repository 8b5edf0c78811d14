// libFuzzer target: state blobs into setStateInformation.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static juce::ScopedJuceInitialiser_GUI juce;
    static PluginProcessor processor;

    if (! torka::fuzz::runStateInput (processor, data, size))
        __builtin_trap();
    return 0;
}
