#include "system_io.hpp"

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

}  // namespace

// A signal that interrupts a wait is no failure of the input: wait again.
ReadResult readSome(int descriptor, std::span<char> into) noexcept
{
    for (;;) {
        const ssize_t got = ::read(descriptor, into.data(), into.size());
        if (got >= 0) {
            return {static_cast<std::size_t>(got), {}};
        }
        if (errno != EINTR) {
            return {0, lastFailure()};
        }
    }
}

std::error_code writeAll(int descriptor, std::span<const char> bytes) noexcept
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put < 0 && errno != EINTR) {
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
