#include "teller_dialogue.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
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

constexpr std::string_view holdWarning =
    "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n";
constexpr std::string_view earlyEnd = "teller: input ended before the dialogue was complete\n";
constexpr const char* badAmount = "teller: expected an amount, such as 25.50 or -1\n";

struct Outcome {
    std::string out;
    std::string err;
    int status;
};

Outcome runWith(std::istream& in)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runDialogue(in, out, err);
    return {out.str(), err.str(), status};
}

Outcome runWith(const std::string& input)
{
    std::istringstream in{input};
    return runWith(in);
}

std::size_t count(std::string_view text, std::string_view part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

std::string summary(std::string_view number, std::string_view balance, bool warns)
{
    std::string text{"\nBank Account Holder: Alex Sample\nBank Account Number: "};
    text.append(number).append("\nBank Account Balance: $").append(balance).append("\n");
    return warns ? text.append(holdWarning) : text;
}

// Names each case of a table after its own name field.
template <typename Case>
std::string caseName(const testing::TestParamInfo<Case>& test)
{
    return test.param.name;
}

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

TEST(Dialogue, TypicalRunIsWrittenByteForByte)
{
    const Outcome run = runWith("315\n100\nAlex Sample\n50\n-1\n30\n500\n");
    EXPECT_EQ(run.out,
              "Please enter an account number: "
              "Please enter an initial balance: "
              "Please enter your first and last name: "
              "Please enter an amount for deposit 1 (-1 to exit): $"
              "Please enter an amount for deposit 2 (-1 to exit): $"
              "\n"
              "Please enter an amount for withdrawl 1 (-1 to exit): $"
              "Please enter an amount for withdrawl 2 (-1 to exit): $"
                  + summary("315", "120.00", true));
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

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
    const Outcome run = runWith(c.input);
    EXPECT_TRUE(endsWith(run.out, summary(c.number, c.balance, c.warns))) << run.out;
    EXPECT_EQ(count(run.out, "for deposit "), c.depositPrompts);
    EXPECT_EQ(count(run.out, "for withdrawl "), c.withdrawalPrompts);
    EXPECT_EQ(count(run.out, "Please enter an amount for deposit " + std::to_string(c.depositPrompts) + " "), 1U);
    EXPECT_EQ(count(run.out, "Please enter an amount for withdrawl " + std::to_string(c.withdrawalPrompts) + " "), 1U);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialoguePhases,
    testing::Values(
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
        PhaseCase{"HugeOverdraftStillEndsTheWithdrawals", "1 -3e38 Alex Sample -1 3e38", "1",
                  "-300000000549775575777803994281145270272.00", true, 1, 1},
        PhaseCase{"LeadingZerosAreDropped", "0042 1 Alex Sample -1 -1", "42", "1.00", false, 1, 1},
        PhaseCase{"NegativeAccountNumber", "-7 1 Alex Sample -1 -1", "-7", "1.00", false, 1, 1},
        PhaseCase{"FractionalNumberFeedsTheBalance", "12.5\nAlex Sample -1 -1", "12", "0.50", false, 1, 1},
        PhaseCase{"AnswersSplitOverLines", "\n\n315\n  100  \n\tAlex\nSample\n-1\n-1\n", "315", "100.00", false, 1, 1}),
    caseName<PhaseCase>);

TEST(Dialogue, OpeningAnswersOnOneLineStillWriteEveryPrompt)
{
    const Outcome run = runWith("315 100 Alex Sample\n-1\n-1\n");
    EXPECT_EQ(run.out.substr(0, run.out.find("Please enter an amount")),
              "Please enter an account number: Please enter an initial balance: "
              "Please enter your first and last name: ");
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
    const Outcome run = runWith(c.input);
    EXPECT_EQ(run.err, c.refusal);
    EXPECT_EQ(count(run.out, c.repeatedPrompt), 2U) << run.out;
    EXPECT_TRUE(endsWith(run.out, summary("7", c.balance, false))) << run.out;
    EXPECT_EQ(run.status, 0);
}

constexpr const char* badNumber = "teller: expected an account number, a whole number from -2147483648 to 2147483647\n";
constexpr const char* badBalance = "teller: expected an initial balance, such as 100 or 25.50\n";
constexpr const char* badHoldable = "teller: expected an amount the balance can hold, such as 25.50 or -1\n";
constexpr const char* largeBalance = "300000000549775575777803994281145270272.00";
constexpr const char* badName = "teller: expected a first and last name, each word at most 255 bytes\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueBadEntries,
    testing::Values(
        BadEntryCase{"WordForAccountNumber", "abc 9\n7 5 Alex Sample -1 -1", badNumber, "account number: ", "5.00"},
        BadEntryCase{"AccountNumberOutOfRange", "99999999999\n7 5 Alex Sample -1 -1", badNumber,
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
        // 255 bytes make a name word, 256 are too many.
        BadEntryCase{"NameWordTooLong",
                     "7 5 " + std::string(255, 'A') + " " + std::string(256, 'S') + "\nAlex Sample -1 -1", badName,
                     "name: ", "5.00"}),
    caseName<BadEntryCase>);

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
    EXPECT_EQ(count(run.out, "Please enter"), c.prompts) << run.out;
    EXPECT_TRUE(endsWith(run.err, earlyEnd)) << run.err;
    EXPECT_EQ(run.status, 1);
}

