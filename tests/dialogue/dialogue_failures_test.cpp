#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>
#include <exception>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>

namespace {

using teller::runDialogue;
using namespace teller::testing;

// A dialogue cut short where its input stops: the input ends, read from a
// string, or the read there fails, at a terminal.
struct ShortRun {
    const char* name;
    std::string input;
    std::exception_ptr failure;  // none where the input just ends
    std::string tail;
    std::size_t prompts;
    std::string err;
};

class DialogueCutShort : public testing::TestWithParam<ShortRun> {};

Outcome runToTheStop(const ShortRun& c)
{
    if (!c.failure) {
        return runAsTyped(c.input);
    }
    Terminal terminal{c.input, c.input.size(), never, Typing::lines, c.failure};
    return runAt(terminal);
}

TEST_P(DialogueCutShort, StopsPromptingAndFails)
{
    const ShortRun& c = GetParam();
    const Outcome run = runToTheStop(c);
    EXPECT_TRUE(std::string_view{run.out}.ends_with(c.tail)) << run.out;
    EXPECT_EQ(countPrompts(run.out), c.prompts) << run.out;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.status, 1);
}

const std::string earlyEnd = "teller: input ended before the dialogue was complete\n";
const std::string depositSummary = summary("7", "15.00", false);

INSTANTIATE_TEST_SUITE_P(
    InputEnds, DialogueCutShort,
    testing::Values(
        ShortRun{"NoInputAtAll", "", nullptr, "number: ", 1, earlyEnd},
        ShortRun{"OnlyBlanks", " \n\t\n", nullptr, "number: ", 1, earlyEnd},
        ShortRun{"AfterAccountNumber", "7\n", nullptr, "balance: ", 2, earlyEnd},
        ShortRun{"InsideTheName", "7 5 Alex", nullptr, "name: ", 3, earlyEnd},
        ShortRun{"InDepositPhase", "7 5 Alex Sample 10\n", nullptr, depositSummary, 5, earlyEnd},
        ShortRun{"InWithdrawalPhase", "7 15 Alex Sample -1 7", nullptr, summary("7", "8.00", false), 6, earlyEnd},
        ShortRun{"RightAfterARefusedEntry", "7 5 Alex Sample 10 abc", nullptr, depositSummary, 5, badAmount + earlyEnd},
        ShortRun{"AfterARefusedLine", "7 5 Alex Sample 10 abc\n", nullptr, depositSummary, 6, badAmount + earlyEnd},
        // The summary warns as it does after -1.
        ShortRun{"WithADebt", "7 5 Alex Sample -10\n", nullptr, summary("7", "-5.00", true), 5, earlyEnd}),
    caseName<ShortRun>);

const std::exception_ptr ioError = std::make_exception_ptr(std::system_error{EIO, std::generic_category()});
const std::string readError = "teller: read error: " + std::generic_category().message(EIO) + "\n";

// A read that fails inside an entry leaves it neither taken nor refused.
INSTANTIATE_TEST_SUITE_P(ReadFails, DialogueCutShort,
                         testing::Values(ShortRun{"AfterAnEntry", "7 5 Alex Sample 10 ", ioError, depositSummary, 5,
                                                  readError},
                                         ShortRun{"AfterARefusedEntry", "7 5 Alex Sample 10 x", ioError, depositSummary,
                                                  5, badAmount + readError},
                                         ShortRun{"InsideAnEntry", "7 5 Alex Sample 10", ioError,
                                                  "$" + summary("7", "5.00", false), 4, readError}),
                         caseName<ShortRun>);

const std::exception_ptr outOfMemory = std::make_exception_ptr(std::bad_alloc{});

// Memory that runs out while the dialogue reads ends it with one line.
INSTANTIATE_TEST_SUITE_P(CatchAll, DialogueCutShort,
                         testing::Values(ShortRun{"MemoryRunsOut", "7 5 Alex Sample 10 ", outOfMemory,
                                                  "deposit 2 (-1 to exit): $", 5, "teller: memory exhausted\n"}),
                         caseName<ShortRun>);

