#include "file_input.hpp"

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
    if (error == 0) {
        int c = std::getc(source);
        for (; c != EOF; c = std::getc(source)) {
            area[filled++] = traits_type::to_char_type(c);
            if (c == '\n' || filled == area.size()) {
                break;
            }
        }
        if (c == EOF && std::ferror(source) != 0) {
            error = errno != 0 ? errno : EIO;
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
