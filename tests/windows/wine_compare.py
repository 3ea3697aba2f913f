#!/usr/bin/env python3
"""Runs the Windows build of `odeseries solve` under Wine and compares what it prints with the
Linux build: the pinned command-line cases (tests/cli/cases.txt against their expected files) and
every example problem (against the Linux program run the same way).

Texts must be the same byte for byte, line ends included (the program writes LF on Windows too).
Numbers may differ where the platforms' elementary functions round differently: see
numbers_agree for the rule.

It also runs the Windows habits the comparison cannot see: problems, saves and exports in folders
whose names are not in any ANSI code page, read and written under those names, and the program's
own folder found through the wide calls when it lies in such a folder.

Usage: wine_compare.py --wine WINE --exe odeseries.exe --native odeseries --source SOURCE_DIR
                       [--prefix WINE_PREFIX]
Exit status 0 when everything agrees, 1 otherwise, 2 when the Windows program or Wine is missing.
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

# A number of the output; digits that follow a letter, "(" or "#" (y1, y(13), B.C. #2) name
# something and stay text.
NUMBER = re.compile(rb"(?<![\w(#])[-+]?(?:\d+\.?\d*|\.\d+)(?:[Ee][-+]?\d+)?")

# Two runs agree on a number when it is the same to RELATIVE, or when the two differ by less than
# BLOCK of the largest number of their block (at least 1): a residual or coefficient that is
# rounding in one run is rounding in the other, with other digits. The equally spaced method's
# matrices magnify a last-place difference of a sine or an exponential by their condition number
# (up to about 1E8 at the degrees of the examples); docs/DECISIONS.md has the differences measured.
RELATIVE = 1e-6
BLOCK = 1e-8

# The program's own words for an iteration that diverged: its "best results" are the last iterate,
# whose digits every rounding moves, so only their texts are compared.
DIVERGED = b"NO CONVERGENCE.  BEST RESULTS WERE:"

# Folder names outside every ANSI code page (Greek, Cyrillic, CJK, an accented Latin letter).
FOREIGN = "Ωμέγα Юг 日本 é"


def blocks(text):
    """The output split at its blank lines and before its headings ("[lstCoeff]")."""
    return re.split(rb"\n(?=\[|\n)", text)


def numbers_agree(a, b, scale):
    """Whether the numbers a and b (their texts) agree in a block whose largest number is scale."""
    if a == b:
        return True
    fa, fb = float(a), float(b)
    difference = abs(fa - fb)
    return difference <= RELATIVE * max(abs(fa), abs(fb)) or difference <= BLOCK * scale


def compare(expected, actual):
    """None when they agree, otherwise the first difference, described."""
    diverged = DIVERGED in expected and DIVERGED in actual
    left, right = blocks(expected), blocks(actual)
    if len(left) != len(right):
        return "the outputs have %d and %d blocks, ending %r / %r" % (len(left), len(right), expected[-200:],
                                                                      actual[-200:])
    for one, other in zip(left, right):
        texts_one, texts_other = NUMBER.split(one), NUMBER.split(other)
        if texts_one != texts_other:
            for line_one, line_other in zip(one.split(b"\n"), other.split(b"\n")):
                if NUMBER.split(line_one) != NUMBER.split(line_other):
                    return "text differs: %r / %r" % (line_one, line_other)
            return "text differs in the block %r" % one[:80]
        if diverged:
            continue
        values_one, values_other = NUMBER.findall(one), NUMBER.findall(other)
        scale = max([abs(float(v)) for v in values_one + values_other] + [1.0])
        for a, b in zip(values_one, values_other):
            if not numbers_agree(a, b, scale):
                line = next(l for l in other.split(b"\n") if b in l)
                return "%s against %s in %r" % (a.decode(), b.decode(), line)
    return None


def run(command, folder, env=None):
    """What solve_case.sh records of a run: the output, the messages, the exit status."""
    # Files, not pipes: Wine's own background processes inherit the handles and would hold a
    # pipe open long after the program ended.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        status = subprocess.run(command, cwd=folder, stdout=out, stderr=err, env=env, timeout=120).returncode
        out.seek(0)
        err.seek(0)
        text, messages = out.read(), err.read()
    if messages:
        text += b"[stderr]\n" + messages
    return text + b"[exit %d]\n" % status


# Exit statuses the program itself gives; any other comes from Wine (a loader or server fault).
PROGRAM_STATUSES = (b"[exit 0]\n", b"[exit 1]\n", b"[exit 2]\n", b"[exit 3]\n", b"[exit 130]\n")


def run_under_wine(command, folder, env):
    """run() under Wine, tried once more where Wine itself failed to start the program (seen once
    on a loaded machine: no output at all), so that only the program's own differences count."""
    record = run(command, folder, env)
    if record.endswith(PROGRAM_STATUSES) and b"\nwine: " not in b"\n" + record:
        return record
    print("Wine failed to run %s, tried again: %r" % (command[2:], record[-300:]))
    return run(command, folder, env)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--native", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--prefix", help="the Wine prefix (made at the first run; default Wine's)")
    options = parser.parse_args()
    options.exe, options.native = os.path.abspath(options.exe), os.path.abspath(options.native)
    for needed, hint in ((options.exe, "make windows builds it"), (options.wine, "apt-get install wine64")):
        if not os.path.isfile(needed):
            print("there is no %s (%s)" % (needed, hint))
            return 2
    source = Path(options.source)
    examples = source / "examples"
    # No debugging channels, no Mono or Gecko installers, file names as UTF-8.
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8")
    if options.prefix:
        env["WINEPREFIX"] = os.path.abspath(options.prefix)
    # A new prefix is made by the first program Wine starts, which then prints its own notes.
    run([options.wine, options.exe, "calc", "1"], examples, env)
    try:
        return compare_all(options, source, examples, env)
    finally:
        server = Path(options.wine).with_name("wineserver")
        if server.exists():
            subprocess.run([str(server), "-k"], env=env, check=False)


