#include "dialogue/file_input.hpp"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <span>
#include <system_error>

namespace teller {

FileInput::FileInput(std::FILE* file) noexcept : source{file} {}

FileInput::int_type FileInput::underflow()
{
    const std::span<char> area{buffer};
    std::size_t filled = 0;
    int error = pendingError;
    while (error == 0 && filled < area.size()) {
        const int c = std::getc(source);
        if (c == EOF) {
            error = std::ferror(source) == 0 ? 0 : (errno != 0 ? errno : EIO);
            break;
        }
        area[filled++] = traits_type::to_char_type(c);
        if (c == '\n') {
            break;
        }
    }
    pendingError = error;
    // What was read before a failure still counts; the failure comes after it.
    if (filled > 0) {
        const std::span<char> line = area.first(filled);
        setg(line.data(), line.data(), std::to_address(line.end()));
        return traits_type::to_int_type(line.front());
    }
    if (error != 0) {
        throw std::system_error{error, std::generic_category()};
    }
    return traits_type::eof();
}

}  // namespace teller
