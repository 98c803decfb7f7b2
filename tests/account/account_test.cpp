#include "account.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using teller::Account;

constexpr const char* holdWarning =
    "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n";

std::string summaryOf(const Account& account, float lastAmount)
{
    std::ostringstream out;
    account.printSummary(out, lastAmount);
    return out.str();
}

TEST(AccountSummary, WritesEveryLineExactlyAndLeavesTheStreamsFormat)
{
    const Account account{315, 120.0F, "Alex", "Sample"};
    std::ostringstream out;
    account.printSummary(out, 500.0F);
    out << 0.125F;
    EXPECT_EQ(out.str(), std::string{"\nBank Account Holder: Alex Sample\n"
                                     "Bank Account Number: 315\n"
                                     "Bank Account Balance: $120.00\n"}
                             + holdWarning + "0.125");
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
    const std::string expected = std::string{"\nBank Account Holder: Ann Lee\nBank Account Number: "} + c.numberText
                                 + "\nBank Account Balance: $" + c.balanceText + "\n" + (c.warns ? holdWarning : "");
    EXPECT_EQ(summaryOf(Account{c.number, c.balance, "Ann", "Lee"}, c.lastAmount), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AccountSummaryTable,
    testing::Values(SummaryCase{"ZeroBalance", 1, 0.0F, -1.0F, "1", "0.00", false},
                    SummaryCase{"TwoDecimals", 1, 12.5F, -1.0F, "1", "12.50", false},
                    SummaryCase{"NegativeBalanceCoversMinusFive", 1, -3.5F, -5.0F, "1", "-3.50", false},
                    SummaryCase{"NegativeAccountNumber", -42, 1.0F, -1.0F, "-42", "1.00", false},
                    SummaryCase{"EightDigitBalance", 1, 10000000.0F, -1.0F, "1", "10000000.00", false},
                    SummaryCase{"NegativeBalanceWarnsAfterMinusOne", 1, -50.0F, -1.0F, "1", "-50.00", true},
                    SummaryCase{"HalfDollarDebtCoversMinusOne", 1, -0.5F, -1.0F, "1", "-0.50", false},
                    SummaryCase{"DebtOfOneCoversMinusOne", 1, -1.0F, -1.0F, "1", "-1.00", false},
                    SummaryCase{"BalanceCoversItsOwnAmount", 1, 100.0F, 100.0F, "1", "100.00", false},
                    SummaryCase{"CentMoreThanTheBalanceWarns", 1, 100.0F, 100.01F, "1", "100.00", true},
                    SummaryCase{"CentOnAnEmptyBalanceWarns", 1, 0.0F, 0.01F, "1", "0.00", true}),
    [](const testing::TestParamInfo<SummaryCase>& test) { return std::string{test.param.name}; });

TEST(AccountArithmetic, AppliesNegativeAndZeroAmountsUnchecked)
{
    Account account{7, 10.0F, "Ann", "Lee"};
    account.deposit(-20.0F);
    EXPECT_EQ(account.getBalance(), -10.0F);
    account.deposit(0.0F);
    EXPECT_EQ(account.getBalance(), -10.0F);
    EXPECT_EQ(account.withdraw(-25.0F), 15.0F);
    EXPECT_EQ(account.getBalance(), 15.0F);
    EXPECT_EQ(account.withdraw(15.0F), 0.0F);
}

TEST(AccountArithmetic, KeepsTheBalanceInSinglePrecision)
{
    // 2^24 + 1 has no single-precision value; a wider balance would keep it.
    Account account{7, 16777216.0F, "Ann", "Lee"};
    account.deposit(1.0F);
    EXPECT_EQ(account.getBalance(), 16777216.0F);
    EXPECT_EQ(account.withdraw(-1.0F), 16777216.0F);
}

}  // namespace
