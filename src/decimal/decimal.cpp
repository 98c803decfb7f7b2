#include "decimal.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>

namespace teller {
namespace {

// An unsigned integer of up to 1,024 bits held in place, so that the exact
// conversion allocates nothing.
class WideInteger {
public:
    static constexpr std::size_t limbBits = 32;
    static constexpr std::size_t limbCount = 32;

    explicit WideInteger(std::uint32_t value) noexcept { multiplyAdd(0, value); }

    void multiplyAdd(std::uint32_t factor, std::uint32_t addend) noexcept
    {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t product = std::uint64_t{limbs[i]} * factor + carry;
            set(i, static_cast<std::uint32_t>(product));
            carry = product >> limbBits;
        }
        if (carry != 0) {
            set(used++, static_cast<std::uint32_t>(carry));
        }
    }

    // Takes away a value no larger than this one.
    void subtract(const WideInteger& other) noexcept
    {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t taken = std::uint64_t{other.limbs[i]} + borrow;
            borrow = limbs[i] < taken ? 1 : 0;
            set(i, static_cast<std::uint32_t>((borrow << limbBits) + limbs[i] - taken));
        }
        while (used > 0 && limbs[used - 1] == 0) {
            --used;
        }
    }

    // Of a value that is not zero.
    [[nodiscard]] std::size_t bitLength() const noexcept
    {
        return used * limbBits - static_cast<std::size_t>(std::countl_zero(limbs[used - 1]));
    }

    [[nodiscard]] bool isZero() const noexcept { return used == 0; }

    friend std::strong_ordering operator<=>(const WideInteger& left, const WideInteger& right) noexcept
    {
        if (left.used != right.used) {
            return left.used <=> right.used;
        }
        for (std::size_t i = left.used; i-- > 0;) {
            if (left.limbs[i] != right.limbs[i]) {
                return left.limbs[i] <=> right.limbs[i];
            }
        }
        return std::strong_ordering::equal;
    }

private:
    void set(std::size_t i, std::uint32_t value) noexcept
    {
        assert(i < limbCount && "a value outgrew the conversion's bound");
        limbs[i] = value;
    }

    std::array<std::uint32_t, limbCount> limbs{};
    std::size_t used = 0;  // limbs up to the top one that is not zero; those above are zero
};

using Limits = std::numeric_limits<float>;
static_assert(Limits::is_iec559 && Limits::radix == 2, "amounts are IEEE 754 binary floating point");

// A single-precision value is q * 2^k with q below 2^24 and k from -149 (the
// smallest subnormal) to 104 (the largest finite value, just below 2^128).
constexpr int significandBits = Limits::digits;
constexpr std::uint32_t significandLimit = std::uint32_t{1} << significandBits;
constexpr int lowestExponent = Limits::min_exponent - Limits::digits;
constexpr int highestExponent = Limits::max_exponent - Limits::digits;

// Orders of magnitude beyond which a value is surely out of range or rounds
// to zero: 10^39 > 2^128 and 10^-46 < 2^-150.
constexpr std::int64_t overflowOrder = 39;
constexpr std::int64_t zeroOrder = -46;

// The long division's values stay below 2^26 times its largest divisor,
// 10^(digits + 45), and 3.3220 bits a digit bound that from above.
constexpr std::size_t mostDivisorDigits = longestEntry + static_cast<std::size_t>(-zeroOrder - 1);
static_assert((mostDivisorDigits * 33220 + 9999) / 10000 + significandBits + 2
                  <= WideInteger::limbCount * WideInteger::limbBits,
              "the exact conversion's values fit its integers");

void scale(WideInteger& value, std::uint32_t factor, std::int64_t times) noexcept
{
    for (std::int64_t i = 0; i < times; ++i) {
        value.multiplyAdd(factor, 0);
    }
}

std::string_view withoutLeadingZeros(std::string_view digits) noexcept
{
    return digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
}

// Finds q and k with q * 2^k the value rounded to nearest, ties to even, by
// long division of the value scaled to 25 bits.
std::optional<float> byLongDivision(std::string_view integer, std::string_view fraction, std::int64_t power) noexcept
{
    WideInteger numerator{0};
    for (const std::string_view part : {integer, fraction}) {
        for (const char c : part) {
            numerator.multiplyAdd(10, static_cast<std::uint32_t>(c - '0'));
        }
    }
    WideInteger denominator{1};
    scale(numerator, 10, std::max<std::int64_t>(power, 0));
    scale(denominator, 10, std::max<std::int64_t>(-power, 0));
    const auto bits = static_cast<int>(numerator.bitLength()) - static_cast<int>(denominator.bitLength());
    int k = std::max(bits - significandBits, lowestExponent);
    scale(denominator, 2, std::max(k, 0));
    scale(numerator, 2, std::max(-k, 0));

    // The remainder doubles at each step rather than the divisor halving.
    WideInteger divisor = denominator;
    scale(divisor, 2, significandBits);
    std::uint32_t q = 0;
    for (int bit = 0; bit <= significandBits; ++bit) {
        q <<= 1U;
        if (numerator >= divisor) {
            numerator.subtract(divisor);
            q |= 1U;
        }
        numerator.multiplyAdd(2, 0);
    }
    bool roundUp = false;
    if (q >= significandLimit) {
        roundUp = (q & 1U) != 0 && (!numerator.isZero() || (q & 2U) != 0);
        q >>= 1U;
        ++k;
    } else {
        const auto half = numerator <=> divisor;
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
    // 2^k from its bits, exact down to the smallest subnormal, rather than by
    // ldexp, so that teller loads no maths library at start.
    const auto twoToK = k < Limits::min_exponent - 1
                            ? std::uint32_t{1} << (k - lowestExponent)
                            : static_cast<std::uint32_t>(k + Limits::max_exponent - 1) << (significandBits - 1);
    return static_cast<float>(q) * std::bit_cast<float>(twoToK);
}

}  // namespace

std::optional<float> toFloatExactly(const Decimal& number) noexcept
{
    const std::string_view integer = withoutLeadingZeros(number.integer);
    const std::string_view fraction = integer.empty() ? withoutLeadingZeros(number.fraction) : number.fraction;
    const auto order = static_cast<std::int64_t>(integer.size() + fraction.size()) + number.power;
    std::optional<float> magnitude = 0.0F;
    if ((!integer.empty() || !fraction.empty()) && order > zeroOrder) {
        magnitude = order > overflowOrder ? std::nullopt : byLongDivision(integer, fraction, number.power);
    }
    if (!magnitude) {
        return std::nullopt;
    }
    return number.negative ? -*magnitude : *magnitude;
}

}  // namespace teller
