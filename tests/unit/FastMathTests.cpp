#include "dsp/FastMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
// Distance in representable floats between a and b.
std::int64_t ulpDistance (float a, float b)
{
    const auto ordered = [] (float f)
    {
        std::int32_t i;
        std::memcpy (&i, &f, sizeof i);
        return i < 0 ? (std::int64_t) INT32_MIN - i : (std::int64_t) i;
    };
    return std::llabs (ordered (a) - ordered (b));
}

struct Range { float low, high; bool logarithmic; };

template <typename Fast, typename Exact>
std::int64_t worstUlp (Fast fast, Exact exact, Range r, float& worstAt)
{
    std::int64_t worst = 0;
    constexpr int steps = 400000;
    for (int k = 0; k <= steps; ++k)
    {
        const auto f = (double) k / steps;
        const auto x = r.logarithmic ? (float) std::exp (std::log ((double) r.low) + (std::log ((double) r.high) - std::log ((double) r.low)) * f)
                                     : (float) (r.low + (r.high - r.low) * f);
        const auto d = ulpDistance (fast (x), (float) exact ((double) x));
        if (d > worst)
        {
            worst = d;
            worstAt = x;
        }
    }
    return worst;
}
} // namespace

TEST (FastMath, StaysWithinThreeUlpOfTheCorrectlyRoundedResult)
{
    using namespace hoa::dsp;
    struct Case { const char* name; float (*fast) (float); double (*exact) (double); Range range; std::int64_t maximum; };
    const Case cases[] = {
        { "atan, -100...100", fast::atan, [] (double x) { return std::atan (x); }, { -100.0f, 100.0f, false }, 3 },
        { "atan, 1e-30...1e30", fast::atan, [] (double x) { return std::atan (x); }, { 1.0e-30f, 1.0e30f, true }, 3 },
        { "atan, around the reductions", fast::atan, [] (double x) { return std::atan (x); }, { 0.40f, 2.45f, false }, 3 },
        { "tanh, -20...20", fast::tanh, [] (double x) { return std::tanh (x); }, { -20.0f, 20.0f, false }, 2 },
        { "tanh, 1e-30...20", fast::tanh, [] (double x) { return std::tanh (x); }, { 1.0e-30f, 20.0f, true }, 2 },
        { "log10, 1e-30...1e30", fast::log10, [] (double x) { return std::log10 (x); }, { 1.0e-30f, 1.0e30f, true }, 2 },
        { "log10, 0.5...2", fast::log10, [] (double x) { return std::log10 (x); }, { 0.5f, 2.0f, false }, 2 },
    };

    for (const auto& c : cases)
    {
        float at = 0.0f;
        EXPECT_LE (worstUlp (c.fast, c.exact, c.range, at), c.maximum) << c.name << ", worst at " << at;
    }
}

TEST (FastMath, KeepsSymmetryAndExactPoints)
{
    using namespace hoa::dsp;
    for (const auto x : { 0.001f, 0.3f, 1.0f, 2.0f, 7.5f, 1000.0f })
    {
        EXPECT_EQ (fast::atan (-x), -fast::atan (x)) << x;
        EXPECT_EQ (fast::tanh (-x), -fast::tanh (x)) << x;
    }
    EXPECT_EQ (fast::atan (0.0f), 0.0f);
    EXPECT_EQ (fast::tanh (0.0f), 0.0f);
    EXPECT_EQ (fast::tanh (50.0f), 1.0f);
    EXPECT_EQ (fast::log10 (1.0f), 0.0f);
    EXPECT_EQ (fast::log10 (1000.0f), 3.0f);
}
