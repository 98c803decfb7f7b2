#pragma once

#include <cstddef>
#include <span>
#include <system_error>

namespace teller {

// The system's standard input, output and error, by descriptor.
constexpr int standardInput = 0;
constexpr int standardOutput = 1;
constexpr int standardError = 2;

// What one read from the system came to: the bytes it took, none at the end
// of the input, or the system's reason when it failed. The input may also
// end after the bytes it took, as at a Ctrl-Z on Windows.
struct ReadResult {
    std::size_t count{};
    std::error_code failure;
    bool last = false;
};

// Reads what is available, at least one byte unless the input has ended,
// waiting only when nothing is.
ReadResult readSome(int descriptor, std::span<char> into) noexcept;

// Writes all of bytes, however many writes the system takes for it; the
// system's reason when one fails.
std::error_code writeAll(int descriptor, std::span<const char> bytes) noexcept;

}  // namespace teller
