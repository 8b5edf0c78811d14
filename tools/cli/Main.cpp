// torka: TORKA on the command line, running the same processor that hosts run.
//
//   torka render IN OUT [--preset NAME|FILE.xml] [--set ID=VALUE ...] [--bypass] [--block N] [--bits N]
//   torka presets
//   torka info [--rate HZ]
//   torka demo-signal OUT [--seconds S] [--rate HZ]

#include "Render.h"


#include <cmath>
#include <iostream>
#include <unistd.h>

namespace
{
using torka::cli::RenderOptions;
using torka::cli::RenderSummary;

const char* const usageText =
    "usage:\n"
    "  torka render IN OUT [--preset NAME|FILE.xml] [--set ID=VALUE ...] [--bypass] [--block N] [--bits N]\n"
    "      Renders IN (WAV, AIFF or FLAC; mono or stereo) through TORKA into OUT (.wav, .aif,\n"
    "      .aiff or .flac), at IN's sample rate and bit depth, aligned with IN and as long.\n"
    "  torka presets                 Lists the preset names --preset takes.\n"
    "  torka info [--rate HZ]        Lists the parameters and the latency.\n"
    "  torka demo-signal OUT [--seconds S] [--rate HZ]\n"
    "      Writes a short stereo demo (drums, bass, pad) to render.\n";

int fail (const juce::String& message, int code = 1)
{
    std::cerr << "torka: " << message << "\n";
    return code;
}

int usage (const juce::String& message)
{
    std::cerr << "torka: " << message << "\n\n" << usageText;
    return 2;
}

juce::String decibels (double gain)
{
    return gain > 0.0 ? juce::String (20.0 * std::log10 (gain), 1) + " dBFS" : juce::String ("-inf dBFS");
}

juce::String lufs (double value)
{
    return std::isfinite (value) ? juce::String (value, 1) + " LUFS" : juce::String ("-inf LUFS");
}

void drawProgress (double fraction)
{
    constexpr int width = 30;
    const auto filled = (int) std::lround (fraction * width);
    std::cerr << "\rRendering [" << std::string ((size_t) filled, '#') << std::string ((size_t) (width - filled), ' ') << "] "
              << (int) std::lround (fraction * 100.0) << "%" << std::flush;
}

bool parseInt (const juce::String& text, int& value)
{
    if (! text.containsOnly ("0123456789") || text.isEmpty() || text.length() > 9)
        return false;
    value = text.getIntValue();
    return true;
}

bool parsePositive (const juce::String& text, double& value)
{
    const auto s = text.toStdString();
    char* end = nullptr;
    value = std::strtod (s.c_str(), &end);
    return ! s.empty() && end == s.c_str() + s.size() && std::isfinite (value) && value > 0.0;
}

int render (const juce::StringArray& args)
{
    RenderOptions options;
    juce::StringArray files;

    for (int i = 0; i < args.size(); ++i)
    {
        const auto& a = args[i];
        const auto value = [&] { return i + 1 < args.size() ? args[++i] : juce::String(); };

        if (a == "--preset")
        {
            options.preset = value();
            if (options.preset.isEmpty())
                return usage ("--preset needs a name or a file");
        }
        else if (a == "--set")
        {
            const auto setting = value();
            if (! setting.containsChar ('=') || setting.upToFirstOccurrenceOf ("=", false, false).trim().isEmpty())
                return usage ("--set needs ID=VALUE, not \"" + setting + "\"");
            options.settings.emplace_back (setting.upToFirstOccurrenceOf ("=", false, false).trim(),
                                           setting.fromFirstOccurrenceOf ("=", false, false));
        }
        else if (a == "--bypass")
        {
            options.bypass = true;
        }
        else if (a == "--block")
        {
            if (! parseInt (value(), options.blockSize) || options.blockSize < 1 || options.blockSize > 65536)
                return usage ("--block needs a whole number of samples, 1 to 65536");
        }
        else if (a == "--bits")
        {
            if (! parseInt (value(), options.bitsPerSample) || ! juce::Array<int> { 8, 16, 24, 32 }.contains (options.bitsPerSample))
                return usage ("--bits needs 8, 16, 24 or 32");
        }
        else if (a.startsWith ("--"))
        {
            return usage ("unknown option " + a);
        }
        else
        {
            files.add (a);
        }
    }

    if (files.size() != 2)
        return usage ("render needs an input file and an output file");

    const auto cwd = juce::File::getCurrentWorkingDirectory();
    options.input = cwd.getChildFile (files[0]);
    options.output = cwd.getChildFile (files[1]);
    if (isatty (STDERR_FILENO))
        options.progress = drawProgress;

    RenderSummary summary;
    const auto error = torka::cli::render (options, summary);
    if (options.progress != nullptr)
        std::cerr << "\r" << std::string (50, ' ') << "\r" << std::flush;
    if (error.isNotEmpty())
        return fail (error);

    const auto duration = (double) summary.numSamples / summary.sampleRate;
    const auto format = juce::String (summary.sampleRate, 0) + " Hz " + (summary.numChannels == 1 ? "mono" : "stereo") + " "
                        + juce::String (summary.bitsPerSample) + (summary.floatingPoint ? "-bit float" : "-bit");
    std::cout << files[1] << ": " << format << ", " << juce::String (duration, 2) << " s"
              << " | in: peak " << decibels (summary.inputPeak) << ", " << lufs (summary.inputLufs)
              << " | out: peak " << decibels (summary.outputPeak) << ", " << lufs (summary.outputLufs)
              << " | latency " << summary.latency << " samples, trimmed"
              << " | " << juce::String (summary.seconds, 2) << " s, "
              << juce::String (summary.seconds > 0.0 ? duration / summary.seconds : 0.0, 1) << "x real time\n";

    if (summary.outputPeak > 1.0f && ! summary.floatingPoint)
        std::cerr << "torka: note: the output peaks above 0 dBFS and was clipped in the file; lower the Output\n";
    return 0;
}

int presets()
{
    const auto listing = torka::cli::listPresets();
    std::cout << "INIT\nFactory\n";
    for (const auto& name : listing.factory)
        std::cout << "  " << name << "\n";
    std::cout << "User (" << listing.userFolder.getFullPathName() << ")\n";
    for (const auto& name : listing.user)
        std::cout << "  " << name << "\n";
    return 0;
}

int info (const juce::StringArray& args)
{
    double rate = 48000.0;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--rate" && i + 1 < args.size() && parsePositive (args[i + 1], rate))
            ++i;
        else
            return usage ("info takes only --rate HZ");
    }

