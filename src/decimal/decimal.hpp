#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace teller {

// A decimal number as its sign, its significant digits and a power of ten:
// -12.5e3 is negative, "125" and 2. Written here because std::from_chars for
// float is missing from libc++ 14, and std::strtof reads by the C locale.
struct Decimal {
    // The longest run of digits the conversion takes, which bounds its work.
    static constexpr std::size_t mostDigits = 255;

    bool negative = false;
    std::string_view digits;  // '0' to '9' only, the first not '0'; none for zero
    std::int64_t exponent = 0;
};

// The single-precision value nearest to the number, ties to even; nothing
// when it is beyond the range of single precision.
[[nodiscard]] std::optional<float> toFloat(const Decimal& number) noexcept;

}  // namespace teller
