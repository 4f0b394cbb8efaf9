"""Which files and which of their mutants a run takes."""

import glob
import os
import random
import re
import subprocess
from pathlib import Path

SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx", ".h", ".hpp", ".hh")


def resolve_files(patterns, cwd):
    """Absolute paths of the C++ files named by paths, globs or folders."""
    found = set()
    for pattern in patterns:
        path = Path(cwd, pattern)
        matches = [Path(m) for m in glob.glob(str(path), recursive=True)] or [path]
        for match in matches:
            if match.is_dir():
                found.update(p for p in match.rglob("*") if p.suffix in SOURCE_SUFFIXES)
            elif match.is_file():
                found.add(match)
            else:
                raise FileNotFoundError(f"no such file: {pattern}")
    return sorted(p.resolve() for p in found)


def name_of(path, root):
    """The file's name in reports: relative to the project's root where it can be."""
    try:
        return Path(path).resolve().relative_to(Path(root).resolve()).as_posix()
    except ValueError:
        return Path(path).resolve().as_posix()


def room_of(name):
    """The folder under src/ (src/net/url.cpp -> net); elsewhere the file's folder."""
    parts = name.split("/")
    if parts[0] == "src" and len(parts) > 2:
        return parts[1]
    return "/".join(parts[:-1]) or "."


_HUNK = re.compile(r"^@@ -\S+ \+(\d+)(?:,(\d+))? @@")


def changed_lines(root, rev, names):
    """{name: set of line numbers} added or changed since rev, working tree included."""
    command = ["git", "-C", str(root), "diff", "-U0", "--no-color", "--no-ext-diff", "--no-renames"]
    result = subprocess.run(command + [rev, "--"] + list(names), capture_output=True, text=True)
    if result.returncode != 0:
        raise ValueError(f"--since {rev}: {result.stderr.strip()}")
    output = result.stdout
    changed = {name: set() for name in names}
    current = None
    for line in output.splitlines():
        if line.startswith("+++ "):
            target = line[4:]
            current = target[2:] if target.startswith("b/") else None
            changed.setdefault(current, set())
        elif current is not None and (hunk := _HUNK.match(line)):
            first = int(hunk.group(1))
            count = 1 if hunk.group(2) is None else int(hunk.group(2))
            changed[current].update(range(first, first + count))
    return changed


def touches(mutant, lines):
    return any(line in lines for line in range(mutant.line, mutant.last_line + 1))


def sample(mutants, max_count, seed):
    """At most max_count of the mutants, the same ones for the same seed, in their order."""
    if max_count is None or max_count >= len(mutants):
        return list(mutants)
    chosen = sorted(random.Random(seed).sample(range(len(mutants)), max_count))
    return [mutants[i] for i in chosen]


def git_root(start):
    result = subprocess.run(
        ["git", "-C", str(start), "rev-parse", "--show-toplevel"], capture_output=True, text=True
    )
    return Path(result.stdout.strip()) if result.returncode == 0 else None


def default_patterns(root):
    return [os.path.join(str(root), "src")]
