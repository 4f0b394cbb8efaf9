"""Which executables a source file ends up in, from ninja's build graph.

A source file's object goes into a static library that nearly every test
links, but the linker only takes the objects a program needs: an executable
counts when it defines one of the object's own (strong) symbols. A target
that depends on such an executable (add_dependencies: a test that starts the
built program) counts too.
"""

import os
import subprocess
from pathlib import Path

_STRONG_SYMBOL_TYPES = set("TDBRGSC")
# Order-only phony nodes lead to every object of every target; the link
# edges name their own order-only dependencies directly.
_SKIPPED_PREFIXES = ("cmake_object_order_depends_target_",)


def _is_executable(path):
    """An ELF program (not an object, an archive or a shared library)."""
    name = path.name
    if name.endswith((".o", ".obj", ".a", ".so")) or ".so." in name:
        return False
    try:
        with open(path, "rb") as f:
            header = f.read(18)
    except OSError:
        return False
    return header[:4] == b"\x7fELF" and int.from_bytes(header[16:18], "little") in (2, 3)


def _strong_symbols(path, defined_only=True):
    command = ["nm", "-g", "-P"] + (["--defined-only"] if defined_only else []) + [str(path)]
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        return None
    symbols = set()
    for line in result.stdout.splitlines():
        fields = line.split()
        if len(fields) >= 2 and fields[1] in _STRONG_SYMBOL_TYPES:
            symbols.add(fields[0])
    return symbols


class BuildGraph:
    def __init__(self, build_dir):
        self.build_dir = Path(build_dir).resolve()
        self._outputs = {}
        self._symbols = {}
        self._header_users = None

    def _ninja(self, *args):
        result = subprocess.run(
            ["ninja", "-C", str(self.build_dir)] + list(args), capture_output=True, text=True
        )
        return result.stdout if result.returncode == 0 else None

    def absolute(self, node):
        return Path(os.path.normpath(self.build_dir / node))

    def outputs(self, nodes):
        """{node: [nodes built from it]} from `ninja -t query`, cached."""
        missing = [n for n in nodes if n not in self._outputs]
        if missing:
            self._outputs.update(self._query(missing))
        return {n: self._outputs.get(n, []) for n in nodes}

    def _query(self, nodes):
        text = self._ninja("-t", "query", *nodes)
        if text is None:  # an unknown node fails the whole query: ask one by one
            if len(nodes) == 1:
                return {nodes[0]: []}
            result = {}
            for n in nodes:
                result.update(self._query([n]))
            return result
        # "node:", then "  input: rule" / "  outputs:" sections of "    node" lines.
        result = {}
        current = None
        in_outputs = False
        for line in text.splitlines():
            if not line.startswith(" "):
                current = line[:-1]
                result[current] = []
            elif not line.startswith("    "):
                in_outputs = line.strip() == "outputs:"
            elif in_outputs and line.strip() not in result[current]:
                result[current].append(line.strip())
        return result

    def objects_of(self, source):
        """Object files compiled from the source, or including it (a header)."""
        source = str(Path(source).resolve())
        objects = [o for o in self.outputs([source])[source] if o.endswith((".o", ".obj"))]
        return objects or self._includers().get(source, [])

    def _includers(self):
        if self._header_users is None:
            self._header_users = {}
            current = None
            for line in (self._ninja("-t", "deps") or "").splitlines():
                if line and not line.startswith(" "):
                    current = line.split(":", 1)[0]
                elif line.strip() and current is not None:
                    header = str(self.absolute(line.strip()))
                    self._header_users.setdefault(header, []).append(current)
        return self._header_users

    def _links(self, executable, object_symbols):
        if not object_symbols:
            return True  # nothing to tell by: assume it does
        if executable not in self._symbols:
            self._symbols[executable] = _strong_symbols(self.absolute(executable))
        symbols = self._symbols[executable]
        return symbols is None or not symbols.isdisjoint(object_symbols)

    def executables_with(self, objects):
        """Executables (ninja nodes) that hold one of the objects or depend on one that does."""
        object_symbols = set()
        for o in objects:
            object_symbols |= _strong_symbols(self.absolute(o)) or set()
        found = set()
        seen = set()
        frontier = [(o, False) for o in objects]
        while frontier:
            outputs = self.outputs(sorted({n for n, _ in frontier}))
            next_frontier = []
            for node, via_program in frontier:
                for out in outputs[node]:
                    if out == "all" or out.startswith(_SKIPPED_PREFIXES):
                        continue
                    through = via_program
                    if _is_executable(self.absolute(out)):
                        if not (via_program or self._links(out, object_symbols)):
                            continue
                        found.add(out)
                        through = True
                    if (out, through) not in seen:
                        seen.add((out, through))
                        next_frontier.append((out, through))
            frontier = next_frontier
        return sorted(found)
