#include "PresetLibrary.h"
#include "common/Common.h"

#include <BinaryData.h>

#include <cctype>
#include <cstring>

namespace hoa::presets
{
namespace
{
    // Whether JUCE's XML parser can take a text safely. It
    // - recurses once per level of nesting, so very many elements could overflow its stack;
    // - loops for ever on a processing instruction ("<?...?>") inside an element followed
    //   by text;
    // - reads past the end of the text on a hexadecimal reference cut off by it ("&#x4");
    // - parses the text of an unknown entity starting with "<" ("&<a>...;"), or a document
    //   type's entities, once more as markup ending where the entity ends, so the same
    //   applies there: no preset has either, so both are refused.
    // The scan ignores quoting on purpose: a parser that reads quotes differently must not
    // be able to hide markup from it.
    bool endsInsideHexReference (const char* p)
    {
        for (const auto* s = strstr (p, "&#"); s != nullptr; s = strstr (s + 2, "&#"))
        {
            if (s[2] != 'x' && s[2] != 'X')
                continue;

            const auto* digits = s + 3;
            while (std::isxdigit ((unsigned char) *digits) != 0)
                ++digits;

            if (*digits == 0)
                return true;
        }
        return false;
    }

    bool safeToParse (const char* p)
    {
        if (endsInsideHexReference (p) || strstr (p, "&<") != nullptr || strstr (p, "<!DOCTYPE") != nullptr)
            return false;

        const auto skipPast = [] (const char* s, const char* end)
        {
            const auto* found = strstr (s, end);
            return found != nullptr ? found + strlen (end) : s + strlen (s);
        };

        // The prolog: declarations, comments and instructions before the root element.
        while (*p != 0 && (*p != '<' || p[1] == '?' || p[1] == '!'))
        {
            if (*p != '<')
                ++p;
            else if (strncmp (p, "<!--", 4) == 0)
                p = skipPast (p + 4, "-->");
            else
                p = skipPast (p + 2, p[1] == '?' ? "?>" : ">");
        }

        if (strstr (p, "<?") != nullptr)
            return false;

        int elements = 0;
        for (; *p != 0; ++p)
            if (*p == '<' && p[1] != '/' && p[1] != '!' && ++elements > maximumElements)
                return false;

        return true;
    }
} // namespace

std::unique_ptr<juce::XmlElement> parseDocument (const juce::String& text)
{
    if (! safeToParse (text.toRawUTF8()))
        return {};

    juce::XmlDocument document (text);
    return document.getDocumentElement();
}

std::unique_ptr<juce::XmlElement> parseBytes (const void* data, size_t size)
{
    if (data == nullptr || size == 0 || size > (size_t) maximumFileSize)
        return {};

    // UTF-8 when the bytes are valid UTF-8 (a byte-order mark is skipped), otherwise read
    // as Windows-1252: malformed sequences are never decoded past the end of the data.
    return parseDocument (juce::String::createStringFromData (data, (int) size));
}

std::unique_ptr<juce::XmlElement> readDocument (const juce::File& file)
{
    if (! file.existsAsFile() || file.getSize() > maximumFileSize)
        return {};

    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes))
        return {};

    return parseBytes (bytes.getData(), bytes.getSize());
}

std::unique_ptr<juce::XmlElement> parseEmbedded (const char* data, int size)
{
    return size > 0 ? parseBytes (data, (size_t) size) : nullptr;
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

juce::Array<juce::File> userPresets (const juce::File& folder)
{
    auto files = userPresetFiles (folder);
    files.removeIf ([] (const juce::File& file)
                    {
                        const auto root = readDocument (file);
                        return root == nullptr || root->getTagName() != Globals::productName;
                    });
    return files;
}

juce::File defaultFolder()
{
    return juce::File::getSpecialLocation (juce::File::userDocumentsDirectory)
        .getChildFile (Globals::company)
        .getChildFile (Globals::productName);
}
} // namespace hoa::presets
