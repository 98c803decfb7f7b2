#!/usr/bin/env python3
"""Mutation testing of src/: changes one site at a time in a scratch copy of
the tracked tree, rebuilds it, runs ctest, and reports the mutants no test
kills. A mutant that passes every test is then held to the speed gate: its
release build's instructions per transaction (bench/run --gate), which kill
it when they are too many. A mutant whose executables come out byte for byte
as before is equivalent without question; any other survivor must be killed
by a test or listed with its reason in tools/equivalent_mutants.txt.

Exit status: 0 when every survivor is listed, 1 when one is not (or, with
--strict-stale, when a listed entry matches no mutant), 2 when the tree
itself does not build or pass its tests.
"""

import argparse
import collections
import fnmatch
import hashlib
import json
import os
import random
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

import mutants as finder

ROOT = Path(__file__).resolve().parent.parent
FALLBACK_FLAGS = ["-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1", "-DTELLER_DEVELOPER_MODE=ON"]
KEYS = ("file", "in", "line", "mutant", "reason")
DELETED = "(deleted)"


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(2)


def git_files():
    out = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True, capture_output=True).stdout
    return [name for name in out.decode().split("\0") if name and (ROOT / name).is_file()]


def load_equivalents(path):
    """The reviewed entries, keyed by file, original line and mutated line."""
    entries, block = {}, {}
    lines = path.read_text().splitlines() + [""] if path.exists() else []
    for number, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                if set(block) != set(KEYS):
                    fail(f"{path}:{number}: an entry needs {', '.join(KEYS)}")
                entries[tuple(block[k] for k in KEYS[:-1])] = block["reason"]
            block = {}
            continue
        key, _, value = line.partition(":")
        if key not in KEYS or key in block:
            fail(f"{path}:{number}: expected one of {', '.join(KEYS)}, each once per entry")
        block[key] = value.strip()
    return entries


def key(mutant):
    return (mutant.path, mutant.scope, mutant.original, mutant.mutated or DELETED)


def entry_text(mutant, reason="WHY IT CANNOT CHANGE BEHAVIOUR"):
    return "\n".join(f"{k}: {v}".rstrip() for k, v in zip(KEYS, (*key(mutant), reason)))


class Scratch:
    """A copy of the tracked tree with its own build, mutated one file at a time."""

    def __init__(self, folder, files, jobs):
        self.tree, self.jobs = folder, jobs
        self.build = folder / "build" / "mutate"
        self.files, self.timeout = files, None

    def sync(self):
        """Copies only what differs, so that a later run rebuilds only that."""
        for name in self.files:
            source, copy = ROOT / name, self.tree / name
            if not copy.exists() or copy.read_bytes() != source.read_bytes():
                copy.parent.mkdir(parents=True, exist_ok=True)
                shutil.copyfile(source, copy)
                shutil.copymode(source, copy)
        tracked = set(self.files)
        for folder, dirs, names in os.walk(self.tree):
            if Path(folder) == self.tree and "build" in dirs:
                dirs.remove("build")
            for name in names:
                if str((Path(folder) / name).relative_to(self.tree)) not in tracked:
                    (Path(folder) / name).unlink()

    def configure(self):
        if (self.build / "CMakeCache.txt").exists():
            return
        presets = json.loads((self.tree / "CMakePresets.json").read_text())
        if any(p["name"] == "mutate" for p in presets.get("configurePresets", [])):
            command = ["cmake", "--preset", "mutate"]
        else:
            command = ["cmake", "-S", ".", "-B", str(self.build), *FALLBACK_FLAGS]
        run(command, self.tree, check=True)

    def write(self, name, text):
        """Writes a file with an mtime later than any it had, so make sees it."""
        path = self.tree / name
        before = path.stat().st_mtime_ns
        path.write_bytes(text.encode())
        stamp = max(time.time_ns(), before + 1_000_000_000)
        os.utime(path, ns=(stamp, stamp))

    def compile(self, check=False):
        return run(["cmake", "--build", str(self.build), "-j", str(self.jobs)], self.tree, check).returncode == 0

    def executables(self):
        """Hashes of every executable built, the only things a test can run:
        a library's change that reaches no executable can change nothing."""
        found = {}
        for folder, dirs, names in os.walk(self.build):
            dirs[:] = [d for d in dirs if d != "CMakeFiles"]
            for name in names:
                path = Path(folder) / name
                if os.access(path, os.X_OK) and path.read_bytes()[:4] == b"\x7fELF":
                    found[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest()
        return found

    def test(self):
        """'passed', 'killed' or 'timeout'."""
        limit = self.timeout or 600
        command = ["ctest", "--test-dir", str(self.build), "-j", str(self.jobs), "--no-tests=error",
                   "--timeout", str(limit)]
        result = run(command, self.tree, timeout=limit * 2)
        if result is None or "***Timeout" in result.stdout:
            return "timeout"
        return "passed" if result.returncode == 0 else "killed"

    def gate(self):
        """'passed', or 'gate' when the release build of the tree takes more
        instructions per transaction than bench/run --gate allows."""
        release = self.tree / "build" / "default"
        if not (release / "CMakeCache.txt").exists():
            run(["cmake", "--preset", "default"], self.tree, check=True)
        if run(["cmake", "--build", str(release), "--target", "teller", "-j", str(self.jobs)], self.tree).returncode:
            return "build error"
        result = run(["bash", "bench/run", "--gate", str(release / "teller")], self.tree)
        return "passed" if result.returncode == 0 else "gate"


def run(command, cwd, check=False, timeout=None):
    """Runs a command in its own process group, so a timeout ends all of it;
    None when it timed out."""
    with subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          start_new_session=True) as process:
        try:
            out, _ = process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.communicate()
            return None
    if check and process.returncode != 0:
        fail(f"{' '.join(command)} failed:\n{out}")
    return subprocess.CompletedProcess(command, process.returncode, out)


