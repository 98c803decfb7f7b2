#include "decimal.hpp"

#include "wide_integer.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string_view>

namespace teller {
namespace {

using Limits = std::numeric_limits<float>;
static_assert(Limits::is_iec559 && Limits::radix == 2, "amounts are IEEE 754 binary floating point");

// A single-precision value is q * 2^k with q below 2^24 and k from -149 (the
// smallest subnormal) to 104 (the largest finite value, just below 2^128).
constexpr int significandBits = Limits::digits;
constexpr std::uint32_t significandLimit = std::uint32_t{1} << significandBits;
constexpr int lowestExponent = Limits::min_exponent - Limits::digits;
constexpr int highestExponent = Limits::max_exponent - Limits::digits;

// Decimal magnitudes beyond which a value is surely out of range or rounds
// to zero: 10^39 > 2^128 and 10^-46 < 2^-150.
constexpr std::int64_t overflowMagnitude = 39;
constexpr std::int64_t zeroMagnitude = -46;

// Bits enough for 10^n, with 3.3220 standing in for log2(10) from above.
constexpr std::size_t bitsForPowerOfTen(std::size_t n) noexcept
{
    constexpr std::size_t scale = 10000;
    constexpr std::size_t log2OfTenScaled = 33220;
    return (n * log2OfTenScaled + scale - 1) / scale;
}

// The exact division below holds at most all digits times 2^149, or a
// divisor of 10^(digits + 45) times 2^25: the powers a number that is
// neither out of range nor zero can reach.
constexpr auto mostDivisorDigits = Decimal::mostDigits + static_cast<std::size_t>(-zeroMagnitude - 1);
constexpr std::size_t mostBits = std::max(bitsForPowerOfTen(Decimal::mostDigits) + std::size_t{-lowestExponent},
                                          bitsForPowerOfTen(mostDivisorDigits) + significandBits + 1);
using Wide = WideInteger<(mostBits + wideLimbBits - 1) / wideLimbBits>;

// The digits of a decimal from the first significant one, in the two pieces
// it was written in, and the power of ten of the last: 0.0120 is "" and
// "120", times 10^-4. None for zero.
struct Significand {
    std::string_view head;
    std::string_view tail;
    std::int64_t exponent = 0;
};

std::size_t digitCount(const Significand& number) noexcept
{
    return number.head.size() + number.tail.size();
}

// Folds the digits, first to last, into value.
void foldInto(Wide& value, const Significand& number) noexcept
{
    for (const std::string_view part : {number.head, number.tail}) {
        for (const char c : part) {
            value.multiplyAdd(Decimal::radix, static_cast<std::uint32_t>(c - '0'));
        }
    }
}

void dropLeadingZeros(std::string_view& digits) noexcept
{
    digits.remove_prefix(std::min(digits.find_first_not_of('0'), digits.size()));
}

Significand significandOf(const Decimal& number) noexcept
{
    Significand s{number.integer, number.fraction, number.exponent - static_cast<std::int64_t>(number.fraction.size())};
    dropLeadingZeros(s.head);
    if (s.head.empty()) {
        dropLeadingZeros(s.tail);
    }
    return s;
}

// Finds q and k with q * 2^k the value rounded to nearest, ties to even, by
// long division of the value scaled to 25 bits.
std::optional<float> byLongDivision(const Significand& number) noexcept
{
    Wide numerator{0};
    foldInto(numerator, number);
    Wide denominator{1};
    for (std::int64_t i = 0; i < std::abs(number.exponent); ++i) {
        (number.exponent > 0 ? numerator : denominator).multiplyAdd(Decimal::radix, 0);
    }
    const auto bits = static_cast<int>(numerator.bitLength()) - static_cast<int>(denominator.bitLength());
    int k = std::max(bits - significandBits, lowestExponent);
    if (k > highestExponent) {
        return std::nullopt;
    }
    (k >= 0 ? denominator : numerator).shiftLeft(static_cast<std::size_t>(std::abs(k)));

    Wide divisor = denominator;
    divisor.shiftLeft(significandBits);
    std::uint32_t q = 0;
    for (int bit = significandBits; bit >= 0; --bit) {
        q <<= 1U;
        if (numerator >= divisor) {
            numerator.subtract(divisor);
            q |= 1U;
        }
        divisor.halve();
    }
    bool roundUp = false;
    if (q >= significandLimit) {
        roundUp = (q & 1U) != 0 && (!numerator.isZero() || (q & 2U) != 0);
        q >>= 1U;
        ++k;
    } else {
        numerator.shiftLeft(1);
        const auto half = numerator <=> denominator;
        roundUp = std::is_gt(half) || (std::is_eq(half) && (q & 1U) != 0);
    }
    q += roundUp ? 1U : 0U;
    if (q == significandLimit) {
        q >>= 1U;
        ++k;
    }
    if (k > highestExponent) {
        return std::nullopt;
    }
    return std::ldexp(static_cast<float>(q), k);
}

}  // namespace

std::optional<float> toFloatExactly(const Decimal& number) noexcept
{
    assert(number.integer.size() + number.fraction.size() <= Decimal::mostDigits);
    const Significand significand = significandOf(number);
    const std::int64_t order = static_cast<std::int64_t>(digitCount(significand)) + significand.exponent;
    std::optional<float> magnitude = 0.0F;
    if (digitCount(significand) == 0 || order <= zeroMagnitude) {
        magnitude = 0.0F;
    } else if (order > overflowMagnitude) {
        magnitude = std::nullopt;
    } else {
        magnitude = byLongDivision(significand);
    }
    if (!magnitude) {
        return std::nullopt;
    }
    return number.negative ? -*magnitude : *magnitude;
}

}  // namespace teller
