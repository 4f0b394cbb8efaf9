"""The mutants of one C++ source text, in a fixed order.

Binary operators are only taken where they stand between spaces, as
clang-format writes them: `std::vector<int>`, `T&& x`, `-x` and `x++` never
do, so templates, references and unary operators are left alone without a
parser.
"""

import re
from dataclasses import dataclass

from mutation.lexer import Lines, tokenize

KEYWORDS = frozenset(
    """alignas alignof and asm auto bool break case catch char char8_t char16_t char32_t
    class co_await co_return co_yield concept const consteval constexpr constinit const_cast
    continue decltype default delete do double dynamic_cast else enum explicit export extern
    float for friend goto if inline int long mutable namespace new noexcept not operator or
    private protected public register reinterpret_cast requires return short signed sizeof
    static static_assert static_cast struct switch template thread_local throw try typedef
    typeid typename union unsigned using virtual void volatile wchar_t while""".split()
)
KINDS = (
    "relational", "equality", "logical", "negation", "constant", "call", "boolean", "arithmetic"
)
# Deleting these changes nothing in a release build.
_NOT_DELETED = frozenset({"assert", "Q_ASSERT", "Q_ASSERT_X", "Q_UNUSED"})
_VALUE_WORDS = frozenset({"this", "true", "false", "nullptr"})

_SWAPS = {
    "<": ("relational", "<="),
    "<=": ("relational", "<"),
    ">": ("relational", ">="),
    ">=": ("relational", ">"),
    "==": ("equality", "!="),
    "!=": ("equality", "=="),
    "===": ("equality", "!=="),  # in embedded scripts
    "!==": ("equality", "==="),
    "&&": ("logical", "||"),
    "||": ("logical", "&&"),
    "+": ("arithmetic", "-"),
    "-": ("arithmetic", "+"),
}
_INTEGER = re.compile(r"(0[xX])([0-9a-fA-F']+)|(0[bB])([01']+)|(0)([0-7']+)|([0-9][0-9']*)")
_INTEGER_SUFFIX = re.compile(r"[uUlLzZ]*")
# Inside a template argument list none of these can appear at the top level.
_NOT_IN_TEMPLATE_ARGS = frozenset(
    "; { } && || ? = == != <= >= += -= *= /= %= &= |= ^= <<= >>= return".split()
)


@dataclass(frozen=True)
class Mutant:
    file: str  # as the report names it: relative to the project's root
    start: int
    end: int
    replacement: str
    line: int
    last_line: int
    kind: str
    label: str  # e.g. "< -> <=", unique on its line
    line_text: str  # the first line, stripped

    def apply(self, text):
        return text[: self.start] + self.replacement + text[self.end :]

    @property
    def key(self):
        """What an entry in the list of equivalent mutants names."""
        return (self.file, self.line_text, self.label)


def _spaced(text, token):
    before = text[token.start - 1 : token.start]
    after = text[token.end : token.end + 1]
    return before.isspace() and after.isspace()


def _ends_operand(token):
    if token.kind == "ident":
        return token.text not in KEYWORDS or token.text in _VALUE_WORDS
    return token.kind in ("number", "string", "char") or token.text in (")", "]")


