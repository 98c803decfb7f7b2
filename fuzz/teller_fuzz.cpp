#include "teller_dialogue.hpp"

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

// The user's side of the dialogue: it types the given answers, and its
// keyboard and screen fail where the fuzzer says, a read with EIO and every
// write after the first `room` characters with ENOSPC. It notes what each
// side had done when the other failed.
class Terminal : public std::streambuf {
public:
    Terminal(std::string answers, std::size_t readFailsAt, std::size_t room)
        : typed{std::move(answers)}, readFailsAt{readFailsAt}, room{room}
    {
        const std::span<char> served = std::span{typed}.first(readFailsAt < typed.size() ? readFailsAt : typed.size());
        setg(served.data(), served.data(), std::to_address(served.end()));
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
        if (readFailsAt >= typed.size()) {
            return traits_type::eof();
        }
        screenAtReadFailure = screen.size();
        throw std::system_error{EIO, std::generic_category()};
    }

    int_type overflow(int_type c) override
    {
        if (takenAtFailure == never && screen.size() == room) {
            takenAtFailure = taken();
        }
        sync();
        screen.push_back(traits_type::to_char_type(c));
        return c;
    }

    int sync() override
    {
        if (takenAtFailure != never) {
            throw std::system_error{ENOSPC, std::generic_category()};
        }
        return 0;
    }

private:
    std::string typed;
    std::size_t readFailsAt;
    std::size_t room;
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
// points of the fuzzer's choosing: the dialogue must end with status 0 or 1,
// say why it failed, complain only in its own lines, never prompt without
// consuming input, read nothing once a write has failed, and prompt no more
// once a read has failed.
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
    }
    return 0;
}
