#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// The single-precision value nearest to the number, ties to even; nothing
// when it is beyond the range of single precision.
[[nodiscard]] std::optional<float> toFloat(const Decimal& number) noexcept;

}  // namespace teller