def _matching(tokens, i):
    """Index of the bracket closing the one at i, or None."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    for j in range(i, len(tokens)):
        t = tokens[j].text
        if tokens[j].kind != "op":
            continue
        if t in pairs:
            stack.append(pairs[t])
        elif t in (")", "]", "}"):
            if not stack or stack.pop() != t:
                return None
            if not stack:
                return j
    return None


def _template_closers(tokens, i):
    """The `>` tokens closing the template argument list opened at i, if it is one."""
    depth = 1
    brackets = 0
    closers = []
    for j in range(i + 1, min(len(tokens), i + 400)):
        t = tokens[j]
        if t.kind != "op":
            continue
        if t.text in ("(", "[", "{"):
            brackets += 1
        elif t.text in (")", "]", "}"):
            brackets -= 1
            if brackets < 0:
                return []
        elif brackets:
            continue
        elif t.text == "<":
            depth += 1
        elif t.text in (">", ">>"):
            depth -= len(t.text)
            closers.append(j)
            if depth <= 0:
                return closers
        elif t.text in _NOT_IN_TEMPLATE_ARGS:
            return []
    return []


def _template_closer_indexes(tokens, text):
    closers = set()
    for i, t in enumerate(tokens):
        if t.text == "<" and t.kind == "op" and not _spaced(text, t):
            closers.update(_template_closers(tokens, i))
    return closers


def _guarded_ranges(tokens):
    """Token index ranges never mutated: static_assert arguments and attributes."""
    ranges = []
    for i, t in enumerate(tokens):
        if t.text == "static_assert" and i + 1 < len(tokens) and tokens[i + 1].text == "(":
            end = _matching(tokens, i + 1)
            ranges.append(range(i, (end if end is not None else len(tokens)) + 1))
        elif t.text == "[" and i + 1 < len(tokens) and tokens[i + 1].text == "[":
            end = _matching(tokens, i)
            if end is not None:
                ranges.append(range(i, end + 1))
    return ranges


class _Collector:
    def __init__(self, file, text):
        self.file = file
        self.text = text
        self.lines = Lines(text)
        self.found = []

    def add(self, start, end, replacement, kind, label):
        line = self.lines.line_of(start)
        last = self.lines.line_of(max(start, end - 1))
        text = self.lines.text_of(line).strip()
        self.found.append((start, end, replacement, line, last, kind, label, text))

    def mutants(self):
        """Mutants in text order; a label repeated on one line gets #1, #2, ..."""
        self.found.sort(key=lambda f: (f[0], f[1]))  # stable: ties keep the order found
        counts = {}
        for f in self.found:
            counts[(f[3], f[6])] = counts.get((f[3], f[6]), 0) + 1
        seen = {}
        result = []
        for start, end, replacement, line, last, kind, label, text in self.found:
            if counts[(line, label)] > 1:
                seen[(line, label)] = seen.get((line, label), 0) + 1
                label = f"{label} #{seen[(line, label)]}"
            result.append(Mutant(self.file, start, end, replacement, line, last, kind, label, text))
        return result


def _swap_operator(c, tokens, i, closers):
    t = tokens[i]
    if t.kind != "op" or t.text not in _SWAPS or i in closers or i == 0:
        return
    previous = tokens[i - 1]
    if previous.text in ("operator", "template") or not _spaced(c.text, t):
        return
    if t.text in ("+", "-") and not _ends_operand(previous):
        return
    kind, new = _SWAPS[t.text]
    c.add(t.start, t.end, new, kind, f"{t.text} -> {new}")


def _integer_value(literal):
    """(prefix, digits, base, suffix) of an integer literal, or None for floats."""
    suffix = _INTEGER_SUFFIX.search(literal[::-1]).group(0)[::-1]
    body = literal[: len(literal) - len(suffix)]
    match = _INTEGER.fullmatch(body)
    if not match:
        return None
    groups = match.groups()
    for prefix_index, base in ((0, 16), (2, 2), (4, 8)):
        if groups[prefix_index] is not None:
            return groups[prefix_index], groups[prefix_index + 1].replace("'", ""), base, suffix
    return "", groups[6].replace("'", ""), 10, suffix


def _format_integer(value, prefix, digits, base, suffix):
    formats = {16: "x", 2: "b", 8: "o", 10: "d"}
    body = format(value, formats[base]).zfill(len(digits) if base != 10 else 1)
    if base == 16 and digits == digits.upper():  # digits alone: the project writes hex in capitals
        body = body.upper()
    return prefix + body + suffix


def _shift_constant(c, tokens, i):
    t = tokens[i]
    if t.kind != "number":
        return
    parsed = _integer_value(t.text)
    if parsed is None:
        return
    prefix, digits, base, suffix = parsed
    value = int(digits, base) if digits else 0
    for delta in (-1, 1):
        if value + delta < 0:
            continue
        new = _format_integer(value + delta, prefix, digits, base, suffix)
        c.add(t.start, t.end, new, "constant", f"{t.text} -> {new}")


def _negate_condition(c, tokens, i):
    t = tokens[i]
    if t.kind != "ident" or t.text not in ("if", "while") or i + 1 >= len(tokens):
        return
    if tokens[i + 1].text != "(":
        return  # `if constexpr`, `if consteval`
    close = _matching(tokens, i + 1)
    if close is None or close == i + 2:
        return
    depth = 0
    for inner in tokens[i + 2 : close]:
        if inner.text in ("(", "[", "{"):
            depth += 1
        elif inner.text in (")", "]", "}"):
            depth -= 1
        elif depth == 0 and inner.text in (";", "="):
            return  # an init-statement or a declaration
    start, end = tokens[i + 1].end, tokens[close].start
    c.add(start, end, "!(" + c.text[start:end] + ")", "negation", f"negate {t.text} condition")


