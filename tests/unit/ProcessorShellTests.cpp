#include "PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
using Set = juce::AudioChannelSet;

juce::AudioProcessor::BusesLayout layout (std::vector<Set> inputs, std::vector<Set> outputs)
{
    juce::AudioProcessor::BusesLayout l;
    for (auto& s : inputs)
        l.inputBuses.add (s);
    for (auto& s : outputs)
        l.outputBuses.add (s);
    return l;
}
} // namespace

TEST (ProcessorShell, AnswersTheHostsSimpleQueries)
{
    PluginProcessor processor;

    EXPECT_EQ (processor.getName(), "TORKA");
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_EQ (processor.getBypassParameter(), nullptr) << "the host's own bypass must not drive bypassID";

    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    processor.setCurrentProgram (3);
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getProgramName (7), "");
    processor.changeProgramName (0, "renamed");
    EXPECT_EQ (processor.getProgramName (0), "");
}

TEST (ProcessorShell, HasOneStereoInputAndOutputBus)
{
    PluginProcessor processor;

    ASSERT_EQ (processor.getBusCount (true), 1);
    ASSERT_EQ (processor.getBusCount (false), 1);
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getBus (true, 0)->getCurrentLayout(), Set::stereo());
    EXPECT_EQ (processor.getBus (false, 0)->getCurrentLayout(), Set::stereo());
    EXPECT_TRUE (processor.getBus (true, 0)->isEnabledByDefault());
    EXPECT_TRUE (processor.getBus (false, 0)->isEnabledByDefault());
}

TEST (ProcessorShell, AcceptsMonoAndStereoOutputsOnly)
{
    struct Case { const char* name; juce::AudioProcessor::BusesLayout layout; bool accepted; };
    const Case cases[] = {
        { "stereo in, stereo out", layout ({ Set::stereo() }, { Set::stereo() }), true },
        { "mono in, mono out", layout ({ Set::mono() }, { Set::mono() }), true },
        { "mono in, stereo out", layout ({ Set::mono() }, { Set::stereo() }), true },
        { "5.1 in, stereo out", layout ({ Set::create5point1() }, { Set::stereo() }), true },
        { "no input, mono out", layout ({}, { Set::mono() }), true },
        { "stereo in, 5.1 out", layout ({ Set::stereo() }, { Set::create5point1() }), false },
        { "stereo in, quadraphonic out", layout ({ Set::stereo() }, { Set::quadraphonic() }), false },
        { "stereo in, disabled out", layout ({ Set::stereo() }, { Set::disabled() }), false },
        { "stereo in, no output bus", layout ({ Set::stereo() }, {}), false },
    };

    PluginProcessor processor;
    for (const auto& c : cases)
        EXPECT_EQ (processor.isBusesLayoutSupported (c.layout), c.accepted) << c.name;
}
