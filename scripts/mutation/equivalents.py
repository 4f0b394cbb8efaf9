"""The list of equivalent mutants: changes no behaviour can tell from the original."""

from dataclasses import dataclass
from pathlib import Path

FIELDS = ("file", "line", "mutation", "reason")


@dataclass(frozen=True)
class Entry:
    file: str
    line: str
    mutation: str
    reason: str
    at: int  # line of the entry's first field in the list

    @property
    def key(self):
        return (self.file, self.line, self.mutation)


def parse(text, source="equivalent.txt"):
    """Entries of blank-line separated `field: value` blocks; `#` starts a comment line."""
    entries = []
    block = {}
    block_at = 0

    def finish():
        if not block:
            return
        missing = [f for f in FIELDS if not block.get(f)]
        if missing:
            raise ValueError(f"{source}:{block_at}: entry lacks {', '.join(missing)}")
        entries.append(Entry(*(block[f] for f in FIELDS), block_at))
        block.clear()

    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if line.startswith("#"):
            continue
        if not line:
            finish()
            continue
        field, colon, value = line.partition(":")
        if not colon or field not in FIELDS:
            raise ValueError(f"{source}:{number}: expected one of {', '.join(FIELDS)}")
        if field in block:
            raise ValueError(f"{source}:{number}: {field} given twice in one entry")
        block_at = block_at if block else number
        block[field] = value.strip()
    finish()
    return entries


def load(path):
    path = Path(path)
    return parse(path.read_text(encoding="utf-8"), str(path)) if path.exists() else []


def split(mutants, entries):
    """(mutants not listed, {entry: number of mutants it matched})."""
    by_key = {e.key: e for e in entries}
    matched = {e: 0 for e in entries}
    kept = []
    for m in mutants:
        entry = by_key.get(m.key)
        if entry is None:
            kept.append(m)
        else:
            matched[entry] += 1
    return kept, matched


def entry_text(mutant, reason="WHY NO TEST CAN TELL"):
    """The block that lists the mutant as equivalent."""
    return (
        f"file: {mutant.file}\nline: {mutant.line_text}\nmutation: {mutant.label}\n"
        f"reason: {reason}\n"
    )
