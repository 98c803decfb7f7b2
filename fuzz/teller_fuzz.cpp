#include "teller_dialogue.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <memory>
#include <ostream>
#include <span>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

void require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

std::size_t countOf(std::string_view text, std::string_view part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

bool eachLineComesFromTeller(std::string_view err)
{
    return countOf(err, "\n") == countOf(err, "teller: ") && (err.empty() || err.back() == '\n');
}

constexpr std::size_t never = std::string::npos;

// The user's side of the dialogue: it types the given answers a line at a
// time, and its keyboard and screen fail where the fuzzer says, a read with
// EIO and every write after the first `room` characters with ENOSPC. Like
// teller's own buffers, it shows what was written only when it is flushed,
// when its small buffer is full or before it hands over a line. It notes
// what each side had done when the other failed.
class Terminal : public std::streambuf {
public:
    Terminal(std::string answers, std::size_t readFailsAt, std::size_t room)
        : typed{std::move(answers)}, readFailsAt{readFailsAt}, room{room}
    {
        setg(typed.data(), typed.data(), typed.data());
        setp(pending.data(), std::to_address(pending.end()));
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

protected:
    int_type underflow() override
    {
        sync();
        const std::size_t at = taken();
        const std::size_t newline = typed.find('\n', at);
        const std::size_t end = std::min(newline == std::string::npos ? typed.size() : newline + 1, readFailsAt);
        if (at >= end) {
            if (readFailsAt >= typed.size()) {
                return traits_type::eof();
            }
            screenAtReadFailure = screen.size();
            throw std::system_error{EIO, std::generic_category()};
        }
        const std::span<char> line = std::span{typed}.subspan(at, end - at);
        setg(typed.data(), line.data(), std::to_address(line.end()));
        return traits_type::to_int_type(line.front());
    }

    int_type overflow(int_type c) override
    {
        sync();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override
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
        return 0;
    }

private:
    // Small, so that a full buffer is flushed in the middle of a prompt too.
    static constexpr std::size_t bufferSize = 16;

    std::string typed;
    std::size_t readFailsAt;
    std::size_t room;
    std::array<char, bufferSize> pending{};
    std::string screen;
    std::size_t screenAtReadFailure = never;
    std::size_t takenAtFailure = never;
};

// Two bytes of the input, as a point where something fails; never when the
// input is too short to say.
std::size_t failurePoint(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (bytes.size() <= at + 1) {
        return never;
    }
    constexpr unsigned bitsPerByte = 8;
    return static_cast<std::size_t>(bytes[at]) << bitsPerByte | bytes[at + 1];
}

}  // namespace

// Any bytes at all as the user's answers, with a read and a write failing at
// points of the fuzzer's choosing, the write also in the flush before a read:
// the dialogue must end with status 0 or 1, say why it failed, complain only
// in its own lines, never prompt without consuming input, read nothing once a
// write has failed, tell a failed write from a failed read, and prompt no
// more once a read has failed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes{data, size};
    const std::size_t header = bytes.size() < 4 ? bytes.size() : 4;
    const auto answers = bytes.subspan(header);
    Terminal terminal{std::string{answers.begin(), answers.end()}, failurePoint(bytes, 0), failurePoint(bytes, 2)};
    std::istream in{&terminal};
    std::ostream out{&terminal};
    std::ostringstream err;
    const int status = teller::runDialogue(in, out, err);

    require(status == 0 || status == 1);
    require(countOf(terminal.shown(), "Please enter") <= answers.size() + 1);
    require(status == 0 || !err.str().empty());
    require(eachLineComesFromTeller(err.str()));
    if (terminal.shownAtReadFailure() != never) {
        require(status == 1 && countOf(err.str(), "teller: read error: ") == 1);
        require(countOf(std::string_view{terminal.shown()}.substr(terminal.shownAtReadFailure()), "Please enter") == 0);
    }
    if (terminal.takenAtWriteFailure() != never) {
        require(status == 1 && countOf(err.str(), "teller: write error: ") == 1);
        require(terminal.taken() == terminal.takenAtWriteFailure());
        // A write that fails in the flush before a read is no read error.
        require(terminal.shownAtReadFailure() != never || countOf(err.str(), "teller: read error: ") == 0);
    }
    return 0;
}
