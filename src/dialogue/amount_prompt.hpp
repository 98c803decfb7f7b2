#pragma once

#include <array>
#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string_view>

namespace teller {

enum class Phase { deposit, withdrawal };

// The prompt for each amount of a phase, numbered from 1 up to the largest
// 32-bit number, where it stays however many amounts a script feeds in.
class AmountPrompt {
public:
    static constexpr std::int32_t largestNumber = std::numeric_limits<std::int32_t>::max();

    // A later first number serves tests.
    explicit AmountPrompt(Phase phase, std::int32_t first = 1) noexcept
        : numberAt{(phase == Phase::deposit ? depositHead : withdrawalHead).copy(chars.data(), chars.size())},
          number{first},
          length{write()}
    {
    }

    [[nodiscard]] std::string_view text() const noexcept { return {chars.data(), length}; }

    // Nine times in ten only the last digit changes, which costs a script of
    // millions of amounts less than writing the number anew.
    void countUp() noexcept
    {
        if (number == largestNumber) {
            return;
        }
        ++number;
        char& last = chars[length - tail.size() - 1];
        if (last == '9') {
            length = write();
        } else {
            ++last;
        }
    }

private:
    static constexpr std::string_view depositHead = "Please enter an amount for deposit ";
    static constexpr std::string_view withdrawalHead = "Please enter an amount for withdrawl ";
    static constexpr std::string_view tail = " (-1 to exit): $";

    // The number and what follows it; the length of the prompt.
    std::size_t write() noexcept
    {
        const char* const digitsEnd = std::to_chars(&chars[numberAt], std::to_address(chars.end()), number).ptr;
        const auto end = static_cast<std::size_t>(digitsEnd - chars.data());
        assert(end + tail.size() <= chars.size() && "the longest prompt fits");
        return end + tail.copy(&chars[end], tail.size());
    }

    std::array<char, withdrawalHead.size() + std::numeric_limits<std::int32_t>::digits10 + 1 + tail.size()> chars{};
    std::size_t numberAt;
    std::int32_t number;
    std::size_t length;
};

}  // namespace teller
