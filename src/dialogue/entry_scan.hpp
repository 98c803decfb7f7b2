#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <streambuf>
#include <string_view>

namespace teller {

// Called before the reader waits for input that has not arrived yet; false
// stops the reading there, as the end of the input would.
using BeforeWait = std::function<bool()>;

// The characters of one entry, taken one at a time from the stream buffer
// into a fixed array, each only once it is known to belong to the entry.
// What is taken stays as it was typed.
class EntryScan {
public:
    using Traits = std::streambuf::traits_type;

    // The next character of buffer, after onWait when none has arrived: end
    // of file when the input ends or onWait says stop.
    static int peekAt(std::streambuf& buffer, const BeforeWait& onWait)
    {
        if (buffer.in_avail() <= 0 && !onWait()) {
            return Traits::eof();
        }
        return buffer.sgetc();
    }

    EntryScan(std::streambuf& buffer, const BeforeWait& onWait, std::span<char> text)
        : source{buffer}, beforeWait{onWait}, chars{text}, next{peekAt(buffer, onWait)}
    {
    }

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
        source.sbumpc();
        next = peekAt(source, beforeWait);
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

private:
    std::streambuf& source;
    const BeforeWait& beforeWait;
    std::span<char> chars;
    std::size_t length = 0;
    int next;
    bool overlong = false;
};

}  // namespace teller
