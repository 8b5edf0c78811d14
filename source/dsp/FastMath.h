#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// Single-precision arctangent, hyperbolic tangent and base-10 logarithm for the audio
// path: branch-free, inline and free of library calls, so the loops that use them stay
// in registers and the compiler can vectorise them. Each stays within 3 ulp of the
// correctly rounded result (the tests measure this), and, unlike the C library's,
// gives the same bits on every platform.
namespace hoa::dsp::fast
{
// A bit cast the vectoriser can see through (std::bit_cast needs C++20).
template <typename To, typename From>
inline To bitCast (From from)
{
   #if defined(__GNUC__) || defined(__clang__)
    return __builtin_bit_cast (To, from);
   #else
    To to;
    std::memcpy (&to, &from, sizeof to);
    return to;
   #endif
}

inline float bitsToFloat (std::uint32_t bits) { return bitCast<float> (bits); }
inline std::uint32_t floatToBits (float f) { return bitCast<std::uint32_t> (f); }

// Reduction to |x| <= tan(pi/8), then an odd minimax polynomial.
inline float atan (float x)
{
    const auto ax = std::fabs (x);
    const auto big = ax > 2.414213562373095f;
    const auto mid = ax > 0.4142135623730950f;
    const auto numerator = big ? -1.0f : (mid ? ax - 1.0f : ax);
    const auto denominator = big ? ax : (mid ? ax + 1.0f : 1.0f);
    const auto r = numerator / denominator;
    const auto offset = big ? 1.5707963267948966f : (mid ? 0.7853981633974483f : 0.0f);
    const auto z = r * r;
    const auto y = offset + ((((8.05374449538e-2f * z - 1.38776856032e-1f) * z + 1.99777106478e-1f) * z - 3.33329491539e-1f) * z * r + r);
    return std::copysign (y, x);
}

// e^x for 0 <= x <= 88: x = n ln2 + r, a polynomial in r, scaled by 2^n through the
// exponent bits. (n is rounded by truncation, which is floor for these x.)
inline float expOfNonNegative (float x)
{
    const auto n = (float) (int) (1.44269504088896341f * x + 0.5f);
    auto r = x - n * 0.693359375f;
    r = r - n * -2.12194440e-4f;
    const auto z = r * r;
    const auto p = ((((((1.9875691500e-4f * r + 1.3981999507e-3f) * r + 8.3334519073e-3f) * r + 4.1665795894e-2f) * r
                      + 1.6666665459e-1f) * r + 5.0000001201e-1f) * z + r) + 1.0f;
    return p * bitsToFloat ((std::uint32_t) ((int) n + 127) << 23);
}

// An odd polynomial near 0; 1 - 2 / (e^2x + 1) beyond, where it has no cancellation.
inline float tanh (float x)
{
    const auto magnitude = std::fabs (x);
    const auto ax = magnitude < 10.0f ? magnitude : 10.0f; // tanh(10) rounds to 1
    const auto z = x * x;
    const auto small = ((((-5.70498872745e-3f * z + 2.06390887954e-2f) * z - 5.37397155531e-2f) * z + 1.33314422036e-1f) * z
                        - 3.33332819422e-1f) * z * x + x;
    const auto e = expOfNonNegative (ax + ax);
    const auto large = std::copysign (1.0f - 2.0f / (e + 1.0f), x);
    return ax < 0.625f ? small : large;
}

// For positive, normal x: x = m 2^e with m in [sqrt(1/2), sqrt(2)), log(m) by a
// polynomial in m - 1, both parts scaled by log10(e) and log10(2) in two pieces each.
inline float log10 (float x)
{
    const auto bits = floatToBits (x);
    auto e = (int) ((bits >> 23) & 0xff) - 126;
    auto m = bitsToFloat ((bits & 0x007fffffu) | 0x3f000000u); // in [0.5, 1)
    const auto low = m < 0.707106781186547524f;
    e = low ? e - 1 : e;
    m = low ? m + m - 1.0f : m - 1.0f;

    const auto z = m * m;
    auto y = ((((((((7.0376836292e-2f * m - 1.1514610310e-1f) * m + 1.1676998740e-1f) * m - 1.2420140846e-1f) * m
                  + 1.4249322787e-1f) * m - 1.6668057665e-1f) * m + 2.0000714765e-1f) * m - 2.4999993993e-1f) * m
             + 3.3333331174e-1f) * m * z;
    y = y - 0.5f * z;

    const auto fe = (float) e;
    auto result = (m + y) * 7.00731903251827651129e-4f;
    result += y * 4.3359375e-1f;
    result += m * 4.3359375e-1f;
    result += fe * 2.48745663981195213739e-4f;
    result += fe * 3.0078125e-1f;
    return result;
}
} // namespace hoa::dsp::fast
