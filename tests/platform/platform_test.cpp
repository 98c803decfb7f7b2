#include "file_input.hpp"
#include "file_output.hpp"

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

// What one read through teller's input brings: its bytes, none at the end,
// or the reason it failed.
struct Read {
    std::string bytes;
    std::error_code failure;
    friend bool operator==(const Read&, const Read&) = default;
};

Read readOnce(int descriptor)
{
    std::array<char, 256> room{};
    teller::FileInput input{descriptor, room};
    try {
        const bool ended = input.sgetc() == std::char_traits<char>::eof();
        return {ended ? "" : std::string(room.data(), static_cast<std::size_t>(input.in_avail())), {}};
    } catch (const std::system_error& failed) {
        return {"", failed.code()};
    }
}

// The reason one flushed write through teller's output failed, if it did.
std::error_code writeOnce(int descriptor, std::string_view bytes)
{
    std::array<char, 8> room{};
    teller::FileOutput output{descriptor, room};
    try {
        output.sputn(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        output.pubsync();
    } catch (const std::system_error& failed) {
        return failed.code();
    }
    return {};
}

// Both ends of a pipe, closed with the test.
class Pipe {
public:
    Pipe() { EXPECT_EQ(::pipe(ends.data()), 0); }
    Pipe(const Pipe&) = delete;
    Pipe(Pipe&&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    Pipe& operator=(Pipe&&) = delete;
    ~Pipe()
    {
        closeWriter();
        ::close(reader());
    }
    [[nodiscard]] int reader() const { return ends[0]; }
    [[nodiscard]] int writer() const { return ends[1]; }
    void closeWriter()
    {
        if (ends[1] >= 0) {
            ::close(ends[1]);
            ends[1] = -1;
        }
    }
    [[nodiscard]] std::string arrived() const { return readOnce(reader()).bytes; }

private:
    std::array<int, 2> ends{-1, -1};
};

// The result of a call that worked is its own, whatever errno an earlier
// call left behind.
TEST(SystemIo, TrustsErrnoOnlyWhenTheCallFails)
{
    Pipe pipe;
    errno = EIO;
    EXPECT_EQ(writeOnce(pipe.writer(), "a"), std::error_code{});
    errno = EIO;
    EXPECT_EQ(readOnce(pipe.reader()), (Read{"a", {}}));
    pipe.closeWriter();
    errno = EIO;
    EXPECT_EQ(readOnce(pipe.reader()), (Read{"", {}}));
    EXPECT_EQ(readOnce(pipe.writer()).failure, std::errc::bad_file_descriptor);
    EXPECT_EQ(writeOnce(pipe.reader(), "a"), std::errc::bad_file_descriptor);
}

// Where the alarm's handler writes, as a signal handler can reach only what
// is global.
int alarmWrites = -1;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

// Reads from descriptor while, 50 ms on, a signal whose handler sends one
// byte into the pipe interrupts the read or its wait. Without SA_RESTART,
// the system does not take up the call again by itself.
Read readThroughAnAlarm(int descriptor)
{
    struct sigaction onAlarm {};
    onAlarm.sa_handler = [](int /*signal*/) { [[maybe_unused]] const auto written = ::write(alarmWrites, "x", 1); };
    struct sigaction previous {};
    EXPECT_EQ(::sigaction(SIGALRM, &onAlarm, &previous), 0);
    const itimerval soon{{0, 0}, {0, 50000}};
    EXPECT_EQ(::setitimer(ITIMER_REAL, &soon, nullptr), 0);
    Read got = readOnce(descriptor);
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
        EXPECT_EQ(readThroughAnAlarm(pipe.reader()), (Read{"x", {}})) << flags;
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
