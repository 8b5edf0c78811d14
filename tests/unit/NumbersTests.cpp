// Numbers typed by users or read from files: any text gives a defined value.

#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST (ParseNumber, ReadsTextAsJuceDoesAndSurvivesHugeExponents)
{
    const auto inf = std::numeric_limits<double>::infinity();
    struct Case { const char* text; double expected; };
    const Case cases[] = {
        { "12.5", 12.5 },
        { "-3", -3.0 },
        { "12abc", 12.0 },
        { "abc", 0.0 },
        { "", 0.0 },
        { "1.5e2", 150.0 },
        { "2E-1", 0.2 },
        { "1e999", inf },
        { "-1e999", -inf },
        { "1e-999", 0.0 },
        // Ten or more exponent digits overflowed an int inside JUCE's reader.
        { "1e9999999999999", inf },
        { "-1e99911111111111111111111", -inf },
        { "1e-99911111111111111111111", 0.0 },
        { "1e+0000000000005", 1.0e5 },
        { "3e0000000000000000000000000000000", 3.0 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.text);
        EXPECT_EQ (hoa::parseNumber (c.text), c.expected);
    }

    EXPECT_TRUE (std::isnan (hoa::parseNumber ("nan")));
}
