#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

// Where presets come from: the factory presets embedded in the plug-in and the user's
// preset files. Shared by the preset bar and the command-line renderer.
namespace hoa::presets
{
struct FactoryPreset
{
    juce::String name;
    const char* data = nullptr;
    int size = 0;
};

// The embedded documents whose root element is exactly the product name, named by their
// file names less ".xml", sorted by code point.
std::vector<FactoryPreset> factoryPresets();

// The "*.xml" files (any case) directly in folder, sorted by full path ignoring case.
juce::Array<juce::File> userPresetFiles (const juce::File& folder);

// Those of them that are presets: readable documents whose root is the product name.
juce::Array<juce::File> userPresets (const juce::File& folder);

// The folder HollowOakAudio/TORKA in the user's documents folder.
juce::File defaultFolder();

// Preset documents are a few hundred bytes and a dozen elements; anything larger than
// this, or with more than maximumElements tags, is not a preset and is not parsed (a
// huge or deeply nested file would otherwise cost memory or overflow the parser's stack).
constexpr juce::int64 maximumFileSize = 1 << 20;
constexpr int maximumElements = 1024;

// The root element of an XML text, or null when it is not well-formed, too large, or
// holds markup that JUCE's parser cannot take safely (a processing instruction after the
// root's start, a cut-off character reference, an entity parsed as markup, a DOCTYPE).
std::unique_ptr<juce::XmlElement> parseDocument (const juce::String& text);

// The root element of a document's bytes, or null when they are too many or not XML.
std::unique_ptr<juce::XmlElement> parseBytes (const void* data, size_t size);

// The root element of a file, or null when it cannot be read, is too large or is not XML.
std::unique_ptr<juce::XmlElement> readDocument (const juce::File& file);

// Embedded bytes, parsed.
std::unique_ptr<juce::XmlElement> parseEmbedded (const char* data, int size);
} // namespace hoa::presets
