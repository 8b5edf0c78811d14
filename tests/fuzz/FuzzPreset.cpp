// libFuzzer target: preset documents through the loader.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static juce::ScopedJuceInitialiser_GUI juce;
    static PluginProcessor processor;

    if (! torka::fuzz::runPresetInput (processor, data, size))
        __builtin_trap();
    return 0;
}
