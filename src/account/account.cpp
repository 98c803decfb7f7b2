#include "account.hpp"

#include <iomanip>
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
        << "\nBank Account Balance: $" << std::fixed << std::setprecision(2) << balance << '\n';
    if (balance - lastAmount < 0.0F) {
        out << "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n";
    }
}

}  // namespace teller
