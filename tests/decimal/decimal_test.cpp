#include "decimal.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <compare>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace {

using teller::Decimal;

// The decimal as text that std::strtof reads: its digits, then its power of ten.
std::string asText(const Decimal& number)
{
    std::string text = number.negative ? "-" : "";
    text.append(number.integer).append(number.fraction).append("e");
    return text.append(std::to_string(number.power));
}

void expectSameAsStrtof(const Decimal& number)
{
    const std::string text = asText(number);
    const float theirs = std::strtof(text.c_str(), nullptr);
    const std::optional<float> ours = teller::toFloat(number);
    if (!ours) {
        EXPECT_TRUE(std::isinf(theirs)) << text;
        return;
    }
    EXPECT_EQ(std::bit_cast<std::uint32_t>(*ours), std::bit_cast<std::uint32_t>(theirs)) << text;
}

// The exact value halfway between a float and the next, as significant digits
// and a power of ten: double holds it exactly, and 120 digits write it out.
Decimal halfway(float value, std::string& digits)
{
    const float next = std::nextafter(value, std::numeric_limits<float>::infinity());
    const double middle = (static_cast<double>(value) + static_cast<double>(next)) / 2;
    std::array<char, 160> text{};
    auto* const written = std::to_chars(text.begin(), text.end(), middle, std::chars_format::scientific, 120).ptr;
    const std::string_view scientific{text.data(), static_cast<std::size_t>(written - text.data())};
    const std::size_t mark = scientific.find('e');
    digits = std::string{scientific.substr(0, 1)}.append(scientific.substr(2, mark - 2));
    digits.erase(digits.find_last_not_of('0') + 1);
    const int power = std::stoi(std::string{scientific.substr(mark + 1)});
    return Decimal{false, digits, "", power - static_cast<std::int64_t>(digits.size()) + 1};
}

// The conversion must round as a correctly rounding C library does; glibc's
// and MinGW-w64's both do. Ties and their neighbours are where rounding goes
// wrong, so each is tried exactly, cut short, and one unit above.
TEST(Decimal, RoundsAsTheCLibraryDoes)
{
    // A fixed seed, so that a difference found is found again.
    std::mt19937 random{20261209};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
    std::uniform_int_distribution<std::uint32_t> bits{0, 0x7F7FFFFE};
    std::uniform_int_distribution<std::size_t> kept{1, 20};
    std::uniform_int_distribution<int> digit{0, 9};
    std::uniform_int_distribution<std::int64_t> power{-60, 45};
    for (int i = 0; i < 3000; ++i) {
        std::string digits;
        const Decimal tie = halfway(std::bit_cast<float>(bits(random)), digits);
        expectSameAsStrtof(tie);
        const std::string shorter = digits.substr(0, std::min(digits.size(), kept(random)));
        expectSameAsStrtof(
            Decimal{true, shorter, "", tie.power + static_cast<std::int64_t>(digits.size() - shorter.size())});
        std::string above = digits + "1";
        expectSameAsStrtof(Decimal{false, above, "", tie.power - 1});

        std::string any(kept(random), '0');
        for (char& c : any) {
            c = static_cast<char>('0' + digit(random));
        }
        // Split at a point, with zeros before and after, as typed.
        const std::size_t point = kept(random) % (any.size() + 1);
        const std::string integer = "00" + any.substr(0, point);
        const std::string fraction = any.substr(point) + "00";
        expectSameAsStrtof(Decimal{false, integer, fraction, power(random)});
    }
}

}  // namespace
