#!/usr/bin/python3
"""Which mutants scripts/mutate.py finds in a text, which it picks and which it leaves out."""

import shutil
import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))

from mutation import ctest_suite, equivalents, selection  # noqa: E402
from mutation.mutants import find_mutants  # noqa: E402


def mutants(code, kind=None):
    found = find_mutants("src/x/x.cpp", textwrap.dedent(code))
    return [m for m in found if kind is None or m.kind == kind]


def labels(code, kind=None):
    return [(m.line, m.kind, m.label) for m in mutants(code, kind)]


class KindsTest(unittest.TestCase):
    def test_every_kind_once(self):
        code = """\
            int f(int a, int b) {
                if (a < b || b != c) return a - b;
                return a >= b && b == 0;
            }
            bool g() {
                return true;
            }
            void h(Log& log) {
                log.write(a > b + c);
            }
            """
        self.assertEqual(labels(code), [
            (2, "negation", "negate if condition"),
            (2, "relational", "< -> <="),
            (2, "logical", "|| -> &&"),
            (2, "equality", "!= -> =="),
            (2, "arithmetic", "- -> +"),
            (3, "relational", ">= -> >"),
            (3, "logical", "&& -> ||"),
            (3, "equality", "== -> !="),
            (3, "constant", "0 -> 1"),
            (6, "boolean", "return true -> return false"),
            (9, "call", "delete call"),
            (9, "relational", "> -> >="),
            (9, "arithmetic", "+ -> -"),
        ])
        negated, deleted = mutants(code, "negation")[0], mutants(code, "call")[0]
        self.assertIn("if (!(a < b || b != c)) return", negated.apply(textwrap.dedent(code)))
        self.assertEqual(deleted.apply(textwrap.dedent(code)).splitlines()[7:9],
                         ["void h(Log& log) {", "}"])

    def test_nothing_outside_expressions(self):
        code = """\
            #include <vector>
            #define LIMIT(x) ((x) < 3 && (x) > -1)
            #if VERSION > 2
            // a < b && c - 1 == 2
            /* a > b || 2 + 3
               != 4 */
            template <typename T, typename U>
            bool operator<(const T& a, const U& b);
            void take(T&& value) {
                const char* s = "a < b && 1 + 2";
                const char* r = R"x(if (a < b) { return 1 + 2; })x";
                auto w = u8"x > y";
                char c = '<';
                std::vector<std::vector<int>> v;
                std::map<K, std::vector<T> > m;
                auto p = static_cast<std::size_t>(x) * q->size();
                int y = -x;
                i++;
                j += k;
                out << a >> b;
                auto f = [&](auto&& e) -> bool { return e.ok(); };
            }
            """
        self.assertEqual(labels(code), [])

    def test_integer_constants_keep_their_spelling(self):
        code = "int a[] = {0x0DBB, 0xff, 0x0600, 10u, 0b101, 1'000, 07, 0, 1.5, 1e3, 2.f, 0x1p3};\n"
        self.assertEqual([m.label for m in mutants(code)], [
            "0x0DBB -> 0x0DBA", "0x0DBB -> 0x0DBC", "0xff -> 0xfe", "0xff -> 0x100",
            "0x0600 -> 0x05FF", "0x0600 -> 0x0601", "10u -> 9u", "10u -> 11u",
            "0b101 -> 0b100", "0b101 -> 0b110", "1'000 -> 999", "1'000 -> 1001",
            "07 -> 06", "07 -> 010", "0 -> 1",
        ])

    def test_calls_deleted_only_as_whole_statements_in_code(self):
        code = """\
            class Widget {
              public:
                Widget(int size);
            };
            void f(bool on) {
                if (on)
                    start();
                else
                    stop();
                for (;;) {
                    step(first,
                         second);
                }
                return finish();
                Foo bar(on);
                x = run();
                assert(on);
                obj.get()->items[i].reset();  // trailing comment
                if (on) stop();
            }
            """
        found = mutants(code, "call")
        self.assertEqual([(m.line, m.last_line, m.line_text) for m in found], [
            (11, 12, "step(first,"),
            (18, 18, "obj.get()->items[i].reset();  // trailing comment"),
        ])
        after = found[0].apply(textwrap.dedent(code)).splitlines()
        self.assertEqual(after[9:11], ["    for (;;) {", "    }"])

    def test_conditions_negated_only_where_they_stay_valid(self):
        code = """\
            void f() {
                if (auto p = get()) use(p);
                if (int n = 0; n) use(n);
                if constexpr (kSmall) use(1);
                do {
                } while (more());
                while (running) {
                }
            }
            """
        self.assertEqual(labels(code, "negation"), [
            (6, "negation", "negate while condition"),
            (7, "negation", "negate while condition"),
        ])

    def test_embedded_scripts_are_mutated_like_code(self):
        code = """\
            constexpr auto kScript = R"js(
            function f(a, b) {
                if (a === b) return 'x < y';  // a < b
                rows.push(a - b);
            }
            )js";
            const char* plain = R"(if (a < b) { f(1); })";
            """
        self.assertEqual(labels(code), [
            (3, "negation", "negate if condition"),
            (3, "equality", "=== -> !=="),
            (4, "call", "delete call"),
            (4, "arithmetic", "- -> +"),
        ])

    def test_a_label_repeated_on_a_line_is_numbered(self):
        code = "bool f() { return a < b && c < d && e < f; }\n"
        self.assertEqual([m.label for m in mutants(code, "relational")],
                         ["< -> <= #1", "< -> <= #2", "< -> <= #3"])

    def test_the_list_for_a_real_file_stays_in_expressions(self):
        text = (ROOT / "src/export/xls_writer.cpp").read_text(encoding="utf-8")
        lines = text.splitlines()
        for m in find_mutants("src/export/xls_writer.cpp", text):
            line = lines[m.line - 1].strip()
            self.assertFalse(line.startswith(("#", "//")), m)
            before = text[: m.start].rsplit("\n", 1)[-1]
            self.assertNotIn("//", before, m)  # not inside a trailing comment


