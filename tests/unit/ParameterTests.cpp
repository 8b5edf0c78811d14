#include "PluginProcessor.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
struct ParameterRow
{
    const char* id;
    const char* name;
    float minimum, maximum;
    bool isSwitch;
};

// Registration order; hosts, saved states and preset files depend on these strings.
const ParameterRow parameterTable[] = {
    { "inputID", "Input", -30.0f, 20.0f, false },
    { "bodyID", "Weight", 0.0f, 100.0f, false },
    { "mainID", "Ignite", 0.0f, 100.0f, false },
    { "punchID", "Punch", 0.0f, 1.0f, false },
    { "outputID", "Output", -30.0f, 20.0f, false },
    { "air1ID", "Air", 0.0f, 10.0f, false },
    { "clipDrive1ID", "Heat", 0.0f, 30.0f, false },
    { "bypassID", "Bypass", 0.0f, 1.0f, true },
};

class ParameterTest : public ::testing::Test
{
protected:
    PluginProcessor processor;

    juce::RangedAudioParameter& param (const char* id)
    {
        auto* p = processor.treeState.getParameter (id);
        if (p == nullptr)
            throw std::runtime_error (std::string ("no parameter ") + id);
        return *p;
    }

    float realValueAt (const char* id, float normalised)
    {
        auto& p = param (id);
        p.setValueNotifyingHost (normalised);
        return p.convertFrom0to1 (p.getValue());
    }
};
} // namespace

TEST_F (ParameterTest, ListHoldsTheEightParametersInRegistrationOrder)
{
    const auto& list = processor.getParameters();
    ASSERT_EQ (list.size(), 8);
    EXPECT_EQ (processor.getParameterTree().getParameters (false).size(), 8) << "no parameter groups";

    for (int i = 0; i < 8; ++i)
    {
        const auto& row = parameterTable[i];
        SCOPED_TRACE (row.id);
        auto* p = dynamic_cast<juce::RangedAudioParameter*> (list[i]);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->getParameterID(), row.id);
        EXPECT_EQ (p->getName (100), row.name);
        EXPECT_EQ (p->getVersionHint(), 1);
        EXPECT_EQ (p->getLabel(), "");
        EXPECT_TRUE (p->isAutomatable());
        EXPECT_FALSE (p->isMetaParameter());
        EXPECT_EQ (p->getCategory(), juce::AudioProcessorParameter::genericParameter);

        if (row.isSwitch)
        {
            EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (p), nullptr);
            EXPECT_EQ (p->getNumSteps(), 2);
        }
        else
        {
            auto* f = dynamic_cast<juce::AudioParameterFloat*> (p);
            ASSERT_NE (f, nullptr);
            EXPECT_EQ (f->range.start, row.minimum);
            EXPECT_EQ (f->range.end, row.maximum);
            EXPECT_FLOAT_EQ (f->range.interval, 0.01f);
            EXPECT_EQ (f->range.skew, 1.0f);
            EXPECT_EQ (p->getNumSteps(), juce::AudioProcessor::getDefaultNumParameterSteps()) << "continuous to the host";
        }
    }
}

TEST_F (ParameterTest, ConstantsHoldTheStoredIdStrings)
{
    using namespace hoa::parameters;
    EXPECT_EQ (weightID, "bodyID");
    EXPECT_EQ (igniteID, "mainID");
    EXPECT_EQ (airID, "air1ID");
    EXPECT_EQ (heatID, "clipDrive1ID");
    EXPECT_EQ (heightName, "Heat");
    EXPECT_EQ (processor.treeState.getParameter ("weightID"), nullptr);
}

TEST_F (ParameterTest, FreshInstanceHasItsDefaults)
{
    for (const auto& row : parameterTable)
    {
        SCOPED_TRACE (row.id);
        auto& p = param (row.id);
        const auto expectedNormalised = row.minimum < 0.0f ? 0.6f : 0.0f;
        EXPECT_FLOAT_EQ (p.getValue(), expectedNormalised);
        EXPECT_FLOAT_EQ (p.getDefaultValue(), expectedNormalised);
        EXPECT_EQ (p.convertFrom0to1 (p.getValue()), 0.0f);
    }
}

