"""A C++ tokenizer just good enough to find operators and constants.

Comments, preprocessor lines and the insides of string and character
literals never become tokens, so nothing in them can be mutated. The same
rules read the scripts the code embeds (JavaScript in raw strings).
"""

import bisect
import re
from dataclasses import dataclass

_OPERATORS = sorted(
    """=== !== >>= <<= <=> ->* ... -> :: << >> <= >= == != && || ++ -- += -= *= /= %= &= |= ^= .* ##
    { } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #""".split(),
    key=len,
    reverse=True,
)
_PP_NUMBER = re.compile(r"\.?[0-9](?:[eEpP][+-]|[0-9a-zA-Z_.]|'[0-9a-zA-Z_])*")
_IDENT = re.compile(r"[A-Za-z_][A-Za-z_0-9]*")
_LITERAL_PREFIXES = {"L", "u", "U", "u8"}
_RAW_PREFIXES = {"R", "LR", "uR", "UR", "u8R"}


@dataclass(frozen=True)
class Token:
    kind: str  # ident, number, string, char, op
    text: str
    start: int
    end: int
    line: int  # 1-based line of the first character


class Lines:
    """Turns offsets into 1-based line numbers and back."""

    def __init__(self, text):
        self.text = text
        self.starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]

    def line_of(self, offset):
        return bisect.bisect_right(self.starts, offset)

    def start_of(self, line):
        return self.starts[line - 1]

    def end_of(self, line):
        """Offset just past the line's newline (or the end of the text)."""
        return self.starts[line] if line < len(self.starts) else len(self.text)

    def text_of(self, line):
        return self.text[self.start_of(line) : self.end_of(line)].rstrip("\r\n")


def _skip_quoted(text, i, quote):
    """Index just past the literal whose opening quote is at i."""
    i += 1
    while i < len(text) and text[i] != quote:
        if text[i] == "\\":
            i += 1
        elif text[i] == "\n":  # unterminated: stop at the line's end
            return i
        i += 1
    return i + 1


def _skip_raw(text, i):
    """Index just past the raw string whose opening quote is at i."""
    open_paren = text.find("(", i)
    if open_paren < 0:
        return len(text)
    closing = ")" + text[i + 1 : open_paren] + '"'
    end = text.find(closing, open_paren)
    return len(text) if end < 0 else end + len(closing)


def _skip_directive(text, i):
    """Index of the newline that ends the preprocessor line starting at i."""
    while True:
        end = text.find("\n", i)
        if end < 0:
            return len(text)
        if text[end - 1 : end] != "\\" and text[end - 2 : end] != "\\\r":
            return end
        i = end + 1


def _at_line_start(text, i):
    j = i - 1
    while j >= 0 and text[j] in " \t":
        j -= 1
    return j < 0 or text[j] == "\n"


def tokenize(text, begin=0, end=None):
    """Tokens of text[begin:end], with offsets and lines in the whole text."""
    lines = Lines(text)
    tokens = []
    i = begin
    n = len(text) if end is None else end

    def add(kind, start, end):
        tokens.append(Token(kind, text[start:end], start, end, lines.line_of(start)))

    while i < n:
        c = text[i]
        if c in " \t\r\n\f\v":
            i += 1
        elif text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif c == "#" and _at_line_start(text, i):
            i = _skip_directive(text, i)
        elif c == '"':
            end = _skip_quoted(text, i, '"')
            add("string", i, end)
            i = end
        elif c == "'":
            end = _skip_quoted(text, i, "'")
            add("char", i, end)
            i = end
        elif c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            end = _PP_NUMBER.match(text, i).end()
            add("number", i, end)
            i = end
        elif c.isalpha() or c == "_":
            end = _IDENT.match(text, i).end()
            word = text[i:end]
            following = text[end : end + 1]
            if word in _RAW_PREFIXES and following == '"':
                literal_end = _skip_raw(text, end)
                add("string", i, literal_end)
                i = literal_end
            elif word in _LITERAL_PREFIXES and following in ('"', "'"):
                literal_end = _skip_quoted(text, end, following)
                add("string" if following == '"' else "char", i, literal_end)
                i = literal_end
            else:
                add("ident", i, end)
                i = end
        else:
            op = next((o for o in _OPERATORS if text.startswith(o, i)), c)
            add("op", i, i + len(op))
            i += len(op)
    return tokens
