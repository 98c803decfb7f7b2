#pragma once

#include <cstdint>
#include <istream>
#include <limits>
#include <ostream>

namespace teller {

// Runs one whole dialogue: the opening questions, the deposits, the
// withdrawals and the summary. Prompts go to out, complaints about bad
// entries and the reason for stopping short to err; out is flushed only
// before err is written and at the end, so an input that waits must flush it
// first. A stream buffer that fails throws std::system_error with the reason,
// and throws it again on every later write and flush. Returns the exit
// status: 0 for a complete dialogue, 1 when the input ended or failed early,
// out or err could not be written, memory ran out or anything else failed.
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err);

// The number of the prompt after n. It stays at the largest value rather than
// overflowing, however many amounts a script feeds in.
[[nodiscard]] constexpr std::int32_t nextPromptNumber(std::int32_t n) noexcept
{
    return n == std::numeric_limits<std::int32_t>::max() ? n : n + 1;
}

}  // namespace teller