def compare_all(options, source, examples, env):
    """0 when every run agrees and every habit holds, otherwise 1, each difference printed."""
    runs = []  # (name, wine command, expected bytes or native command)
    for line in (source / "tests/cli/cases.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        name, *arguments = shlex.split(line)
        expected = (source / "tests/cli/expected" / (name + ".out")).read_bytes()
        runs.append((name, arguments, expected))
    for problem in sorted(examples.iterdir()):
        if problem.suffix or not problem.is_file() or problem.name == "README":
            continue
        arguments = [problem.name, "--seed", "1", "--eval", "0.5", "--derivative", "1"]
        runs.append(("example " + problem.name, arguments, None))

    failures = 0
    for name, arguments, expected in runs:
        if expected is None:
            expected = run([options.native, "solve"] + arguments, examples)
        actual = run_under_wine([options.wine, options.exe, "solve"] + arguments, examples, env)
        why = compare(expected, actual)
        if why:
            failures += 1
            print("DIFFERS %s: %s" % (name, why))
    print("%d of %d runs agree" % (len(runs) - failures, len(runs)))
    habits = windows_habits(options, examples, env)
    for why in habits:
        print("WINDOWS HABIT FAILS: " + why)
    return 1 if failures or habits else 0


def windows_habits(options, examples, env):
    """What fails of the Windows habits, each described; empty when all hold."""
    problems = []
    with tempfile.TemporaryDirectory() as top:
        linux, windows = Path(top, "linux", FOREIGN), Path(top, "windows", FOREIGN)
        for folder in (linux, windows):
            folder.mkdir(parents=True)
            for name in ("airy", "airy.str"):
                shutil.copy(examples / name, folder / name)
        # The same relative names on both sides, so that every path the program echoes is the same.
        arguments = ["solve", FOREIGN + "/airy", "--eval", "1", "--save", FOREIGN + "/saved é",
                     "--export", "csv=" + FOREIGN + "/export é.csv", "--export", "octave=" + FOREIGN + "/m é"]
        expected = run([options.native] + arguments, linux.parent)
        actual = run([options.wine, options.exe] + arguments, windows.parent, env)
        why = compare(expected, actual)
        if why:
            problems.append("a problem in a folder named %s: %s" % (FOREIGN, why))
        written = sorted(p.relative_to(linux).as_posix() for p in linux.rglob("*"))
        written_there = sorted(p.relative_to(windows).as_posix() for p in windows.rglob("*"))
        if written != written_there:
            problems.append("the files written under %s are %s, not %s" % (FOREIGN, written_there, written))
        for name in ("saved é", "saved é.str", "export é.csv"):
            if (windows / name).exists():
                why = compare((linux / name).read_bytes(), (windows / name).read_bytes())
                if why:
                    problems.append("the file %s differs from Linux's: %s" % (name, why))
        reopened = run([options.wine, options.exe, "solve", FOREIGN + "/saved é", "--no-solve", "--eval", "1"],
                       windows.parent, env)
        if b"[exit 0]" not in reopened:
            problems.append("the pair saved under %s does not reopen: %r" % (FOREIGN, reopened[-300:]))

        # The program in such a folder finds itself there (GetModuleFileNameW): without the window
        # library beside it, its message names the library's path in that folder, with Windows'
        # separators, in UTF-8.
        program = Path(top, "program " + FOREIGN)
        program.mkdir()
        for dll in Path(options.exe).parent.glob("*.dll"):
            if not dll.name.startswith("libodeseries_gui"):
                shutil.copy(dll, program / dll.name)
        shutil.copy(options.exe, program / "odeseries.exe")
        started = run([options.wine, str(program / "odeseries.exe")], top, env)
        wanted = ("\\program " + FOREIGN + "\\libodeseries_gui.dll: ").encode()
        if wanted not in started:
            problems.append("started without arguments from %s it says %r" % (program.name, started))
    return problems


if __name__ == "__main__":
    sys.exit(main())
