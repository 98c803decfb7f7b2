#pragma once

#include <span>
#include <streambuf>

namespace teller {

// Reads a descriptor for the dialogue. Each refill is one read that hands on
// whatever has arrived, so an answer is taken as soon as its blank has been
// typed, line or no line. Like the standard library's file buffer it asks
// the system again after an end of file, which a terminal gives once for each
// Ctrl-D; its reader keeps the end. Only an end that the system would not
// tell again, a Ctrl-Z on Windows, is kept here. A read that fails throws
// std::system_error with the system's reason, so that it is not taken for
// the end of the input; nothing else is thrown from here.
class FileInput : public std::streambuf {
public:
    // The buffer is the caller's, so that it need not be on the stack.
    FileInput(int descriptor, std::span<char> room) noexcept;
    FileInput(const FileInput&) = delete;
    FileInput(FileInput&&) = delete;
    FileInput& operator=(const FileInput&) = delete;
    FileInput& operator=(FileInput&&) = delete;
    ~FileInput() override = default;

protected:
    int_type underflow() override;

private:
    int source;
    std::span<char> buffer;
    bool ended = false;
};

}  // namespace teller