def _other_boolean(c, tokens, i):
    t = tokens[i]
    if t.text not in ("true", "false") or i == 0 or i + 1 >= len(tokens):
        return
    if tokens[i - 1].text != "return" or tokens[i + 1].text != ";":
        return
    new = "false" if t.text == "true" else "true"
    c.add(t.start, t.end, new, "boolean", f"return {t.text} -> return {new}")


def _call_statement_end(tokens, i):
    """Index of the `;` of the call statement starting at i, or None."""
    first = tokens[i]
    if first.kind != "ident" or first.text in KEYWORDS or first.text in _NOT_DELETED:
        return None
    j = i + 1
    called_last = False
    while j < len(tokens):
        t = tokens[j]
        if t.text in (".", "->", "::"):
            if j + 1 >= len(tokens) or tokens[j + 1].kind != "ident":
                return None
            j += 2
            called_last = False
        elif t.text in ("(", "["):
            close = _matching(tokens, j)
            if close is None:
                return None
            called_last = t.text == "("
            j = close + 1
        elif t.text == ";":
            return j if called_last else None
        else:
            return None
    return None


_BLOCK_AFTER = frozenset(
    {")", "else", "do", "try", "const", "noexcept", "override", "final", "mutable"}
)


def _code_blocks(tokens):
    """For each token, whether the innermost brace around it opens a function body or block."""
    inside = []
    stack = []
    head_start = 0  # first token after the last ; { or }
    for i, t in enumerate(tokens):
        inside.append(bool(stack) and stack[-1])
        if t.kind != "op" or t.text not in ("{", "}", ";"):
            continue
        if t.text == "{":
            previous = tokens[i - 1].text if i else ""
            head = [h.text for h in tokens[head_start:i]]
            if previous in _BLOCK_AFTER or ("->" in head and ")" in head):
                stack.append(True)
            elif any(word in head for word in ("class", "struct", "union", "enum", "namespace")):
                stack.append(False)
            else:  # a nested block in code, or a braced initializer outside it
                stack.append(bool(stack) and stack[-1] and (previous in (";", "{", "}", ":")))
        elif t.text == "}" and stack:
            stack.pop()
        head_start = i + 1
    return inside


def _delete_call(c, tokens, i, in_code):
    t = tokens[i]
    if not in_code[i] or i == 0 or tokens[i - 1].line == t.line:
        return  # not the first thing on its line
    if tokens[i - 1].text not in (";", "{", "}", ":"):
        return  # the body of an unbraced if/else/loop: deleting would pull in the next line
    end = _call_statement_end(tokens, i)
    if end is None or (end + 1 < len(tokens) and tokens[end + 1].line == tokens[end].line):
        return
    start = c.lines.start_of(t.line)
    stop = c.lines.end_of(tokens[end].line)
    c.add(start, stop, "", "call", "delete call")


# A raw string with the delimiter js holds JavaScript the code hands to its
# engine: its operators are C's, so it is mutated like the code around it.
_SCRIPT = re.compile(r'(?:u8|[LuU])?R"js\(')
_SCRIPT_END = ')js"'


def _mutate_tokens(c, tokens):
    closers = _template_closer_indexes(tokens, c.text)
    in_code = _code_blocks(tokens)
    guarded = set()
    for r in _guarded_ranges(tokens):
        guarded.update(r)
    for i in range(len(tokens)):
        if i in guarded:
            continue
        _swap_operator(c, tokens, i, closers)
        _shift_constant(c, tokens, i)
        _negate_condition(c, tokens, i)
        _other_boolean(c, tokens, i)
        _delete_call(c, tokens, i, in_code)


def find_mutants(file, text):
    """Every mutant of the text, embedded scripts included, in order of position."""
    tokens = tokenize(text)
    c = _Collector(file, text)
    _mutate_tokens(c, tokens)
    for t in tokens:
        script = _SCRIPT.match(t.text) if t.kind == "string" else None
        if script and t.text.endswith(_SCRIPT_END):
            _mutate_tokens(c, tokenize(text, t.start + script.end(), t.end - len(_SCRIPT_END)))
    return c.mutants()
