// Real-time factor of the whole plug-in: seconds of stereo audio processed per CPU
// second, in 512-sample blocks, with every control at 0 and with a busy setting (every
// control mid-range). Printed as the "realtime" counter, side by side in one run.
//
//   build/bench/torka_bench [--benchmark_repetitions=3]

#include "PluginProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
constexpr int blockSize = 512;

void setMidRange (PluginProcessor& p)
{
    for (auto* param : p.getParameters())
        if (param->getName (32) != "Bypass" && param->getName (32) != "Input" && param->getName (32) != "Output")
            param->setValueNotifyingHost (0.5f);
}

void wholePlugin (benchmark::State& state, bool busy)
{
    const auto rate = (double) state.range (0);
    juce::ScopedJuceInitialiser_GUI juce;
    PluginProcessor processor;
    if (busy)
        setMidRange (processor);
    processor.prepareToPlay (rate, blockSize);

    juce::AudioBuffer<float> block (2, blockSize);
    juce::Random random (1);
    juce::MidiBuffer midi;
    std::vector<float> source (blockSize * 64);
    for (auto& s : source)
        s = 0.25f * (random.nextFloat() * 2.0f - 1.0f);

    size_t position = 0;
    for (auto _ : state)
    {
        for (int c = 0; c < 2; ++c)
            block.copyFrom (c, 0, source.data() + position, blockSize);
        position = (position + blockSize) % (source.size() - blockSize);
        processor.processBlock (block, midi);
        benchmark::DoNotOptimize (block.getReadPointer (0));
    }

    const auto audioSeconds = (double) state.iterations() * blockSize / rate;
    state.counters["realtime"] = benchmark::Counter (audioSeconds, benchmark::Counter::kIsRate);
}

void allControlsAtZero (benchmark::State& state) { wholePlugin (state, false); }
void busySetting (benchmark::State& state) { wholePlugin (state, true); }
} // namespace

BENCHMARK (allControlsAtZero)->Arg (44100)->Arg (48000)->Arg (96000)->Unit (benchmark::kMicrosecond);
BENCHMARK (busySetting)->Arg (44100)->Arg (48000)->Arg (96000)->Unit (benchmark::kMicrosecond);

BENCHMARK_MAIN();
