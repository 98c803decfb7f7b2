#include "file_input.hpp"

#include "system_io.hpp"

#include <memory>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

FileInput::FileInput(int descriptor, std::span<char> room) noexcept : source{descriptor}, buffer{room} {}

FileInput::int_type FileInput::underflow()
{
    if (ended) {
        return traits_type::eof();
    }
    const ReadResult got = readSome(source, buffer);
    if (got.failure) {
        throw std::system_error{got.failure};
    }
    ended = got.last;
    if (got.count == 0) {
        return traits_type::eof();
    }
    const std::span<char> arrived = buffer.first(got.count);
    setg(arrived.data(), arrived.data(), std::to_address(arrived.end()));
    return traits_type::to_int_type(arrived.front());
}

}  // namespace teller