def all_mutants(files, patterns):
    sources = [n for n in files if n.startswith("src/") and n.endswith((".cpp", ".hpp"))]
    if patterns:
        sources = [n for n in sources if any(fnmatch.fnmatch(n, p) for p in patterns)]
    return {name: finder.find(name, (ROOT / name).read_bytes().decode()) for name in sources}


def choose(mutants, sample, seed):
    """The sample in a seeded random order, grouped by file so that each file
    is written back and rebuilt once."""
    everything = [m for group in mutants.values() for m in group]
    chosen = random.Random(seed).sample(everything, min(sample, len(everything))) if sample else everything
    first_seen = {}
    for index, mutant in enumerate(chosen):
        first_seen.setdefault(mutant.path, index)
    return sorted(chosen, key=lambda m: (first_seen[m.path], m.line, m.edits))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--list", action="store_true", help="print the mutants and build nothing")
    parser.add_argument("--sample", type=int, metavar="N", help="run N mutants drawn at random")
    parser.add_argument("--seed", default="0", help="seed of the sample, e.g. a commit hash")
    parser.add_argument("--budget-seconds", type=float, help="start no mutant that would end after this")
    parser.add_argument("--files", action="append", metavar="PATTERN", help="only files matching, e.g. 'src/decimal/*'")
    parser.add_argument("--work-dir", type=Path, default=ROOT / "build" / "mutants", help="scratch copy and build")
    parser.add_argument("--equivalents", type=Path, default=ROOT / "tools" / "equivalent_mutants.txt")
    parser.add_argument("--strict-stale", action="store_true", help="fail on an entry that matches no mutant")
    parser.add_argument("-j", "--jobs", type=int, default=2)
    args = parser.parse_args()
    started = time.monotonic()

    files = git_files()
    mutants = all_mutants(files, args.files)
    equivalents = load_equivalents(args.equivalents)
    known = {key(m) for group in mutants.values() for m in group}
    stale = [k for k in equivalents if k not in known and (k[0] in mutants or not args.files)]
    for k in stale:
        print(f"warning: stale entry in {args.equivalents.name}: {k[0]}: {k[2]}  ->  {k[3]}")
    if args.list:
        for mutant in (m for group in mutants.values() for m in group):
            print(f"{mutant.path}:{mutant.line}: [{mutant.operator}] {mutant.original}  ->  {mutant.mutated}")
        for name, group in mutants.items():
            print(f"{len(group):5}  {name}")
        print(f"{sum(map(len, mutants.values())):5}  mutants")
        return 1 if stale and args.strict_stale else 0

    scratch = Scratch(args.work_dir.resolve(), files, args.jobs)
    scratch.tree.mkdir(parents=True, exist_ok=True)
    scratch.sync()
    scratch.configure()
    scratch.compile(check=True)
    baseline = scratch.executables()
    clock = time.monotonic()
    if scratch.test() != "passed":
        fail("the unmutated tree fails its tests")
    scratch.timeout = max(10, round(5 * (time.monotonic() - clock)))
    if scratch.gate() != "passed":
        fail("the unmutated tree fails the speed gate")
    print(f"baseline built and tested in {time.monotonic() - started:.0f} s; test timeout {scratch.timeout} s")

    chosen = choose(mutants, args.sample, args.seed)
    results, spent, current = [], [], None
    try:
        for number, mutant in enumerate(chosen, 1):
            guess = sum(spent) / len(spent) if spent else 0
            if args.budget_seconds and time.monotonic() - started + guess > args.budget_seconds:
                print(f"time budget spent: ran {len(results)} of {len(chosen)} mutants")
                break
            clock = time.monotonic()
            if current and current != mutant.path:
                scratch.write(current, (ROOT / current).read_bytes().decode())
            current = mutant.path
            scratch.write(mutant.path, mutant.apply((ROOT / mutant.path).read_bytes().decode()))
            outcome = "build error"
            if scratch.compile():
                outcome = "identical" if scratch.executables() == baseline else scratch.test()
            if outcome == "passed":
                outcome = scratch.gate()
            if outcome == "passed":
                outcome = "listed" if key(mutant) in equivalents else "survived"
            results.append((mutant, outcome))
            spent.append(time.monotonic() - clock)
            print(f"[{number}/{len(chosen)}] {outcome:>11}  {mutant.path}:{mutant.line}: {mutant.mutated or DELETED}",
                  flush=True)
    finally:
        if current:
            scratch.write(current, (ROOT / current).read_bytes().decode())
    return report(results, spent, equivalents, stale and args.strict_stale)


