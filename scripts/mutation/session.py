"""One run over a build folder: build, test and judge each mutant in turn."""

import re
import sys
import time
from dataclasses import dataclass

from mutation import ctest_suite, interrupts, processes
from mutation.build_graph import BuildGraph
from mutation.report import diff_of
from mutation.selection import room_of

UNKNOWN_TEST_SECONDS = 5
SLACK_SECONDS = 30
SLOWDOWN = 3
GRACE_SECONDS = 15
QUICK_SECONDS = 2
OWN_TESTS = "^mutation_"


@dataclass
class Plan:
    """What one source file's mutants rebuild and run."""

    targets: list  # ninja nodes: its objects and the executables holding them
    tests: list  # TestCase: the tests that run those executables


def _log(message):
    print(message, file=sys.stderr, flush=True)


class Session:
    def __init__(self, options, backup, texts, paths):
        self.options = options
        self.backup = backup
        self.texts = texts  # name -> original text
        self.paths = paths  # name -> absolute path
        self.graph = BuildGraph(options.build_dir)
        self.plans = {}
        self.tests = []
        self.excluded = set()  # names of tests that fail without any mutant
        self.durations = {}
        self.built_targets = set()
        self.notes = []

    # --- building -----------------------------------------------------------

    def build(self, targets=None):
        command = ["cmake", "--build", str(self.options.build_dir), "-j", str(self.options.jobs)]
        if targets:
            command += ["--target"] + sorted(targets)
        return processes.run(command, timeout=self.options.build_timeout)

    def prepare(self, names):
        """Bring the build folder up to date and plan each file (or note why not)."""
        if not (self.options.build_dir / "build.ninja").exists():
            raise SystemExit(
                f"{self.options.build_dir} is not a configured Ninja build folder "
                "(cmake --preset ci first)"
            )
        _log(f"building {self.options.build_dir} before mutating ...")
        built = self.build()
        if built.returncode != 0:
            raise SystemExit("the build fails without any mutant:\n" + built.output[-3000:])
        # The runner's own tests build a project of their own: no mutant reaches them.
        skip = re.compile("|".join(filter(None, [OWN_TESTS, self.options.exclude_tests])))
        self.tests = [t for t in ctest_suite.list_tests(self.options.build_dir)
                      if not skip.search(t.name)]
        for name in names:
            objects = self.graph.objects_of(self.paths[name])
            if not objects:
                self.notes.append(f"{name}: not built in {self.options.build_dir}; not mutated")
                continue
            executables = self.graph.executables_with(objects)
            programs = {self.graph.absolute(e).resolve() for e in executables}
            tests = [t for t in self.tests if t.executable in programs]
            self.plans[name] = Plan(objects + executables, tests)
            if not tests:
                self.notes.append(f"{name}: no test runs a program built from it")

    def check_baseline(self):
        """Tests that fail with no mutant in place would make every mutant look caught."""
        wanted = {t.number: t for plan in self.plans.values() for t in plan.tests}
        tests = [wanted[n] for n in sorted(wanted)]
        _log(f"running the {len(tests)} tests of those files without mutants ...")
        outcome = ctest_suite.run_tests(self.options.build_dir, tests, self.options.jobs, None)
        self.durations.update(outcome.durations)
        self._exclude(outcome.failed + outcome.timed_out, "fails without any mutant")

    def _exclude(self, names, why):
        for name in sorted(set(names) - self.excluded):
            self.excluded.add(name)
            self.notes.append(f"test {name} {why}: left out of every verdict")

    # --- testing ------------------------------------------------------------

    def _limit(self, tests):
        """Seconds a test may take on a mutant: given, or a multiple of the unmutated run."""
        if self.options.timeout:
            return self.options.timeout
        expected = sum(self.durations.get(t.number, UNKNOWN_TEST_SECONDS) for t in tests)
        return SLACK_SECONDS + SLOWDOWN * expected / self.options.jobs

    def _run(self, tests):
        """Run until the first failure, the quick tests first: one failing test
        judges a mutant, and most are caught by a unit test of a second or so,
        long before the window tests would finish."""
        tests = [t for t in tests if t.name not in self.excluded]
        quick = [t for t in tests
                 if self.durations.get(t.number, UNKNOWN_TEST_SECONDS) <= QUICK_SECONDS]
        slow = [t for t in tests if t not in quick]
        outcome = ctest_suite.Outcome()
        for batch in (quick, slow):
            outcome = self._run_batch(batch)
            if outcome.failed or outcome.timed_out or outcome.stopped:
                break
        return outcome

    def _run_batch(self, tests):
        limit = self._limit(tests)
        # ctest stops a hanging test itself and says which; the outer limit
        # is for tests with a TIMEOUT of their own, and ctest itself.
        outcome = ctest_suite.run_tests(
            self.options.build_dir, tests, self.options.jobs, limit + GRACE_SECONDS, limit,
            stop_on_failure=True,
        )
        for number, seconds in outcome.durations.items():
            self.durations[number] = max(seconds, self.durations.get(number, 0))
        outcome.failed = [n for n in outcome.failed if n not in self.excluded]
        return outcome

    @staticmethod
    def _verdict(outcome):
        if outcome.failed:
            return "caught", sorted(outcome.failed)
        if outcome.timed_out or outcome.stopped:
            return "timed_out", sorted(outcome.timed_out)
        return "survived", []

    def _test_mutant(self, plan):
        """(status, tests that told, tests to check without the mutant)."""
        try:
            status, told = self._verdict(self._run(plan.tests))
            if status != "survived":
                return status, told, []
            # Programs the earlier mutants were built into were left as they
            # were after each restore: the rest of the suite needs them back.
            if self.build(self.built_targets).returncode != 0:
                return "did_not_compile", [], []
            affected = {t.number for t in plan.tests}
            rest = [t for t in self.tests if t.number not in affected]
            status, told = self._verdict(self._run(rest))
            return status, told, told if status == "caught" else []
        except ctest_suite.TestListChanged as changed:
            return "caught", [f"(the test list changed: {changed})"], []

    def _recheck(self, names):
        """Tests outside the plan that failed on a mutant: do they fail without it too?

        They may start a program built from the file without saying so, so
        the restored file is built first.
        """
        if self.build(self.built_targets).returncode != 0:
            return sorted(names)
        tests = [t for t in self.tests if t.name in names]
        outcome = ctest_suite.run_tests(
            self.options.build_dir, tests, self.options.jobs, self._limit(tests)
        )
        self._exclude(outcome.failed + outcome.timed_out, "fails without any mutant")
        return sorted(n for n in names if n not in self.excluded)

    # --- one mutant ---------------------------------------------------------

    def judge(self, mutant):
        started = time.monotonic()
        original = self.texts[mutant.file]
        mutated = mutant.apply(original)
        plan = self.plans[mutant.file]
        self.built_targets.update(plan.targets)
        told, recheck = [], []
        try:
            with interrupts.held():
                self.backup.mutate(self.paths[mutant.file], mutated)
            built = self.build(plan.targets)
            if built.returncode != 0 or built.timed_out:
                status = "did_not_compile"
            else:
                status, told, recheck = self._test_mutant(plan)
        finally:
            with interrupts.held():
                self.backup.restore()
        if recheck:
            told = self._recheck(recheck)
            status = "caught" if told else "survived"
        return {
            "file": mutant.file,
            "room": room_of(mutant.file),
            "line": mutant.line,
            "kind": mutant.kind,
            "mutation": mutant.label,
            "line_text": mutant.line_text,
            "status": status,
            "caught_by": told[:5],
            "diff": diff_of(mutant, original, mutated),
            "seconds": round(time.monotonic() - started, 1),
        }

    def rebuild_restored(self):
        """Rebuild what the mutants touched, so no mutant's program stays in the build folder."""
        if not self.built_targets:
            return True
        _log("rebuilding from the restored sources ...")
        return self.build(self.built_targets).returncode == 0
