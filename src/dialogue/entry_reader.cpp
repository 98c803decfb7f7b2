#include "dialogue/entry_reader.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

using Traits = std::istream::traits_type;

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

// The characters of one entry, taken one at a time from the stream buffer
// into a fixed array, each only once it is known to belong to the entry.
class Scan {
public:
    Scan(std::streambuf& buffer, std::span<char> text) : source{buffer}, chars{text}, next{buffer.sgetc()} {}

    // Takes the next character when it passes the test. A character that
    // would make the entry too long is left, and the entry marked as such.
    template <typename Test>
    bool take(Test test)
    {
        if (next == Traits::eof() || !test(next)) {
            return false;
        }
        if (length == chars.size()) {
            overlong = true;
            return false;
        }
        chars[length++] = Traits::to_char_type(next);
        next = source.snextc();
        return true;
    }

    [[nodiscard]] int peek() const noexcept
    {
        return next;
    }
    [[nodiscard]] std::string_view taken() const noexcept
    {
        return {chars.data(), length};
    }
    [[nodiscard]] bool tooLong() const noexcept
    {
        return overlong;
    }
    [[nodiscard]] bool atEnd() const noexcept
    {
        return next == Traits::eof();
    }

private:
    std::streambuf& source;
    std::span<char> chars;
    std::size_t length = 0;
    int next;
    bool overlong = false;
};

// Leaves the stream's state as formatted extraction would.
Entry settle(std::istream& in, const Scan& scan, bool valid)
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
void scanInteger(Scan& scan)
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

// A single-precision value is q * 2^k with q below 2^24 and k from -149 (the
// smallest subnormal) to 104 (the largest finite value, just below 2^128).
constexpr int significandBits = 24;
constexpr std::uint32_t significandLimit = std::uint32_t{1} << significandBits;
constexpr int lowestExponent = -149;
constexpr int highestExponent = 104;
// Decimal magnitudes beyond which a value is surely out of range or rounds
// to zero: 10^39 > 2^128 and 10^-46 < 2^-150.
constexpr std::int64_t overflowMagnitude = 39;
constexpr std::int64_t zeroMagnitude = -46;
constexpr std::int64_t exponentCap = 100000;
constexpr std::uint32_t radix = 10;

// An unsigned integer of fixed capacity, wide enough for the digits of any
// entry scaled by the powers of ten and two that converting it takes: at most
// 10^255 * 2^149 or 10^300 * 2^25, under 1,100 bits.
class Wide {
public:
    explicit Wide(std::uint32_t value) : used{value == 0 ? 0U : 1U}
    {
        limbs.front() = value;
    }

    void multiplyAdd(std::uint32_t factor, std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : active()) {
            const std::uint64_t product = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> limbBits;
        }
        if (carry != 0) {
            limbs.at(used++) = static_cast<std::uint32_t>(carry);
        }
    }

    void shiftLeft(std::size_t bits)
    {
        const std::size_t words = bits / limbBits;
        const std::size_t rest = bits % limbBits;
        std::array<std::uint32_t, capacity> shifted{};
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t moved = std::uint64_t{limbs.at(i)} << rest;
            shifted.at(i + words) |= static_cast<std::uint32_t>(moved);
            shifted.at(i + words + 1) |= static_cast<std::uint32_t>(moved >> limbBits);
        }
        limbs = shifted;
        used = used == 0 ? 0 : used + words + 1;
        trim();
    }

    void halve()
    {
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint32_t carried = i + 1 < used ? limbs.at(i + 1) << (limbBits - 1) : 0;
            limbs.at(i) = (limbs.at(i) >> 1U) | carried;
        }
        trim();
    }

    // Takes away a value no larger than this one.
    void subtract(const Wide& other)
    {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < used; ++i) {
            const std::uint64_t taken = std::uint64_t{i < other.used ? other.limbs.at(i) : 0} + borrow;
            borrow = limbs.at(i) < taken ? 1 : 0;
            limbs.at(i) = static_cast<std::uint32_t>((borrow << limbBits) + limbs.at(i) - taken);
        }
        trim();
    }

    [[nodiscard]] std::size_t bitLength() const noexcept
    {
        return used == 0 ? 0 : (used - 1) * limbBits + static_cast<std::size_t>(std::bit_width(limbs.at(used - 1)));
    }

    [[nodiscard]] bool isZero() const noexcept
    {
        return used == 0;
    }

    friend std::strong_ordering operator<=>(const Wide& left, const Wide& right) noexcept
    {
        if (left.used != right.used) {
            return left.used <=> right.used;
        }
        for (std::size_t i = left.used; i-- > 0;) {
            if (left.limbs.at(i) != right.limbs.at(i)) {
                return left.limbs.at(i) <=> right.limbs.at(i);
            }
        }
        return std::strong_ordering::equal;
    }

