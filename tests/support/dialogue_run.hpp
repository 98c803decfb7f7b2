#pragma once

#include "teller_dialogue.hpp"
#include "terminal.hpp"

#include <gtest/gtest.h>

#include <istream>
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
    std::istringstream in{input};
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDialogue(in, out, err);
    return {out.str(), err.str(), status};
}

// A run at a terminal that serves its input a line at a time and shows what
// is flushed to it.
inline Outcome runAt(Terminal& terminal)
{
    std::istream in{&terminal};
    std::ostream out{&terminal};
    std::ostringstream err;
    const int status = runDialogue(in, out, err);
    return {terminal.shown(), err.str(), status};
}

// The summary of the account of Alex Sample, the holder in every test.
inline std::string summary(std::string_view number, std::string_view balance, bool warns)
{
    std::string text{"\nBank Account Holder: Alex Sample\nBank Account Number: "};
    text.append(number).append("\nBank Account Balance: $").append(balance).append("\n");
    return warns ? text.append(holdWarning) : text;
}

inline bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// Names each case of a table after its own name field.
template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& test)
{
    return test.param.name;
}

}  // namespace teller::testing
