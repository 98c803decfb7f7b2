#include "file_input.hpp"
#include "file_output.hpp"

#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstddef>
#include <span>
#include <system_error>

namespace teller {
namespace {

// Whether a call failed only for "not now" and teller has waited to retry:
// a signal came, or the descriptor, non-blocking as a program that shares it
// may leave it, was not ready. Else errno says why the call or wait failed.
bool waitedToRetry(int descriptor, short readiness) noexcept
{
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
        return errno == EINTR;
    }
    pollfd ready{descriptor, readiness, {}};
    return ::poll(&ready, 1, -1) >= 0 || errno == EINTR;
}

}  // namespace

FileInput::int_type FileInput::underflow()
{
    for (;;) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got > 0) {
            setg(buffer.data(), buffer.data(), buffer.data() + got);
            return traits_type::to_int_type(buffer.front());
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (!waitedToRetry(source, POLLIN)) {
            throw std::system_error{errno, std::generic_category()};
        }
    }
}

std::error_code FileOutput::writeAll(int descriptor, std::span<const char> bytes) noexcept
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(put));
        } else if (put == 0) {
            return std::make_error_code(std::errc::io_error);
        } else if (!waitedToRetry(descriptor, POLLOUT)) {
            return {errno, std::generic_category()};
        }
    }
    return {};
}

}  // namespace teller
