#pragma once

#include <istream>
#include <ostream>

namespace teller {

// Runs one whole dialogue: the opening questions, the deposits, the
// withdrawals and the summary. Prompts go to out, complaints about bad
// entries and the reason for stopping short to err. in is tied to out, which
// is flushed before the dialogue waits for input that has not arrived, before
// err is written and at the end, and not otherwise; err is flushed after each
// complaint, and its last line is left to the caller's stream. out is made to
// throw on a failed write (badbit in its exception mask). A stream buffer
// that fails throws std::system_error with the reason: in's for a read, out's
// for a write. Returns the exit status: 0 for a complete dialogue, 1 when the
// input ended or failed early, out or err could not be written, memory ran
// out or anything else failed.
int runDialogue(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace teller
