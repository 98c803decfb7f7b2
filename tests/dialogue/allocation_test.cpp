#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

namespace {

// Every allocation of this test program is counted, so that a test can tell
// how many a stretch of work made.
std::size_t allocations = 0;  // NOLINT(cppcoreguidelines-avoid-non-const-global-variables)

}  // namespace

void* operator new(std::size_t size)
{
    ++allocations;
    // NOLINTNEXTLINE(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc{};
    }
    return block;
}

void operator delete(void* block) noexcept
{
    std::free(block);  // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
}

void operator delete(void* block, std::size_t /*size*/) noexcept
{
    std::free(block);  // NOLINT(cppcoreguidelines-no-malloc,cppcoreguidelines-owning-memory)
}

namespace {

std::size_t allocationsFor(const std::string& input)
{
    teller::testing::Terminal terminal{input};
    const std::size_t before = allocations;
    teller::testing::runAt(terminal);
    return allocations - before;
}

// Once the dialogue has begun it allocates nothing: not for a long name, and
// not for each amount, however many there are.
TEST(Dialogue, AllocatesNothingPerEntry)
{
    std::string manyDeposits = "7 5 Al Sam";
    for (int i = 0; i < 1000; ++i) {
        manyDeposits += " 1";
    }
    const std::size_t least = allocationsFor("7 5 Al Sam -1 -1");
    EXPECT_EQ(allocationsFor("7 5 " + std::string(255, 'A') + " " + std::string(255, 'S') + " -1 -1"), least);
    EXPECT_EQ(allocationsFor(manyDeposits + " -1 -1"), least);
}

}  // namespace
