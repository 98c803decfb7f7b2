/* The second floor teller is measured against: the same prompts and summary
 * with no stdio at all. Input is read in large blocks with read(2); each
 * prompt is built in place and sent with one write(2), as a program that
 * waits for each answer must. Input is trusted; it only has to run the
 * benchmark's script. */
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { block = 65536 };

static char input[block];
static size_t filled;
static size_t next;

static int byte(void)
{
    if (next == filled) {
        ssize_t got = read(0, input, sizeof input);
        if (got <= 0) {
            return -1;
        }
        filled = (size_t)got;
        next = 0;
    }
    return (unsigned char)input[next++];
}

/* The next blank-separated word, or 0 at the end of the input. */
static size_t word(char* text, size_t size)
{
    int c = byte();
    while (c == ' ' || c == '\n') {
        c = byte();
    }
    size_t length = 0;
    while (c != -1 && c != ' ' && c != '\n' && length + 1 < size) {
        text[length++] = (char)c;
        c = byte();
    }
    text[length] = '\0';
    return length;
}

/* Amounts such as 20.50, -1 or 0; at most two decimals. */
static int amount(float* value)
{
    char text[32];
    if (word(text, sizeof text) == 0) {
        return 0;
    }
    const char* c = text;
    int negative = *c == '-';
    c += negative;
    long cents = 0;
    int decimals = -1;
    for (; *c != '\0'; ++c) {
        if (*c == '.') {
            decimals = 0;
            continue;
        }
        cents = cents * 10 + (*c - '0');
        decimals += decimals >= 0;
    }
    for (decimals = decimals < 0 ? 0 : decimals; decimals < 2; ++decimals) {
        cents *= 10;
    }
    *value = (float)(negative ? -cents : cents) / 100.0f;
    return 1;
}

static void send(const char* text, size_t length)
{
    if (write(1, text, length) != (ssize_t)length) {
        exit(1);
    }
}

static size_t put(char* at, const char* text)
{
    size_t length = strlen(text);
    memcpy(at, text, length);
    return length;
}

static size_t number(char* at, long value)
{
    char digits[24];
    size_t length = 0;
    int negative = value < 0;
    unsigned long magnitude = negative ? 0UL - (unsigned long)value : (unsigned long)value;
    do {
        digits[length++] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    size_t written = 0;
    if (negative) {
        at[written++] = '-';
    }
    while (length > 0) {
        at[written++] = digits[--length];
    }
    return written;
}

static int amounts(const char* action, float* balance, int deposit)
{
    char prompt[80];
    size_t start = put(prompt, "Please enter an amount for ");
    start += put(prompt + start, action);
    prompt[start++] = ' ';
    float value = 0.0f;
    for (long n = 1;; ++n) {
        size_t length = start + number(prompt + start, n);
        length += put(prompt + length, " (-1 to exit): $");
        send(prompt, length);
        if (!amount(&value)) {
            return 1;
        }
        if (value == -1.0f || (!deposit && *balance - value < 0.0f)) {
            return 0;
        }
        *balance = deposit ? *balance + value : *balance - value;
    }
}

int main(void)
{
    char account[32];
    char first[64];
    char last[64];
    float balance = 0.0f;

    send("Please enter an account number: ", 32);
    if (word(account, sizeof account) == 0) {
        return 1;
    }
    send("Please enter an initial balance: ", 33);
    if (!amount(&balance)) {
        return 1;
    }
    send("Please enter your first and last name: ", 39);
    if (word(first, sizeof first) == 0 || word(last, sizeof last) == 0) {
        return 1;
    }
    if (amounts("deposit", &balance, 1) != 0) {
        return 1;
    }
    send("\n", 1);
    if (amounts("withdrawl", &balance, 0) != 0) {
        return 1;
    }
    /* The summary is written once, so its formatting may use the library. */
    char summary[256];
    size_t length = put(summary, "\nBank Account Holder: ");
    length += put(summary + length, first);
    length += put(summary + length, " ");
    length += put(summary + length, last);
    length += put(summary + length, "\nBank Account Number: ");
    length += put(summary + length, account);
    length += put(summary + length, "\nBank Account Balance: $");
    long cents = lround((double)balance * 100.0);
    length += number(summary + length, cents / 100);
    summary[length++] = '.';
    summary[length++] = (char)('0' + labs(cents % 100) / 10);
    summary[length++] = (char)('0' + labs(cents % 100) % 10);
    summary[length++] = '\n';
    send(summary, length);
    return 0;
}
