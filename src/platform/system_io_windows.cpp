#include "system_io.hpp"

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

// The C runtime counts in unsigned int and answers in int.
constexpr std::size_t mostAtOnce = INT_MAX;

// Ctrl-Z, which ends the input in the C runtime's text mode.
constexpr char endOfText = '\x1a';

// The system's errors for a pipe whose other end has gone, which the C
// runtime reports as EINVAL: ERROR_BROKEN_PIPE, ERROR_NO_DATA (Windows, on a
// write) and ERROR_PIPE_NOT_CONNECTED (Wine, on a write).
constexpr std::array<unsigned long, 3> brokenPipe{109, 232, 233};

unsigned int countOf(std::size_t size) noexcept
{
    return static_cast<unsigned int>(std::min(size, mostAtOnce));
}

std::error_code lastFailure() noexcept
{
    const bool pipeGone = std::ranges::find(brokenPipe, _doserrno) != brokenPipe.end();
    return pipeGone ? std::make_error_code(std::errc::broken_pipe) : std::error_code{errno, std::generic_category()};
}

}  // namespace

// Input is read in binary mode, as it arrives: in text mode the C runtime
// holds back a final CR until it sees whether an LF follows, so an answer
// ended by a lone CR would wait for the next. CR is a blank to teller
// anyway; a Ctrl-Z still ends the input. Output stays in text mode, which
// writes LF as CR LF, as a Windows console program is expected to.
ReadResult readSome(int descriptor, std::span<char> into) noexcept
{
    ::_setmode(descriptor, _O_BINARY);
    const int got = ::_read(descriptor, into.data(), countOf(into.size()));
    if (got < 0) {
        return {.failure = lastFailure()};
    }
    const std::span<char> arrived = into.first(static_cast<std::size_t>(got));
    const auto end = std::find(arrived.begin(), arrived.end(), endOfText);
    return {static_cast<std::size_t>(end - arrived.begin()), {}, end != arrived.end()};
}

std::error_code writeAll(int descriptor, std::span<const char> bytes) noexcept
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
