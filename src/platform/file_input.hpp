#pragma once

#include <span>
#include <streambuf>

namespace teller {

// Hands on whatever each read of a descriptor brings, so that an answer is
// taken once its blank is typed, line or no line. A failed read throws
// std::system_error with the system's reason, so that it is not taken for
// the end of the input.
class FileInput : public std::streambuf {
public:
    // The buffer is the caller's, so that it need not be on the stack.
    FileInput(int descriptor, std::span<char> room) noexcept : source{descriptor}, buffer{room} {}

protected:
    // One for each kind of system, beside its writes.
    int_type underflow() override;

private:
    int source;
    std::span<char> buffer;
};

}  // namespace teller
