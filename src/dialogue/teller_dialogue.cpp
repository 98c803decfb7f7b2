#include "teller_dialogue.hpp"

#include "account.hpp"
#include "amount_prompt.hpp"
#include "entry_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <istream>
#include <new>
#include <optional>
#include <ostream>
#include <streambuf>
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

// Why the dialogue stopped before its end, if it did.
enum class Stop { none, inputEnded, readFailed, writeFailed };

// The dialogue's streams, what stopped it first, and whether output was
// lost, which may come after the input stopped, in the summary.
struct Console {
    EntryReader reader;
    std::ostream& out;
    std::ostream& err;
    Stop stop = Stop::none;
    std::optional<std::error_code> lostOutput;  // the first failed write's reason, empty if it gave none
};

void stopFor(Console& io, Stop why)
{
    if (io.stop == Stop::none) {
        io.stop = why;
    }
}

// The reader has no more input: it ended, or a read failed.
void stopReading(Console& io)
{
    stopFor(io, io.reader.failure() ? Stop::readFailed : Stop::inputEnded);
}

// Puts a piece of output through the stream buffer; false when it fails.
// After one write has failed the dialogue writes nothing more but its last
// flush, which fails again.
template <typename Put>
bool output(Console& io, Put put)
{
    try {
        if (put(*io.out.rdbuf())) {
            return true;
        }
        io.lostOutput = std::error_code{};
    } catch (const std::system_error& failure) {
        io.lostOutput = failure.code();
    }
    stopFor(io, Stop::writeFailed);
    return false;
}

// Writes text after what is already written. It is not sent on at once: it
// goes out when the dialogue waits for input, so a prompt is still seen
// before its answer is awaited.
bool send(Console& io, std::string_view text)
{
    const auto size = static_cast<std::streamsize>(text.size());
    return output(io, [&](std::streambuf& buffer) { return buffer.sputn(text.data(), size) == size; });
}

// Sends on all that is written. The summary is written through the stream,
// which notes a failure in its state.
bool flush(Console& io)
{
    return output(io, [&io](std::streambuf& buffer) { return buffer.pubsync() == 0 && !io.out.fail(); });
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
bool complain(Console& io, std::string_view expected)
{
    if (!flush(io)) {
        return false;
    }
    io.err << "teller: expected " << expected << '\n';
    io.err.flush();
    return true;
}

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
        const Entry entry = readAnswer(io.reader, value);
        if (entry == Entry::none) {
            stopReading(io);
            return false;
        }
        const std::string_view refusal = entry == Entry::refused ? expected : check(value);
        if (refusal.empty()) {
            return true;
        }
        if (!complain(io, refusal) || !io.reader.dropLine()) {
            stopReading(io);
            return false;
        }
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
    if (!depositPhase(io, uAccount) || !send(io, "\n")) {
        return std::nullopt;
    }
    return withdrawalPhase(io, uAccount);
}

// Says why the dialogue stopped short, if it did. A run whose output or
// diagnostics were lost must not look like a success to its caller.
int finish(Console& io)
{
    flush(io);
    if (io.stop == Stop::inputEnded) {
        io.err << "teller: input ended before the dialogue was complete\n";
    } else if (io.stop == Stop::readFailed) {
        io.err << "teller: read error: " << io.reader.failure().message() << '\n';
    }
    if (io.lostOutput) {
        io.err << "teller: write error" << (*io.lostOutput ? ": " + io.lostOutput->message() : "") << '\n';
    }
    return io.stop == Stop::none && !io.lostOutput && !io.err.fail() ? EXIT_SUCCESS : EXIT_FAILURE;
}

int dialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    // The reader flushes the output before it waits, through the console it
    // belongs to.
    Console io{EntryReader{in, [&io] { return flush(io); }}, out, err, Stop::none, std::nullopt};
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
        if (!io.lostOutput) {
            uAccount.printSummary(out, lastAmount.value_or(endOfPhase));
        }
    }
    return finish(io);
}

// Ends a dialogue that cannot go on with one line that says why. What was
// written before is out already: only reading throws, and the dialogue
// flushes before it reads.
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
