#!/usr/bin/python3
"""scripts/mutate.py on a small CMake project of its own, built in a temporary folder.

Of the fixture's mutants one is caught by the tests of its programs, one
only by the rest of the suite, one survives, one does not compile and one
hangs; two more are listed as equivalent. tool_test only starts a tool built
from the library (add_dependencies), and still counts as the library's test;
tool_cli starts it from a shell, which only the whole suite finds.
"""

import json
import shutil
import signal
import subprocess
import sys
import tempfile
import textwrap
import time
import unittest
from pathlib import Path

SCRIPTS = Path(__file__).resolve().parents[2] / "scripts"
MUTATE = SCRIPTS / "mutate.py"
sys.path.insert(0, str(SCRIPTS))

from mutation.backup import Backup  # noqa: E402
from mutation.build_graph import BuildGraph  # noqa: E402

FIXTURE = {
    "CMakeLists.txt": """\
        cmake_minimum_required(VERSION 3.20)
        project(fixture CXX)
        set(CMAKE_CXX_STANDARD 20)
        add_compile_options(-Wall -Wextra -Werror)
        enable_testing()
        add_library(calc STATIC src/calc/calc.cpp src/calc/drain.cpp)
        target_include_directories(calc PUBLIC src)
        add_executable(calc_test tests/calc_test.cpp)
        target_link_libraries(calc_test calc)
        add_test(NAME calc_test COMMAND calc_test)
        add_executable(drain_test tests/drain_test.cpp)
        target_link_libraries(drain_test calc)
        add_test(NAME drain_test COMMAND drain_test)
        add_executable(tool tools/tool.cpp)
        target_link_libraries(tool calc)
        add_executable(tool_test tests/tool_test.cpp)
        target_compile_definitions(tool_test PRIVATE TOOL="$<TARGET_FILE:tool>")
        add_dependencies(tool_test tool)
        add_test(NAME tool_test COMMAND tool_test)
        add_test(NAME tool_cli COMMAND sh ${CMAKE_SOURCE_DIR}/tests/tool_cli.sh $<TARGET_FILE:tool>)
        """,
    "src/calc/calc.h": """\
        #pragma once
        #include <string>
        #include <utility>

        int add(int a, int b);
        int doubled(int v);
        bool is_bigger(int a, int b);
        int magnitude(int v);
        int first(const std::pair<int, std::string>& p);
        const char* describe();
        """,
    "src/calc/calc.cpp": """\
        #include "calc/calc.h"

        #include <tuple>

        int first(const std::pair<int, std::string>& p) {
            return std::get<0>(p);
        }

        // Comments stay as they are: a < b && c - 1 == 2
        bool is_bigger(int a, int b) {
            return a > b;
        }

        int magnitude(int v) {
            return v < 0 ? -v : v;
        }

        int doubled(int v) {
            return v + v;
        }

        int add(int a, int b) {
            return a + b;
        }

        const char* describe() {
            return "a < b && c > 2 - 1";
        }
        """,
    "src/calc/drain.h": """\
        #pragma once
        #include <atomic>

        void drop_one(std::atomic<unsigned>& level);
        void drain(std::atomic<unsigned>& level);
        int spare(int v);
        """,
    "src/calc/drain.cpp": """\
        #include "calc/drain.h"

        void drop_one(std::atomic<unsigned>& level) {
            level--;
        }

        void drain(std::atomic<unsigned>& level) {
            for (; level;) {
                drop_one(level);
            }
        }

        int spare(int v) {
            return v + v;
        }
        """,
    "tests/calc_test.cpp": """\
        #include "calc/calc.h"

        int main() {
            if (add(2, 3) != 5) return 1;
            if (!is_bigger(5, 1) || is_bigger(1, 5)) return 1;
            if (magnitude(-4) != 4 || magnitude(4) != 4) return 1;
            return first({7, "x"}) == 7 ? 0 : 1;
        }
        """,
    "tests/drain_test.cpp": """\
        #include "calc/drain.h"

        int main() {
            std::atomic<unsigned> level{3};
            drain(level);
            return level == 0 ? 0 : 1;
        }
        """,
    "tools/tool.cpp": """\
        #include <cstdio>
        #include <cstdlib>

        #include "calc/calc.h"

        int main(int argc, char** argv) {
            if (argc == 2) std::printf("%d\\n", doubled(std::atoi(argv[1])));
            if (argc == 3) std::printf("%d\\n", add(std::atoi(argv[1]), std::atoi(argv[2])));
        }
        """,
    "tests/tool_test.cpp": """\
        #include <cstdio>
        #include <cstring>

        int main() {
            FILE* out = popen(TOOL " 2 3", "r");
            char line[16] = {};
            const bool read = out && std::fgets(line, sizeof line, out);
            if (out) pclose(out);
            return read && std::strcmp(line, "5\\n") == 0 ? 0 : 1;
        }
        """,
    "tests/tool_cli.sh": """\
        #!/bin/sh
        [ "$("$1" 21)" = 42 ]
        """,
    "tests/mutation/equivalent.txt": """\
        # magnitude() gives the same for 0 either way
        file: src/calc/calc.cpp
        line: return v < 0 ? -v : v;
        mutation: < -> <=
        reason: -0 is 0

        file: src/calc/calc.cpp
        line: return v < 0 ? -v : v;
        mutation: 0 -> 1
        reason: below 1 only 0 joins, and -0 is 0
        """,
}


