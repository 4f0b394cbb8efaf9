"""Mutating a source file so that it always comes back.

Before a file is changed its original goes into a backup folder, then a note
of which file it is; the note is removed only once the original is back.
A run killed outright leaves both behind, and the next run puts the
original back before it does anything else.
"""

import os
from pathlib import Path


def _write(path, data):
    """Write in place (same file, same mode) and make it durable."""
    with open(path, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())


class Backup:
    def __init__(self, folder):
        self.folder = Path(folder)
        self.original = self.folder / "original"
        self.note = self.folder / "target"
        self.target = None

    def mutate(self, path, text):
        """Replace the file's text, keeping its original until restore()."""
        if self.target is not None:
            raise RuntimeError("one mutant at a time")
        path = Path(path).resolve()
        self.folder.mkdir(parents=True, exist_ok=True)
        _write(self.original, path.read_bytes())
        _write(self.note, os.fsencode(str(path)))
        self.target = path
        _write(path, text.encode("utf-8"))

    def restore(self):
        """Put the mutated file back as it was; safe to call twice."""
        if self.target is None:
            return None
        _write(self.target, self.original.read_bytes())
        restored = self.target
        self.note.unlink()
        self.original.unlink()
        self.target = None
        return restored

    def restore_leftover(self):
        """After a run that was killed: the file it left mutated, now restored, or None."""
        if self.note.exists() and self.original.exists():
            self.target = Path(os.fsdecode(self.note.read_bytes()))
            return self.restore()
        for stray in (self.note, self.original):
            stray.unlink(missing_ok=True)
        return None

    def remove_folder(self):
        if self.folder.exists() and not any(self.folder.iterdir()):
            self.folder.rmdir()