TEST_F (ParameterTest, NormalisedValuesSnapToTheHundredthGrid)
{
    struct Case { const char* id; float normalised; float real; };
    const Case cases[] = {
        { "inputID", 0.5f, -5.0f },
        { "bodyID", 0.5f, 50.0f },
        { "punchID", 0.5f, 0.5f },
        { "air1ID", 0.5f, 5.0f },
        { "clipDrive1ID", 0.5f, 15.0f },
        { "punchID", 0.124f, 0.12f },
        { "outputID", 1.0f, 20.0f },
        { "inputID", 0.0f, -30.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.id) + " at " + juce::String (c.normalised));
        EXPECT_NEAR (realValueAt (c.id, c.normalised), c.real, 1.0e-5f);
    }
}

TEST_F (ParameterTest, PunchTakesOneHundredAndOneDistinctValues)
{
    std::set<float> values;
    for (int i = 0; i <= 10000; ++i)
        values.insert (realValueAt ("punchID", (float) i / 10000.0f));

    EXPECT_EQ (values.size(), 101u);
}

TEST_F (ParameterTest, ValueTextRoundTrips)
{
    struct Case { const char* id; const char* typed; float real; const char* shown; };
    const Case cases[] = {
        { "bodyID", "12.345", 12.35f, "12.35" },
        { "bodyID", "500", 100.0f, "100.00" },
        { "bodyID", "-3", 0.0f, "0.00" },
        { "inputID", "0", 0.0f, "0.00" },
        { "inputID", "-30", -30.0f, "-30.00" },
        { "clipDrive1ID", "7.5", 7.5f, "7.50" },
        { "clipDrive1ID", "abc", 0.0f, "0.00" },
        { "bodyID", "nan", 0.0f, "0.00" },
        { "bodyID", "1e99911111111111111111111", 100.0f, "100.00" },
        { "inputID", "-1e99911111111111111111111", -30.0f, "-30.00" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.id) + " typed " + c.typed);
        auto& p = param (c.id);
        p.setValueNotifyingHost (p.getValueForText (c.typed));
        EXPECT_NEAR (p.convertFrom0to1 (p.getValue()), c.real, 1.0e-4f);
        EXPECT_EQ (p.getCurrentValueAsText(), c.shown);
    }
}

TEST_F (ParameterTest, BypassReadsOffAndOnAndCountsHalfAsOn)
{
    auto& bypass = param ("bypassID");
    auto* asBool = dynamic_cast<juce::AudioParameterBool*> (&bypass);
    ASSERT_NE (asBool, nullptr);

    EXPECT_EQ (bypass.getText (0.0f, 10), "Off");
    EXPECT_EQ (bypass.getText (1.0f, 10), "On");

    bypass.setValueNotifyingHost (0.5f);
    EXPECT_TRUE (asBool->get());
    bypass.setValueNotifyingHost (0.49f);
    EXPECT_FALSE (asBool->get());
}

// Audio Unit hosts key automation by a hash of the ID string and list parameters in
// hash order, so renaming an ID would break every saved automation lane.
TEST (ParameterHostIdentity, AudioUnitIdsAndOrderFollowFromTheIdStrings)
{
    const std::pair<const char*, int> expected[] = {
        { "outputID", 70182364 }, { "bypassID", 162585603 }, { "air1ID", 729959298 }, { "bodyID", 763781693 },
        { "clipDrive1ID", 980351666 }, { "mainID", 1065911444 }, { "punchID", 1922930377 }, { "inputID", 1954846309 },
    };

    PluginProcessor processor;
    std::vector<std::pair<int, juce::String>> hostOrder;
    for (auto* p : processor.getParameters())
    {
        const auto id = dynamic_cast<juce::AudioProcessorParameterWithID*> (p)->getParameterID();
        hostOrder.emplace_back (id.hashCode() & 0x7fffffff, id);
    }
    std::stable_sort (hostOrder.begin(), hostOrder.end(), [] (auto& a, auto& b) { return a.first < b.first; });

    ASSERT_EQ (hostOrder.size(), std::size (expected));
    for (size_t i = 0; i < hostOrder.size(); ++i)
    {
        EXPECT_EQ (hostOrder[i].second, expected[i].first);
        EXPECT_EQ (hostOrder[i].first, expected[i].second);
    }
}
