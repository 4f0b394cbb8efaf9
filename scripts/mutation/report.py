"""The run's report: counts per file and per room, every survivor's change."""

import difflib
import json

STATUSES = ("caught", "timed_out", "survived", "did_not_compile")


def diff_of(mutant, original, mutated):
    """A unified diff of the mutant, two lines of context."""
    lines = difflib.unified_diff(
        original.splitlines(keepends=True),
        mutated.splitlines(keepends=True),
        fromfile="a/" + mutant.file,
        tofile="b/" + mutant.file,
        n=2,
    )
    return "".join(line if line.endswith("\n") else line + "\n" for line in lines)


def counts(results):
    tally = {s: 0 for s in STATUSES}
    for r in results:
        tally[r["status"]] += 1
    judged = tally["caught"] + tally["timed_out"] + tally["survived"]
    # A hang is caught: the suite noticed something; a build failure says nothing.
    tally["score"] = (
        None if not judged else round(100.0 * (tally["caught"] + tally["timed_out"]) / judged, 1)
    )
    return tally


def build(results, settings, seconds, notes):
    """The report as a JSON-ready dict; results: one dict per mutant, in run order."""
    files = {}
    rooms = {}
    for r in results:
        files.setdefault(r["file"], []).append(r)
        rooms.setdefault(r["room"], []).append(r)
    return {
        "settings": settings,
        "total": counts(results),
        "rooms": {room: counts(rs) for room, rs in sorted(rooms.items())},
        "files": {
            name: dict(room=rs[0]["room"], **counts(rs)) for name, rs in sorted(files.items())
        },
        "mutants": results,
        "notes": notes,
        "seconds": round(seconds, 1),
    }


def _row(title, tally):
    score = "-" if tally["score"] is None else f"{tally['score']:.1f} %"
    numbers = "".join(f"{tally[s]:>11}" for s in STATUSES)
    return f"{title:<44}{numbers}{score:>9}"


def text(report):
    chosen = report["settings"]
    lines = [
        f"Mutation testing: {len(report['mutants'])} mutants in {report['seconds']:.0f} s "
        f"(seed {chosen['seed']}, {chosen['found']} found"
        + (f" since {chosen['since']}" if chosen["since"] else "")
        + f", {chosen['equivalent']} of them listed as equivalent)",
        f"{'':<44}{'caught':>11}{'timed out':>11}{'survived':>11}{'no compile':>11}{'score':>9}",
    ]
    for room, tally in report["rooms"].items():
        lines.append(_row(f"room {room}", tally))
        for name, file_tally in report["files"].items():
            if file_tally["room"] == room:
                lines.append(_row("  " + name, file_tally))
    lines.append(_row("total", report["total"]))
    survivors = [m for m in report["mutants"] if m["status"] == "survived"]
    if survivors:
        lines += ["", f"Survivors ({len(survivors)}): no test failed on these changes", ""]
        for m in survivors:
            lines.append(f"{m['file']}:{m['line']}: {m['kind']}: {m['mutation']}")
            lines.append(m["diff"])
    if report["notes"]:
        lines += ["Notes:"] + ["  " + n for n in report["notes"]]
    return "\n".join(lines) + "\n"


def write_json(report, path):
    with open(path, "w", encoding="utf-8") as f:
        json.dump(report, f, indent=2, ensure_ascii=False)
        f.write("\n")
