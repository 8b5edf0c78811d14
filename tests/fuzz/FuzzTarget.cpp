// libFuzzer target: state blobs into setStateInformation (TORKA_FUZZ_STATE), or
// preset files through the loader.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // Never destroyed: JUCE's shutdown list would otherwise outlive its own statics.
    static const auto* juce = new juce::ScopedJuceInitialiser_GUI();
    juce::ignoreUnused (juce);

    // A fresh processor per input, so that every crash reproduces from its input alone.
    PluginProcessor processor;

   #if TORKA_FUZZ_STATE
    const auto ok = torka::fuzz::runStateInput (processor, data, size);
   #else
    const auto ok = torka::fuzz::runPresetInput (processor, data, size);
   #endif

    if (! ok)
        __builtin_trap();
    return 0;
}
