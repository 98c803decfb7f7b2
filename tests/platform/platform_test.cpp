#include "file_output.hpp"
#include "system_io.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

namespace {

using teller::readSome;
using teller::writeAll;

// Both ends of a pipe, closed with the test.
class Pipe {
public:
    Pipe()
    {
        EXPECT_EQ(::pipe(ends.data()), 0);
    }
    Pipe(const Pipe&) = delete;
    Pipe(Pipe&&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    Pipe& operator=(Pipe&&) = delete;
    ~Pipe()
    {
        closeWriter();
        ::close(reader());
    }
    [[nodiscard]] int reader() const
    {
        return ends[0];
    }
    [[nodiscard]] int writer() const
    {
        return ends[1];
    }
    void closeWriter()
    {
        if (ends[1] >= 0) {
            ::close(ends[1]);
            ends[1] = -1;
        }
    }
    // What has arrived, up to 256 bytes.
    [[nodiscard]] std::string arrived() const
    {
        std::array<char, 256> bytes{};
        const teller::ReadResult got = readSome(reader(), bytes);
        return std::string{bytes.data(), got.count};
    }

private:
    std::array<int, 2> ends{-1, -1};
};

// The result of a call that worked is its own, whatever errno an earlier
// call left behind.
TEST(SystemIo, TrustsErrnoOnlyWhenTheCallFails)
{
    Pipe pipe;
    errno = EIO;
    EXPECT_EQ(writeAll(pipe.writer(), std::string_view{"a"}), std::error_code{});
    errno = EIO;
    std::array<char, 8> into{};
    const teller::ReadResult one = readSome(pipe.reader(), into);
    EXPECT_EQ(one.count, 1U);
    EXPECT_FALSE(one.failure);
    pipe.closeWriter();
    errno = EIO;
    const teller::ReadResult end = readSome(pipe.reader(), into);
    EXPECT_EQ(end.count, 0U);
    EXPECT_FALSE(end.failure);
    EXPECT_EQ(readSome(pipe.writer(), into).failure, std::errc::bad_file_descriptor);
    EXPECT_EQ(writeAll(pipe.reader(), std::string_view{"a"}), std::errc::bad_file_descriptor);
}

// Where the alarm's handler writes, as a signal handler can reach only what
// is global.
int alarmWrites = -1;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// Reads from descriptor while, 50 ms on, a signal whose handler sends one
// byte into the pipe interrupts the read or its wait. Without SA_RESTART,
// the system does not take up the call again by itself.
teller::ReadResult readThroughAnAlarm(int descriptor)
{
    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int /*signal*/) { [[maybe_unused]] const auto written = ::write(alarmWrites, "x", 1); };
    struct sigaction previous {};
    EXPECT_EQ(::sigaction(SIGALRM, &onAlarm, &previous), 0);
    const itimerval soon{{0, 0}, {0, 50000}};
    EXPECT_EQ(::setitimer(ITIMER_REAL, &soon, nullptr), 0);
    std::array<char, 8> into{};
    const teller::ReadResult got = readSome(descriptor, into);
    EXPECT_EQ(::sigaction(SIGALRM, &previous, nullptr), 0);
    return got;
}

// A descriptor left non-blocking is waited on as a blocking one, and a
// signal that interrupts the read or the wait is no failure: here the
// signal's own handler brings the input.
TEST(SystemIo, WaitsForInputThroughASignal)
{
    for (const int flags : {0, O_NONBLOCK}) {
        Pipe pipe;
        ASSERT_EQ(::fcntl(pipe.reader(), F_SETFL, flags), 0);  // NOLINT(cppcoreguidelines-pro-type-vararg)
        alarmWrites = pipe.writer();
        const teller::ReadResult got = readThroughAnAlarm(pipe.reader());
        EXPECT_EQ(got.count, 1U) << flags;
        EXPECT_FALSE(got.failure) << flags << ": " << got.failure.message();
    }
}

// A buffer smaller than a piece sends it on in buffers full, and a single
// character that finds the buffer full sends the buffer first.
TEST(FileOutput, SendsPiecesLargerThanItsBuffer)
{
    Pipe pipe;
    std::array<char, 4> room{};
    teller::FileOutput output{pipe.writer(), room};
    std::ostream out{&output};
    out << "abcd" << 'e';
    EXPECT_EQ(pipe.arrived(), "abcd");
    out << "fghijklmn" << 42;
    out.flush();
    EXPECT_EQ(pipe.arrived(), "efghijklmn42");
}

// The first failed write throws its reason, and so does every later write,
// however small, and flush.
TEST(FileOutput, KeepsFailingAfterAFailedWrite)
{
    Pipe pipe;
    std::array<char, 4> room{};
    teller::FileOutput output{pipe.reader(), room};
    output.sputn("ab", 2);
    for (const bool write : {false, true, false}) {
        try {
            write ? static_cast<void>(output.sputn("c", 1)) : static_cast<void>(output.pubsync());
            ADD_FAILURE() << (write ? "a write" : "a flush") << " after the failure did not throw";
        } catch (const std::system_error& failure) {
            EXPECT_EQ(failure.code(), std::errc::bad_file_descriptor);
        }
    }
}

}  // namespace
