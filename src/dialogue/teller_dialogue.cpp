#include "teller_dialogue.hpp"

#include "account.hpp"
#include "amount_prompt.hpp"
#include "entry_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <ios>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

namespace teller {
namespace {

constexpr float endOfPhase = -1.0F;

constexpr std::string_view accountNumberExpected = "an account number, a whole number from -2147483648 to 2147483647";
constexpr std::string_view balanceExpected = "an initial balance, such as 100 or 25.50";
constexpr std::string_view nameExpected = "a first and last name, each word at most 255 bytes";
constexpr std::string_view amountExpected = "an amount, such as 25.50 or -1";
constexpr std::string_view holdableExpected = "an amount the balance can hold, such as 25.50 or -1";

// The dialogue's reader and streams, and whether its input stopped before
// the dialogue was complete.
struct Console {
    EntryReader reader;
    std::ostream& out;
    std::ostream& err;
    bool cutShort = false;
};

// Writes text after what is already written. It is not sent on at once: it
// goes out when the dialogue waits for input, so a prompt is still seen
// before its answer is awaited. A piece the stream buffer takes only in part
// fails the stream, which throws.
void send(std::ostream& out, std::string_view text)
{
    const auto size = static_cast<std::streamsize>(text.size());
    if (out.rdbuf()->sputn(text.data(), size) != size) {
        out.setstate(std::ios::badbit);
    }
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
    if constexpr (std::is_same_v<T, Name>) {
        const Entry first = reader.read(value.first);
        return first == Entry::read ? reader.read(value.last) : first;
    } else {
        return reader.read(value);
    }
}

// Says what was expected of a refused entry, after what is already written.
void complain(Console& io, std::string_view expected)
{
    io.out.flush();
    io.err << "teller: expected " << expected << '\n';
    io.err.flush();
}

constexpr auto anyValue = [](const auto& /*value*/) { return std::string_view{}; };

// Asks until a valid answer is read that check has nothing against; false
// when the input stops first. A refused entry costs the rest of its line, so
// every retry consumes input.
template <typename T, typename Check = decltype(anyValue)>
bool ask(Console& io, std::string_view prompt, std::string_view expected, T&& value, Check check = anyValue)
{
    for (;;) {
        send(io.out, prompt);
        const Entry entry = readAnswer(io.reader, value);
        if (entry == Entry::none) {
            break;
        }
        const std::string_view refusal = entry == Entry::refused ? expected : check(value);
        if (refusal.empty()) {
            return true;
        }
        complain(io, refusal);
        if (!io.reader.dropLine()) {
            break;
        }
    }
    io.cutShort = true;
    return false;
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
    AmountPrompt prompt{Phase::deposit};
    const auto check = [&uAccount](float amount) { return holdable(uAccount.getBalance() + amount); };
    while (uFloat != endOfPhase) {
        if (!ask(io, prompt.text(), amountExpected, uFloat, check)) {
            return false;
        }
        if (uFloat != endOfPhase) {
            uAccount.deposit(uFloat);
            prompt.countUp();
        }
    }
    return true;
}

// Returns the last amount read: -1, or the withdrawal refused because it
// would overdraw the account. Nothing when the dialogue stops first.
std::optional<float> withdrawalPhase(Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    AmountPrompt prompt{Phase::withdrawal};
    // An overdraft is no refusal, however large: it ends the phase as it is.
    const auto check = [&uAccount](float amount) { return holdable(std::max(uAccount.getBalance() - amount, 0.0F)); };
    for (;;) {
        if (!ask(io, prompt.text(), amountExpected, uFloat, check)) {
            return std::nullopt;
        }
        if (uFloat == endOfPhase || uAccount.getBalance() - uFloat < 0.0F) {
            return uFloat;
        }
        uAccount.withdraw(uFloat);
        prompt.countUp();
    }
}

std::optional<float> bothPhases(Console& io, Account& uAccount)
{
    if (!depositPhase(io, uAccount)) {
        return std::nullopt;
    }
    send(io.out, "\n");
    return withdrawalPhase(io, uAccount);
}

// Asks every question and writes the summary of the account, if it was
// opened, whether or not the input lasted to the end.
void converse(Console& io)
{
    std::int32_t uInt{};
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
        uAccount.printSummary(io.out, lastAmount.value_or(endOfPhase));
    }
    io.out.flush();
}

// Says why the dialogue stopped short, if it did: its input stopped, or a
// write failed, with the reason the stream gave, if any. A run whose output
// or diagnostics were lost must not look like a success to its caller.
int finish(Console& io, std::error_code lost)
{
    if (io.cutShort && io.reader.failure()) {
        io.err << "teller: read error: " << io.reader.failure().message() << '\n';
    } else if (io.cutShort) {
        io.err << "teller: input ended before the dialogue was complete\n";
    }
    if (lost) {
        io.err << "teller: write error" << (lost != std::io_errc::stream ? ": " + lost.message() : "") << '\n';
    }
    return !io.cutShort && !lost && !io.err.fail() ? EXIT_SUCCESS : EXIT_FAILURE;
}

// The input is tied to the output, as standard input is to standard output,
// so the reader flushes it before it waits. A failed write throws, through
// the output's exception mask, with the reason its stream buffer threw or
// none, and ends the dialogue there.
int dialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    in.tie(&out);
    Console io{EntryReader{in}, out, err};
    std::error_code lost;
    try {
        out.exceptions(std::ios::badbit);
        converse(io);
    } catch (const std::system_error& failure) {
        lost = failure.code();
    }
    return finish(io, lost);
}

// Ends a dialogue that cannot go on with one line that says why. What was
// written before is out already: the dialogue flushes before it reads, where
// anything but a failed write is thrown from.
int stopShort(std::ostream& err, std::string_view reason)
{
    err << "teller: " << reason << '\n';
    return EXIT_FAILURE;
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    try {
        return dialogue(in, out, err);
    } catch (const std::bad_alloc&) {
        return stopShort(err, "memory exhausted");
    } catch (const std::exception& failure) {
        return stopShort(err, failure.what());
    }
}

}  // namespace teller