    PluginProcessor processor;
    std::cout << "TORKA " << JucePlugin_VersionString << " by " << JucePlugin_Manufacturer << "\n\n";
    std::cout << juce::String ("ID").paddedRight (' ', 14) << juce::String ("Name").paddedRight (' ', 8)
              << juce::String ("Range").paddedRight (' ', 16) << "Default\n";
    for (auto* p : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        if (ranged == nullptr)
            continue;
        const auto& range = ranged->getNormalisableRange();
        const auto isSwitch = dynamic_cast<juce::AudioParameterBool*> (ranged) != nullptr;
        const auto rangeText = isSwitch ? juce::String ("off, on") : juce::String (range.start) + " to " + juce::String (range.end);
        std::cout << ranged->getParameterID().paddedRight (' ', 14) << ranged->getName (32).paddedRight (' ', 8)
                  << rangeText.paddedRight (' ', 16) << ranged->getText (ranged->getDefaultValue(), 16) << "\n";
    }

    processor.prepareToPlay (rate, 512);
    const auto latency = processor.getLatencySamples();
    std::cout << "\nLatency at " << juce::String (rate, 0) << " Hz: " << latency << " samples ("
              << juce::String (1000.0 * latency / rate, 3) << " ms)\n";
    return 0;
}

int demoSignal (const juce::StringArray& args)
{
    double seconds = 8.0, rate = 48000.0;
    juce::String out;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--seconds" && i + 1 < args.size() && parsePositive (args[i + 1], seconds) && seconds <= 600.0)
            ++i;
        else if (args[i] == "--rate" && i + 1 < args.size() && parsePositive (args[i + 1], rate))
            ++i;
        else if (! args[i].startsWith ("--") && out.isEmpty())
            out = args[i];
        else
            return usage ("demo-signal takes OUT, --seconds S (up to 600) and --rate HZ");
    }
    if (out.isEmpty())
        return usage ("demo-signal needs an output file");

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (out);
    if (const auto error = torka::cli::writeAudioFile (file, torka::cli::demoSignal (rate, seconds), rate, 24); error.isNotEmpty())
        return fail (error);

    std::cout << out << ": " << juce::String (seconds, 2) << " s of stereo demo at " << juce::String (rate, 0) << " Hz\n";
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    juce::StringArray args;
    for (int i = 2; i < argc; ++i)
        args.add (juce::String::fromUTF8 (argv[i]));

    const juce::String command = argc > 1 ? juce::String::fromUTF8 (argv[1]) : juce::String();

    if (command == "render")
        return render (args);
    if (command == "presets")
        return args.isEmpty() ? presets() : usage ("presets takes no arguments");
    if (command == "info")
        return info (args);
    if (command == "demo-signal")
        return demoSignal (args);
    if (command == "--version")
    {
        std::cout << "torka " << JucePlugin_VersionString << "\n";
        return 0;
    }
    if (command == "--help" || command == "-h" || command == "help")
    {
        std::cout << usageText;
        return 0;
    }
    return usage (command.isEmpty() ? juce::String ("no command") : "unknown command " + command);
}
