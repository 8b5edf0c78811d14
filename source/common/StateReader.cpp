#include "StateReader.h"
#include "Numbers.h"

#include <cmath>
#include <cstring>

namespace hoa
{
namespace
{
    // Trees written by this plug-in are three levels deep.
    constexpr int maximumDepth = 64;

    class Walker
    {
    public:
        Walker (const juce::uint8* d, size_t n) : data (d), size (n) {}

        bool tree (int depth)
        {
            if (depth > maximumDepth)
                return false;

            size_t typeLength = 0;
            if (! string (typeLength) || typeLength == 0)
                return false;

            int numProperties = 0;
            if (! count (numProperties))
                return false;

            for (int i = 0; i < numProperties; ++i)
            {
                size_t nameLength = 0;
                if (! string (nameLength) || nameLength == 0 || ! var (depth))
                    return false;
            }

            int numChildren = 0;
            if (! count (numChildren))
                return false;

            for (int i = 0; i < numChildren; ++i)
                if (! tree (depth + 1))
                    return false;

            return true;
        }

    private:
        size_t remaining() const { return size - position; }

        bool skip (size_t n)
        {
            if (n > remaining())
                return false;
            position += n;
            return true;
        }

        bool byte (juce::uint8& b)
        {
            if (remaining() < 1)
                return false;
            b = data[position++];
            return true;
        }

        // A zero-terminated UTF-8 string; its terminator must be inside the data. Bytes
        // that are not UTF-8 would be read as other characters and written back differently,
        // so a saved state would no longer restore to itself.
        bool string (size_t& length)
        {
            for (size_t i = position; i < size; ++i)
            {
                if (data[i] == 0)
                {
                    length = i - position;
                    const auto valid = utf8 (position, length);
                    position = i + 1;
                    return valid;
                }
            }
            return false;
        }

        // Well-formed UTF-8 only: no overlong forms (C0 AB would come back as '+'), no
        // surrogates, nothing above U+10FFFF. A zero ends the text, as it does for JUCE.
        bool utf8 (size_t start, size_t length) const
        {
            const auto* p = data + start;
            const auto* end = p + length;
            while (p < end && *p != 0)
            {
                const auto lead = *p++;
                if (lead < 0x80)
                    continue;

                int more = 0;
                juce::uint8 low = 0x80, high = 0xbf;
                if (lead >= 0xc2 && lead <= 0xdf)
                    more = 1;
                else if (lead >= 0xe0 && lead <= 0xef)
                {
                    more = 2;
                    low = lead == 0xe0 ? 0xa0 : 0x80;
                    high = lead == 0xed ? 0x9f : 0xbf;
                }
                else if (lead >= 0xf0 && lead <= 0xf4)
                {
                    more = 3;
                    low = lead == 0xf0 ? 0x90 : 0x80;
                    high = lead == 0xf4 ? 0x8f : 0xbf;
                }
                else
                    return false;

                for (int i = 0; i < more; ++i, low = 0x80, high = 0xbf)
                    if (p >= end || *p < low || *p > high)
                        return false;
                    else
                        ++p;
            }
            return true;
        }

        // JUCE's compressed int. Negative counts and over-long encodings are refused,
        // and every count must fit in the bytes that are left (each item takes at least one).
        bool count (int& value)
        {
            juce::uint8 sizeByte = 0;
            if (! byte (sizeByte))
                return false;

            if (sizeByte == 0)
            {
                value = 0;
                return true;
            }

            if ((sizeByte & 0x80) != 0)
                return false;

            const int numBytes = sizeByte & 0x7f;
            if (numBytes > 4 || remaining() < (size_t) numBytes)
                return false;

            juce::uint32 v = 0;
            for (int i = 0; i < numBytes; ++i)
                v |= (juce::uint32) data[position++] << (8 * i);

            if (v > (juce::uint32) std::numeric_limits<int>::max() || v > remaining())
                return false;

            value = (int) v;
            return true;
        }

        bool var (int depth)
        {
            if (depth > maximumDepth)
                return false;

            int numBytes = 0;
            if (! count (numBytes))
                return false;

            if (numBytes == 0)
                return true;

            juce::uint8 marker = 0;
            if (! byte (marker))
                return false;

            switch (marker)
            {
                case 1:  return skip (4); // int
                case 2:                   // true
                case 3:  return true;     // false
                case 4:  return finiteDouble();
                case 6:  return skip (8); // int64
                case 7:                   // array
                {
                    int numItems = 0;
                    if (! count (numItems))
                        return false;
                    for (int i = 0; i < numItems; ++i)
                        if (! var (depth + 1))
                            return false;
                    return true;
                }
                case 5:                   // string
                    return utf8 (position, (size_t) numBytes - 1) && skip ((size_t) numBytes - 1);
                default: return skip ((size_t) numBytes - 1); // binary, undefined, unknown
            }
        }

        // This plug-in never writes NaN or infinity, and JUCE turns one into text or an
        // int (the tree state does so with every child's id) by undefined casts.
        bool finiteDouble()
        {
            if (remaining() < 8)
                return false;

            const auto bits = juce::ByteOrder::littleEndianInt64 (data + position);
            position += 8;

            double value = 0.0;
            std::memcpy (&value, &bits, sizeof (value));
            return std::isfinite (value);
        }

        const juce::uint8* data;
        size_t size;
        size_t position = 0;
    };
} // namespace

bool isWellFormedStateTree (const void* data, size_t sizeInBytes)
{
    if (data == nullptr || sizeInBytes == 0)
        return false;

    return Walker (static_cast<const juce::uint8*> (data), sizeInBytes).tree (0);
}

juce::ValueTree readStateTree (const void* data, int sizeInBytes)
{
    if (sizeInBytes <= 0 || ! isWellFormedStateTree (data, (size_t) sizeInBytes))
        return {};

    juce::MemoryInputStream stream (data, (size_t) sizeInBytes, false);
    return juce::ValueTree::readFromStream (stream);
}

void keepCurrentValuesWhereUnset (juce::ValueTree& state, juce::AudioProcessorValueTreeState& treeState)
{
    static const juce::Identifier paramType ("PARAM"), idKey ("id"), valueKey ("value");

    const auto currentValue = [] (juce::RangedAudioParameter& p) { return p.convertFrom0to1 (p.getValue()); };

    // The tree state takes a value from every child whose "id" names a parameter,
    // whatever the child's type, so every such child is checked.
    for (auto child : state)
    {
        if (! child.hasProperty (valueKey))
            continue;

        auto* param = treeState.getParameter (child[idKey].toString());
        if (param == nullptr)
            continue;

        // Text is parsed here, so the tree state only ever sees a number.
        const auto& stored = child[valueKey];
        const auto value = stored.isString() ? (float) parseNumber (stored.toString()) : static_cast<float> (stored);
        child.setProperty (valueKey, std::isfinite (value) ? value : currentValue (*param), nullptr);
    }

    for (auto* p : treeState.processor.getParameters())
    {
        auto* param = dynamic_cast<juce::RangedAudioParameter*> (p);
        if (param == nullptr || treeState.getParameter (param->getParameterID()) != param)
            continue;

        const auto hasChild = std::any_of (state.begin(), state.end(), [&] (const juce::ValueTree& c)
                                           { return c[idKey].toString() == param->getParameterID(); });
        if (! hasChild)
            state.appendChild (juce::ValueTree (paramType, { { idKey, param->getParameterID() },
                                                             { valueKey, currentValue (*param) } }),
                               nullptr);
    }
}
} // namespace hoa
