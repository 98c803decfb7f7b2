#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace teller {

// The two phases, and the word each prompt for an amount names it by.
enum class Phase { deposit, withdrawal };

constexpr std::string_view actionWord(Phase phase) noexcept
{
    return phase == Phase::deposit ? "deposit" : "withdrawl";
}

// The prompt for an amount, kept for a whole phase and renumbered in place:
// a scripted session enters millions of amounts, and counting up by one
// mostly changes one digit. Its buffer holds the longest prompt any phase can
// make, counted here when teller is built.
class AmountPrompt {
public:
    explicit AmountPrompt(Phase phase) : numberAt{begin(actionWord(phase))} {}

    std::string_view operator()(std::int32_t number)
    {
        const bool nextUp =
            shown && *shown > 0 && *shown < std::numeric_limits<std::int32_t>::max() && number == *shown + 1;
        if (number != shown && !(nextUp && countUp())) {
            render(number);
        }
        shown = number;
        return {text.data(), length};
    }

private:
    static constexpr std::string_view before = "Please enter an amount for ";
    static constexpr std::string_view after = " (-1 to exit): $";
    static constexpr std::size_t longestNumber = std::numeric_limits<std::int32_t>::digits10 + 2;
    static constexpr std::size_t capacity =
        before.size() + std::max(actionWord(Phase::deposit).size(), actionWord(Phase::withdrawal).size()) + 1
        + longestNumber + after.size();
    static_assert(longestNumber == std::string_view{"-2147483648"}.size());

    void render(std::int32_t number)
    {
        const std::span<char> rest = std::span{text}.subspan(numberAt);
        const char* const digitsEnd = std::to_chars(rest.data(), std::to_address(rest.end()), number).ptr;
        length = numberAt + static_cast<std::size_t>(digitsEnd - rest.data());
        append(after);
    }

    // Adds one to the number shown; false when it needs one more digit.
    bool countUp() noexcept
    {
        const std::span<char> digits = std::span{text}.subspan(numberAt, length - after.size() - numberAt);
        const auto lastBelowNine =
            std::find_if(digits.rbegin(), digits.rend(), [](char digit) { return digit != '9'; });
        if (lastBelowNine == digits.rend()) {
            return false;
        }
        std::fill(digits.rbegin(), lastBelowNine, '0');
        ++*lastBelowNine;
        return true;
    }

    void append(std::string_view part)
    {
        length += part.copy(std::span{text}.subspan(length, part.size()).data(), part.size());
    }

    // Writes what comes before the number; returns where the number goes.
    std::size_t begin(std::string_view action)
    {
        append(before);
        append(action);
        append(" ");
        return length;
    }

    std::array<char, capacity> text{};
    std::size_t length = 0;
    std::size_t numberAt = 0;
    std::optional<std::int32_t> shown;
};

}  // namespace teller
