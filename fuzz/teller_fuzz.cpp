#include "dialogue/teller_dialogue.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

namespace {

void require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

std::size_t countOf(std::string_view text, std::string_view part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

bool eachLineComesFromTeller(std::string_view err)
{
    return countOf(err, "\n") == countOf(err, "teller: ") && (err.empty() || err.back() == '\n');
}

}  // namespace

// Any bytes at all as the user's answers: the dialogue must end, with status
// 0 or 1, say why it failed, complain only in its own lines, and never prompt
// without consuming input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes{data, size};
    std::istringstream in{std::string{bytes.begin(), bytes.end()}};
    std::ostringstream out;
    std::ostringstream err;
    const int status = teller::runDialogue(in, out, err);

    require(status == 0 || status == 1);
    require(countOf(out.str(), "Please enter") <= size + 1);
    require(status == 0 || !err.str().empty());
    require(eachLineComesFromTeller(err.str()));
    return 0;
}
