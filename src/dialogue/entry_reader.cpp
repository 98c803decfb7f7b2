#include "entry_reader.hpp"

#include "decimal.hpp"
#include "entry_scan.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <istream>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

namespace teller {
namespace {

using Traits = EntryScan::Traits;

static_assert(EntryReader::longestEntry <= Decimal::mostDigits, "every number an entry holds can be converted");

// The classes of characters an entry is made of, as lambdas, so that each
// scan is made for its class and the test is inlined.
constexpr auto isBlank = [](int c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
constexpr auto isDigit = [](int c) { return c >= '0' && c <= '9'; };
constexpr auto isSign = [](int c) { return c == '+' || c == '-'; };
constexpr auto isPoint = [](int c) { return c == '.'; };
constexpr auto isExponentMark = [](int c) { return c == 'e' || c == 'E'; };
constexpr auto isWordCharacter = [](int c) { return !isBlank(c); };

// A sign, then digits: the longest prefix that can be an integer.
void scanInteger(EntryScan& scan)
{
    scan.take(isSign);
    scan.takeAll(isDigit);
}

std::optional<std::int32_t> toInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int32_t value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (failure != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

constexpr std::int64_t exponentCap = 100000;

// A sign, then digits; nothing unless there is a digit.
std::optional<std::int64_t> scanExponent(EntryScan& scan)
{
    const bool negative = scan.peek() == '-';
    scan.take(isSign);
    std::optional<std::int64_t> value;
    for (int c = scan.peek(); scan.take(isDigit); c = scan.peek()) {
        value = std::min(value.value_or(0) * Decimal::radix + (c - '0'), exponentCap);
    }
    return negative && value ? -*value : value;
}

// A sign, digits with at most one point, then an exponent once there is a
// digit: the longest prefix that can be a decimal number. "-", "." and "1e+"
// are such prefixes too, but not well formed, and give nothing.
std::optional<Decimal> scanDecimal(EntryScan& scan)
{
    const bool negative = scan.peek() == '-';
    scan.take(isSign);
    const std::string_view integer = scan.takeAll(isDigit);
    const std::string_view fraction = scan.take(isPoint) ? scan.takeAll(isDigit) : std::string_view{};
    if (integer.empty() && fraction.empty()) {
        return std::nullopt;
    }
    std::optional<std::int64_t> exponent = 0;
    if (scan.take(isExponentMark)) {
        exponent = scanExponent(scan);
    }
    if (!exponent) {
        return std::nullopt;
    }
    return Decimal{negative, integer, fraction, *exponent};
}

}  // namespace

EntryReader::EntryReader(std::istream& in) noexcept : input{.source = *in.rdbuf(), .tied = in.tie()} {}

// Skips the blanks before the entry, as the sentry of formatted extraction
// does, and lets parse take its characters and tell whether they make a
// value. A read that fails inside an entry leaves it neither taken nor
// refused: what would have followed is not known.
template <typename Parse>
Entry EntryReader::readEntry(Parse parse)
{
    EntryScan scan{input, text};
    if (scan.skip(isBlank) == Traits::eof()) {
        return Entry::none;
    }
    const bool valid = parse(scan);
    if (input.failure) {
        return Entry::none;
    }
    return valid ? Entry::read : Entry::refused;
}

Entry EntryReader::read(std::int32_t& value)
{
    return readEntry([&value](EntryScan& scan) {
        scanInteger(scan);
        const std::optional<std::int32_t> number = scan.tooLong() ? std::nullopt : toInteger(scan.taken());
        value = number.value_or(value);
        return number.has_value();
    });
}

Entry EntryReader::read(float& value)
{
    return readEntry([&value](EntryScan& scan) {
        const std::optional<Decimal> decimal = scanDecimal(scan);
        const std::optional<float> number = decimal && !scan.tooLong() ? toFloat(*decimal) : std::nullopt;
        value = number.value_or(value);
        return number.has_value();
    });
}

Entry EntryReader::read(std::string& word)
{
    return readEntry([&word](EntryScan& scan) {
        scan.takeAll(isWordCharacter);
        if (!scan.tooLong()) {
            word.assign(scan.taken());
        }
        return !scan.tooLong();
    });
}

bool EntryReader::dropLine()
{
    EntryScan line{input, text};
    return line.skip([](int c) { return c != '\n'; }) != Traits::eof();
}

std::error_code EntryReader::failure() const noexcept
{
    return input.failure;
}

}  // namespace teller
