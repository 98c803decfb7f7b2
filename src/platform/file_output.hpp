#pragma once

#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

// Writes to a descriptor through a buffer that goes out when it is full, on
// each flush and at the end. The first write that fails throws
// std::system_error with its reason, and so does every later one, so that
// nothing goes out after a gap.
class FileOutput : public std::streambuf {
public:
    // The buffer is the caller's, so that it need not be on the stack.
    FileOutput(int descriptor, std::span<char> room) noexcept;
    // A copy would send what is held twice.
    FileOutput(const FileOutput&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;
    ~FileOutput() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* text, std::streamsize size) override;
    int sync() override;

private:
    void drain();
    // Writes all of bytes, however many writes it takes; one for each kind of
    // system.
    static std::error_code writeAll(int descriptor, std::span<const char> bytes) noexcept;

    int sink;
    std::error_code failure;
};

}  // namespace teller
