#include "account.hpp"
#include "dialogue_run.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using teller::Account;
using teller::testing::caseName;
using teller::testing::summary;

std::string summaryOf(const Account& account, float lastAmount)
{
    std::ostringstream out;
    account.printSummary(out, lastAmount);
    return out.str();
}

struct SummaryCase {
    const char* name;
    std::int32_t number;
    float balance;
    float lastAmount;
    const char* numberText;
    const char* balanceText;
    bool warns;
};

class AccountSummaryTable : public testing::TestWithParam<SummaryCase> {};

TEST_P(AccountSummaryTable, FormatsNumbersAndDecidesOnTheWarning)
{
    const SummaryCase& c = GetParam();
    EXPECT_EQ(summaryOf(Account{c.number, c.balance, "Alex", "Sample"}, c.lastAmount),
              summary(c.numberText, c.balanceText, c.warns));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountSummaryTable,
    testing::Values(SummaryCase{"OverdraftAfterTheTypicalSession", 315, 120.0F, 500.0F, "315", "120.00", true},
                    SummaryCase{"ZeroBalance", 1, 0.0F, -1.0F, "1", "0.00", false},
                    SummaryCase{"TwoDecimals", 1, 12.5F, -1.0F, "1", "12.50", false},
                    SummaryCase{"NegativeBalanceCoversMinusFive", 1, -3.5F, -5.0F, "1", "-3.50", false},
                    SummaryCase{"EightDigitBalance", 1, 10000000.0F, -1.0F, "1", "10000000.00", false},
                    SummaryCase{"HalfDollarDebtCoversMinusOne", 1, -0.5F, -1.0F, "1", "-0.50", false},
                    SummaryCase{"DebtOfOneCoversMinusOne", 1, -1.0F, -1.0F, "1", "-1.00", false},
                    SummaryCase{"BalanceCoversItsOwnAmount", 1, 100.0F, 100.0F, "1", "100.00", false},
                    SummaryCase{"CentMoreThanTheBalanceWarns", 1, 100.0F, 100.01F, "1", "100.00", true},
                    SummaryCase{"CentOnAnEmptyBalanceWarns", 1, 0.0F, 0.01F, "1", "0.00", true}),
    caseName<SummaryCase>);

// The dialogue's tables try negative and zero amounts; here, that each change
// is kept in single precision, where 2^24 + 1 and 2^24 + 0.5 have no value,
// and that withdraw gives back the new balance.
TEST(AccountArithmetic, KeepsTheBalanceInSinglePrecision)
{
    Account account{7, 16777216.0F, "Ann", "Lee"};
    account.deposit(1.0F);
    EXPECT_EQ(account.getBalance(), 16777216.0F);
    EXPECT_EQ(account.withdraw(-0.5F), 16777216.0F);
    EXPECT_EQ(account.withdraw(16777216.0F), 0.0F);
}

}  // namespace
