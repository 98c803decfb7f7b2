#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <system_error>

namespace teller {

// What one attempt to read an entry came to. An entry is refused when it is
// not a valid value; the input has ended or failed when there is none.
enum class Entry { read, refused, ended, failed };

// Reads the answers of the dialogue from a stream as formatted extraction in
// the C locale reads them: blanks skipped, a number taken only as far as it
// forms one, a word up to the next blank, and the stream's state left as
// extraction leaves it. Unlike extraction it reads the same with every
// standard library, takes only finite numbers, and holds no entry longer than
// longestEntry bytes, so that no input can make it grow.
class EntryReader {
public:
    static constexpr std::size_t longestEntry = 255;

    explicit EntryReader(std::istream& in) noexcept;

    Entry read(std::int32_t& value);
    Entry read(float& value);
    Entry read(std::string& word);

    // Drops what is left of the line of a refused entry. Entry::read means the
    // line is gone and more input may follow.
    Entry dropLine();

    // Why the stream could not be read, once an attempt has failed.
    [[nodiscard]] std::error_code failure() const noexcept;

private:
    template <typename Read>
    Entry guarded(Read read);
    template <typename Parse>
    Entry readEntry(Parse parse);

    std::istream& stream;
    std::array<char, longestEntry> text{};
    std::error_code error;
};

}  // namespace teller
