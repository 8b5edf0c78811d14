#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace hoa
{
// Parses a state blob written by juce::ValueTree::writeToStream. The bytes are walked
// with bounds checks first, so a truncated, corrupted or hostile blob gives an invalid
// tree instead of reaching JUCE's reader, which trusts the counts it reads (huge
// allocations, endless loops, unbounded recursion). Text that is not UTF-8 and numbers
// that are not finite make a blob unreadable too.
juce::ValueTree readStateTree (const void* data, int sizeInBytes);

// True when the bytes hold one complete tree that JUCE's reader can take safely.
bool isWellFormedStateTree (const void* data, size_t sizeInBytes);

// Prepares a restored tree so that parameters it cannot set keep their current values:
// a value stored as text is parsed here; one that gives no finite number (it would reach
// the parameter as NaN or infinity) is replaced by the current value; and a parameter
// that no child names gets a "PARAM" child holding its current value (the tree state
// would reset it to its default).
void keepCurrentValuesWhereUnset (juce::ValueTree& state, juce::AudioProcessorValueTreeState& treeState);
} // namespace hoa
