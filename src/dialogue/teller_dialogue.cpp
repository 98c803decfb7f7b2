#include "dialogue/teller_dialogue.hpp"

#include "account/account.hpp"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <ios>
#include <istream>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace teller {
namespace {

constexpr float endOfPhase = -1.0F;

constexpr std::string_view accountNumberExpected = "an account number, a whole number from -2147483648 to 2147483647";
constexpr std::string_view balanceExpected = "an initial balance, such as 100 or 25.50";
constexpr std::string_view amountExpected = "an amount, such as 25.50 or -1";

struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

enum class Entry { read, refused, ended };

// The sentry skips to the next entry and flushes the prompt first, so input
// that has run out is told apart from an entry that is not a valid value.
template <typename T>
Entry readEntry(std::istream& in, T& value)
{
    if (!std::istream::sentry{in}) {
        return Entry::ended;
    }
    T entry{};
    if (in >> entry) {
        value = std::move(entry);
        return Entry::read;
    }
    return in.bad() ? Entry::ended : Entry::refused;
}

// Asks until a valid value is read; returns false when the input ends first.
// A refused entry costs the rest of its line, so every retry consumes input.
template <typename T>
bool ask(const Console& io, std::string_view prompt, std::string_view expected, T& value)
{
    for (;;) {
        io.out << prompt;
        const Entry entry = readEntry(io.in, value);
        if (entry != Entry::refused) {
            return entry == Entry::read;
        }
        io.err << "teller: expected " << expected << '\n';
        io.in.clear();
        io.in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        if (!io.in.good()) {
            return false;
        }
    }
}

// Rebuilds the prompt in place and in one piece: a scripted session enters
// millions of amounts, and each prompt is written and flushed on its own.
std::string_view amountPrompt(std::string& prompt, std::string_view action, std::int32_t number)
{
    std::array<char, std::numeric_limits<std::int32_t>::digits10 + 2> digits{};
    const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    prompt.assign("Please enter an amount for ").append(action).append(" ");
    prompt.append(digits.data(), written.ptr).append(" (-1 to exit): $");
    return prompt;
}

// Names are words, so the only way to miss one is for the input to end.
bool askName(const Console& io, std::string& uFName, std::string& uLName)
{
    io.out << "Please enter your first and last name: ";
    return readEntry(io.in, uFName) == Entry::read && readEntry(io.in, uLName) == Entry::read;
}

bool depositPhase(const Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    std::int32_t uInt = 1;
    std::string prompt;
    while (uFloat != endOfPhase) {
        if (!ask(io, amountPrompt(prompt, "deposit", uInt), amountExpected, uFloat)) {
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
// would overdraw the account. Nothing when the input ends first.
std::optional<float> withdrawalPhase(const Console& io, Account& uAccount)
{
    float uFloat = 0.0F;
    std::int32_t uInt = 1;
    std::string prompt;
    for (;;) {
        if (!ask(io, amountPrompt(prompt, "withdrawl", uInt), amountExpected, uFloat)) {
            return std::nullopt;
        }
        if (uFloat == endOfPhase || uAccount.getBalance() - uFloat < 0.0F) {
            return uFloat;
        }
        uAccount.withdraw(uFloat);
        uInt = nextPromptNumber(uInt);
    }
}

std::optional<float> bothPhases(const Console& io, Account& uAccount)
{
    if (!depositPhase(io, uAccount)) {
        return std::nullopt;
    }
    io.out << std::endl;
    return withdrawalPhase(io, uAccount);
}

// A run whose output was lost must not look like a success to its caller.
int exitStatus(const Console& io, bool complete)
{
    if (!complete) {
        io.err << "teller: input ended before the dialogue was complete\n";
    }
    io.out.flush();
    if (!io.out) {
        io.err << "teller: write error";
        if (errno != 0) {
            io.err << ": " << std::generic_category().message(errno);
        }
        io.err << '\n';
        return EXIT_FAILURE;
    }
    return complete ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

int runDialogue(std::istream& in, std::ostream& out, std::ostream& err)
{
    const Console io{in, out, err};
    std::int32_t uInt = 0;
    float uFloat = 0.0F;
    std::string uFName;
    std::string uLName;
    if (!ask(io, "Please enter an account number: ", accountNumberExpected, uInt)
        || !ask(io, "Please enter an initial balance: ", balanceExpected, uFloat) || !askName(io, uFName, uLName)) {
        return exitStatus(io, false);
    }
    Account uAccount{uInt, uFloat, uFName, uLName};
    const std::optional<float> lastAmount = bothPhases(io, uAccount);
    uAccount.printSummary(out, lastAmount.value_or(endOfPhase));
    return exitStatus(io, lastAmount.has_value());
}

}  // namespace teller
