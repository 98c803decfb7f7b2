#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <streambuf>
#include <string_view>

namespace teller {

// The characters of one entry, taken one at a time from the stream buffer
// into a fixed array, each only once it is known to belong to the entry.
class EntryScan {
public:
    using Traits = std::streambuf::traits_type;

    EntryScan(std::streambuf& buffer, std::span<char> text) : source{buffer}, chars{text}, next{buffer.sgetc()} {}

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

    // The characters taken from `from` on, less the point at `point` if it
    // is among them: the point is moved behind them.
    std::string_view withoutPoint(std::size_t from, std::optional<std::size_t> point)
    {
        std::size_t end = length;
        if (point && *point > from) {
            const std::span<char> rest = chars.subspan(*point, length - *point);
            std::rotate(rest.begin(), rest.begin() + 1, rest.end());
            --end;
        }
        return {chars.subspan(from).data(), end - from};
    }

private:
    std::streambuf& source;
    std::span<char> chars;
    std::size_t length = 0;
    int next;
    bool overlong = false;
};

}  // namespace teller
