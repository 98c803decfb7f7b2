#include "entry_reader.hpp"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

namespace teller {
namespace {

using Traits = std::streambuf::traits_type;
constexpr int endOfInput = Traits::eof();

// Beyond this any exponent gives infinity or zero, so no entry overflows it.
constexpr std::int64_t exponentCap = 100000;

bool isBlank(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

// The helpers are inline, so that a scan is a loop the speed gate can afford.
inline int EntryReader::peek()
{
    return source.in_avail() > 0 ? source.sgetc() : refill();
}

inline int EntryReader::pass()
{
    source.sbumpc();
    return peek();
}

// Takes c, the next character, and returns the one after; or leaves it and
// ends the scan when it would make the entry too long.
inline int EntryReader::take(int c)
{
    if (length == text.size()) {
        overlong = true;
        return endOfInput;
    }
    text[length++] = Traits::to_char_type(c);
    return pass();
}

inline int EntryReader::takeSign(int c)
{
    return c == '+' || c == '-' ? take(c) : c;
}

inline int EntryReader::takeDigits(int c)
{
    while (c >= '0' && c <= '9') {
        c = take(c);
    }
    return c;
}

// Skips the blanks before an entry, as formatted extraction does; false when
// the input stops first.
inline bool EntryReader::start()
{
    length = 0;
    overlong = false;
    int c = peek();
    while (c != endOfInput && isBlank(c)) {
        c = pass();
    }
    return c != endOfInput;
}

// A read that fails inside an entry leaves it neither taken nor refused: what
// would have followed is not known.
inline Entry EntryReader::end(bool valid) const noexcept
{
    return why ? Entry::none : (valid ? Entry::read : Entry::refused);
}

Entry EntryReader::read(std::int32_t& value)
{
    if (!start()) {
        return Entry::none;
    }
    takeDigits(takeSign(peek()));
    std::string_view digits{text.data(), length};
    // from_chars takes a minus sign but no plus; it takes every digit or leaves
    // the value as it was.
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
    }
    const bool valid = !overlong && std::from_chars(digits.begin(), digits.end(), value).ec == std::errc{};
    return end(valid);
}

// A sign, digits with at most one point, then an exponent once there is a
// digit: the longest prefix that can be a decimal number. "-", "." and "1e+"
// are such prefixes too, but no number.
Entry EntryReader::read(float& value)
{
    if (!start()) {
        return Entry::none;
    }
    int c = peek();
    const bool negative = c == '-';
    c = takeSign(c);
    const std::size_t integerAt = length;
    c = takeDigits(c);
    const std::size_t pointAt = length;
    if (c == '.') {
        c = takeDigits(take(c));
    }
    const std::string_view typed{text.data(), length};
    const std::string_view integer = typed.substr(integerAt, pointAt - integerAt);
    // Empty when there is no point, or the point made the entry too long.
    const std::string_view fraction = typed.substr(std::min(pointAt + 1, length));
    if (integer.empty() && fraction.empty()) {
        return end(false);
    }
    std::int64_t exponent = 0;
    if (c == 'e' || c == 'E') {
        c = take(c);
        const bool negativeExponent = c == '-';
        c = takeSign(c);
        const std::size_t digitsAt = length;
        takeDigits(c);
        if (length == digitsAt) {
            return end(false);
        }
        for (const char digit : std::string_view{text.data(), length}.substr(digitsAt)) {
            exponent = std::min(exponent * 10 + (digit - '0'), exponentCap);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    const auto power = exponent - static_cast<std::int64_t>(fraction.size());
    const std::optional<float> number = overlong ? std::nullopt : toFloat({negative, integer, fraction, power});
    value = number.value_or(value);
    return end(number.has_value());
}

Entry EntryReader::read(std::string& word)
{
    if (!start()) {
        return Entry::none;
    }
    for (int c = peek(); c != endOfInput && !isBlank(c);) {
        c = take(c);
    }
    word.assign(text.data(), length);
    return end(!overlong);
}

bool EntryReader::dropLine()
{
    int c = peek();
    while (c != endOfInput && c != '\n') {
        c = pass();
    }
    return c != endOfInput;
}

// Waits for input, so the output goes out first. A read that fails stops the
// input with its reason; a failed flush throws on, as the output's failure.
int EntryReader::refill()
{
    if (ended) {
        return endOfInput;
    }
    output.flush();
    try {
        const int c = source.sgetc();
        ended = c == endOfInput;
        return c;
    } catch (const std::system_error& failed) {
        why = failed.code();
        ended = true;
        return endOfInput;
    }
}

}  // namespace teller
