// Loads TORKA bundles the way a DAW does and renders a generated test signal through
// each, to show that the built or installed plug-ins work in a real host.
//
//   torka-host [--rate HZ] [--seconds S] [--block N] [--out DIR] BUNDLE...

#include "PluginHosting.h"

#include <iostream>

namespace
{
int usage()
{
    std::cerr << "usage: torka-host [--rate HZ] [--seconds S] [--block N] [--out DIR] BUNDLE.vst3|BUNDLE.lv2...\n";
    return 2;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juceInitialiser;

    double rate = 48000.0, seconds = 2.0;
    int block = 512;
    auto outDir = juce::File::getCurrentWorkingDirectory();
    juce::Array<juce::File> bundles;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        const auto hasValue = i + 1 < argc;

        if (arg == "--rate" && hasValue)
            rate = juce::String (argv[++i]).getDoubleValue();
        else if (arg == "--seconds" && hasValue)
            seconds = juce::String (argv[++i]).getDoubleValue();
        else if (arg == "--block" && hasValue)
            block = juce::String (argv[++i]).getIntValue();
        else if (arg == "--out" && hasValue)
            outDir = juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]);
        else if (arg.startsWith ("--"))
            return usage();
        else
            bundles.add (juce::File::getCurrentWorkingDirectory().getChildFile (arg));
    }

    if (bundles.isEmpty() || rate <= 0.0 || seconds <= 0.0 || block <= 0)
        return usage();

    if (! outDir.createDirectory())
    {
        std::cerr << "cannot create " << outDir.getFullPathName() << "\n";
        return 1;
    }

    int failures = 0;

    for (const auto& bundle : bundles)
    {
        auto loaded = torka::host::loadPlugin (bundle, rate, block);
        if (loaded.instance == nullptr)
        {
            std::cerr << "FAILED to load " << bundle.getFullPathName() << ": " << loaded.error << "\n";
            ++failures;
            continue;
        }

        auto& plugin = *loaded.instance;
        const auto format = torka::host::toString (loaded.format);
        torka::host::prepareAndSettle (plugin, rate, block);

        std::cout << format << " " << bundle.getFullPathName() << "\n"
                  << "  plug-in: " << plugin.getName() << " by " << loaded.description.manufacturerName
                  << ", version " << (loaded.description.version.isNotEmpty() ? loaded.description.version : juce::String ("not given by the format")) << "\n"
                  << "  latency: " << plugin.getLatencySamples() << " samples at " << rate << " Hz\n"
                  << "  parameters:";
        for (auto* p : plugin.getParameters())
            std::cout << " " << p->getName (64) << " (" << torka::host::parameterId (*p) << ")";
        std::cout << "\n";

        const auto input = torka::host::makeTestSignal (rate, seconds);
        auto output = input;
        torka::host::render (plugin, output, block);
        plugin.releaseResources();

        const auto file = outDir.getChildFile ("torka-" + format.toLowerCase() + ".wav");
        if (! torka::host::writeWav (file, output, rate, 24))
        {
            std::cerr << "FAILED to write " << file.getFullPathName() << "\n";
            ++failures;
            continue;
        }

        std::cout << juce::String::formatted ("  rendered %.2f s of stereo: input peak %.3f, %.1f dB RMS -> output peak %.3f, %.1f dB RMS\n",
                                              seconds,
                                              (double) torka::host::peakOf (input), (double) torka::host::rmsDbOf (input),
                                              (double) torka::host::peakOf (output), (double) torka::host::rmsDbOf (output))
                  << "  wrote " << file.getFullPathName() << "\n";
    }

    return failures == 0 ? 0 : 1;
}
