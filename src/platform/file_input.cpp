#include "file_input.hpp"

#include "system_io.hpp"

#include <ios>
#include <memory>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

FileInput::FileInput(int descriptor, std::streambuf& tied) noexcept : source{descriptor}, output{tied} {}

FileInput::int_type FileInput::underflow()
{
    if (output.pubsync() != 0) {
        throw std::system_error{std::make_error_code(std::io_errc::stream)};
    }
    const ReadResult got = readSome(source, buffer);
    if (got.failure) {
        throw std::system_error{got.failure};
    }
    if (got.count == 0) {
        return traits_type::eof();
    }
    const std::span<char> arrived = std::span{buffer}.first(got.count);
    setg(arrived.data(), arrived.data(), std::to_address(arrived.end()));
    return traits_type::to_int_type(arrived.front());
}

}  // namespace teller