const std::string depositSummary = summary("7", "15.00", false);
const std::string withdrawalSummary = summary("7", "8.00", false);

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueEarlyEnd,
    testing::Values(EarlyEndCase{"NoInputAtAll", "", "number: ", 1},
                    EarlyEndCase{"OnlyBlanks", " \n\t\n", "number: ", 1},
                    EarlyEndCase{"AfterAccountNumber", "7\n", "balance: ", 2},
                    EarlyEndCase{"InsideTheName", "7 5 Alex", "name: ", 3},
                    EarlyEndCase{"InDepositPhase", "7 5 Alex Sample 10\n", depositSummary.c_str(), 5},
                    EarlyEndCase{"InWithdrawalPhase", "7 15 Alex Sample -1 7", withdrawalSummary.c_str(), 6},
                    EarlyEndCase{"RightAfterARefusedEntry", "7 5 Alex Sample 10 abc", depositSummary.c_str(), 5},
                    EarlyEndCase{"AfterARefusedLine", "7 5 Alex Sample 10 abc\n", depositSummary.c_str(), 6}),
    caseName<EarlyEndCase>);

TEST(Dialogue, FinalMinusOneWithoutNewlineCompletesTheRun)
{
    const Outcome run = runWith("7 5 Alex Sample -1 -1");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

TEST(Dialogue, EarlyEndSummaryWarnsAsAfterMinusOne)
{
    const Outcome run = runWith("7 5 Alex Sample -10\n");
    EXPECT_TRUE(endsWith(run.out, summary("7", "-5.00", true))) << run.out;
    EXPECT_EQ(run.status, 1);
}

// Serves its text a line at a time, as a terminal does, then fails: as a
// read the system refuses, or as memory running out. Like teller's own
// input, it first flushes the output tied to it. It counts what the dialogue
// took.
class FailingInput : public std::streambuf {
public:
    // The failure is kept to be thrown when the text runs out.
    FailingInput(std::string text, std::exception_ptr failure)
        : text_{std::move(text)}, failure_{std::move(failure)}  // NOLINT(bugprone-throw-keyword-missing)
    {
        setg(text_.data(), text_.data(), text_.data());
    }

    void tie(std::streambuf& output)
    {
        tied_ = &output;
    }

    [[nodiscard]] std::ptrdiff_t taken() const
    {
        return gptr() - eback();
    }

protected:
    int_type underflow() override
    {
        if (tied_ != nullptr) {
            tied_->pubsync();
        }
        const auto at = static_cast<std::size_t>(taken());
        if (at == text_.size()) {
            std::rethrow_exception(failure_);
        }
        const std::size_t newline = text_.find('\n', at);
        const std::size_t end = newline == std::string::npos ? text_.size() : newline + 1;
        setg(text_.data(), text_.data() + at, text_.data() + end);
        return traits_type::to_int_type(text_[at]);
    }

private:
    std::string text_;
    std::exception_ptr failure_;
    std::streambuf* tied_ = nullptr;
};

std::exception_ptr systemError(int code)
{
    return std::make_exception_ptr(std::system_error{code, std::generic_category()});
}

std::string reason(int code)
{
    return std::generic_category().message(code) + "\n";
}

std::exception_ptr memoryExhausted()
{
    return std::make_exception_ptr(std::bad_alloc{});
}

TEST(Dialogue, ReadErrorEndsTheDialogueLikeEndOfInput)
{
    struct Case {
        const char* input;
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
          Case{"7 5 Alex Sample 10 ", memoryExhausted(), secondPrompt, "teller: memory exhausted\n"},
          Case{"7 5 Alex Sample 10 ", std::make_exception_ptr(std::logic_error{"broken"}), secondPrompt,
               "teller: broken\n"}}) {
        FailingInput source{c.input, c.failure};
        std::istream in{&source};
        const Outcome run = runWith(in);
        EXPECT_TRUE(endsWith(run.out, c.tail)) << c.input << '\n' << run.out;
        EXPECT_EQ(run.err, c.err) << c.input;
        EXPECT_EQ(run.status, 1);
    }
}

