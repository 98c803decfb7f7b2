"""Runs teller on one recorded session and compares its output byte for byte.

usage: run_teller.py INPUT STDOUT STDERR STATUS [EMULATOR...] TELLER
  INPUT "closed" runs teller with standard input closed, which only POSIX
  systems can do;
  STDOUT "full" sends its output to /dev/full instead of comparing it, and
  STDERR "full" its messages;
  STDOUT "broken" sends it into a pipe whose reader has gone, with SIGPIPE
  left ignored, as Python leaves it, so that the write fails;
  STDERR "merged" sends standard error to standard output, as 2>&1 does,
  and compares the two together with STDOUT.
TELLER_CRLF=1 in the environment marks a Windows build: its CR LF line ends
are turned into LF before comparing."""

import os
import subprocess
import sys
from pathlib import Path

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
    if want_out == "broken":
        reader, stdout = os.pipe()
        os.close(reader)
    try:
        run = subprocess.run(command, stdin=stdin, stdout=stdout, stderr=stderr, preexec_fn=close_stdin,
                             restore_signals=False, timeout=SECONDS, check=False)
    except subprocess.TimeoutExpired:
        sys.exit(f"teller did not finish within {SECONDS}s")
    checks = [("exit status", run.returncode, int(want_status))]
    if want_out not in ("full", "broken"):
        checks.append(("standard output", lf(run.stdout), Path(want_out).read_bytes()))
    if want_err not in ("full", "merged"):
        checks.append(("standard error", lf(run.stderr), Path(want_err).read_bytes()))
    failed = [f"{what} differs:\n  got      {got!r}\n  expected {want!r}" for what, got, want in checks if got != want]
    sys.exit("\n".join(failed) or 0)


def lf(output):
    return output.replace(b"\r\n", b"\n") if os.environ.get("TELLER_CRLF") == "1" else output


if __name__ == "__main__":
    main()
