#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace teller {

// The longest entry teller takes, and so the most digits a number can have,
// which bounds the exact conversion's work.
constexpr std::size_t longestEntry = 255;

// A decimal number as it was typed, its digits before and after the point
// and the power of ten of the last: -12.5e3 is negative, "12", "5" and 2.
// Converted here, as libc++ 14 has no from_chars for float, C libraries have
// not always rounded alike, and strtof reads by the global locale.
struct Decimal {
    bool negative = false;
    std::string_view integer;   // '0' to '9' only, leading zeros included
    std::string_view fraction;  // '0' to '9' only
    std::int64_t power = 0;
};

// The single-precision value nearest to the number, ties to even, by exact
// arithmetic; nothing when it is beyond the range of single precision.
[[nodiscard]] std::optional<float> toFloatExactly(const Decimal& number) noexcept;

// The same, at once for at most seven digits and a power within 10^10, as
// amounts in dollars and cents are: one correctly rounded operation on exact
// operands. Inline, so that an amount costs no call.
[[nodiscard]] inline std::optional<float> toFloat(const Decimal& number) noexcept
{
    constexpr std::size_t mostQuickDigits = 7;
    static constexpr std::array powersOfTen{1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    const auto reach = static_cast<std::int64_t>(powersOfTen.size()) - 1;
    if (number.integer.size() + number.fraction.size() > mostQuickDigits || std::abs(number.power) > reach) {
        return toFloatExactly(number);
    }
    std::uint32_t digits = 0;
    for (const std::string_view part : {number.integer, number.fraction}) {
        for (const char c : part) {
            digits = digits * 10 + static_cast<std::uint32_t>(c - '0');
        }
    }
    const auto significand = static_cast<float>(digits);
    const float scale = powersOfTen[static_cast<std::size_t>(std::abs(number.power))];
    const float magnitude = number.power > 0 ? significand * scale : significand / scale;
    return number.negative ? -magnitude : magnitude;
}

}  // namespace teller
