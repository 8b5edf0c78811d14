#include "PresetManager.h"
#include "PresetLibrary.h"
#include "common/Numbers.h"

#include <cmath>

namespace hoa
{
PresetManager::PresetManager (juce::AudioProcessorValueTreeState& ts, juce::ValueTree& variables, juce::String name)
    : treeState (ts), variableTree (variables), productName (std::move (name))
{
}

double PresetManager::valueForPreset (float raw)
{
    if (std::abs (raw) < 0.00001f)
        return 0.0;

    return (double) (std::round (raw * 10000.0f) / 10000.0f);
}

void PresetManager::savePreset (const juce::File& target) const
{
    const auto file = target.withFileExtension ("xml");
    juce::XmlElement root (productName);

    for (auto* p : treeState.processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p);
        if (ranged == nullptr)
            continue;

        const auto id = ranged->getParameterID();
        const auto* raw = treeState.getRawParameterValue (id);
        if (raw == nullptr)
            continue;

        root.createNewChildElement ("Parameter")->setAttribute (id, valueForPreset (raw->load()));
    }

    juce::MemoryOutputStream text;
    root.writeTo (text, {});

    // Written beside the target and moved over it only once complete, so an existing
    // preset is replaced whole or not at all. The size is checked on disk because the
    // stream reports a short write (a full disk, a file size limit) as success.
    juce::TemporaryFile temporary (file);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk())
            return;

        out.write (text.getData(), text.getDataSize());
        out.flush();
        if (out.getStatus().failed())
            return;
    }

    if (temporary.getFile().getSize() != (juce::int64) text.getDataSize())
        return;

    temporary.overwriteTargetFileWithTemporary();
}

void PresetManager::loadPreset (const juce::String& path) const
{
    if (! juce::File::isAbsolutePath (path))
        return;

    const juce::File file (path);
    if (! file.existsAsFile())
        return;

    applyDocument (presets::readDocument (file).get());
}

void PresetManager::loadEmbeddedPreset (const char* data, int size) const
{
    applyDocument (presets::parseEmbedded (data, size).get());
}

void PresetManager::applyDocument (const juce::XmlElement* root) const
{
    if (root != nullptr && root->hasTagName (productName))
        applyXmlParams (root->getFirstChildElement(), {});
}

void PresetManager::applyDefaults() const
{
    for (auto* p : treeState.processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
            ranged->setValueNotifyingHost (ranged->getDefaultValue());
}

void PresetManager::applyXmlParams (const juce::XmlElement* element, const juce::StringArray& ids) const
{
    for (auto* e = element; e != nullptr; e = e->getNextElement())
    {
        for (int i = 0; i < e->getNumAttributes(); ++i)
        {
            const auto name = e->getAttributeName (i);
            if (! ids.isEmpty() && ! ids.contains (name))
                continue;

            auto* param = treeState.getParameter (name);
            if (param == nullptr)
                continue;

            // "nan", "inf" or "1e999" would reach the parameter as a non-finite value.
            const auto value = (float) parseNumber (e->getStringAttribute (name));
            if (! std::isfinite (value))
                continue;

            param->setValueNotifyingHost (param->convertTo0to1 (value));
        }
    }
}
} // namespace hoa