private:
    static constexpr std::size_t limbBits = 32;
    static constexpr std::size_t capacity = 40;

    std::span<std::uint32_t> active() noexcept
    {
        return std::span{limbs}.first(used);
    }

    void trim() noexcept
    {
        while (used > 0 && limbs.at(used - 1) == 0) {
            --used;
        }
    }

    std::array<std::uint32_t, capacity> limbs{};
    std::size_t used = 0;
};

// A decimal entry as its significant digits (from the first that is not
// zero) times a power of ten, read as its characters are taken.
struct Decimal {
    bool wellFormed = false;
    bool negative = false;
    std::size_t count = 0;
    std::uint64_t leading = 0;  // the value of the digits while there are few
    std::int64_t exponent = 0;
    std::size_t first = 0;  // where the significant digits start in the entry
    std::size_t last = 0;   // and where they end, a point perhaps among them
};

std::int64_t scanExponent(Scan& scan, bool& wellFormed)
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
// are such prefixes too, but not well formed.
Decimal scanDecimal(Scan& scan)
{
    Decimal number;
    number.negative = scan.peek() == '-';
    scan.take(isSign);
    bool point = false;
    for (int c = scan.peek();; c = scan.peek()) {
        if (scan.take(isDigit)) {
            number.wellFormed = true;
            number.exponent -= point ? 1 : 0;
            if (number.count > 0 || c != '0') {
                number.first = number.count++ == 0 ? scan.taken().size() - 1 : number.first;
                number.leading = number.leading * radix + static_cast<std::uint64_t>(c - '0');
            }
        } else if (!point && scan.take(isPoint)) {
            point = true;
        } else {
            break;
        }
    }
    number.last = scan.taken().size();
    if (number.wellFormed && scan.take(isExponentMark)) {
        number.wellFormed = false;
        number.exponent += scanExponent(scan, number.wellFormed);
    }
    return number;
}

// Up to 2^24 times or over 10^10 is one correctly rounded operation on exact
// operands, which covers every amount typed in dollars and cents.
std::optional<float> quickly(const Decimal& number)
{
    constexpr std::array<float, 11> powersOfTen{1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    constexpr std::size_t mostDigits = 8;
    const auto reach = static_cast<std::int64_t>(powersOfTen.size()) - 1;
    if (number.count > mostDigits || number.leading > significandLimit || number.exponent > reach
        || number.exponent < -reach) {
        return std::nullopt;
    }
    const auto significand = static_cast<float>(number.leading);
    const float scale = powersOfTen.at(static_cast<std::size_t>(std::abs(number.exponent)));
    return number.exponent >= 0 ? significand * scale : significand / scale;
}

// Exactly: finds q and k with q * 2^k the value rounded to nearest, ties to
// even, by long division of the value scaled to 25 bits.
std::optional<float> exactly(const Decimal& number, std::string_view text)
{
    Wide numerator{0};
    for (const char c : text.substr(number.first, number.last - number.first)) {
        if (isDigit(c)) {
            numerator.multiplyAdd(radix, static_cast<std::uint32_t>(c - '0'));
        }
    }
    Wide denominator{1};
    for (std::int64_t i = 0; i < std::abs(number.exponent); ++i) {
        (number.exponent > 0 ? numerator : denominator).multiplyAdd(radix, 0);
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

// The single-precision value nearest to a well-formed decimal entry; nothing
// when it is beyond the range of single precision.
std::optional<float> toFloat(const Decimal& number, std::string_view text)
{
    std::optional<float> magnitude = 0.0F;
    const std::int64_t order = static_cast<std::int64_t>(number.count) + number.exponent;
    if (number.count == 0 || order <= zeroMagnitude) {
        magnitude = 0.0F;
    } else if (order > overflowMagnitude) {
        magnitude = std::nullopt;
    } else {
        magnitude = quickly(number);
        if (!magnitude) {
            magnitude = exactly(number, text);
        }
    }
    if (!magnitude) {
        return std::nullopt;
    }
    return number.negative ? -*magnitude : *magnitude;
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
        Scan scan{*stream.rdbuf(), text};
        const bool valid = parse(scan);
        return settle(stream, scan, valid);
    });
}

Entry EntryReader::read(std::int32_t& value)
{
    return readEntry([&value](Scan& scan) {
        scanInteger(scan);
        const std::optional<std::int32_t> number = scan.tooLong() ? std::nullopt : toInteger(scan.taken());
        value = number.value_or(value);
        return number.has_value();
    });
}

Entry EntryReader::read(float& value)
{
    return readEntry([&value](Scan& scan) {
        const Decimal decimal = scanDecimal(scan);
        const bool wellFormed = decimal.wellFormed && !scan.tooLong();
        const std::optional<float> number = wellFormed ? toFloat(decimal, scan.taken()) : std::nullopt;
        value = number.value_or(value);
        return number.has_value();
    });
}

Entry EntryReader::read(std::string& word)
{
    return readEntry([&word](Scan& scan) {
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
