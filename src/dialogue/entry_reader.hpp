#pragma once

#include "entry_scan.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <system_error>

namespace teller {

// What one attempt to read an entry came to: a valid value, an entry that is
// not one, or no entry at all because the input has ended or failed.
enum class Entry { read, refused, none };

// Reads the answers of the dialogue from a stream's buffer as formatted
// extraction in the C locale reads them: blanks skipped, a number taken only
// as far as it forms one, a word up to the next blank. The stream's state is
// left alone. Unlike extraction it reads the same with every standard
// library, takes only finite numbers, and holds no entry longer than
// longestEntry bytes, so that no input can make it grow. Before it waits for
// input it flushes the stream tied to in, and once the input has ended or
// failed it reads no more.
class EntryReader {
public:
    static constexpr std::size_t longestEntry = 255;

    explicit EntryReader(std::istream& in) noexcept;

    Entry read(std::int32_t& value);
    Entry read(float& value);
    Entry read(std::string& word);

    // Drops what is left of the line of a refused entry, up to its newline,
    // which the next read skips as a blank; false when the input stopped
    // first.
    bool dropLine();

    // The system's reason when the input stopped because a read failed;
    // none when it ended, or while it goes on.
    [[nodiscard]] std::error_code failure() const noexcept;

private:
    template <typename Parse>
    Entry readEntry(Parse parse);

    EntryScan::Input input;
    std::array<char, longestEntry> text{};
};

}  // namespace teller
