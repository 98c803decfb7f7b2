#include "file_input.hpp"
#include "file_output.hpp"

#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <span>
#include <system_error>

namespace teller {
namespace {

constexpr char endOfText = '\x1a';

// A pipe whose other end has gone, which the C runtime calls EINVAL:
// ERROR_BROKEN_PIPE, ERROR_NO_DATA and, under Wine, ERROR_PIPE_NOT_CONNECTED.
constexpr std::array<unsigned long, 3> brokenPipe{109, 232, 233};

// The C runtime counts in unsigned int and answers in int.
unsigned int countOf(std::size_t size) noexcept
{
    return static_cast<unsigned int>(std::min<std::size_t>(size, INT_MAX));
}

std::error_code lastFailure() noexcept
{
    const bool pipeGone = std::ranges::find(brokenPipe, _doserrno) != brokenPipe.end();
    return pipeGone ? std::make_error_code(std::errc::broken_pipe) : std::error_code{errno, std::generic_category()};
}

}  // namespace

// In binary mode, as text mode holds back a lone CR until it sees whether an
// LF follows, and CR is a blank anyway. A Ctrl-Z still ends the input: no
// room is left to read into after it. Output stays in text mode, with the
// CR LF a console program writes.
FileInput::int_type FileInput::underflow()
{
    ::_setmode(source, _O_BINARY);
    const int got = buffer.empty() ? 0 : ::_read(source, buffer.data(), countOf(buffer.size()));
    if (got < 0) {
        throw std::system_error{lastFailure()};
    }
    const std::span<char> arrived = buffer.first(static_cast<std::size_t>(got));
    const auto end = std::ranges::find(arrived, endOfText);
    if (end != arrived.end()) {
        buffer = {};
    }
    setg(arrived.data(), arrived.data(), std::to_address(end));
    return end == arrived.begin() ? traits_type::eof() : traits_type::to_int_type(arrived.front());
}

std::error_code FileOutput::writeAll(int descriptor, std::span<const char> bytes) noexcept
{
    while (!bytes.empty()) {
        const int put = ::_write(descriptor, bytes.data(), countOf(bytes.size()));
        if (put < 0) {
            return lastFailure();
        }
        if (put == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        bytes = bytes.subspan(std::min(static_cast<std::size_t>(put), bytes.size()));
    }
    return {};
}

}  // namespace teller