def _diff(name, line, new=None):
    """The report's diff of a change to one line (None: the line deleted)."""
    lines = textwrap.dedent(FIXTURE[name]).splitlines()
    before, old, after = lines[max(0, line - 3) : line - 1], lines[line - 1], lines[line : line + 2]
    first = line - len(before)
    length = len(before) + 1 + len(after)
    return "".join(
        f"{text}\n"
        for text in [f"--- a/{name}", f"+++ b/{name}",
                     f"@@ -{first},{length} +{first},{length - (new is None)} @@"]
        + [" " + c for c in before] + ["-" + old] + ([] if new is None else ["+" + new])
        + [" " + c for c in after]
    )


def _mutant(name, line, kind, mutation, line_text, status, caught_by, new):
    return dict(file=name, room="calc", line=line, kind=kind, mutation=mutation,
                line_text=line_text, status=status, caught_by=caught_by,
                diff=_diff(name, line, new))


CALC, DRAIN = "src/calc/calc.cpp", "src/calc/drain.cpp"
EXPECTED_MUTANTS = [
    _mutant(CALC, 6, "constant", "0 -> 1", "return std::get<0>(p);", "did_not_compile", [],
            "    return std::get<1>(p);"),
    _mutant(CALC, 11, "relational", "> -> >=", "return a > b;", "survived", [],
            "    return a >= b;"),
    # Only the shell's test sees it: found by the run of the rest of the suite.
    _mutant(CALC, 19, "arithmetic", "+ -> -", "return v + v;", "caught", ["tool_cli"],
            "    return v - v;"),
    _mutant(CALC, 23, "arithmetic", "+ -> -", "return a + b;", "caught",
            ["calc_test", "tool_test"], "    return a - b;"),
    _mutant(DRAIN, 9, "call", "delete call", "drop_one(level);", "timed_out", ["drain_test"],
            None),
    # The rest of the suite runs on programs rebuilt without the mutants before:
    # calc_test still built with add()'s would fail.
    _mutant(DRAIN, 14, "arithmetic", "+ -> -", "return v + v;", "survived", [],
            "    return v - v;"),
]


def _counts(caught, timed_out, survived, did_not_compile):
    judged = caught + timed_out + survived
    score = round(100.0 * (caught + timed_out) / judged, 1) if judged else None
    return dict(caught=caught, timed_out=timed_out, survived=survived,
                did_not_compile=did_not_compile, score=score)


def _missing_tools():
    return [t for t in ("cmake", "ninja", "c++", "nm", "ctest") if shutil.which(t) is None]


class FixtureProject:
    def __init__(self, folder):
        self.root = Path(folder)
        for name, text in FIXTURE.items():
            path = self.root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(textwrap.dedent(text))
        self.build_dir = self.root / "build" / "ci"
        subprocess.run(["cmake", "-G", "Ninja", "-S", str(self.root), "-B", str(self.build_dir)],
                       check=True, capture_output=True)

    def mutate(self, *args):
        command = [sys.executable, str(MUTATE), "--root", str(self.root)] + list(args)
        return subprocess.Popen(command, cwd=self.root, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True)

    def source(self, name):
        return (self.root / name).read_bytes()

    def original(self, name):
        return textwrap.dedent(FIXTURE[name]).encode()


class RunnerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory(prefix="mutate-fixture-")
        cls.fixture = FixtureProject(cls.folder.name)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def _wait_for_mutant(self, runner, name, seconds=60):
        deadline = time.monotonic() + seconds
        while self.fixture.source(name) == self.fixture.original(name):
            self.assertIsNone(runner.poll(), "the runner ended before it mutated " + name)
            self.assertLess(time.monotonic(), deadline, "no mutant in time")
            time.sleep(0.05)

    def test_1_report_of_every_outcome(self):
        report_path = self.fixture.root / "report.json"
        runner = self.fixture.mutate("--json", str(report_path), "--timeout", "4", "src")
        out, err = runner.communicate(timeout=240)
        self.assertEqual(runner.returncode, 0, err)
        report = json.loads(report_path.read_text())
        for mutant, expected in zip(report["mutants"], EXPECTED_MUTANTS):
            del mutant["seconds"]
            # The run stops at the first failure: tests already running with
            # it may or may not have failed too.
            told = mutant["caught_by"]
            if told and set(told) <= set(expected["caught_by"]):
                mutant["caught_by"] = expected["caught_by"]
        del report["seconds"]
        self.assertEqual(report["mutants"], EXPECTED_MUTANTS)
        self.assertEqual(report["total"], _counts(2, 1, 2, 1))
        self.assertEqual(report["rooms"], {"calc": _counts(2, 1, 2, 1)})
        self.assertEqual(report["files"], {
            CALC: dict(room="calc", **_counts(2, 0, 1, 1)),
            DRAIN: dict(room="calc", **_counts(0, 1, 1, 0)),
        })
        self.assertEqual(report["settings"], {
            "files": ["src/calc/calc.cpp", "src/calc/calc.h", "src/calc/drain.cpp",
                      "src/calc/drain.h"],
            "since": None, "seed": 1, "max": None, "found": 8, "equivalent": 2, "run": 6,
        })
        self.assertEqual(report["notes"], [])
        self.assertIn("return a >= b;", out)  # the survivor's diff in the text report
        self.assertIn("room calc", out)
        for name in ("src/calc/calc.cpp", "src/calc/drain.cpp"):
            self.assertEqual(self.fixture.source(name), self.fixture.original(name))
        self.assertFalse((self.fixture.root / ".mutate-backup").exists())
        # The build folder holds the restored programs again.
        drain = subprocess.run([str(self.fixture.build_dir / "drain_test")], timeout=10)
        self.assertEqual(drain.returncode, 0)

    def test_2_programs_each_file_ends_up_in(self):
        graph = BuildGraph(self.fixture.build_dir)
        calc = graph.objects_of(self.fixture.root / "src/calc/calc.cpp")
        drain = graph.objects_of(self.fixture.root / "src/calc/drain.cpp")
        self.assertEqual(graph.executables_with(calc), ["calc_test", "tool", "tool_test"])
        self.assertEqual(graph.executables_with(drain), ["drain_test"])
        header = graph.objects_of(self.fixture.root / "src/calc/drain.h")
        self.assertEqual(sorted(Path(o).name for o in header),
                         ["drain.cpp.o", "drain_test.cpp.o"])

    def test_3_interrupt_restores_and_rebuilds(self):
        name = "src/calc/drain.cpp"
        runner = self.fixture.mutate("--timeout", "60", "--kinds", "call", name)
        self._wait_for_mutant(runner, name)
        time.sleep(2)  # into the build or the hanging test
        runner.send_signal(signal.SIGINT)
        out, err = runner.communicate(timeout=60)
        self.assertEqual(runner.returncode, 128 + signal.SIGINT, err)
        self.assertEqual(self.fixture.source(name), self.fixture.original(name))
        self.assertIn("interrupted (SIGINT) after 0 of 1 mutants", out)
        self.assertFalse((self.fixture.root / ".mutate-backup").exists())
        drain = subprocess.run([str(self.fixture.build_dir / "drain_test")], timeout=10)
        self.assertEqual(drain.returncode, 0)

    def test_4_a_killed_run_is_undone_by_the_next(self):
        name = "src/calc/calc.cpp"
        Backup(self.fixture.root / ".mutate-backup").mutate(self.fixture.root / name, "left over")
        runner = self.fixture.mutate("--list", name)
        out, err = runner.communicate(timeout=30)
        self.assertEqual(runner.returncode, 0, err)
        self.assertEqual(self.fixture.source(name), self.fixture.original(name))
        self.assertIn("left mutated by a run that was killed", err)
        self.assertIn("4 mutants (6 found, 2 listed as equivalent)", out)


if __name__ == "__main__":
    missing = _missing_tools()
    if missing:
        print("skipped: the fixture needs " + ", ".join(missing), file=sys.stderr)
        sys.exit(77)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
