"""Drives teller through pipes the way a script or expect(1) would: each
answer is written only after its prompt has arrived. If a prompt stayed in
teller's buffer this would wait, so every wait has a deadline.

usage: answer_each_prompt.py newline|blank|nonblocking [EMULATOR...] TELLER
Each answer is sent followed by a newline, or by a blank and no newline.
"nonblocking" answers through a pipe that another program has left
non-blocking, then writes a long session into a non-blocking pipe that is
read only after a pause: teller must wait for its input and its reader, and
wait asleep, not trying again and again.
TELLER_CRLF=1 in the environment expects the CR LF line ends of a Windows
build."""

import os
import resource
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


def answer_each_prompt(command, ending, stdin=subprocess.PIPE, pause=0.05):
    teller = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE)
    answers = teller.stdin or os.fdopen(stdin.writer, "wb")
    for number, (prompt, answer) in enumerate(PROMPTS_AND_ANSWERS):
        read_until(teller.stdout, prompt, START_SECONDS if number == 0 else DEADLINE_SECONDS)
        # A pause, so that teller finds nothing to read first.
        time.sleep(pause)
        answers.write(f"{answer}{ending}".encode())
        answers.flush()
    read_until(teller.stdout, SUMMARY)
    answers.close()
    finish(teller, teller.stdout.read(), b"")


def finish(teller, output, expected):
    if output != expected:
        sys.exit(f"unexpected output: {output[:200]!r}... ({len(output)} bytes, expected {len(expected)})")
    status = teller.wait(START_SECONDS)
    if status != 0:
        sys.exit(f"exit status {status}, expected 0")


class NonBlockingPipe:
    """A pipe whose given end is non-blocking, as a program that shares it
    may leave it; the other end stays blocking."""

    def __init__(self, nonblocking_end):
        self.reader, self.writer = os.pipe()
        os.set_blocking(self.reader if nonblocking_end == "reader" else self.writer, False)

    def fileno(self):
        return self.reader


def children_processor_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def deposits_session(deposits):
    """A session of many zero deposits, as input and the whole output it brings."""
    answers = "315 100 Alex Sample\n" + "0\n" * deposits + "-1\n-1\n"
    prompts = "".join(prompt for prompt, _ in PROMPTS_AND_ANSWERS[:3])
    prompts += "".join(f"Please enter an amount for deposit {n} (-1 to exit): $" for n in range(1, deposits + 2))
    prompts += "\nPlease enter an amount for withdrawl 1 (-1 to exit): $"
    summary = "\nBank Account Holder: Alex Sample\nBank Account Number: 315\nBank Account Balance: $100.00\n"
    return answers.encode(), (prompts + summary).encode().replace(b"\n", NEWLINE)


def main():
    command = sys.argv[2:]
    if sys.argv[1] != "nonblocking":
        answer_each_prompt(command, {"newline": "\n", "blank": " "}[sys.argv[1]])
        return
    # Standard input non-blocking, answers slow to come.
    into = NonBlockingPipe("reader")
    pause = 0.2
    before = children_processor_seconds()
    answer_each_prompt(command, "\n", stdin=into, pause=pause)
    busy = children_processor_seconds() - before
    if busy > pause * len(PROMPTS_AND_ANSWERS) / 2:
        sys.exit(f"teller spent {busy:.2f}s on the processor waiting for its answers")
    os.close(into.reader)
    # Standard output non-blocking, a reader that pauses before it takes
    # 200 KB, more than a pipe holds.
    answers, expected = deposits_session(4000)
    out = NonBlockingPipe("writer")
    teller = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=out.writer)
    os.close(out.writer)
    teller.stdin.write(answers)
    teller.stdin.close()
    time.sleep(1)
    with os.fdopen(out.reader, "rb") as output:
        finish(teller, output.read(), expected)


if __name__ == "__main__":
    main()