// Takes the first bytes it is sent, as many as it has room for, when they are
// flushed; then fails every write as a full disk does. A failure in the flush
// before a read must be told as a write error, not a read error. It notes how
// much input had been taken when the first write failed.
class ShortOutput : public std::streambuf {
public:
    ShortOutput(std::size_t room, const FailingInput& input) : room_{room}, input_{input}
    {
        setp(pending_.data(), pending_.data() + pending_.size());
    }

    [[nodiscard]] const std::string& written() const
    {
        return written_;
    }
    [[nodiscard]] std::ptrdiff_t takenAtFailure() const
    {
        return takenAtFailure_;
    }

protected:
    int sync() override
    {
        const std::string_view pending{pbase(), static_cast<std::size_t>(pptr() - pbase())};
        setp(pending_.data(), pending_.data() + pending_.size());
        const std::size_t fits = std::min(pending.size(), room_ - written_.size());
        written_.append(pending.substr(0, fits));
        if (fits < pending.size() || takenAtFailure_ >= 0) {
            takenAtFailure_ = takenAtFailure_ >= 0 ? takenAtFailure_ : input_.taken();
            throw std::system_error{ENOSPC, std::generic_category()};
        }
        return 0;
    }

private:
    std::size_t room_;
    const FailingInput& input_;
    std::array<char, 4096> pending_{};
    std::string written_;
    std::ptrdiff_t takenAtFailure_ = -1;
};

TEST(Dialogue, FirstFailedWriteStopsTheDialogueAtOnce)
{
    const std::string input = "315\n100\nAlex Sample\n50\n-1\n30\n500\n";
    const std::string full = runWith(input).out;
    for (std::size_t room = 0; room < full.size(); ++room) {
        FailingInput source{input, systemError(EIO)};
        std::istream in{&source};
        ShortOutput sink{room, source};
        source.tie(sink);
        std::ostream out{&sink};
        std::ostringstream err;
        EXPECT_EQ(runDialogue(in, out, err), 1) << room;
        EXPECT_EQ(err.str(), "teller: write error: " + reason(ENOSPC)) << room;
        EXPECT_EQ(sink.written(), full.substr(0, room));
        EXPECT_EQ(source.taken(), sink.takenAtFailure()) << "read on after the write failed, room " << room;
    }
}

// Accepts nothing, like a full disk.
class FullOutput : public std::streambuf {
protected:
    int_type overflow(int_type /*unused*/) override
    {
        return traits_type::eof();
    }
};

TEST(Dialogue, LostOutputIsReportedAsFailure)
{
    std::istringstream in{"7 5 Alex Sample -1 -1\n"};
    FullOutput sink;
    std::ostream out{&sink};
    std::ostringstream err;
    EXPECT_EQ(runDialogue(in, out, err), 1);
    EXPECT_EQ(err.str(), "teller: write error\n");
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

TEST(PromptNumber, CountsUpAndStopsAtTheLargestValue)
{
    constexpr std::int32_t largest = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(teller::nextPromptNumber(1), 2);
    EXPECT_EQ(teller::nextPromptNumber(largest - 1), largest);
    EXPECT_EQ(teller::nextPromptNumber(largest), largest);
}

}  // namespace
