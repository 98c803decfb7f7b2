#include "entry_reader.hpp"

#include "decimal.hpp"
#include "entry_scan.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <ios>
#include <istream>
#include <optional>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

namespace teller {
namespace {

using Traits = EntryScan::Traits;

static_assert(EntryReader::longestEntry <= Decimal::mostDigits, "every number an entry holds can be converted");

constexpr bool isBlank(int c) noexcept
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool isDigit(int c) noexcept
{
    return c >= '0' && c <= '9';
}

constexpr bool isSign(int c) noexcept
{
    return c == '+' || c == '-';
}

constexpr bool isPoint(int c) noexcept
{
    return c == '.';
}

constexpr bool isExponentMark(int c) noexcept
{
    return c == 'e' || c == 'E';
}

constexpr bool isWordCharacter(int c) noexcept
{
    return !isBlank(c);
}

// Skips the blanks before an entry, as the sentry of formatted extraction
// does, and tells whether there is an entry at all.
bool skipBlanks(std::istream& in)
{
    if (!in.good()) {
        in.setstate(std::ios::failbit);
        return false;
    }
    std::streambuf& buffer = *in.rdbuf();
    int c = buffer.sgetc();
    while (c != Traits::eof() && isBlank(c)) {
        c = buffer.snextc();
    }
    if (c == Traits::eof()) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return false;
    }
    return true;
}

// Leaves the stream's state as formatted extraction would.
Entry settle(std::istream& in, const EntryScan& scan, bool valid)
{
    std::ios::iostate state = scan.atEnd() ? std::ios::eofbit : std::ios::goodbit;
    if (!valid) {
        state |= std::ios::failbit;
    }
    if (state != std::ios::goodbit) {
        in.setstate(state);
    }
    return valid ? Entry::read : Entry::refused;
}

// A sign, then digits: the longest prefix that can be an integer.
void scanInteger(EntryScan& scan)
{
    scan.take(isSign);
    while (scan.take(isDigit)) {
    }
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
constexpr std::int64_t radix = 10;

std::int64_t scanExponent(EntryScan& scan, bool& wellFormed)
{
    const bool negative = scan.peek() == '-';
    scan.take(isSign);
    std::int64_t value = 0;
    for (int c = scan.peek(); scan.take(isDigit); c = scan.peek()) {
        value = std::min(value * radix + (c - '0'), exponentCap);
        wellFormed = true;
    }
    return negative ? -value : value;
}

// A sign, digits with at most one point, then an exponent once there is a
// digit: the longest prefix that can be a decimal number. "-", "." and "1e+"
// are such prefixes too, but not well formed, and give nothing.
std::optional<Decimal> scanDecimal(EntryScan& scan)
{
    Decimal number;
    number.negative = scan.peek() == '-';
    scan.take(isSign);
    const std::size_t start = scan.taken().size();
    while (scan.take(isDigit)) {
    }
    const std::size_t pointAt = scan.taken().size();
    const bool point = scan.take(isPoint);
    while (point && scan.take(isDigit)) {
    }
    const std::string_view mantissa = scan.taken().substr(start);
    const std::size_t fraction = point ? scan.taken().size() - pointAt - 1 : 0;
    if (pointAt == start && fraction == 0) {
        return std::nullopt;
    }
    number.exponent = -static_cast<std::int64_t>(fraction);
    // The digits from the first significant one, with no point among them.
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first != std::string_view::npos) {
        number.digits = scan.withoutPoint(start + first, point ? std::optional{pointAt} : std::nullopt);
    }
    if (scan.take(isExponentMark)) {
        bool wellFormed = false;
        number.exponent += scanExponent(scan, wellFormed);
        return wellFormed ? std::optional{number} : std::nullopt;
    }
    return number;
}

}  // namespace

EntryReader::EntryReader(std::istream& in) noexcept : stream{in} {}

// A stream buffer reports a failed read by throwing, as the standard
// library's file buffers do; extraction would set badbit, and so does this.
template <typename Read>
Entry EntryReader::guarded(Read read)
{
    try {
        return read();
    } catch (const std::system_error& failure) {
        error = failure.code();
        stream.setstate(std::ios::badbit);
        return Entry::failed;
    }
}

// Skips to the entry, lets parse take its characters and tell whether they
// make a value, and leaves the stream's state as extraction would.
template <typename Parse>
Entry EntryReader::readEntry(Parse parse)
{
    return guarded([&] {
        if (!skipBlanks(stream)) {
            return Entry::ended;
        }
        EntryScan scan{*stream.rdbuf(), text};
        const bool valid = parse(scan);
        return settle(stream, scan, valid);
    });
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
        while (scan.take(isWordCharacter)) {
        }
        if (!scan.tooLong()) {
            word.assign(scan.taken());
        }
        return !scan.tooLong();
    });
}

Entry EntryReader::dropLine()
{
    return guarded([&] {
        stream.clear();
        std::streambuf& buffer = *stream.rdbuf();
        for (int c = buffer.sbumpc(); c != Traits::eof(); c = buffer.sbumpc()) {
            if (c == '\n') {
                return Entry::read;
            }
        }
        stream.setstate(std::ios::eofbit);
        return Entry::ended;
    });
}

std::error_code EntryReader::failure() const noexcept
{
    return error;
}

}  // namespace teller
