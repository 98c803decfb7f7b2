#include "amount_prompt.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using teller::AmountPrompt;
using teller::Phase;

// A prompt started at one number and counted up a few times: the digits must
// carry, grow by one, and stop at the largest number.
struct CountCase {
    const char* name;
    Phase phase;
    std::int32_t first;
    int countUps;
    const char* number;
};

class AmountPromptCounting : public testing::TestWithParam<CountCase> {};

TEST_P(AmountPromptCounting, ShowsTheNumberReached)
{
    const CountCase& c = GetParam();
    AmountPrompt prompt{c.phase, c.first};
    for (int i = 0; i < c.countUps; ++i) {
        prompt.countUp();
    }
    const std::string action = c.phase == Phase::deposit ? "deposit " : "withdrawl ";
    EXPECT_EQ(prompt.text(), "Please enter an amount for " + action + c.number + " (-1 to exit): $");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AmountPromptCounting,
    testing::Values(CountCase{"UpToTheLargest", Phase::deposit, AmountPrompt::largestNumber - 1, 1, "2147483647"},
                    CountCase{"StaysAtTheLargest", Phase::withdrawal, AmountPrompt::largestNumber, 2, "2147483647"}),
    [](const testing::TestParamInfo<CountCase>& test) { return std::string{test.param.name}; });

}  // namespace
