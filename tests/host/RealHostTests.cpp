#include "PluginHosting.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
using torka::host::Format;

juce::File bundleFor (Format f)
{
    return juce::File (f == Format::vst3 ? TORKA_VST3_BUNDLE : TORKA_LV2_BUNDLE);
}

const std::pair<const char*, const char*> parameterNames[] = {
    { "inputID", "Input" }, { "bodyID", "Weight" }, { "mainID", "Ignite" }, { "punchID", "Punch" },
    { "outputID", "Output" }, { "air1ID", "Air" }, { "clipDrive1ID", "Heat" }, { "bypassID", "Bypass" },
};

class RealHost : public ::testing::TestWithParam<Format>
{
protected:
    static constexpr double rate = 48000.0;
    static constexpr int block = 256;

    void SetUp() override
    {
        auto loaded = torka::host::loadPlugin (bundleFor (GetParam()).getLinkedTarget(), rate, block);
        ASSERT_NE (loaded.instance, nullptr) << loaded.error;
        plugin = std::move (loaded.instance);
        description = loaded.description;
        torka::host::prepareAndSettle (*plugin, rate, block);
    }

    void TearDown() override
    {
        if (plugin != nullptr)
            plugin->releaseResources();
    }

    // LV2 parameters travel as messages that the plug-in reads, and answers, while it
    // runs: one block lets both sides agree.
    void runOneBlock()
    {
        juce::AudioBuffer<float> silence (2, block);
        silence.clear();
        torka::host::render (*plugin, silence, block);
    }

    juce::AudioProcessorParameter& param (const char* id)
    {
        auto* p = torka::host::findParameter (*plugin, id);
        if (p == nullptr)
            throw std::runtime_error (std::string ("host does not list ") + id);
        return *p;
    }

    std::unique_ptr<juce::AudioPluginInstance> plugin;
    juce::PluginDescription description;
};
} // namespace

TEST_P (RealHost, LoadsAsAnAudioEffectNamedTorka)
{
    EXPECT_EQ (description.name, "TORKA");
    EXPECT_EQ (description.manufacturerName, "HollowOakAudio");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (plugin->getTotalNumInputChannels(), 2);
    EXPECT_EQ (plugin->getTotalNumOutputChannels(), 2);
    EXPECT_FALSE (plugin->acceptsMidi());
    EXPECT_TRUE (plugin->hasEditor());
}

TEST_P (RealHost, ListsTheEightParametersWithTheirNames)
{
    for (const auto& [id, name] : parameterNames)
    {
        SCOPED_TRACE (id);
        EXPECT_EQ (param (id).getName (64), name);
    }

    EXPECT_NEAR (param ("inputID").getValue(), 0.6f, 1.0e-6f);
    EXPECT_NEAR (param ("bodyID").getValue(), 0.0f, 1.0e-6f);

    // VST3 asks the plug-in for its text; LV2 hosts print the real value themselves.
    const auto inputText = param ("inputID").getText (param ("inputID").getValue(), 16);
    if (GetParam() == Format::vst3)
    {
        EXPECT_EQ (inputText, "0.00");
        EXPECT_EQ (param ("bypassID").getText (0.0f, 16), "Off");
        EXPECT_EQ (param ("clipDrive1ID").getText (0.5f, 16), "15.00");
    }
    else
    {
        EXPECT_NEAR (inputText.getFloatValue(), 0.0f, 1.0e-4f);
        EXPECT_NEAR (param ("clipDrive1ID").getText (0.5f, 16).getFloatValue(), 15.0f, 1.0e-4f);
    }
}

TEST_P (RealHost, RestoresAStateItSaved)
{
    param ("bodyID").setValueNotifyingHost (0.3821f);
    param ("clipDrive1ID").setValueNotifyingHost (0.5f);
    param ("outputID").setValueNotifyingHost (0.7f);
    runOneBlock();
    juce::MemoryBlock saved;
    plugin->getStateInformation (saved);

    param ("bodyID").setValueNotifyingHost (0.9f);
    param ("clipDrive1ID").setValueNotifyingHost (0.0f);
    param ("outputID").setValueNotifyingHost (0.1f);
    runOneBlock();
    plugin->setStateInformation (saved.getData(), (int) saved.getSize());
    runOneBlock();

    EXPECT_NEAR (param ("bodyID").getValue(), 0.3821f, 1.0e-4f);
    EXPECT_NEAR (param ("clipDrive1ID").getValue(), 0.5f, 1.0e-4f);
    EXPECT_NEAR (param ("outputID").getValue(), 0.7f, 1.0e-4f);

    juce::MemoryBlock again;
    plugin->getStateInformation (again);
    EXPECT_EQ (again, saved);
}

TEST_P (RealHost, ReportsTheOversamplerLatency)
{
    EXPECT_EQ (plugin->getLatencySamples(), 4);
}

TEST_P (RealHost, HeatRaisesAQuietSineByAbout3Point6dB)
{
    param ("clipDrive1ID").setValueNotifyingHost (1.0f);
    runOneBlock();

    juce::AudioBuffer<float> input (2, (int) rate);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < input.getNumSamples(); ++i)
            input.setSample (c, i, 0.00316f * (float) std::sin (juce::MathConstants<double>::twoPi * 200.0 * i / rate));
    auto output = input;
    torka::host::render (*plugin, output, block);

    const auto n = input.getNumSamples();
    const auto gain = output.getRMSLevel (0, n / 2, n / 2) / input.getRMSLevel (0, n / 2, n / 2);
    EXPECT_NEAR (juce::Decibels::gainToDecibels (gain), 3.57f, 0.1f);
}

TEST_P (RealHost, SettledBypassGivesTheDelayedInputExactly)
{
    param ("clipDrive1ID").setValueNotifyingHost (1.0f);
    param ("outputID").setValueNotifyingHost (0.0f);
    param ("bypassID").setValueNotifyingHost (1.0f);
    runOneBlock();

    const auto input = torka::host::makeTestSignal (rate, 0.5);
    auto output = input;
    torka::host::render (*plugin, output, block);

    const auto latency = plugin->getLatencySamples();
    for (int c = 0; c < 2; ++c)
        for (int i = (int) (0.05 * rate); i < input.getNumSamples(); ++i)
            ASSERT_EQ (output.getSample (c, i), input.getSample (c, i - latency)) << "channel " << c << " sample " << i;
}

INSTANTIATE_TEST_SUITE_P (Formats, RealHost, ::testing::Values (Format::vst3, Format::lv2),
                          [] (const auto& info) { return torka::host::toString (info.param).toStdString(); });
