#include "teller_dialogue.hpp"

#include "account.hpp"
#include "amount_prompt.hpp"
#include "entry_reader.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <ios>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace teller {
namespace {

constexpr float endOfPhase = -1.0F;

constexpr std::string_view accountNumberExpected = "an account number, a whole number from -2147483648 to 2147483647";
constexpr std::string_view balanceExpected = "an initial balance, such as 100 or 25.50";
constexpr std::string_view nameExpected = "a first and last name, each word at most 255 bytes";
constexpr std::string_view amountExpected = "an amount, such as 25.50 or -1";
constexpr std::string_view holdableExpected = "an amount the balance can hold, such as 25.50 or -1";

// The dialogue's streams, and what stopped it if it could not go on.
struct Console {
    EntryReader reader;
    std::ostream& out;
    std::ostream& err;
    Entry input = Entry::read;
    bool outputFailed = false;
    std::error_code outputError;
};

// Puts a piece of output through the stream buffer; false once any write
// has failed. The first failure stops the dialogue; the stream buffer throws
// its reason.
template <typename Put>
bool output(Console& io, Put put)
{
    try {
        if (!io.outputFailed && put(*io.out.rdbuf()) && !io.out.fail()) {
            return true;
        }
    } catch (const std::system_error& failure) {
        io.outputError = failure.code();
    }
    io.out.setstate(std::ios::badbit);
    io.outputFailed = true;
    return false;
}

// Writes text after what is already written. It is not sent on at once: the
// input flushes it before it waits, so a prompt is still seen before its
// answer is awaited.
bool send(Console& io, std::string_view text)
{
    const auto size = static_cast<std::streamsize>(text.size());
    return output(io, [&](std::streambuf& buffer) { return buffer.sputn(text.data(), size) == size; });
}

// Sends on all that is written, before a message on standard error and at
// the end, so that both keep their order when they go to one file.
bool flush(Console& io)
{
    return output(io, [](std::streambuf& buffer) { return buffer.pubsync() == 0; });
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

// Says what was expected of a refused entry, after what is already written.
bool complain(Console& io, std::string_view expected)
{
    if (!flush(io)) {
        return false;
    }
    io.err << "teller: expected " << expected << '\n';
    io.err.flush();
    return true;
}

// Takes any value that reads well.
constexpr auto anyValue = [](const auto& /*value*/) { return std::string_view{}; };

// Asks until a valid answer is read that check has nothing against; false
// when the input ends or fails, or the prompt cannot be written. A refused
// entry costs the rest of its line, so every retry consumes input.
template <typename T, typename Check = decltype(anyValue)>
bool ask(Console& io, std::string_view prompt, std::string_view expected, T&& value, Check check = anyValue)
{
    for (;;) {
        if (!send(io, prompt)) {
            return false;
        }
        Entry entry = readAnswer(io.reader, value);
        const std::string_view refusal = entry == Entry::refused ? expected
                                         : entry == Entry::read  ? check(value)
                                                                 : std::string_view{};
        if (!refusal.empty()) {
            if (!complain(io, refusal)) {
                return false;
            }
            entry = io.reader.dropLine();
            if (entry == Entry::read) {
                continue;
            }
        }
        // Input stops, too, when the output it flushes before a read cannot
        // be written; then it is the write that failed.
        if (entry != Entry::read && flush(io)) {
            io.input = entry;
        }
        return entry == Entry::read;
    }
}

// An amount that would take the balance beyond single precision is refused:
// from an infinite balance no overdraft could be told.
std::string_view holdable(float balance)
{
    return std::isfinite(balance) ? std::string_view{} : holdableExpected;
}

bool depositPhase(Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    std::int32_t uInt = 1;
    AmountPrompt prompt{Phase::deposit};
    while (uFloat != endOfPhase) {
        const auto check = [&uAccount](float amount) { return holdable(uAccount.getBalance() + amount); };
        if (!ask(io, prompt(uInt), amountExpected, uFloat, check)) {
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
    AmountPrompt prompt{Phase::withdrawal};
    for (;;) {
        // An overdraft ends the phase as it is, however large.
        const auto check = [&uAccount](float amount) {
            const float after = uAccount.getBalance() - amount;
            return after < 0.0F ? std::string_view{} : holdable(after);
        };
        if (!ask(io, prompt(uInt), amountExpected, uFloat, check)) {
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
    flush(io);
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
    // Room for the longest name words now, so that nothing is allocated once
    // the dialogue has begun.
    std::string uFName;
    std::string uLName;
    uFName.reserve(EntryReader::longestEntry);
    uLName.reserve(EntryReader::longestEntry);
    if (ask(io, "Please enter an account number: ", accountNumberExpected, uInt)
        && ask(io, "Please enter an initial balance: ", balanceExpected, uFloat)
        && ask(io, "Please enter your first and last name: ", nameExpected, Name{uFName, uLName})) {
        Account uAccount{uInt, uFloat, std::move(uFName), std::move(uLName)};
        const std::optional<float> lastAmount = bothPhases(io, uAccount);
        if (!io.outputFailed) {
            uAccount.printSummary(out, lastAmount.value_or(endOfPhase));
        }
    }
    return finish(io);
}

// Ends a dialogue that cannot go on with one line that says why, after what
// was written before.
int stopShort(std::ostream& out, std::ostream& err, std::string_view reason)
{
    out.flush();
    err << "teller: " << reason << '\n';
    err.flush();
    return EXIT_FAILURE;
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    try {
        return dialogue(in, out, err);
    } catch (const std::bad_alloc&) {
        return stopShort(out, err, "memory exhausted");
    } catch (const std::exception& failure) {
        return stopShort(out, err, failure.what());
    }
}

}  // namespace teller
