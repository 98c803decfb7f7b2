"""Drives teller through pipes the way a script or expect(1) would: each
answer is written only after its prompt has arrived. If a prompt stayed in
teller's buffer this would wait, so every wait has a deadline.

usage: answer_each_prompt.py MODE RUNS [EMULATOR...] TELLER
The session is the recorded typical one in the folder RUNS. MODE newline,
blank or return sends each answer followed by a newline, a blank or a lone
CR. "nonblocking" answers through a pipe that another program has left
non-blocking, then writes a long session into a non-blocking pipe that is
read only after a pause: teller must wait for its input and its reader, and
wait asleep, not trying again and again; only POSIX systems have either.
"terminal" types at a pseudo-terminal, as a person would, and ends the input
with Ctrl-D twice in a name, a deposit and a withdrawal: teller must finish
at once, as on a file that ends there; only POSIX systems have one. "long"
gives a file of more than the 64 KiB teller reads at once, with a number
across that boundary.
TELLER_CRLF=1 in the environment expects the CR LF line ends of a Windows
build."""

import contextlib
import os
import queue
import re
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

# Starting may take a while under an emulator; after that, each answer must
# bring its next prompt at once.
START_SECONDS = 10
DEADLINE_SECONDS = 1
NEWLINE = b"\r\n" if os.environ.get("TELLER_CRLF") == "1" else b"\n"


def recorded_session(runs):
    """The typical session's answers, the prompt before each, and the summary."""
    answers = Path(runs, "typical.in").read_text(encoding="ascii").splitlines()
    output = Path(runs, "typical.out").read_bytes().decode("ascii")
    # Every prompt ends in ": ", an amount's in ": $".
    prompts = re.findall(r".*?: \$?", output, re.DOTALL)[: len(answers)]
    return list(zip(prompts, answers)), output[len("".join(prompts)) :]


def reader(stream):
    """teller's output a byte at a time, read by a thread of its own, so that
    each read can have a deadline on any system, pipes included."""
    received = queue.Queue()

    def pump():
        while byte := os.read(stream.fileno(), 1):
            received.put(byte)
        received.put(b"")

    threading.Thread(target=pump, daemon=True).start()
    return received


def take(received, count, seconds):
    """Up to count bytes, as many as arrive in time before the output ends."""
    got, stop = b"", time.monotonic() + seconds
    try:
        while len(got) < count and (byte := received.get(timeout=max(stop - time.monotonic(), 0))):
            got += byte
    except queue.Empty:
        pass
    return got


def read_until(received, text, seconds=DEADLINE_SECONDS):
    expected = text.encode().replace(b"\n", NEWLINE)
    got = take(received, len(expected), seconds)
    if got != expected:
        sys.exit(f"expected {expected!r} within {seconds}s, got {got!r}")


def answer_each_prompt(command, session, ending, pipe=None, pause=0.05):
    exchanges, summary = session
    teller = subprocess.Popen(command, stdin=pipe[0] if pipe else subprocess.PIPE, stdout=subprocess.PIPE)
    output = reader(teller.stdout)
    answers = os.fdopen(pipe[1], "wb") if pipe else teller.stdin
    for number, (prompt, answer) in enumerate(exchanges):
        read_until(output, prompt, START_SECONDS if number == 0 else DEADLINE_SECONDS)
        # A pause, so that teller finds nothing to read first.
        time.sleep(pause)
        answers.write(f"{answer}{ending}".encode())
        answers.flush()
    read_until(output, summary)
    answers.close()
    finish(teller, take(output, sys.maxsize, START_SECONDS), b"")


def finish(teller, output, expected):
    if output != expected:
        sys.exit(f"unexpected output: {output[:200]!r}... ({len(output)} bytes, expected {len(expected)})")
    status = teller.wait(START_SECONDS)
    if status != 0:
        sys.exit(f"exit status {status}, expected 0")


def nonblocking_pipe(end):
    """A pipe whose given end, 0 the reader or 1 the writer, is non-blocking,
    as a program that shares it may leave it; the other end stays blocking."""
    ends = os.pipe()
    os.set_blocking(ends[end], False)
    return ends


