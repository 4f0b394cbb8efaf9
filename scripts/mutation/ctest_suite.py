"""The build folder's tests as ctest knows them, run by number."""

import json
import os
import re
import subprocess
from dataclasses import dataclass, field
from pathlib import Path

from mutation import processes

# A parameterised test's name goes on with "  # GetParam() = ...", which the
# name taken here leaves off.
_RESULT = re.compile(
    r"Test\s+#(\d+): (\S+)(?:\s+# GetParam\(\) = .*?)? \.*\s*(?:\*\*\*)?(.*?)\s+([0-9.]+) sec\s*$"
)


@dataclass(frozen=True)
class TestCase:
    number: int  # ctest's number, what -I selects by
    name: str
    executable: Path  # the program the test runs, resolved; None if it is no file


@dataclass
class Outcome:
    failed: list = field(default_factory=list)  # names
    timed_out: list = field(default_factory=list)  # names
    durations: dict = field(default_factory=dict)  # number -> seconds, passed tests
    names: dict = field(default_factory=dict)  # number -> name as ctest printed it
    stopped: bool = False  # the whole run hit its time limit
    output: str = ""


class TestListChanged(Exception):
    """The build folder's tests are not the ones listed at the start."""


def _environment():
    env = dict(os.environ)
    for name in ("CTEST_OUTPUT_ON_FAILURE", "CTEST_PARALLEL_LEVEL"):
        env.pop(name, None)
    return env


def list_tests(build_dir):
    result = subprocess.run(
        ["ctest", "--test-dir", str(build_dir), "--show-only=json-v1"],
        capture_output=True,
        text=True,
        env=_environment(),
        check=True,
    )
    tests = []
    for number, test in enumerate(json.loads(result.stdout).get("tests", []), 1):
        command = test.get("command") or []
        program = Path(command[0]) if command else None
        if program is not None and not program.is_absolute():
            program = Path(build_dir, program)
        executable = program.resolve() if program is not None and program.exists() else None
        tests.append(TestCase(number, test["name"], executable))
    return tests


def printed_as(listed, printed):
    """Whether a result line's name is the listed test's: ctest prints a name
    up to its first blank, so a parameterised test's "  # GetParam() = ..."
    is left off."""
    return listed is not None and listed.split(" ", 1)[0] == printed


def _parse(text, outcome):
    for line in text.splitlines():
        match = _RESULT.search(line)
        if not match:
            continue
        number, name, status = int(match.group(1)), match.group(2), match.group(3)
        outcome.names[number] = name
        if status.startswith("Passed"):
            outcome.durations[number] = float(match.group(4))
        elif status.startswith("Timeout"):
            outcome.timed_out.append(name)
        elif not status.startswith(("Skipped", "Disabled")):
            outcome.failed.append(name)


def run_tests(build_dir, tests, jobs, limit, per_test_limit=None, stop_on_failure=False):
    """Run the tests (TestCase list); limit: seconds for the whole run.

    per_test_limit stops a test that has no TIMEOUT of its own; ctest then
    names it, which the limit on the whole run cannot. stop_on_failure
    starts no test after the first one fails (those running finish).
    """
    outcome = Outcome()
    if not tests:
        return outcome
    command = ["ctest", "--test-dir", str(build_dir), "-j", str(jobs)]
    command += ["-I", "0,0,0," + ",".join(str(t.number) for t in tests)]
    if per_test_limit is not None:
        command += ["--timeout", str(int(per_test_limit))]
    if stop_on_failure:
        command.append("--stop-on-failure")
    finished = processes.run(command, env=_environment(), timeout=limit)
    outcome.stopped = finished.timed_out
    outcome.output = finished.output
    _parse(finished.output, outcome)
    expected = {t.number: t.name for t in tests}
    for number, name in outcome.names.items():
        if not printed_as(expected.get(number), name):
            raise TestListChanged(f"test #{number} is now {name}, not {expected.get(number)}")
    if not (outcome.stopped or outcome.failed or outcome.timed_out) and finished.returncode != 0:
        # No test failed, yet ctest did: the tests could not be read or started.
        last = (finished.output.strip().splitlines() or ["failed"])[-1]
        outcome.failed.append(f"(ctest: {last})")
    return outcome
