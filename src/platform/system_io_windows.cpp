#include "system_io.hpp"

#include <io.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <span>
#include <system_error>

namespace teller {
namespace {

// The C runtime counts in unsigned int and answers in int.
constexpr std::size_t mostAtOnce = INT_MAX;

unsigned int countOf(std::size_t size) noexcept
{
    return static_cast<unsigned int>(std::min(size, mostAtOnce));
}

std::error_code lastFailure() noexcept
{
    return {errno, std::generic_category()};
}

}  // namespace

// The descriptors stay in the C runtime's text mode, which reads CR LF as LF
// and writes LF as CR LF, as a Windows console program is expected to.
ReadResult readSome(int descriptor, std::span<char> into) noexcept
{
    const int got = ::_read(descriptor, into.data(), countOf(into.size()));
    if (got < 0) {
        return {.failure = lastFailure()};
    }
    return {static_cast<std::size_t>(got), {}};
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
