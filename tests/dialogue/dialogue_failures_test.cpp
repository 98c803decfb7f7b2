#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <exception>
#include <new>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace {

using teller::runDialogue;
using teller::testing::badAmount;
using teller::testing::badBalance;
using teller::testing::caseName;
using teller::testing::countPrompts;
using teller::testing::endsWith;
using teller::testing::never;
using teller::testing::Outcome;
using teller::testing::runAt;
using teller::testing::runWith;
using teller::testing::summary;
using teller::testing::Terminal;

constexpr std::string_view earlyEnd = "teller: input ended before the dialogue was complete\n";

struct EarlyEndCase {
    const char* name;
    const char* input;
    const char* tail;
    std::size_t prompts;
};

class DialogueEarlyEnd : public testing::TestWithParam<EarlyEndCase> {};

TEST_P(DialogueEarlyEnd, StopsPromptingAndFails)
{
    const EarlyEndCase& c = GetParam();
    const Outcome run = runWith(c.input);
    EXPECT_TRUE(endsWith(run.out, c.tail)) << run.out;
    EXPECT_EQ(countPrompts(run.out), c.prompts) << run.out;
    EXPECT_TRUE(endsWith(run.err, earlyEnd)) << run.err;
    EXPECT_EQ(run.status, 1);
}

const std::string depositSummary = summary("7", "15.00", false);
const std::string withdrawalSummary = summary("7", "8.00", false);
const std::string debtSummary = summary("7", "-5.00", true);

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueEarlyEnd,
    testing::Values(EarlyEndCase{"NoInputAtAll", "", "number: ", 1},
                    EarlyEndCase{"OnlyBlanks", " \n\t\n", "number: ", 1},
                    EarlyEndCase{"AfterAccountNumber", "7\n", "balance: ", 2},
                    EarlyEndCase{"InsideTheName", "7 5 Alex", "name: ", 3},
                    EarlyEndCase{"InDepositPhase", "7 5 Alex Sample 10\n", depositSummary.c_str(), 5},
                    EarlyEndCase{"InWithdrawalPhase", "7 15 Alex Sample -1 7", withdrawalSummary.c_str(), 6},
                    EarlyEndCase{"RightAfterARefusedEntry", "7 5 Alex Sample 10 abc", depositSummary.c_str(), 5},
                    EarlyEndCase{"AfterARefusedLine", "7 5 Alex Sample 10 abc\n", depositSummary.c_str(), 6},
                    // The summary warns as it does after -1.
                    EarlyEndCase{"WithADebt", "7 5 Alex Sample -10\n", debtSummary.c_str(), 5}),
    caseName<EarlyEndCase>);

TEST(Dialogue, FinalMinusOneWithoutNewlineCompletesTheRun)
{
    const Outcome run = runWith("7 5 Alex Sample -1 -1");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

std::exception_ptr systemError(int code)
{
    return std::make_exception_ptr(std::system_error{code, std::generic_category()});
}

std::string reason(int code)
{
    return std::generic_category().message(code) + "\n";
}

TEST(Dialogue, ReadErrorEndsTheDialogueLikeEndOfInput)
{
    struct Case {
        std::string input;
        std::exception_ptr failure;
        std::string tail;
        std::string err;
    };
    const std::string readError = "teller: read error: " + reason(EIO);
    const std::string secondPrompt = "deposit 2 (-1 to exit): $";
    for (const Case& c :
         {Case{"7 5 Alex Sample 10 ", systemError(EIO), summary("7", "15.00", false), readError},
          Case{"7 5 Alex Sample 10 x", systemError(EIO), summary("7", "15.00", false), badAmount + readError},
          // An entry cut short by the failure is neither taken nor refused.
          Case{"7 5 Alex Sample 10", systemError(EIO), std::string{"$"}.append(summary("7", "5.00", false)), readError},
          Case{"7 5 Alex Sample 10 ", std::make_exception_ptr(std::bad_alloc{}), secondPrompt,
               "teller: memory exhausted\n"},
          Case{"7 5 Alex Sample 10 ", std::make_exception_ptr(std::logic_error{"broken"}), secondPrompt,
               "teller: broken\n"}}) {
        Terminal terminal{c.input, c.input.size(), never, c.failure};
        const Outcome run = runAt(terminal);
        EXPECT_TRUE(endsWith(run.out, c.tail)) << c.input << '\n' << run.out;
        EXPECT_EQ(run.err, c.err) << c.input;
        EXPECT_EQ(run.status, 1);
    }
}

// Runs input at a terminal whose screen fails after room bytes of the full
// output.
void expectWriteFailureAt(const std::string& input, const std::string& full, std::size_t room, const std::string& err)
{
    Terminal terminal{input, never, room};
    const Outcome run = runAt(terminal);
    EXPECT_EQ(run.status, 1) << room;
    EXPECT_EQ(run.err, err + "teller: write error: " + reason(ENOSPC)) << room;
    EXPECT_EQ(run.out, full.substr(0, room));
    EXPECT_EQ(terminal.taken(), terminal.takenAtWriteFailure()) << "read on after the write failed, room " << room;
}

// Fails the screen after each number of bytes that the whole run writes,
// expecting the complaint, if any, only when what came before it was shown.
void expectEachWriteFailure(const std::string& input, const std::string& complaint, std::size_t complaintAfter)
{
    const std::string full = runWith(input).out;
    for (std::size_t room = 0; room < full.size(); ++room) {
        expectWriteFailureAt(input, full, room, room >= complaintAfter ? complaint : "");
    }
}

// A failure in the flush before a read must be told as a write error, not a
// read error, nothing more may be read once a write has failed, and a
// complaint whose flush fails is not made.
TEST(Dialogue, FirstFailedWriteStopsTheDialogueAtOnce)
{
    expectEachWriteFailure("315\n100\nAlex Sample\n50\n-1\n30\n500\n", "", 0);
    expectEachWriteFailure(
        "315 abc\n100 Alex Sample -1 -1\n", badBalance,
        std::string_view{"Please enter an account number: Please enter an initial balance: "}.size());
}

// Takes the first `room` characters, then nothing, like a full disk, and
// says so only by its return values.
class FullOutput : public std::streambuf {
public:
    explicit FullOutput(std::size_t room = 0) : left{room} {}

protected:
    int_type overflow(int_type c) override
    {
        if (left == 0) {
            return traits_type::eof();
        }
        --left;
        return traits_type::not_eof(c);
    }

private:
    std::size_t left;
};

// In a prompt, or only in the summary, where the stream notes it.
TEST(Dialogue, LostOutputIsReportedAsFailure)
{
    const std::string input = "7 5 Alex Sample -1 -1\n";
    for (const std::size_t room : {std::size_t{0}, runWith(input).out.size() - 10}) {
        std::istringstream in{input};
        FullOutput sink{room};
        std::ostream out{&sink};
        std::ostringstream err;
        EXPECT_EQ(runDialogue(in, out, err), 1) << room;
        EXPECT_EQ(err.str(), "teller: write error\n") << room;
    }
}

TEST(Dialogue, LostDiagnosticFailsTheRun)
{
    for (const auto& [input, status] :
         {std::pair{"x\n7 5 Alex Sample -1 -1\n", 1}, std::pair{"7 5 Alex Sample -1 -1\n", 0}}) {
        std::istringstream in{input};
        std::ostringstream out;
        FullOutput sink;
        std::ostream err{&sink};
        EXPECT_EQ(runDialogue(in, out, err), status) << input;
    }
}

}  // namespace
