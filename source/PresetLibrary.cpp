#include "PresetLibrary.h"
#include "common/Common.h"

#include <BinaryData.h>

#include <cstring>

namespace hoa::presets
{
namespace
{
    // The deepest element nesting of an XML text, counted without building anything.
    // Comments, CDATA, processing instructions, declarations and quoted attribute values
    // are stepped over, so that markup inside them counts for nothing.
    int nestingDepth (const char* p)
    {
        const auto startsWith = [] (const char* s, const char* prefix) { return strncmp (s, prefix, strlen (prefix)) == 0; };
        const auto skipPast = [] (const char* s, const char* end)
        {
            const auto* found = strstr (s, end);
            return found != nullptr ? found + strlen (end) : s + strlen (s);
        };

        int depth = 0, deepest = 0;

        while (*p != 0)
        {
            if (*p++ != '<')
                continue;

            if (startsWith (p, "!--"))
                p = skipPast (p, "-->");
            else if (startsWith (p, "![CDATA["))
                p = skipPast (p, "]]>");
            else if (*p == '!' || *p == '?')
                p = skipPast (p, ">");
            else if (*p == '/')
            {
                depth = juce::jmax (0, depth - 1);
                p = skipPast (p, ">");
            }
            else
            {
                // An opening tag: step over its attributes to see whether it closes itself.
                char quote = 0, previous = 0;
                deepest = juce::jmax (deepest, depth + 1);
                for (; *p != 0; ++p)
                {
                    if (quote != 0)
                    {
                        quote = *p == quote ? 0 : quote;
                    }
                    else if (*p == '"' || *p == '\'')
                    {
                        quote = *p;
                    }
                    else if (*p == '>')
                    {
                        if (previous != '/')
                            ++depth;
                        ++p;
                        break;
                    }
                    previous = *p;
                }
            }
        }

        return deepest;
    }
} // namespace

std::unique_ptr<juce::XmlElement> parseDocument (const juce::String& text)
{
    if (nestingDepth (text.toRawUTF8()) > maximumDepth)
        return {};

    juce::XmlDocument document (text);
    return document.getDocumentElement();
}

std::unique_ptr<juce::XmlElement> readDocument (const juce::File& file)
{
    if (! file.existsAsFile() || file.getSize() > maximumFileSize)
        return {};

    juce::FileInputStream in (file);
    if (! in.openedOk())
        return {};

    return parseDocument (in.readEntireStreamAsString());
}

std::unique_ptr<juce::XmlElement> parseEmbedded (const char* data, int size)
{
    if (data == nullptr || size <= 0)
        return {};

    return parseDocument (juce::String::fromUTF8 (data, size));
}

std::vector<FactoryPreset> factoryPresets()
{
    std::vector<FactoryPreset> result;

    for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
    {
        const juce::String original (BinaryData::originalFilenames[i]);
        if (! original.endsWithIgnoreCase (".xml"))
            continue;

        int size = 0;
        const auto* data = BinaryData::getNamedResource (BinaryData::namedResourceList[i], size);
        if (data == nullptr)
            continue;

        const auto root = parseEmbedded (data, size);
        if (root == nullptr || root->getTagName() != Globals::productName)
            continue;

        result.push_back ({ original.dropLastCharacters (4), data, size });
    }

    // By code point: capitals before lower case.
    std::sort (result.begin(), result.end(), [] (const FactoryPreset& a, const FactoryPreset& b)
               { return a.name.compare (b.name) < 0; });
    return result;
}

juce::Array<juce::File> userPresetFiles (const juce::File& folder)
{
    // The wildcard match is case-sensitive on Linux; "Warm.XML" is a preset too.
    juce::Array<juce::File> files;
    for (const auto& f : folder.findChildFiles (juce::File::findFiles, false, "*", juce::File::FollowSymlinks::yes))
        if (f.getFileName().endsWithIgnoreCase (".xml"))
            files.add (f);

    struct ByPathIgnoringCase
    {
        static int compareElements (const juce::File& a, const juce::File& b)
        {
            return a.getFullPathName().compareIgnoreCase (b.getFullPathName());
        }
    } comparator;
    files.sort (comparator, true);
    return files;
}

juce::File defaultFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile (Globals::company)
        .getChildFile (Globals::productName);
}
} // namespace hoa::presets
