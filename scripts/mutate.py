#!/usr/bin/python3
"""Mutation testing: does the suite notice small slips in the code?

Makes one small change at a time to the given C++ files (a boundary, a
comparison, a condition, a constant, a call, a returned boolean, a sign),
rebuilds what it touches in the build folder, runs the tests of the programs
built from it and, if they all pass, the rest of the suite. Every file is put
back afterwards, also on Ctrl-C; a run killed outright is undone by the next.

  scripts/mutate.py --since <first commit of an issue> --max 30 src/app
  scripts/mutate.py --list src/app/xls_writer.cpp
"""

import argparse
import fcntl
import os
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

from mutation import equivalents, interrupts, report, selection  # noqa: E402
from mutation.backup import Backup  # noqa: E402
from mutation.mutants import KINDS, find_mutants  # noqa: E402
from mutation.session import Session  # noqa: E402

PROJECT_ROOT = Path(__file__).resolve().parent.parent


def parse_options(argv):
    p = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    p.add_argument("files", nargs="*", help="C++ files, globs or folders (default: src)")
    p.add_argument("--root", type=Path, default=PROJECT_ROOT, help="the project's source folder")
    p.add_argument("--build-dir", type=Path,
                   help="a configured Ninja build folder (default: ROOT/build/ci)")
    p.add_argument("--since", metavar="REV", help="only lines changed since this commit")
    p.add_argument("--max", type=int, metavar="N", help="a sample of at most N mutants")
    p.add_argument("--seed", type=int, default=1, help="which sample (default: 1)")
    p.add_argument("--kinds", metavar="K,K", help="only these kinds: " + ", ".join(KINDS))
    p.add_argument("--list", action="store_true", help="list the mutants and change nothing")
    p.add_argument("--dry-run", dest="list", action="store_true", help="the same as --list")
    p.add_argument("--json", type=Path, metavar="FILE", help="also write the report as JSON")
    p.add_argument("--equivalents", type=Path, help="default: ROOT/tests/mutation/equivalent.txt")
    p.add_argument("--jobs", type=int, default=2, help="build and test jobs (default: 2)")
    p.add_argument("--timeout", type=float, metavar="S",
                   help="seconds a test may take on a mutant (default: 3x unmutated + 30)")
    p.add_argument("--build-timeout", type=float, default=3600, metavar="S")
    p.add_argument("--exclude-tests", metavar="REGEX",
                   help="tests never run for a mutant, besides this runner's own")
    options = p.parse_args(argv)
    options.kinds = options.kinds.split(",") if options.kinds else list(KINDS)
    if set(options.kinds) - set(KINDS):
        p.error("unknown kind: " + ", ".join(sorted(set(options.kinds) - set(KINDS))))
    options.root = options.root.resolve()
    options.build_dir = (options.build_dir or options.root / "build" / "ci").resolve()
    options.equivalents = options.equivalents or options.root / "tests/mutation/equivalent.txt"
    return options


def read_text(path):
    with open(path, encoding="utf-8", newline="") as f:  # keeps \r\n as it is
        return f.read()


def select(options, notes):
    """(mutants to run, names -> texts, names -> paths, selection summary)."""
    patterns = options.files or selection.default_patterns(options.root)
    paths = {selection.name_of(p, options.root): p
             for p in selection.resolve_files(patterns, os.getcwd())}
    texts = {name: read_text(path) for name, path in paths.items()}
    every = [m for name in paths for m in find_mutants(name, texts[name])]
    listed = equivalents.load(options.equivalents)
    for entry, count in equivalents.split(every, listed)[1].items():
        if count == 0 and entry.file in paths:
            notes.append(f"{options.equivalents}:{entry.at}: matches no mutant any more")
    found = [m for m in every if m.kind in options.kinds]
    if options.since:
        changed = selection.changed_lines(options.root, options.since, list(paths))
        found = [m for m in found if selection.touches(m, changed.get(m.file, set()))]
    kept = equivalents.split(found, listed)[0]
    chosen = selection.sample(kept, options.max, options.seed)
    summary = {
        "files": sorted(paths),
        "since": options.since,
        "seed": options.seed,
        "max": options.max,
        "found": len(found),
        "equivalent": len(found) - len(kept),
        "run": len(chosen),
    }
    return chosen, texts, paths, summary


def list_mutants(chosen, summary, notes):
    for m in chosen:
        print(f"{m.file}:{m.line}: {m.kind}: {m.label}    | {m.line_text}")
    print(f"{summary['run']} mutants ({summary['found']} found, "
          f"{summary['equivalent']} listed as equivalent)")
    for note in notes:
        print("note: " + note)


def lock(backup_folder):
    """One run per source tree: a second would restore the first one's mutant."""
    backup_folder.mkdir(parents=True, exist_ok=True)
    handle = os.open(backup_folder, os.O_RDONLY)
    try:
        fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        raise SystemExit(f"another mutation run holds {backup_folder}")
    return handle


def run(options, chosen, texts, paths, summary, backup, notes):
    started = time.monotonic()
    session = Session(options, backup, texts, paths)
    results = []
    interrupted = None
    line_open = False
    try:
        session.prepare(sorted({m.file for m in chosen}))
        chosen = [m for m in chosen if m.file in session.plans]
        session.check_baseline()
        for number, mutant in enumerate(chosen, 1):
            print(f"[{number}/{len(chosen)}] {mutant.file}:{mutant.line}: {mutant.label} ...",
                  end="", file=sys.stderr, flush=True)
            line_open = True
            results.append(session.judge(mutant))
            print(f" {results[-1]['status']} ({results[-1]['seconds']} s)", file=sys.stderr)
            line_open = False
    except interrupts.Interrupted as signal_name:
        interrupted = signal_name
        notes.append(f"interrupted ({signal_name}) after {len(results)} of {len(chosen)} mutants")
    finally:
        with interrupts.held():
            backup.restore()
        if line_open:
            print(file=sys.stderr)
        try:
            if not session.rebuild_restored():
                notes.append("the rebuild after restoring failed: rebuild before testing")
        except interrupts.Interrupted:
            notes.append("rebuild after restoring skipped: the build folder may hold a mutant")
    notes.extend(session.notes)
    summary["run"] = len(results)
    return report.build(results, summary, time.monotonic() - started, notes), interrupted


def main(argv):
    options = parse_options(argv)
    backup = Backup(options.root / ".mutate-backup")
    handle = lock(backup.folder)
    notes = []
    restored = backup.restore_leftover()
    if restored:
        print(f"restored {restored}, left mutated by a run that was killed", file=sys.stderr)
        notes.append(f"restored {restored}, left mutated by an earlier run that was killed")
    try:
        try:
            chosen, texts, paths, summary = select(options, notes)
        except (OSError, ValueError) as error:
            raise SystemExit(f"mutate.py: {error}")
        if options.list:
            list_mutants(chosen, summary, notes)
            return 0
        interrupts.install()
        result, interrupted = run(options, chosen, texts, paths, summary, backup, notes)
        print(report.text(result), end="")
        if options.json:
            report.write_json(result, options.json)
        return 128 + interrupted.signum if interrupted else 0
    finally:
        os.close(handle)
        backup.remove_folder()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
