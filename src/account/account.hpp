#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace teller {

// The one bank account of a run. The class never refuses a change to the
// balance; deciding whether a withdrawal is allowed is the dialogue's job.
class Account {
public:
    Account(std::int32_t number, float openingBalance, std::string first, std::string last);

    [[nodiscard]] float getBalance() const noexcept { return balance; }
    void deposit(float amount) noexcept { balance += amount; }
    float withdraw(float amount) noexcept { return balance -= amount; }

    // The hold warning follows when the balance cannot cover lastAmount.
    void printSummary(std::ostream& out, float lastAmount) const;

private:
    std::int32_t accountNumber;
    float balance;
    std::string firstName;
    std::string lastName;
};

}  // namespace teller