OUTCOMES = ("killed", "gate", "timeout", "survived", "listed", "identical", "build error")
KILLED = ("killed", "gate", "timeout")


def report(results, spent, equivalents, fail_on_stale):
    """Prints what became of the mutants, by file and by kind; 1 when one
    survived that is not listed."""
    for title, group in (("file", lambda m: m.path), ("kind", lambda m: m.operator)):
        counts = collections.defaultdict(collections.Counter)
        for mutant, outcome in results:
            counts[group(mutant)][outcome] += 1
        print(f"\nkilled / non-equivalent, by {title}")
        for name, count in sorted(counts.items()):
            killed = sum(count[o] for o in KILLED)
            aside = ", ".join(f"{count[o]} {o}" for o in OUTCOMES if o not in ("killed", "survived") and count[o])
            print(f"{killed:4} / {killed + count['survived']:<4} {name}: {sum(count.values())} made"
                  + (f" ({aside})" if aside else ""))
    total = collections.Counter(outcome for _, outcome in results)
    killed = sum(total[o] for o in KILLED)
    print(f"{killed:4} / {killed + total['survived']:<4} all {len(results)} mutants run"
          + (f", {sum(spent) / len(spent):.1f} s each" if spent else ""))
    survivors = [m for m, outcome in results if outcome == "survived"]
    for mutant in survivors:
        print(f"\nsurvived: {mutant.path}:{mutant.line}\n{entry_text(mutant)}")
    for mutant, outcome in results:
        if outcome in KILLED and key(mutant) in equivalents:
            print(f"\nlisted as equivalent but {outcome}: {mutant.path}:{mutant.line}: {mutant.mutated or DELETED}")
    return 1 if survivors or fail_on_stale else 0


if __name__ == "__main__":
    sys.exit(main())
