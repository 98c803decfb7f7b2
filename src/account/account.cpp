#include "account.hpp"

#include <ios>
#include <utility>

namespace teller {

Account::Account(std::int32_t number, float openingBalance, std::string first, std::string last)
    : accountNumber{number}, balance{openingBalance}, firstName{std::move(first)}, lastName{std::move(last)}
{
}

void Account::printSummary(std::ostream& out, float lastAmount) const
{
    out << "\nBank Account Holder: " << firstName << ' ' << lastName << "\nBank Account Number: " << accountNumber
        << "\nBank Account Balance: $";
    // Two decimals for the balance alone: the caller's stream keeps its format.
    const std::ios::fmtflags flags = out.flags();
    const std::streamsize precision = out.precision(2);
    out << std::fixed << balance << '\n';
    out.flags(flags);
    out.precision(precision);
    const float remaining = balance - lastAmount;
    if (remaining < 0.0F) {
        out << "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n";
    }
}

}  // namespace teller
