#pragma once

#include "decimal.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

namespace teller {

// What reading one entry came to: a value, an entry that is not one, or none
// as the input has stopped.
enum class Entry { read, refused, none };

// Reads answers as formatted extraction in the C locale does, but alike with
// every library and only finite numbers, and no entry over longestEntry
// bytes, so no input makes it grow. It flushes out before it waits, and once
// the input has ended or failed reads no more: a terminal ends it once per
// Ctrl-D.
class EntryReader {
public:
    EntryReader(std::streambuf& in, std::ostream& out) noexcept : source{in}, output{out} {}

    Entry read(std::int32_t& value);
    Entry read(float& value);
    Entry read(std::string& word);

    // Drops the rest of a refused entry's line; false if the input stops.
    bool dropLine();

    // Why the input stopped, if a read failed.
    [[nodiscard]] std::error_code failure() const noexcept { return why; }

private:
    bool start();
    int peek();
    int pass();
    int take(int c);
    int takeSign(int c);
    int takeDigits(int c);
    int refill();
    [[nodiscard]] Entry end(bool valid) const noexcept;

    std::streambuf& source;
    std::ostream& output;
    bool ended = false;
    std::error_code why;
    std::array<char, longestEntry> text{};  // the entry's characters
    std::size_t length{};
    bool overlong = false;
};

}  // namespace teller
