"""Drives teller through pipes the way a script or expect(1) would: each
answer is written only after its prompt has arrived. If a prompt stayed in
teller's buffer this would wait, so every wait has a deadline.

usage: answer_each_prompt.py newline|blank [EMULATOR...] TELLER
Each answer is sent followed by a newline, or by a blank and no newline.
TELLER_CRLF=1 in the environment expects the CR LF line ends of a Windows
build."""

import os
import select
import subprocess
import sys
import time

PROMPTS_AND_ANSWERS = [
    ("Please enter an account number: ", "315"),
    ("Please enter an initial balance: ", "100"),
    ("Please enter your first and last name: ", "Alex Sample"),
    ("Please enter an amount for deposit 1 (-1 to exit): $", "50"),
    ("Please enter an amount for deposit 2 (-1 to exit): $", "-1"),
    ("\nPlease enter an amount for withdrawl 1 (-1 to exit): $", "30"),
    ("Please enter an amount for withdrawl 2 (-1 to exit): $", "500"),
]
SUMMARY = (
    "\nBank Account Holder: Alex Sample\n"
    "Bank Account Number: 315\n"
    "Bank Account Balance: $120.00\n"
    "***WARNING: This bank account is now on hold, and any outstanding checks will bounce.***\n\n"
)
# Starting may take a while under an emulator; after that, each answer must
# bring its next prompt at once.
START_SECONDS = 10
DEADLINE_SECONDS = 1
NEWLINE = b"\r\n" if os.environ.get("TELLER_CRLF") == "1" else b"\n"


def read_until(stream, text, seconds=DEADLINE_SECONDS):
    """Reads exactly the bytes of text, failing if they do not arrive in time."""
    expected = text.encode().replace(b"\n", NEWLINE)
    got = b""
    stop = time.monotonic() + seconds
    while len(got) < len(expected):
        left = stop - time.monotonic()
        ready, _, _ = select.select([stream], [], [], max(left, 0))
        if not ready:
            sys.exit(f"no output within {seconds}s; waiting for {expected!r}, got {got!r}")
        chunk = os.read(stream.fileno(), len(expected) - len(got))
        if not chunk:
            sys.exit(f"output ended early; waiting for {expected!r}, got {got!r}")
        got += chunk
    if got != expected:
        sys.exit(f"expected {expected!r}, got {got!r}")


def main():
    ending = {"newline": "\n", "blank": " "}[sys.argv[1]]
    teller = subprocess.Popen(sys.argv[2:], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    for number, (prompt, answer) in enumerate(PROMPTS_AND_ANSWERS):
        read_until(teller.stdout, prompt, START_SECONDS if number == 0 else DEADLINE_SECONDS)
        teller.stdin.write(f"{answer}{ending}".encode())
        teller.stdin.flush()
    read_until(teller.stdout, SUMMARY)
    teller.stdin.close()
    if teller.stdout.read() != b"":
        sys.exit("unexpected output after the summary")
    status = teller.wait(START_SECONDS)
    if status != 0:
        sys.exit(f"exit status {status}, expected 0")


if __name__ == "__main__":
    main()
