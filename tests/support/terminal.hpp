#pragma once

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <exception>
#include <memory>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace teller::testing {

constexpr std::size_t never = std::string::npos;

enum class Typing { lines, pieces };

// The user's side of the dialogue, as one stream buffer for its input and its
// output. It types the given answers a line at a time, or in pieces of one to
// three bytes, and at each Ctrl-D in them answers end of file once and goes
// on after it, as a terminal does. Its keyboard and screen fail where a test
// says, a read with the given exception (EIO unless told otherwise) once
// readFailsAt characters are taken, and every write after the first `room`
// characters with ENOSPC. Like teller's own buffers, it shows what was
// written only when it is flushed or its small buffer is full, and it notes
// a read made while written output was still held back.
class Terminal : public std::streambuf {
public:
    static constexpr char ctrlD = '\x04';

    // What each side had done when the other failed, whether a read was made
    // with output held back, and the flushes the terminal was asked for.
    struct Notes {
        std::size_t shownAtReadFailure = never;
        std::size_t takenAtWriteFailure = never;
        bool readWithOutputHeld = false;
        std::size_t flushes = 0;
    };

    // The failure is kept to be thrown when the read fails.
    // NOLINTBEGIN(bugprone-throw-keyword-missing)
    explicit Terminal(std::string answers, std::size_t failReadAt = never, std::size_t screenRoom = never,
                      Typing typing = Typing::lines,
                      std::exception_ptr failure = std::make_exception_ptr(std::system_error{EIO,
                                                                                             std::generic_category()}))
        : typed{std::move(answers)}, readFailsAt{failReadAt}, room{screenRoom}, readFailure{std::move(failure)}
    // NOLINTEND(bugprone-throw-keyword-missing)
    {
        pieces = typing == Typing::pieces;
        setg(typed.data(), typed.data(), typed.data());
        setp(pending.data(), std::to_address(pending.end()));
        // Room for what most runs show, so that the screen seldom allocates
        // while the dialogue runs.
        screen.reserve(screenSize);
    }

    [[nodiscard]] std::size_t taken() const { return static_cast<std::size_t>(gptr() - eback()); }
    [[nodiscard]] const std::string& shown() const { return screen; }
    [[nodiscard]] const Notes& notes() const { return noted; }

protected:
    int_type underflow() override
    {
        noted.readWithOutputHeld = noted.readWithOutputHeld || pptr() != pbase();
        const std::size_t at = taken();
        const std::size_t available = std::min(typed.size(), readFailsAt);
        if (at == available && readFailsAt > typed.size()) {
            return traits_type::eof();
        }
        if (at == available) {
            noted.shownAtReadFailure = screen.size();
            std::rethrow_exception(readFailure);
        }
        if (typed[at] == ctrlD) {
            const std::span<char> after = std::span{typed}.subspan(at + 1, 0);
            setg(typed.data(), after.data(), after.data());
            return traits_type::eof();
        }
        const std::size_t stop = std::min(typed.find_first_of("\n\x04", at), available);
        const std::size_t lineEnd = stop < available && typed[stop] == '\n' ? stop + 1 : stop;
        const std::size_t end = pieces ? std::min(lineEnd, at + 1 + reads++ % 3) : lineEnd;
        const std::span<char> read = std::span{typed}.subspan(at, end - at);
        setg(typed.data(), read.data(), std::to_address(read.end()));
        return traits_type::to_int_type(read.front());
    }

    int_type overflow(int_type c) override
    {
        show();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override
    {
        ++noted.flushes;
        show();
        return 0;
    }

private:
    void show()
    {
        const std::string_view written{pbase(), static_cast<std::size_t>(pptr() - pbase())};
        setp(pending.data(), std::to_address(pending.end()));
        if (noted.takenAtWriteFailure == never && screen.size() + written.size() > room) {
            noted.takenAtWriteFailure = taken();
            screen.append(written.substr(0, room - screen.size()));
        }
        if (noted.takenAtWriteFailure != never) {
            throw std::system_error{ENOSPC, std::generic_category()};
        }
        screen.append(written);
    }

    // Small, so that a full buffer is flushed in the middle of a prompt too.
    static constexpr std::size_t bufferSize = 16;
    static constexpr std::size_t screenSize = 65536;

    std::string typed;
    bool pieces = false;
    std::size_t reads = 0;
    std::size_t readFailsAt;
    std::size_t room;
    std::exception_ptr readFailure;
    std::array<char, bufferSize> pending{};
    std::string screen;
    Notes noted;
};

// How often part stands in text, without overlaps.
inline std::size_t countOf(std::string_view text, std::string_view part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// The prompts in what the dialogue wrote, each known by its whole text, so
// that a holder named "Please enter" is not taken for one.
inline std::size_t countPrompts(std::string_view shown)
{
    return countOf(shown, "Please enter an account number: ") + countOf(shown, "Please enter an initial balance: ")
           + countOf(shown, "Please enter your first and last name: ") + countOf(shown, " (-1 to exit): $");
}

}  // namespace teller::testing
