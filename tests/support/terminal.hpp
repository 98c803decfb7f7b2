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

// The user's side of the dialogue, as one stream buffer for its input and its
// output: it types the given answers a line at a time, and its keyboard and
// screen fail where a test says, a read with the given exception (EIO unless
// told otherwise) once readFailsAt characters are taken, and every write
// after the first `room` characters with ENOSPC. Like teller's own buffers,
// it shows what was written only when it is flushed or its small buffer is
// full. It notes what each side had done when the other failed, and counts
// the flushes it was asked for.
class Terminal : public std::streambuf {
public:
    // The failure is kept to be thrown when the read fails.
    // NOLINTBEGIN(bugprone-throw-keyword-missing)
    Terminal(std::string answers, std::size_t failReadAt, std::size_t screenRoom,
             std::exception_ptr failure = std::make_exception_ptr(std::system_error{EIO, std::generic_category()}))
        : typed{std::move(answers)}, readFailsAt{failReadAt}, room{screenRoom}, readFailure{std::move(failure)}
    // NOLINTEND(bugprone-throw-keyword-missing)
    {
        setg(typed.data(), typed.data(), typed.data());
        setp(pending.data(), std::to_address(pending.end()));
        // Room for what most runs show, so that the screen seldom allocates
        // while the dialogue runs.
        screen.reserve(screenSize);
    }

    [[nodiscard]] std::size_t taken() const
    {
        return static_cast<std::size_t>(gptr() - eback());
    }
    [[nodiscard]] const std::string& shown() const
    {
        return screen;
    }
    [[nodiscard]] std::size_t shownAtReadFailure() const
    {
        return screenAtReadFailure;
    }
    [[nodiscard]] std::size_t takenAtWriteFailure() const
    {
        return takenAtFailure;
    }
    [[nodiscard]] std::size_t flushes() const
    {
        return flushed;
    }

protected:
    int_type underflow() override
    {
        const std::size_t at = taken();
        const std::size_t newline = typed.find('\n', at);
        const std::size_t end = std::min(newline == std::string::npos ? typed.size() : newline + 1, readFailsAt);
        if (at >= end) {
            if (readFailsAt > typed.size()) {
                return traits_type::eof();
            }
            screenAtReadFailure = screen.size();
            std::rethrow_exception(readFailure);
        }
        const std::span<char> line = std::span{typed}.subspan(at, end - at);
        setg(typed.data(), line.data(), std::to_address(line.end()));
        return traits_type::to_int_type(line.front());
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
        ++flushed;
        show();
        return 0;
    }

private:
    void show()
    {
        const std::string_view written{pbase(), static_cast<std::size_t>(pptr() - pbase())};
        setp(pending.data(), std::to_address(pending.end()));
        if (takenAtFailure == never && screen.size() + written.size() > room) {
            takenAtFailure = taken();
            screen.append(written.substr(0, room - screen.size()));
        }
        if (takenAtFailure != never) {
            throw std::system_error{ENOSPC, std::generic_category()};
        }
        screen.append(written);
    }

    // Small, so that a full buffer is flushed in the middle of a prompt too.
    static constexpr std::size_t bufferSize = 16;
    static constexpr std::size_t screenSize = 65536;

    std::string typed;
    std::size_t readFailsAt;
    std::size_t room;
    std::exception_ptr readFailure;
    std::array<char, bufferSize> pending{};
    std::string screen;
    std::size_t screenAtReadFailure = never;
    std::size_t takenAtFailure = never;
    std::size_t flushed = 0;
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
