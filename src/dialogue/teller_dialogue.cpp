#include "teller_dialogue.hpp"

#include "account.hpp"
#include "amount_prompt.hpp"
#include "entry_reader.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ios>
#include <limits>
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

struct Console {
    EntryReader reader;
    std::ostream& out;
    std::ostream& err;
};

// What reading one answer came to, and what was expected if it was refused.
struct Answer {
    Entry entry;
    std::string_view expected;
};

// An amount that would take the balance beyond single precision is refused:
// from an infinite balance no overdraft could be told.
Answer amountAnswer(Entry entry, bool holdable)
{
    return entry == Entry::read && !holdable ? Answer{Entry::refused, holdableExpected} : Answer{entry, amountExpected};
}

// Asks until read gives an answer; false when the input stops first. A
// refused entry costs the rest of its line, so every retry consumes input.
template <typename Read>
bool ask(Console& io, std::string_view prompt, Read read)
{
    for (;;) {
        io.out.rdbuf()->sputn(prompt.data(), static_cast<std::streamsize>(prompt.size()));
        const Answer answer = read();
        if (answer.entry != Entry::refused) {
            return answer.entry == Entry::read;
        }
        io.out.flush();
        io.err << "teller: expected " << answer.expected << '\n';
        io.err.flush();
        if (!io.reader.dropLine()) {
            return false;
        }
    }
}

bool depositPhase(Console& io, Account& uAccount)
{
    float uFloat{};
    AmountPrompt prompt{Phase::deposit};
    const auto read = [&] {
        const Entry entry = io.reader.read(uFloat);
        return amountAnswer(entry, std::isfinite(uAccount.getBalance() + uFloat));
    };
    while (uFloat != endOfPhase) {
        if (!ask(io, prompt.text(), read)) {
            return false;
        }
        if (uFloat != endOfPhase) {
            uAccount.deposit(uFloat);
            prompt.countUp();
        }
    }
    return true;
}

// The last amount read: -1, or the withdrawal refused because it would
// overdraw the account; none when the input stops first.
std::optional<float> withdrawalPhase(Console& io, Account& uAccount)
{
    float uFloat{};
    AmountPrompt prompt{Phase::withdrawal};
    // An overdraft, however deep, ends the phase, so only a rise to infinity
    // is refused.
    const auto read = [&] {
        const Entry entry = io.reader.read(uFloat);
        return amountAnswer(entry, uAccount.getBalance() - uFloat <= std::numeric_limits<float>::max());
    };
    for (;;) {
        if (!ask(io, prompt.text(), read)) {
            return std::nullopt;
        }
        if (uFloat == endOfPhase || uAccount.getBalance() - uFloat < 0.0F) {
            return uFloat;
        }
        uAccount.withdraw(uFloat);
        prompt.countUp();
    }
}

// Says why the dialogue stopped short, if it did. A run whose output or
// complaints were lost must not look like a success to its caller.
int finish(Console& io, bool cutShort, const std::error_code& lost)
{
    if (cutShort && io.reader.failure()) {
        io.err << "teller: read error: " << io.reader.failure().message() << '\n';
    } else if (cutShort) {
        io.err << "teller: input ended before the dialogue was complete\n";
    }
    if (lost) {
        io.err << "teller: write error: " << lost.message() << '\n';
    }
    return !cutShort && !lost && !io.err.fail() ? EXIT_SUCCESS : EXIT_FAILURE;
}

// Asks every question and writes the summary if the account was opened,
// whether or not the input lasted. A failed write throws, through out's
// exception mask, and ends the dialogue there.
int converse(Console& io)
{
    std::int32_t uInt{};
    float uFloat{};
    // Room for the longest words now, so that nothing is allocated later.
    std::string uFName;
    std::string uLName;
    uFName.reserve(longestEntry);
    uLName.reserve(longestEntry);
    const auto readName = [&] {
        const Entry first = io.reader.read(uFName);
        return Answer{first == Entry::read ? io.reader.read(uLName) : first, nameExpected};
    };
    bool cutShort = false;
    std::error_code lost;
    try {
        io.out.exceptions(std::ios::badbit);
        cutShort = !ask(io, "Please enter an account number: ", [&] {
            return Answer{io.reader.read(uInt), accountNumberExpected};
        }) || !ask(io, "Please enter an initial balance: ", [&] {
            return Answer{io.reader.read(uFloat), balanceExpected};
        }) || !ask(io, "Please enter your first and last name: ", readName);
        if (!cutShort) {
            Account uAccount{uInt, uFloat, std::move(uFName), std::move(uLName)};
            std::optional<float> lastAmount;
            if (depositPhase(io, uAccount)) {
                io.out.put('\n');
                lastAmount = withdrawalPhase(io, uAccount);
            }
            cutShort = !lastAmount;
            uAccount.printSummary(io.out, lastAmount.value_or(endOfPhase));
        }
        io.out.flush();
    } catch (const std::system_error& failure) {
        lost = failure.code();
    }
    return finish(io, cutShort, lost);
}

}  // namespace

int runDialogue(std::streambuf& in, std::ostream& out, std::ostream& err)
{
    try {
        Console io{EntryReader{in, out}, out, err};
        return converse(io);
    } catch (const std::bad_alloc&) {
        err << "teller: memory exhausted\n";
        return EXIT_FAILURE;
    }
}

}  // namespace teller
