/* The floors teller is measured against: the same prompts, reads and summary
 * with plain stdio, flushing each prompt before its read as a tied stream
 * does. Built with -DFLUSH_AT_EXIT it flushes nothing until it exits: no
 * interactive program can, so that is the floor of the computing alone.
 * Input is trusted; it only has to run the benchmark's script. */
#include <stdio.h>

#ifdef FLUSH_AT_EXIT
#define fflush(stream) 0
#endif

/* The last amount entered, -1 included: the hold warning compares the balance with it. */
static float amount = 0.0f;

static int amounts(const char* action, float* balance, int deposit)
{
    for (int number = 1;; ++number) {
        printf("Please enter an amount for %s %d (-1 to exit): $", action, number);
        fflush(stdout);
        if (scanf("%f", &amount) != 1) {
            return 1;
        }
        if (amount == -1.0f) {
            return 0;
        }
        if (!deposit && *balance - amount < 0.0f) {
            return 0;
        }
        *balance = deposit ? *balance + amount : *balance - amount;
    }
}

int main(void)
{
    int account = 0;
    float balance = 0.0f;
    char first[64];
    char last[64];

    printf("Please enter an account number: ");
    fflush(stdout);
    if (scanf("%d", &account) != 1) {
        return 1;
    }
    printf("Please enter an initial balance: ");
    fflush(stdout);
    if (scanf("%f", &balance) != 1) {
        return 1;
    }
    printf("Please enter your first and last name: ");
    fflush(stdout);
    if (scanf("%63s %63s", first, last) != 2) {
        return 1;
    }
    if (amounts("deposit", &balance, 1) != 0) {
        return 1;
    }
    printf("\n");
    fflush(stdout);
    if (amounts("withdrawl", &balance, 0) != 0) {
        return 1;
    }
    printf("\nBank Account Holder: %s %s\nBank Account Number: %d\nBank Account Balance: $%.2f\n", first, last,
           account, (double)balance);
    if (balance - amount < 0.0f) {
        printf("***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n");
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
