#pragma once

#include <cstddef>
#include <functional>
#include <ios>
#include <span>
#include <streambuf>
#include <string_view>

namespace teller {

// Called before the reader waits for input that has not arrived yet; false
// stops the reading there, as the end of the input would.
using BeforeWait = std::function<bool()>;

// The characters of one entry, taken one at a time from the stream buffer
// into a fixed array, each only once it is known to belong to the entry.
// What is taken stays as it was typed. The buffer is asked how much has
// arrived only when all it last told of is taken: once per refill, and once
// per entry, rather than before every character.
class EntryScan {
public:
    using Traits = std::streambuf::traits_type;

    EntryScan(std::streambuf& buffer, const BeforeWait& onWait, std::span<char> text)
        : source{buffer}, beforeWait{onWait}, chars{text}
    {
    }

    // The next character, not taken yet, after onWait when none has
    // arrived: end of file when the input ends or onWait says stop.
    int peek()
    {
        return ready > 0 ? source.sgetc() : refill();
    }

    // Passes over the next character, which peek has seen.
    void pass()
    {
        source.sbumpc();
        --ready;
    }

    // Passes over the characters that pass the test, keeping none, and
    // returns the first that does not.
    template <typename Test>
    int skip(Test test)
    {
        int c = peek();
        while (c != Traits::eof() && test(c)) {
            pass();
            c = peek();
        }
        return c;
    }

    // Takes the next character when it passes the test. A character that
    // would make the entry too long is left, and the entry marked as such.
    template <typename Test>
    bool take(Test test)
    {
        const int c = peek();
        if (c == Traits::eof() || !test(c)) {
            return false;
        }
        if (length == chars.size()) {
            overlong = true;
            return false;
        }
        pass();
        chars[length++] = Traits::to_char_type(c);
        return true;
    }

    // Takes the characters that pass the test, and returns them.
    template <typename Test>
    std::string_view takeAll(Test test)
    {
        const std::size_t before = length;
        while (take(test)) {
        }
        const std::span<const char> run = chars.subspan(before, length - before);
        return {run.data(), run.size()};
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
    // Waits for more input when none has arrived, after onWait, and learns
    // how much came. Once the input has ended, the entry ends there.
    int refill()
    {
        if (ended || (source.in_avail() <= 0 && !beforeWait())) {
            ended = true;
            return Traits::eof();
        }
        const int c = source.sgetc();
        ready = source.in_avail();
        ended = c == Traits::eof();
        return c;
    }

    std::streambuf& source;
    const BeforeWait& beforeWait;
    std::span<char> chars;
    std::streamsize ready = 0;  // characters that have arrived and are not taken yet
    std::size_t length = 0;
    bool overlong = false;
    bool ended = false;
};

}  // namespace teller
