"""Drives teller through pipes the way a script or expect(1) would: each
answer is written only after its prompt has arrived. If a prompt stayed in
teller's buffer this would wait, so every wait has a deadline.

usage: answer_each_prompt.py newline|blank|nonblocking RUNS [EMULATOR...] TELLER
The session is the recorded typical one in the folder RUNS. Each answer is
sent followed by a newline, or by a blank and no newline. "nonblocking"
answers through a pipe that another program has left non-blocking, then
writes a long session into a non-blocking pipe that is read only after a
pause: teller must wait for its input and its reader, and wait asleep, not
trying again and again; only POSIX systems have either.
TELLER_CRLF=1 in the environment expects the CR LF line ends of a Windows
build."""

import os
import queue
import re
import subprocess
import sys
import threading
import time

# Starting may take a while under an emulator; after that, each answer must
# bring its next prompt at once.
START_SECONDS = 10
DEADLINE_SECONDS = 1
NEWLINE = b"\r\n" if os.environ.get("TELLER_CRLF") == "1" else b"\n"


def recorded_session(runs):
    """The typical session's answers, the prompt before each, and the summary."""
    with open(os.path.join(runs, "typical.in"), encoding="ascii") as answers_file:
        answers = answers_file.read().splitlines()
    with open(os.path.join(runs, "typical.out"), encoding="ascii", newline="") as output_file:
        output = output_file.read()
    # Every prompt ends in ": ", an amount's in ": $".
    prompts = re.findall(r".*?: \$?", output, re.DOTALL)[: len(answers)]
    return list(zip(prompts, answers)), output[len("".join(prompts)) :]


class Output:
    """teller's standard output, read by a thread of its own, so that a read
    can have a deadline on any system, pipes included."""

    def __init__(self, stream):
        self.chunks = queue.Queue()
        self.pending = b""
        threading.Thread(target=self.pump, args=(stream,), daemon=True).start()

    def pump(self, stream):
        while chunk := os.read(stream.fileno(), 65536):
            self.chunks.put(chunk)
        self.chunks.put(b"")

    def read_until(self, text, seconds=DEADLINE_SECONDS):
        """Reads exactly the bytes of text, failing if they do not arrive in time."""
        expected = text.encode().replace(b"\n", NEWLINE)
        stop = time.monotonic() + seconds
        while len(self.pending) < len(expected):
            try:
                chunk = self.chunks.get(timeout=max(stop - time.monotonic(), 0))
            except queue.Empty:
                sys.exit(f"no output within {seconds}s; waiting for {expected!r}, got {self.pending!r}")
            if not chunk:
                sys.exit(f"output ended early; waiting for {expected!r}, got {self.pending!r}")
            self.pending += chunk
        got, self.pending = self.pending[: len(expected)], self.pending[len(expected) :]
        if got != expected:
            sys.exit(f"expected {expected!r}, got {got!r}")

    def rest(self):
        while chunk := self.chunks.get(timeout=START_SECONDS):
            self.pending += chunk
        return self.pending


def answer_each_prompt(command, session, ending, stdin=subprocess.PIPE, pause=0.05):
    exchanges, summary = session
    teller = subprocess.Popen(command, stdin=stdin, stdout=subprocess.PIPE)
    output = Output(teller.stdout)
    answers = teller.stdin or os.fdopen(stdin.writer, "wb")
    for number, (prompt, answer) in enumerate(exchanges):
        output.read_until(prompt, START_SECONDS if number == 0 else DEADLINE_SECONDS)
        # A pause, so that teller finds nothing to read first.
        time.sleep(pause)
        answers.write(f"{answer}{ending}".encode())
        answers.flush()
    output.read_until(summary)
    answers.close()
    finish(teller, output.rest(), b"")


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
    # Only POSIX systems have it, and only the non-blocking runs, POSIX's
    # alone, measure.
    import resource

    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def deposits_session(session, deposits):
    """A session of many zero deposits, as input and the whole output it brings."""
    exchanges, _ = session
    answers = "315 100 Alex Sample\n" + "0\n" * deposits + "-1\n-1\n"
    prompts = "".join(prompt for prompt, _ in exchanges[:3])
    prompts += "".join(f"Please enter an amount for deposit {n} (-1 to exit): $" for n in range(1, deposits + 2))
    prompts += "\nPlease enter an amount for withdrawl 1 (-1 to exit): $"
    summary = "\nBank Account Holder: Alex Sample\nBank Account Number: 315\nBank Account Balance: $100.00\n"
    return answers.encode(), (prompts + summary).encode().replace(b"\n", NEWLINE)


def main():
    mode, runs, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    session = recorded_session(runs)
    if mode != "nonblocking":
        answer_each_prompt(command, session, {"newline": "\n", "blank": " "}[mode])
        return
    # Standard input non-blocking, answers slow to come.
    into = NonBlockingPipe("reader")
    pause = 0.2
    before = children_processor_seconds()
    answer_each_prompt(command, session, "\n", stdin=into, pause=pause)
    busy = children_processor_seconds() - before
    if busy > pause * len(session[0]) / 2:
        sys.exit(f"teller spent {busy:.2f}s on the processor waiting for its answers")
    os.close(into.reader)
    # Standard output non-blocking, a reader that pauses before it takes
    # 200 KB, more than a pipe holds.
    answers, expected = deposits_session(session, 4000)
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
