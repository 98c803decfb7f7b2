#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace {

using namespace teller::testing;

struct PhaseCase {
    const char* name;
    const char* input;
    const char* number;
    const char* balance;
    bool warns;
    std::size_t depositPrompts;
    std::size_t withdrawalPrompts;
};

class DialoguePhases : public testing::TestWithParam<PhaseCase> {};

TEST_P(DialoguePhases, EndsWithTheExpectedSummary)
{
    const PhaseCase& c = GetParam();
    const Outcome run = runAsTyped(c.input);
    EXPECT_TRUE(std::string_view{run.out}.ends_with(summary(c.number, c.balance, c.warns))) << run.out;
    // Every opening prompt is written, even where the answers come on one line.
    EXPECT_EQ(countPrompts(run.out), 3 + c.depositPrompts + c.withdrawalPrompts);
    EXPECT_EQ(countOf(run.out, "for deposit "), c.depositPrompts);
    EXPECT_EQ(countOf(run.out, "for withdrawl "), c.withdrawalPrompts);
    EXPECT_EQ(countOf(run.out, "Please enter an amount for deposit " + std::to_string(c.depositPrompts) + " "), 1U);
    EXPECT_EQ(countOf(run.out, "Please enter an amount for withdrawl " + std::to_string(c.withdrawalPrompts) + " "),
              1U);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialoguePhases,
    testing::Values(
        // The last -1 completes the run without a newline after it.
        PhaseCase{"NoDepositsGoesStraightToWithdrawals", "1 10 Alex Sample -1 -1", "1", "10.00", false, 1, 1},
        PhaseCase{"ZeroAmountsAdvanceTheCounters", "1 10 Alex Sample 0 0 -1 0 0 0 -1", "1", "10.00", false, 3, 4},
        PhaseCase{"NegativeDepositLowersTheBalance", "1 10 Alex Sample -20 -1 -1", "1", "-10.00", true, 2, 1},
        PhaseCase{"NegativeWithdrawalRaisesTheBalance", "1 10 Alex Sample -1 -5 -1", "1", "15.00", false, 1, 2},
        PhaseCase{"MinusOnePointFiveIsADeposit", "1 10 Alex Sample -1.5 -1 -1", "1", "8.50", false, 2, 1},
        PhaseCase{"MinusOneSpelledOtherwiseEndsAPhase", "1 10 Alex Sample -1.0 -1e0", "1", "10.00", false, 1, 1},
        PhaseCase{"NearlyMinusOneRoundsToMinusOne", "1 10 Alex Sample -0.9999999999 -1 ", "1", "10.00", false, 1, 1},
        PhaseCase{"WithdrawingEverythingIsAllowed", "1 100 Alex Sample -1 100 0.01", "1", "0.00", true, 1, 2},
        PhaseCase{"OverdraftStopsWithoutWithdrawing", "1 100 Alex Sample 5 -1 30 500 20", "1", "75.00", true, 2, 2},
        PhaseCase{"NegativeBalanceRefusesEvenZero", "1 -50 Alex Sample -1 0", "1", "-50.00", true, 1, 1},
        PhaseCase{"NegativeBalanceWarnsAfterMinusOne", "1 -50 Alex Sample -1 -1", "1", "-50.00", true, 1, 1},
        PhaseCase{"ZeroFromTheLargestBalanceIsAllowed", "1 3.4028235e38 Alex Sample -1 0 -1", "1",
                  "340282346638528859811704183484516925440.00", false, 1, 2},
        PhaseCase{"HugeOverdraftStillEndsTheWithdrawals", "1 -3e38 Alex Sample -1 3e38", "1",
                  "-300000000549775575777803994281145270272.00", true, 1, 1},
        PhaseCase{"LeadingZerosAreDropped", "0042 1 Alex Sample -1 -1", "42", "1.00", false, 1, 1},
        PhaseCase{"NegativeAccountNumber", "-7 1 Alex Sample -1 -1", "-7", "1.00", false, 1, 1},
        PhaseCase{"FractionalNumberFeedsTheBalance", "12.5\nAlex Sample -1 -1", "12", "0.50", false, 1, 1},
        PhaseCase{"AnswersSplitOverLines", "\n\n315\n  100  \n\tAlex\nSample\n-1\n-1\n", "315", "100.00", false, 1, 1},
        PhaseCase{"CarriageReturnsTabsAndFormFeedsAreBlanks", "315\r\n100\v\fAlex\rSample\r\n-1\r\n-1\r\n", "315",
                  "100.00", false, 1, 1}),
    caseName<PhaseCase>);

