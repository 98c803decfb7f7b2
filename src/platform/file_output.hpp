#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

// Writes to a descriptor for the dialogue, through a buffer that goes out
// when it is full and on each flush, and not before: the input that waits
// flushes it. The first write that fails throws std::system_error with its
// reason, and so does every later write or flush: a stream that swallows the
// exception still leaves the reason for whoever flushes next. What is still
// held when the buffer is destroyed goes out then.
class FileOutput : public std::streambuf {
public:
    explicit FileOutput(int descriptor) noexcept;
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
    static constexpr std::size_t bufferSize = 65536;

    // Sends what is held, or bytes, on; keeps the reason of the first
    // failure and throws it now and from then on.
    void drain();
    void send(std::span<const char> bytes);
    [[nodiscard]] std::span<const char> held() const noexcept;

    int sink;
    std::array<char, bufferSize> buffer{};
    std::error_code failure;
};

}  // namespace teller
