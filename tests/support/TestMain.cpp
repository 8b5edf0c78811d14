#include "QuietXErrors.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // Nothing in a test run may reach the real user's documents, and the LV2 host, which
    // scans ~/.lv2, must not find an installed copy in place of the plug-in under test.
    torka::test::ScopedTemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juce;
    torka::host::ignoreXErrors();

    return RUN_ALL_TESTS();
}
