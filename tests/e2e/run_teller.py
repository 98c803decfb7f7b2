"""Runs teller on one recorded session and compares its output byte for byte.

usage: run_teller.py INPUT STDOUT STDERR STATUS [EMULATOR...] TELLER
  INPUT "closed" runs teller with standard input closed, which only POSIX
  systems can do;
  STDOUT "full" sends its output to /dev/full instead of comparing it, and
  STDERR "full" its messages;
  STDERR "merged" sends standard error to standard output, as 2>&1 does,
  and compares the two together with STDOUT.
TELLER_CRLF=1 in the environment marks a Windows build: its CR LF line ends
are turned into LF before comparing."""

import os
import subprocess
import sys

SECONDS = 30


def main():
    source, want_out, want_err, want_status = sys.argv[1:5]
    command = sys.argv[5:]
    full = open("/dev/full", "wb") if "full" in (want_out, want_err) else None
    stdin = None if source == "closed" else open(source, "rb")
    # Closed in the child only, so that teller finds no descriptor 0 at all.
    close_stdin = (lambda: os.close(0)) if source == "closed" else None
    stderr = {"full": full, "merged": subprocess.STDOUT}.get(want_err, subprocess.PIPE)
    stdout = full if want_out == "full" else subprocess.PIPE
    try:
        run = subprocess.run(command, stdin=stdin, stdout=stdout, stderr=stderr,
                             preexec_fn=close_stdin, timeout=SECONDS, check=False)
    except subprocess.TimeoutExpired:
        sys.exit(f"teller did not finish within {SECONDS}s")
    failed = compare("exit status", run.returncode, int(want_status))
    if want_out != "full":
        failed |= compare("standard output", lf(run.stdout), read(want_out))
    if want_err not in ("full", "merged"):
        failed |= compare("standard error", lf(run.stderr), read(want_err))
    sys.exit(1 if failed else 0)


def lf(output):
    return output.replace(b"\r\n", b"\n") if os.environ.get("TELLER_CRLF") == "1" else output


def read(path):
    with open(path, "rb") as expected:
        return expected.read()


def compare(what, got, expected):
    if got == expected:
        return False
    print(f"{what} differs:\n  got      {got!r}\n  expected {expected!r}")
    return True


if __name__ == "__main__":
    main()
