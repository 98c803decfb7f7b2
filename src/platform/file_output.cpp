#include "file_output.hpp"

#include "system_io.hpp"

#include <algorithm>
#include <cstddef>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

FileOutput::FileOutput(int descriptor) noexcept : sink{descriptor}
{
    setp(buffer.data(), buffer.data() + buffer.size());
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
// at a time; a piece larger than the buffer goes out directly.
std::streamsize FileOutput::xsputn(const char_type* text, std::streamsize size)
{
    const std::span<const char_type> piece{text, static_cast<std::size_t>(size)};
    if (size > epptr() - pptr()) {
        drain();
    }
    if (piece.size() > buffer.size()) {
        send(piece);
        return size;
    }
    std::copy(piece.begin(), piece.end(), pptr());
    pbump(static_cast<int>(size));
    return size;
}

int FileOutput::sync()
{
    drain();
    return 0;
}

std::span<const char> FileOutput::held() const noexcept
{
    return std::span{buffer}.first(static_cast<std::size_t>(pptr() - pbase()));
}

void FileOutput::drain()
{
    const std::span<const char> pending = held();
    setp(buffer.data(), buffer.data() + buffer.size());
    send(pending);
}

void FileOutput::send(std::span<const char> bytes)
{
    if (!failure) {
        failure = writeAll(sink, bytes);
    }
    if (failure) {
        throw std::system_error{failure};
    }
}

}  // namespace teller