class CtestNamesTest(unittest.TestCase):
    def test_a_parameterised_test_is_known_by_its_printed_name(self):
        # ctest lists "A/B.C/x  # GetParam() = x" but prints "A/B.C/x" in its results.
        outcome = ctest_suite.Outcome()
        ctest_suite._parse(
            "1/2 Test #7: A/B.C/x  # GetParam() = x ....   Passed    0.01 sec\n"
            "2/2 Test #8: A/B.C/y  # GetParam() = y ....***Failed    0.02 sec\n",
            outcome,
        )
        self.assertEqual(outcome.names, {7: "A/B.C/x", 8: "A/B.C/y"})
        self.assertEqual(outcome.failed, ["A/B.C/y"])
        self.assertIn(7, outcome.durations)
        self.assertTrue(ctest_suite.printed_as("A/B.C/x  # GetParam() = x", "A/B.C/x"))
        self.assertTrue(ctest_suite.printed_as("A.B", "A.B"))
        self.assertFalse(ctest_suite.printed_as("A/B.C/y  # GetParam() = y", "A/B.C/x"))
        self.assertFalse(ctest_suite.printed_as(None, "A.B"))


class EquivalentsTest(unittest.TestCase):
    ENTRY = "file: src/x/x.cpp\nline: return a < b;\nmutation: < -> <=\nreason: a is never b\n"

    def test_listed_mutants_are_left_out_and_counted(self):
        listed = equivalents.parse("# header\n\n" + self.ENTRY + "\n" + self.ENTRY.replace(
            "src/x/x.cpp", "src/y/y.cpp"))
        found = mutants("bool f() {\n    return a < b;\n}\nbool g() {\n    return a < b;\n}\n")
        kept, matched = equivalents.split(found, listed)
        self.assertEqual(kept, [])
        self.assertEqual(sorted(matched.values()), [0, 2])
        self.assertEqual(listed[0].at, 3)

    def test_a_malformed_entry_names_its_line(self):
        for text, message in (
            (self.ENTRY.replace("reason: a is never b\n", ""), "x:1: entry lacks reason"),
            (self.ENTRY + "why: no\n", "x:5: expected one of"),
            (self.ENTRY + "line: again\n", "x:5: line given twice"),
        ):
            with self.assertRaisesRegex(ValueError, message):
                equivalents.parse(text, "x")

    def test_an_entry_for_a_mutant_reads_back_as_it(self):
        mutant = mutants("bool f() {\n    return a < b;\n}\n")[0]
        entry = equivalents.parse(equivalents.entry_text(mutant, "why"))[0]
        self.assertEqual(entry.key, mutant.key)

    def test_the_project_list_parses(self):
        equivalents.load(ROOT / "tests/mutation/equivalent.txt")


class SelectionTest(unittest.TestCase):
    def test_sampling_is_fixed_by_the_seed(self):
        items = list(range(100))
        first = selection.sample(items, 10, 7)
        self.assertEqual(first, selection.sample(items, 10, 7))
        self.assertEqual(first, sorted(first))
        self.assertNotEqual(first, selection.sample(items, 10, 8))
        self.assertEqual(selection.sample(items, 200, 7), items)

    def test_rooms(self):
        self.assertEqual(selection.room_of("src/net/url.cpp"), "net")
        self.assertEqual(selection.room_of("src/main.cpp"), "src")
        self.assertEqual(selection.room_of("tools/x/y.cpp"), "tools/x")

    @unittest.skipIf(shutil.which("git") is None, "needs git")
    def test_since_takes_changed_lines_only(self):
        with tempfile.TemporaryDirectory() as folder:
            def git(*args):
                subprocess.run(["git", "-C", folder, "-c", "user.name=t", "-c", "user.email=t@t"]
                               + list(args), check=True, capture_output=True)
            source = Path(folder, "src/x/x.cpp")
            source.parent.mkdir(parents=True)
            old = "int f() {\n    return 1;\n}\nint g() {\n    return 2;\n}\n"
            source.write_text(old)
            git("init", "-q")
            git("add", ".")
            git("commit", "-q", "-m", "first")
            source.write_text(old.replace("return 2;", "return 3 + g();") + "// end\n")
            changed = selection.changed_lines(folder, "HEAD", ["src/x/x.cpp"])
            self.assertEqual(changed, {"src/x/x.cpp": {5, 7}})
            picked = [m for m in find_mutants("src/x/x.cpp", source.read_text())
                      if selection.touches(m, changed["src/x/x.cpp"])]
            self.assertEqual({m.line for m in picked}, {5})


if __name__ == "__main__":
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
