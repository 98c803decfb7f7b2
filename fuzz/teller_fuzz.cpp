#include "teller_dialogue.hpp"
#include "terminal.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

namespace {

using teller::testing::countOf;
using teller::testing::countPrompts;
using teller::testing::never;
using teller::testing::Terminal;

void require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

bool eachLineComesFromTeller(std::string_view err)
{
    return countOf(err, "\n") == countOf(err, "teller: ") && (err.empty() || err.back() == '\n');
}

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

// Any bytes at all as the user's answers, typed in pieces, each Ctrl-D an end
// of file answered once, with a read and a write failing at points of the
// fuzzer's choosing, the write also in the flush before a wait: the dialogue
// must end with status 0 or 1, say why it failed, complain only in its own
// lines, never prompt without consuming input, never wait with a prompt held
// back, read nothing once a write has failed, tell a failed write from a
// failed read, and prompt no more once a read has failed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes{data, size};
    const std::size_t header = bytes.size() < 4 ? bytes.size() : 4;
    const auto answers = bytes.subspan(header);
    Terminal terminal{std::string{answers.begin(), answers.end()}, failurePoint(bytes, 0), failurePoint(bytes, 2),
                      teller::testing::Typing::pieces};
    std::ostream out{&terminal};
    std::ostringstream err;
    const int status = teller::runDialogue(terminal, out, err);

    require(status == 0 || status == 1);
    require(countPrompts(terminal.shown()) <= answers.size() + 1);
    require(!terminal.notes().readWithOutputHeld);
    require(status == 0 || !err.str().empty());
    require(eachLineComesFromTeller(err.str()));
    if (terminal.notes().shownAtReadFailure != never) {
        require(status == 1 && countOf(err.str(), "teller: read error: ") == 1);
        require(countPrompts(std::string_view{terminal.shown()}.substr(terminal.notes().shownAtReadFailure)) == 0);
    }
    if (terminal.notes().takenAtWriteFailure != never) {
        require(status == 1 && countOf(err.str(), "teller: write error: ") == 1);
        require(terminal.taken() == terminal.notes().takenAtWriteFailure);
        // A write that fails in the flush before a read is no read error.
        require(terminal.notes().shownAtReadFailure != never || countOf(err.str(), "teller: read error: ") == 0);
    }
    return 0;
}
