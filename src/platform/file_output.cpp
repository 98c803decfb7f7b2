#include "file_output.hpp"

#include <algorithm>
#include <cstddef>
#include <span>
#include <streambuf>
#include <system_error>

namespace teller {

FileOutput::FileOutput(int descriptor, std::span<char> room) noexcept : sink{descriptor}
{
    setp(room.data(), room.data() + room.size());
}

// No one is left to hear of a failure here; after one nothing is held.
FileOutput::~FileOutput()
{
    writeAll(sink, {pbase(), pptr()});
}

// A character that finds the buffer full; nothing here writes end of file.
FileOutput::int_type FileOutput::overflow(int_type c)
{
    drain();
    return sputc(traits_type::to_char_type(c));
}

// Copies a piece in whole, in as many buffers full as it takes.
std::streamsize FileOutput::xsputn(const char_type* text, std::streamsize size)
{
    for (std::span<const char> rest{text, static_cast<std::size_t>(size)}; !rest.empty();) {
        if (pptr() == epptr()) {
            drain();
        }
        const std::size_t part = std::min(rest.size(), static_cast<std::size_t>(epptr() - pptr()));
        std::copy_n(rest.begin(), part, pptr());
        pbump(static_cast<int>(part));
        rest = rest.subspan(part);
    }
    return size;
}

int FileOutput::sync()
{
    drain();
    return 0;
}

// Sends what is held on. After a failure the buffer has no room, so every
// later write comes here and throws again.
void FileOutput::drain()
{
    if (!failure) {
        failure = writeAll(sink, {pbase(), pptr()});
    }
    if (failure) {
        setp(nullptr, nullptr);
        throw std::system_error{failure};
    }
    setp(pbase(), epptr());
}

}  // namespace teller
