#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <span>
#include <streambuf>
#include <string_view>
#include <system_error>

namespace teller {

// The characters of one entry, taken one at a time from the input's stream
// buffer into a fixed array, each only once it is known to belong to the
// entry. What is taken stays as it was typed.
class EntryScan {
public:
    using Traits = std::streambuf::traits_type;

    // What the reader knows of its input from entry to entry: its stream
    // buffer, the stream tied to it, how much has arrived and is not taken
    // yet, whether it has ended, and the reason the system gave when a read
    // failed. Before a wait for input that has not arrived, the tied stream
    // is flushed, as formatted extraction does, so that a prompt is seen
    // before its answer is awaited. Once the input has ended or a read has
    // failed, nothing more is read: a terminal answers end of file once for
    // each Ctrl-D, and would go on giving what is typed after it.
    struct Input {
        std::streambuf& source;
        std::ostream* tied;
        std::streamsize ready = 0;
        bool ended = false;
        std::error_code failure{};
    };

    // The count of what has arrived is borrowed from the input for the
    // entry and given back at its end, so that it can stay in a register
    // while the characters are taken.
    EntryScan(Input& from, std::span<char> text) noexcept : input{from}, ready{from.ready}, chars{text} {}
    EntryScan(const EntryScan&) = delete;
    EntryScan(EntryScan&&) = delete;
    EntryScan& operator=(const EntryScan&) = delete;
    EntryScan& operator=(EntryScan&&) = delete;
    ~EntryScan()
    {
        input.ready = ready;
    }

    // The next character, not taken yet; end of file once the input has
    // ended or failed.
    int peek()
    {
        return ready > 0 ? input.source.sgetc() : refill();
    }

    // Passes over the next character, which peek has seen.
    void pass()
    {
        input.source.sbumpc();
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
        return taken().substr(before);
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
    // Waits for more input once what has arrived is taken, which is when the
    // tied stream is flushed. A failed read ends the input with its reason;
    // a failed flush is the output's, and throws as the tied stream does.
    int refill()
    {
        if (input.ended) {
            return Traits::eof();
        }
        if (input.tied != nullptr) {
            input.tied->flush();
        }
        try {
            const int c = input.source.sgetc();
            input.ended = c == Traits::eof();
            ready = input.source.in_avail();
            return c;
        } catch (const std::system_error& failed) {
            input.failure = failed.code();
            input.ended = true;
            return Traits::eof();
        }
    }

    Input& input;
    std::streamsize ready;  // characters that have arrived and are not taken yet
    std::span<char> chars;
    std::size_t length = 0;
    bool overlong = false;
};

}  // namespace teller
