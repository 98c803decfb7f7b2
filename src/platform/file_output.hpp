#pragma once

#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

// Writes to a descriptor for the dialogue, through a buffer that goes out
// when it is full and on each flush, and not before: the dialogue flushes it
// before it waits for input. The first write that fails throws
// std::system_error with its reason, and so does every later write or flush,
// so that nothing is written out of order after a gap. What is still held
// when the buffer is destroyed goes out then.
class FileOutput : public std::streambuf {
public:
    // The buffer is the caller's, so that it need not be on the stack.
    FileOutput(int descriptor, std::span<char> room) noexcept;
    FileOutput(const FileOutput&) = delete;
    FileOutput(FileOutput&&) = delete;
    FileOutput& operator=(const FileOutput&) = delete;
    FileOutput& operator=(FileOutput&&) = delete;
    ~FileOutput() override;

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char_type* text, std::streamsize size) override;
    int sync() override;

private:
    // Sends what is held on and empties the buffer.
    void drain();
    [[nodiscard]] std::span<const char> held() const noexcept;

    int sink;
    std::span<char> buffer;
    std::error_code failure;
};

}  // namespace teller
