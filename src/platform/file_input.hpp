#pragma once

#include <array>
#include <cstddef>
#include <streambuf>

namespace teller {

// Reads a descriptor for the dialogue. Each refill is one read that hands on
// whatever has arrived, so an answer is taken as soon as its blank has been
// typed, line or no line. Before it waits, it flushes the output tied to it,
// so that a prompt is seen before its answer is awaited. A read that fails
// throws std::system_error with the system's reason, as the standard
// library's own file buffers do, so that it is not taken for the end of the
// input; a tied output that cannot be flushed throws its own reason.
class FileInput : public std::streambuf {
public:
    FileInput(int descriptor, std::streambuf& tied) noexcept;

protected:
    int_type underflow() override;

private:
    static constexpr std::size_t bufferSize = 65536;

    int source;
    std::streambuf& output;
    std::array<char, bufferSize> buffer{};
};

}  // namespace teller
