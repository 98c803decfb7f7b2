#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string_view>

namespace teller {

// The two phases, and the word each prompt for an amount names it by.
enum class Phase { deposit, withdrawal };

constexpr std::string_view actionWord(Phase phase) noexcept
{
    return phase == Phase::deposit ? "deposit" : "withdrawl";
}

// The prompt for an amount, with its number, kept for a whole phase and
// counted up in place: a scripted session enters millions of amounts, and
// counting up by one mostly changes one digit. The number stops at the
// largest 32-bit value rather than overflowing, however many amounts a
// script feeds in. The buffer holds the longest prompt any phase can make,
// counted here when teller is built.
class AmountPrompt {
public:
    static constexpr std::int32_t largestNumber = std::numeric_limits<std::int32_t>::max();

    // Prompts are numbered from 1; a later first number serves tests.
    explicit AmountPrompt(Phase phase, std::int32_t first = 1)
        : numberAt{before.size() + actionWord(phase).size() + 1}, number{first}
    {
        assert(first > 0 && "prompts count up from a positive number");
        append(before);
        append(actionWord(phase));
        append(" ");
        assert(length == numberAt && "the number follows the action word and a blank");
        writeNumber();
    }

    [[nodiscard]] std::string_view text() const noexcept
    {
        return {prompt.data(), length};
    }

    // Moves on to the next number, unless the largest is reached.
    void countUp()
    {
        if (number == largestNumber) {
            return;
        }
        ++number;
        if (!countUpDigits()) {
            writeNumber();
        }
    }

private:
    static constexpr std::string_view before = "Please enter an amount for ";
    static constexpr std::string_view after = " (-1 to exit): $";
    static constexpr std::size_t longestNumber = std::numeric_limits<std::int32_t>::digits10 + 1;
    static constexpr std::size_t capacity =
        before.size() + std::max(actionWord(Phase::deposit).size(), actionWord(Phase::withdrawal).size()) + 1
        + longestNumber + after.size();
    static_assert(longestNumber == std::string_view{"2147483647"}.size());

    void writeNumber()
    {
        const std::span<char> rest = std::span{prompt}.subspan(numberAt);
        const char* const digitsEnd = std::to_chars(rest.data(), std::to_address(rest.end()), number).ptr;
        length = numberAt + static_cast<std::size_t>(digitsEnd - rest.data());
        append(after);
    }

    // Adds one to the digits shown; false when that needs one digit more.
    bool countUpDigits() noexcept
    {
        const std::span<char> digits = std::span{prompt}.subspan(numberAt, length - after.size() - numberAt);
        std::size_t end = digits.size();
        while (end > 0 && digits[end - 1] == '9') {
            digits[--end] = '0';
        }
        if (end == 0) {
            return false;
        }
        ++digits[end - 1];
        return true;
    }

    void append(std::string_view part)
    {
        length += part.copy(std::span{prompt}.subspan(length, part.size()).data(), part.size());
    }

    std::array<char, capacity> prompt{};
    std::size_t length = 0;
    std::size_t numberAt;
    std::int32_t number;
};

}  // namespace teller
