#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <streambuf>

namespace teller {

// Reads a C stream for the dialogue. Each fill stops at the end of a line, so
// that an answer typed at a terminal is taken as soon as its line is
// complete. A read that fails throws std::system_error, as the standard
// library's own file buffers do, so that it is not taken for the end of the
// input.
class FileInput : public std::streambuf {
public:
    explicit FileInput(std::FILE* file) noexcept;

protected:
    int_type underflow() override;

private:
    static constexpr std::size_t bufferSize = 4096;

    std::FILE* source;
    std::array<char, bufferSize> buffer{};
    int pendingError = 0;
};

}  // namespace teller