// Output goes out when the dialogue waits, not prompt by prompt: a script
// that arrives whole costs one flush before the first wait, one before the
// wait that finds the end of the input, and one at the end.
TEST(Dialogue, ScriptArrivingWholeIsWrittenInOneGo)
{
    Terminal terminal{"315 100 Alex Sample 1 2 3 -1 4 5 6 -1"};
    EXPECT_EQ(runAt(terminal).status, 0);
    EXPECT_EQ(terminal.notes().flushes, 3U);
}

struct BadEntryCase {
    const char* name;
    std::string input;
    const char* refusal;
    const char* repeatedPrompt;
    const char* balance;
};

class DialogueBadEntries : public testing::TestWithParam<BadEntryCase> {};

TEST_P(DialogueBadEntries, AreRefusedAndAskedAgain)
{
    const BadEntryCase& c = GetParam();
    const Outcome run = runAsTyped(c.input);
    EXPECT_EQ(run.err, c.refusal);
    EXPECT_EQ(countOf(run.out, c.repeatedPrompt), 2U) << run.out;
    EXPECT_TRUE(std::string_view{run.out}.ends_with(summary("7", c.balance, false))) << run.out;
    EXPECT_EQ(run.status, 0);
}

constexpr const char* largeBalance = "300000000549775575777803994281145270272.00";

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueBadEntries,
    testing::Values(
        BadEntryCase{"WordForAccountNumber", "abc 9\n7 5 Alex Sample -1 -1", badNumber, "account number: ", "5.00"},
        BadEntryCase{"AccountNumberOutOfRange", "99999999999\n7 5 Alex Sample -1 -1", badNumber,
                     "account number: ", "5.00"},
        // 256 bytes, whose last must not be left to answer the next question.
        BadEntryCase{"AccountNumberTooLong", std::string(255, '0') + "7\n7 5 Alex Sample -1 -1", badNumber,
                     "account number: ", "5.00"},
        BadEntryCase{"DollarSignBeforeBalance", "7 $5\n5 Alex Sample -1 -1", badBalance, "initial balance: ", "5.00"},
        BadEntryCase{"LoneMinusForDeposit", "7 5 Alex Sample -\n2 -1 -1", badAmount, "deposit 1 ", "7.00"},
        BadEntryCase{"DepositTooLargeForAnAmount", "7 5 Alex Sample 1e39\n-1 -1", badAmount, "deposit 1 ", "5.00"},
        BadEntryCase{"RestOfRefusedLineIsDropped", "7 5 Alex Sample x 50\n1 -1 -1", badAmount, "deposit 1 ", "6.00"},
        BadEntryCase{"ThirdNameWordIsADepositEntry", "7 5 Alex Sample Extra\n-1 -1", badAmount, "deposit 1 ", "5.00"},
        BadEntryCase{"WordForWithdrawal", "7 5 Alex Sample -1 2 abc\n-1", badAmount, "withdrawl 2 ", "3.00"},
        BadEntryCase{"DepositBeyondWhatTheBalanceHolds", "7 3e38 Alex Sample 3e38 9\n-1 -1", badHoldable, "deposit 1 ",
                     largeBalance},
        BadEntryCase{"WithdrawalBeyondWhatTheBalanceHolds", "7 3e38 Alex Sample -1 -3e38\n-1", badHoldable,
                     "withdrawl 1 ", largeBalance},
        // 255 bytes make a name word, 256 are too many, for either word.
        BadEntryCase{"FirstNameWordTooLong", "7 5 " + std::string(256, 'A') + " Sample\nAlex Sample -1 -1", badName,
                     "name: ", "5.00"},
        BadEntryCase{"NameWordTooLong",
                     "7 5 " + std::string(255, 'A') + " " + std::string(256, 'S') + "\nAlex Sample -1 -1", badName,
                     "name: ", "5.00"}),
    caseName<BadEntryCase>);

}  // namespace
