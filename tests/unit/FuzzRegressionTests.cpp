#include "FuzzTargets.h"

#include <gtest/gtest.h>

namespace
{
void replayAll (const char* target, bool (*run) (PluginProcessor&, const void*, size_t))
{
    int replayed = 0;
    for (const auto* folder : { "corpus", "regressions" })
    {
        const auto dir = juce::File (TORKA_FUZZ_DIR).getChildFile (folder).getChildFile (target);
        for (const auto& file : dir.findChildFiles (juce::File::findFiles, false, "*"))
        {
            SCOPED_TRACE (file.getFullPathName());
            juce::MemoryBlock data;
            ASSERT_TRUE (file.loadFileAsData (data));
            PluginProcessor processor;
            EXPECT_TRUE (run (processor, data.getData(), data.getSize()));
            ++replayed;
        }
    }
    EXPECT_GT (replayed, 0);
}
} // namespace

// Every seed and every input a fuzzer ever found, through the same harness.
TEST (FuzzRegressions, StateBlobs) { replayAll ("state", torka::fuzz::runStateInput); }
TEST (FuzzRegressions, PresetDocuments) { replayAll ("preset", torka::fuzz::runPresetInput); }
