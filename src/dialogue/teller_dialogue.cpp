#include "teller_dialogue.hpp"

#include "account.hpp"
#include "entry_reader.hpp"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ios>
#include <istream>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

namespace teller {
namespace {

constexpr float endOfPhase = -1.0F;

constexpr std::string_view accountNumberExpected = "an account number, a whole number from -2147483648 to 2147483647";
constexpr std::string_view balanceExpected = "an initial balance, such as 100 or 25.50";
constexpr std::string_view nameExpected = "a first and last name, each word at most 255 bytes";
constexpr std::string_view amountExpected = "an amount, such as 25.50 or -1";

// The dialogue's streams, and what stopped it if it could not go on.
struct Console {
    EntryReader reader;
    std::ostream& out;
    std::ostream& err;
    Entry input = Entry::read;
    bool outputFailed = false;
    std::error_code outputError;
};

// Writes text after what is already written and sends it all on its way,
// so that a prompt is seen before its answer is read. The first write that
// fails stops the dialogue; the stream buffer throws its reason.
bool send(Console& io, std::string_view text)
{
    try {
        std::streambuf& buffer = *io.out.rdbuf();
        const auto size = static_cast<std::streamsize>(text.size());
        if (buffer.sputn(text.data(), size) == size && buffer.pubsync() == 0 && !io.out.fail()) {
            return true;
        }
    } catch (const std::system_error& failure) {
        io.outputError = failure.code();
    }
    io.out.setstate(std::ios::badbit);
    io.outputFailed = true;
    return false;
}

// The two words of a name make one answer: a word too long for a name
// refuses the answer, and both words are asked for again.
struct Name {
    std::string& first;
    std::string& last;
};

template <typename T>
Entry readAnswer(EntryReader& reader, T& value)
{
    return reader.read(value);
}

Entry readAnswer(EntryReader& reader, Name& name)
{
    const Entry first = reader.read(name.first);
    return first == Entry::read ? reader.read(name.last) : first;
}

// Asks until a valid answer is read; false when the input ends or fails, or
// the prompt cannot be written. A refused entry costs the rest of its line,
// so every retry consumes input.
template <typename T>
bool ask(Console& io, std::string_view prompt, std::string_view expected, T&& value)
{
    for (;;) {
        if (!send(io, prompt)) {
            return false;
        }
        Entry entry = readAnswer(io.reader, value);
        if (entry == Entry::refused) {
            io.err << "teller: expected " << expected << '\n';
            io.err.flush();
            entry = io.reader.dropLine();
            if (entry == Entry::read) {
                continue;
            }
        }
        if (entry != Entry::read) {
            io.input = entry;
        }
        return entry == Entry::read;
    }
}

// The prompt for an amount, kept for a whole phase and renumbered in place:
// a scripted session enters millions of amounts, and each prompt is sent on
// its own.
class AmountPrompt {
public:
    explicit AmountPrompt(std::string_view action) : numberAt{begin(action)} {}

    std::string_view operator()(std::int32_t number)
    {
        const std::span<char> rest = std::span{text}.subspan(numberAt);
        const char* const digitsEnd = std::to_chars(rest.data(), std::to_address(rest.end()), number).ptr;
        length = numberAt + static_cast<std::size_t>(digitsEnd - rest.data());
        append(" (-1 to exit): $");
        return {text.data(), length};
    }

private:
    static constexpr std::size_t capacity = 64;

    void append(std::string_view part)
    {
        length += part.copy(std::span{text}.subspan(length).data(), part.size());
    }

    // Writes what comes before the number; returns where the number goes.
    std::size_t begin(std::string_view action)
    {
        append("Please enter an amount for ");
        append(action);
        append(" ");
        return length;
    }

    std::array<char, capacity> text{};
    std::size_t length = 0;
    std::size_t numberAt = 0;
};

bool depositPhase(Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    std::int32_t uInt = 1;
    AmountPrompt prompt{"deposit"};
    while (uFloat != endOfPhase) {
        if (!ask(io, prompt(uInt), amountExpected, uFloat)) {
            return false;
        }
        if (uFloat != endOfPhase) {
            uAccount.deposit(uFloat);
            uInt = nextPromptNumber(uInt);
        }
    }
    return true;
}

// Returns the last amount read: -1, or the withdrawal refused because it
// would overdraw the account. Nothing when the dialogue stops first.
std::optional<float> withdrawalPhase(Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    std::int32_t uInt = 1;
    AmountPrompt prompt{"withdrawl"};
    for (;;) {
        if (!ask(io, prompt(uInt), amountExpected, uFloat)) {
            return std::nullopt;
        }
        if (uFloat == endOfPhase || uAccount.getBalance() - uFloat < 0.0F) {
            return uFloat;
        }
        uAccount.withdraw(uFloat);
        uInt = nextPromptNumber(uInt);
    }
}

std::optional<float> bothPhases(Console& io, Account& uAccount)
{
    if (!depositPhase(io, uAccount)) {
        return std::nullopt;
    }
    if (!send(io, "\n")) {
        return std::nullopt;
    }
    return withdrawalPhase(io, uAccount);
}

// Says why the dialogue stopped short, if it did. A run whose output or
// diagnostics were lost must not look like a success to its caller.
int finish(Console& io)
{
    if (io.input == Entry::ended) {
        io.err << "teller: input ended before the dialogue was complete\n";
    } else if (io.input == Entry::failed) {
        io.err << "teller: read error: " << io.reader.failure().message() << '\n';
    }
    if (io.outputFailed) {
        io.err << "teller: write error";
        if (io.outputError) {
            io.err << ": " << io.outputError.message();
        }
        io.err << '\n';
    }
    io.err.flush();
    const bool complete = io.input == Entry::read && !io.outputFailed;
    return complete && !io.err.fail() ? EXIT_SUCCESS : EXIT_FAILURE;
}

int dialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    Console io{EntryReader{in}, out, err, Entry::read, false, std::error_code{}};
    std::int32_t uInt = 0;
    float uFloat = 0.0F;
    std::string uFName;
    std::string uLName;
    if (ask(io, "Please enter an account number: ", accountNumberExpected, uInt)
        && ask(io, "Please enter an initial balance: ", balanceExpected, uFloat)
        && ask(io, "Please enter your first and last name: ", nameExpected, Name{uFName, uLName})) {
        Account uAccount{uInt, uFloat, uFName, uLName};
        const std::optional<float> lastAmount = bothPhases(io, uAccount);
        if (!io.outputFailed) {
            uAccount.printSummary(out, lastAmount.value_or(endOfPhase));
            send(io, {});
        }
    }
    return finish(io);
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    try {
        return dialogue(in, out, err);
    } catch (const std::bad_alloc&) {
        err << "teller: memory exhausted\n";
        err.flush();
        return EXIT_FAILURE;
    }
}

}  // namespace teller
