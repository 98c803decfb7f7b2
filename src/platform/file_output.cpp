#include "file_output.hpp"

#include "system_io.hpp"

#include <algorithm>
#include <cstddef>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

FileOutput::FileOutput(int descriptor, std::span<char> room) noexcept : sink{descriptor}, buffer{room}
{
    setp(buffer.data(), std::to_address(buffer.end()));
}

// No one is left to hear of a failure here; the dialogue has flushed and
// checked its output before it ends.
FileOutput::~FileOutput()
{
    if (!failure) {
        writeAll(sink, held());
    }
}

FileOutput::int_type FileOutput::overflow(int_type c)
{
    drain();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

// Each prompt is one piece, so it is copied in whole rather than a character
// at a time, in as many buffers full as it takes.
std::streamsize FileOutput::xsputn(const char_type* text, std::streamsize size)
{
    std::span<const char_type> rest{text, static_cast<std::size_t>(size)};
    for (auto room = static_cast<std::size_t>(epptr() - pptr()); rest.size() > room;
         room = static_cast<std::size_t>(epptr() - pptr())) {
        std::copy_n(rest.begin(), room, pptr());
        pbump(static_cast<int>(room));
        rest = rest.subspan(room);
        drain();
    }
    std::copy(rest.begin(), rest.end(), pptr());
    pbump(static_cast<int>(rest.size()));
    return size;
}

int FileOutput::sync()
{
    drain();
    return 0;
}

std::span<const char> FileOutput::held() const noexcept
{
    return buffer.first(static_cast<std::size_t>(pptr() - pbase()));
}

// After a failure the buffer has no room left, so every later write comes
// here and throws again.
void FileOutput::drain()
{
    if (!failure) {
        failure = writeAll(sink, held());
    }
    if (failure) {
        setp(nullptr, nullptr);
        throw std::system_error{failure};
    }
    setp(buffer.data(), std::to_address(buffer.end()));
}

}  // namespace teller
