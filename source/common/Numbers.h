#pragma once

#include <juce_core/juce_core.h>

namespace hoa
{
// String::getDoubleValue, safe for any text. JUCE sums the exponent's digits in an int,
// which overflows (undefined behaviour, and a wrong value in practice) on ten or more
// of them; such an exponent is shortened first, as it means overflow or underflow
// either way.
inline double parseNumber (const juce::String& text)
{
    constexpr int longestExponent = 6;
    auto clamped = text;

    for (int i = clamped.indexOfAnyOf ("eE"); i >= 0; i = clamped.indexOfAnyOf ("eE", i + 1))
    {
        auto digits = i + 1;
        if (clamped[digits] == '+' || clamped[digits] == '-')
            ++digits;
        while (clamped[digits] == '0')
            ++digits;

        auto end = digits;
        while (juce::CharacterFunctions::isDigit (clamped[end]))
            ++end;

        if (end - digits > longestExponent)
            clamped = clamped.replaceSection (digits, end - digits, juce::String::repeatedString ("9", longestExponent));
    }

    return clamped.getDoubleValue();
}
} // namespace hoa
