#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <streambuf>
#include <system_error>

namespace teller {

// Writes to a C stream for the dialogue, through a buffer of its own that
// goes out in one piece on each flush. The first write that fails throws
// std::system_error with its reason, and so does every later write or flush:
// a stream that swallows the exception still leaves the reason for whoever
// flushes next.
class FileOutput : public std::streambuf {
public:
    explicit FileOutput(std::FILE* file) noexcept;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* text, std::streamsize size) override;
    int sync() override;

private:
    static constexpr std::size_t bufferSize = 4096;

    // Sends what is buffered on; keeps the reason of the first failure and
    // throws it now and from then on.
    void drain();
    bool writeOut(std::size_t pending);

    std::FILE* sink;
    std::array<char, bufferSize> buffer{};
    bool alsoFlush;
    std::error_code failure;
};

}  // namespace teller
