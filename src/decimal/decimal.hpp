#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>

namespace teller {

// A decimal number as it was written: its sign, the digits before and after
// the point, and a power of ten; -12.5e3 is negative, "12", "5" and 3. The
// digits are views of the entry as typed, leading and trailing zeros
// included; the conversion reads them and changes nothing.
//
// Written here rather than left to the library: libc++ 14 has no
// std::from_chars for float, C libraries have not always rounded alike, and
// std::strtof reads by whatever global locale a program sets.
struct Decimal {
    // The most digits, both parts together, that the conversion takes, which
    // bounds its work.
    static constexpr std::size_t mostDigits = 255;
    static constexpr std::uint32_t radix = 10;

    bool negative = false;
    std::string_view integer;   // '0' to '9' only
    std::string_view fraction;  // '0' to '9' only
    std::int64_t exponent = 0;
};

// The single-precision value nearest to the number, ties to even, by exact
// arithmetic; nothing when it is beyond the range of single precision.
[[nodiscard]] std::optional<float> toFloatExactly(const Decimal& number) noexcept;

// The same value, at once for a number of at most seven digits, leading
// zeros counted, and a power of ten within 10^10, which covers every amount
// typed in dollars and cents below 100,000: below 2^24 times or over 10^10
// is one correctly rounded operation on exact operands. Inline, so that
// reading an amount costs no call.
[[nodiscard]] inline std::optional<float> toFloat(const Decimal& number) noexcept
{
    constexpr std::size_t mostQuickDigits = 7;
    constexpr std::int64_t reach = 10;
    static constexpr std::array powersOfTen{1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    static_assert(powersOfTen.size() == static_cast<std::size_t>(reach) + 1,
                  "a power of ten for each exponent within reach");
    const std::int64_t exponent = number.exponent - static_cast<std::int64_t>(number.fraction.size());
    if (number.integer.size() + number.fraction.size() > mostQuickDigits || exponent > reach || exponent < -reach) {
        return toFloatExactly(number);
    }
    const auto fold = [](std::uint32_t value, std::string_view part) {
        for (const char c : part) {
            value = value * Decimal::radix + static_cast<std::uint32_t>(c - '0');
        }
        return value;
    };
    const auto significand = static_cast<float>(fold(fold(0, number.integer), number.fraction));
    const float scale = std::span{powersOfTen}[static_cast<std::size_t>(std::abs(exponent))];
    const float magnitude = exponent > 0 ? significand * scale : significand / scale;
    return number.negative ? -magnitude : magnitude;
}

}  // namespace teller