// A run, and the complaint it makes, if any, once what comes before it is
// shown.
struct WriteFailureCase {
    const char* name;
    const char* input;
    std::string complaint;
    std::string_view shownBeforeComplaint;
};

class DialogueWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

// The screen fails after each number of bytes that the whole run writes. A
// failure in the flush before a read must be told as a write error, not a
// read error, nothing more may be read once a write has failed, and a
// complaint whose flush fails is not made.
TEST_P(DialogueWriteFailure, StopsTheDialogueAtOnce)
{
    const WriteFailureCase& c = GetParam();
    const std::string full = runWith(c.input).out;
    const std::string lost = "teller: write error: " + std::generic_category().message(ENOSPC) + "\n";
    for (std::size_t room = 0; room < full.size(); ++room) {
        Terminal terminal{c.input, never, room};
        const Outcome run = runAt(terminal);
        const std::string err = (room >= c.shownBeforeComplaint.size() ? c.complaint : "") + lost;
        EXPECT_EQ(std::make_tuple(run.out, run.err, run.status), std::make_tuple(full.substr(0, room), err, 1)) << room;
        EXPECT_EQ(terminal.taken(), terminal.notes().takenAtWriteFailure)
            << "read on after the write failed, room " << room;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueWriteFailure,
    testing::Values(WriteFailureCase{"TypicalSession", "315\n100\nAlex Sample\n50\n-1\n30\n500\n", "", ""},
                    WriteFailureCase{"WithAComplaint", "315 abc\n100 Alex Sample -1 -1\n", badBalance,
                                     "Please enter an account number: Please enter an initial balance: "}),
    caseName<WriteFailureCase>);

// Takes the first `room` characters, then nothing, like a full disk, and
// says so only by its return values, as a stream buffer does by default.
class FullOutput : public std::streambuf {
public:
    explicit FullOutput(std::size_t room) : kept(room, ' ') { setp(kept.data(), std::to_address(kept.end())); }
    [[nodiscard]] std::string taken() const { return {pbase(), pptr()}; }

private:
    std::string kept;
};

// A run whose output or complaints go to streams with room for only so
// much, which note the loss but throw nothing.
struct LostWritingCase {
    const char* name;
    const char* input;
    std::size_t outRoom;
    std::size_t errRoom;
    int status;
    std::string err;
};

class DialogueLostWriting : public testing::TestWithParam<LostWritingCase> {};

TEST_P(DialogueLostWriting, FailsTheRun)
{
    const LostWritingCase& c = GetParam();
    std::stringbuf in{c.input};
    FullOutput outSink{c.outRoom};
    FullOutput errSink{c.errRoom};
    std::ostream out{&outSink};
    std::ostream err{&errSink};
    EXPECT_EQ(runDialogue(in, out, err), c.status);
    EXPECT_EQ(errSink.taken(), c.err);
}

constexpr const char* complete = "7 5 Alex Sample -1 -1\n";
constexpr std::size_t plenty = 4096;
const std::string lostOutput = "teller: write error: " + std::make_error_code(std::io_errc::stream).message() + "\n";
// Room that ends in the summary, whose loss only the stream notes.
const std::size_t intoTheSummary = runWith(complete).out.size() - 10;
// Room for the start of a complaint, not all of it.
constexpr std::string_view complaintStart = "teller: expected";

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogueLostWriting,
    testing::Values(LostWritingCase{"LostSummaryLine", complete, intoTheSummary, plenty, 1, lostOutput},
                    LostWritingCase{"LostComplaint", "x\n7 5 Alex Sample -1 -1\n", plenty, complaintStart.size(), 1,
                                    std::string{complaintStart}},
                    LostWritingCase{"NoComplaintToLose", complete, plenty, complaintStart.size(), 0, ""}),
    caseName<LostWritingCase>);

}  // namespace
