#include "file_output.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

// This buffer replaces the C stream's, so that a flush is one write; where
// the C stream keeps its own, it is flushed as well.
FileOutput::FileOutput(std::FILE* file) noexcept : sink{file}, alsoFlush{std::setvbuf(file, nullptr, _IONBF, 0) != 0}
{
    setp(buffer.data(), buffer.data() + buffer.size());
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
// at a time.
std::streamsize FileOutput::xsputn(const char_type* text, std::streamsize size)
{
    if (size > epptr() - pptr()) {
        drain();
    }
    const std::span<const char_type> piece{text, static_cast<std::size_t>(size)};
    if (piece.size() > buffer.size()) {
        return std::streambuf::xsputn(text, size);
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

void FileOutput::drain()
{
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer.data(), buffer.data() + buffer.size());
    if (!failure && !writeOut(pending)) {
        failure = std::error_code{errno != 0 ? errno : EIO, std::generic_category()};
    }
    if (failure) {
        throw std::system_error{failure};
    }
}

bool FileOutput::writeOut(std::size_t pending)
{
    return (pending == 0 || std::fwrite(buffer.data(), 1, pending, sink) == pending)
           && (!alsoFlush || std::fflush(sink) == 0);
}

}  // namespace teller
