#pragma once

#include "teller_dialogue.hpp"
#include "terminal.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace teller::testing {

constexpr std::string_view holdWarning =
    "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n";

// The complaints about refused entries.
constexpr const char* badNumber = "teller: expected an account number, a whole number from -2147483648 to 2147483647\n";
constexpr const char* badBalance = "teller: expected an initial balance, such as 100 or 25.50\n";
constexpr const char* badName = "teller: expected a first and last name, each word at most 255 bytes\n";
constexpr const char* badAmount = "teller: expected an amount, such as 25.50 or -1\n";
constexpr const char* badHoldable = "teller: expected an amount the balance can hold, such as 25.50 or -1\n";

// What one run of the dialogue wrote, and its exit status.
struct Outcome {
    std::string out;
    std::string err;
    int status;
};

inline Outcome runWith(const std::string& input)
{
    std::stringbuf in{input};
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDialogue(in, out, err);
    return {out.str(), err.str(), status};
}

// A run at a terminal, which shows what is flushed to it. Whatever the
// dialogue has written must be out before each read that may wait.
inline Outcome runAt(Terminal& terminal)
{
    std::ostream out{&terminal};
    std::ostringstream err;
    const int status = runDialogue(terminal, out, err);
    EXPECT_FALSE(terminal.notes().readWithOutputHeld) << "a prompt was held back while its answer was awaited";
    return {terminal.shown(), err.str(), status};
}

// A run of input from a string, which must go the same, byte for byte, when
// the input is typed at a terminal in pieces of one to three bytes, each line
// ending a piece, after which the terminal answers end of file once and would
// go on: once its input has ended, the dialogue reads no more.
inline Outcome runAsTyped(const std::string& input)
{
    const Outcome run = runWith(input);
    Terminal terminal{input + Terminal::ctrlD + "1 2 Alex Sample 3 -1 -1\n", never, never, Typing::pieces};
    const Outcome typed = runAt(terminal);
    EXPECT_EQ(typed.out, run.out);
    EXPECT_EQ(typed.err, run.err);
    EXPECT_EQ(typed.status, run.status);
    return run;
}

// The summary of the account of Alex Sample, the holder in every test.
inline std::string summary(std::string_view number, std::string_view balance, bool warns)
{
    std::string text{"\nBank Account Holder: Alex Sample\nBank Account Number: "};
    text.append(number).append("\nBank Account Balance: $").append(balance).append("\n");
    return warns ? text.append(holdWarning) : text;
}

// Names each case of a table after its own name field.
template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& test)
{
    return test.param.name;
}

}  // namespace teller::testing
