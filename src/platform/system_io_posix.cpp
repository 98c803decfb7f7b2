#include "system_io.hpp"

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <span>
#include <system_error>

namespace teller {
namespace {

// errno as the call that just failed left it.
std::error_code lastFailure() noexcept
{
    return {errno, std::generic_category()};
}

// Whether a call that failed did so only for "not now", and teller has waited
// until it can try again: a signal interrupted it, or the descriptor is
// non-blocking, as a program that shares it may leave it, and was not ready.
// The descriptor's flags stay as they are, since others share them. When
// false, errno holds the reason of the call, or of the wait that failed.
bool waitedToRetry(int descriptor, short readiness) noexcept
{
    if (errno == EINTR) {
        return true;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return false;
    }
    pollfd ready{descriptor, readiness, 0};
    return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}

}  // namespace

ReadResult readSome(int descriptor, std::span<char> into) noexcept
{
    for (;;) {
        const ssize_t got = ::read(descriptor, into.data(), into.size());
        if (got >= 0) {
            return {static_cast<std::size_t>(got), {}};
        }
        if (!waitedToRetry(descriptor, POLLIN)) {
            return {.failure = lastFailure()};
        }
    }
}

std::error_code writeAll(int descriptor, std::span<const char> bytes) noexcept
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put < 0 && !waitedToRetry(descriptor, POLLOUT)) {
            return lastFailure();
        }
        if (put == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        bytes = bytes.subspan(put < 0 ? 0 : static_cast<std::size_t>(put));
    }
    return {};
}

}  // namespace teller
