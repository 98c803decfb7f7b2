#!/bin/sh
# Runs teller on one recorded session and compares its output byte for byte.
# usage: run_teller.sh TELLER INPUT STDOUT STDERR STATUS [EMULATOR...]
#   INPUT "closed" runs teller with standard input closed;
#   STDOUT "full" sends its output to /dev/full instead of comparing it, and
#   STDERR "full" its messages;
#   STDERR "merged" sends standard error to standard output, as 2>&1 does,
#   and compares the two together with STDOUT;
#   EMULATOR, when given, is the command that runs a cross-compiled teller.
# TELLER_CRLF=1 in the environment marks a Windows build: its CR LF line ends
# are turned into LF before comparing.
set -u
teller=$1 input=$2 want_out=$3 want_err=$4 want_status=$5
shift 5
set -- "$@" "$teller"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Well inside the test's own timeout, so that this script still cleans up.
run() {
    timeout --foreground --kill-after=5 30 "$@"
}

if [ "$want_out" = full ]; then
    run "$@" <"$input" >/dev/full 2>"$work/err"
elif [ "$want_err" = full ]; then
    run "$@" <"$input" >"$work/out" 2>/dev/full
elif [ "$want_err" = merged ]; then
    run "$@" <"$input" >"$work/out" 2>&1
elif [ "$input" = closed ]; then
    run "$@" <&- >"$work/out" 2>"$work/err"
else
    run "$@" <"$input" >"$work/out" 2>"$work/err"
fi
status=$?

if [ "${TELLER_CRLF:-0}" = 1 ]; then
    sed -i 's/\r$//' "$work"/*
fi

failed=0
if [ "$status" != "$want_status" ]; then
    echo "exit status $status, expected $want_status"
    failed=1
fi
if [ "$want_out" != full ] && ! cmp "$want_out" "$work/out"; then
    echo "standard output differs:"; od -c "$work/out" | head -40
    failed=1
fi
if [ "$want_err" != merged ] && [ "$want_err" != full ] && ! cmp "$want_err" "$work/err"; then
    echo "standard error differs:"; cat "$work/err"
    failed=1
fi
exit $failed