def children_processor_seconds():
    # Only POSIX systems have it, and only the non-blocking runs, POSIX's
    # alone, measure.
    import resource

    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def deposits_session(session, deposits, amount="0"):
    """A session of many zero deposits, as input and the whole output it brings."""
    exchanges, _ = session
    answers = "315 100 Alex Sample\n" + f"{amount}\n" * deposits + "-1\n-1\n"
    prompts = [prompt for prompt, _ in exchanges[:3]]
    prompts += [exchanges[3][0].replace(" 1 ", f" {n} ") for n in range(1, deposits + 2)] + [exchanges[5][0]]
    summary = "\nBank Account Holder: Alex Sample\nBank Account Number: 315\nBank Account Balance: $100.00\n"
    return answers.encode(), ("".join(prompts) + summary).encode().replace(b"\n", NEWLINE)


def at_a_terminal(command, session):
    import pty  # only POSIX systems have these
    import termios

    typed = "".join(f"{answer}\n" for _, answer in session[0])
    for cut in ("Alex", "\n50", "\n30"):
        answers = typed[: typed.index(cut) + len(cut)].encode()
        leader, follower = pty.openpty()
        settings = termios.tcgetattr(follower)
        settings[1] &= ~termios.ONLCR  # teller's bytes as it writes them,
        settings[3] &= ~termios.ECHO  # without the answers
        termios.tcsetattr(follower, termios.TCSANOW, settings)
        teller = subprocess.Popen(command, stdin=follower, stdout=follower, stderr=subprocess.PIPE)
        os.close(follower)
        os.write(leader, answers + b"\x04\x04")
        # Raises TimeoutExpired, which fails the run, while teller still waits.
        err = teller.communicate(timeout=START_SECONDS)[1]
        from_file = subprocess.run(command, input=answers, capture_output=True, check=False)
        if (shown(leader), err, teller.returncode) != (from_file.stdout, from_file.stderr, from_file.returncode):
            sys.exit(f"after {answers!r} and Ctrl-D twice, teller did not end as on a file that ends there")


def shown(leader):
    """All the terminal shows; Linux reports the end of it as EIO."""
    chunks = []
    with contextlib.suppress(OSError):
        while chunk := os.read(leader, 4096):
            chunks.append(chunk)
    os.close(leader)
    return b"".join(chunks)


def long_input(command, session):
    answers, expected = deposits_session(session, 7000, "0" * 9)
    if answers[65535:65537] != b"00":
        sys.exit("no number crosses the end of teller's 64 KiB input buffer")
    with tempfile.TemporaryFile() as file:
        file.write(answers)
        file.seek(0)
        teller = subprocess.Popen(command, stdin=file, stdout=subprocess.PIPE)
        finish(teller, teller.stdout.read(), expected)


def main():
    mode, runs, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    session = recorded_session(runs)
    drives = {"terminal": at_a_terminal, "long": long_input, "nonblocking": nonblocking}
    if mode in drives:
        drives[mode](command, session)
    else:
        answer_each_prompt(command, session, {"newline": "\n", "blank": " ", "return": "\r"}[mode])


def nonblocking(command, session):
    # Standard input non-blocking, answers slow to come.
    into = nonblocking_pipe(0)
    pause = 0.2
    before = children_processor_seconds()
    answer_each_prompt(command, session, "\n", pipe=into, pause=pause)
    busy = children_processor_seconds() - before
    if busy > pause * len(session[0]) / 2:
        sys.exit(f"teller spent {busy:.2f}s on the processor waiting for its answers")
    os.close(into[0])
    # Standard output non-blocking, a reader that pauses before it takes
    # 200 KB, more than a pipe holds.
    answers, expected = deposits_session(session, 4000)
    out = nonblocking_pipe(1)
    teller = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=out[1])
    os.close(out[1])
    teller.stdin.write(answers)
    teller.stdin.close()
    time.sleep(1)
    with os.fdopen(out[0], "rb") as output:
        finish(teller, output.read(), expected)


if __name__ == "__main__":
    main()
