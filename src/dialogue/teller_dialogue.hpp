#pragma once

#include <ostream>
#include <streambuf>

namespace teller {

// Runs one whole dialogue. out is flushed only before a wait for input, a
// complaint on err and the end, and is made to throw a failed write; a buffer
// that fails throws std::system_error with the reason. Returns the exit
// status: 0 for a complete dialogue, else 1.
int runDialogue(std::streambuf& in, std::ostream& out, std::ostream& err);

}  // namespace teller
