"""Finds the one-site mutants of a C++ source file, for tools/mutate.py.

The sources are clang-formatted, so spacing tells a binary operator from a
template bracket, a pointer or a reference: only operators with a blank on
both sides are mutated. A site that is still ambiguous is left alone.

Each kind of mutant, on a line of its own (run `python3 -m doctest
tools/mutants.py` to check them):

>>> show("x = a < b && !c;")
relational: x = a <= b && !c;
logical: x = a < b || !c;
unary not: x = a < b && c;
>>> show("total += i++ * 2;")
compound assignment: total -= i++ * 2;
increment: total += i-- * 2;
arithmetic: total += i++ / 2;
constant: total += i++ * 3;
constant: total += i++ * 1;
>>> show("if (ready) { --left; }")
negation: if (!(ready)) { --left; }
if true: if (true) { --left; }
if false: if (false) { --left; }
increment: if (ready) { ++left; }
>>> show("return k >= 0 ? high : std::min(a, b);")
return value: return {};
conditional: return (high);
conditional: return (std::min(a, b));
relational: return k > 0 ? high : std::min(a, b);
constant: return k >= 1 ? high : std::min(a, b);
min/max: return k >= 0 ? high : std::max(a, b);
>>> show("float f = cond(x) ? 0.0F : 2.5F;")
conditional: float f = (0.0F);
conditional: float f = (2.5F);
float constant: float f = cond(x) ? 1.0F : 2.5F;
float constant: float f = cond(x) ? 0.0F : 3.5F;
>>> show("return true;")
bool return: return false;
>>> show("send(out, text);")
deleted call:

A conditional whose extent the tokens do not settle is left alone, as is
a return that has no value.

>>> show("x = a ? b;")
>>> show("return;")
"""

import re
from dataclasses import dataclass

KEYWORDS = {
    "return", "case", "throw", "else", "do", "co_return", "co_yield", "co_await", "new", "delete",
    "sizeof", "alignof", "typeid", "operator", "template", "typename", "goto", "static_assert",
    "if", "for", "while", "switch", "catch",
}
SWAPS = {
    "<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==",
    "+": "-", "-": "+", "*": "/", "/": "*", "&&": "||", "||": "&&",
}
# Mull's assignment operators: each compound assignment to its counterpart.
ASSIGNMENT_SWAPS = {"+=": "-=", "-=": "+=", "*=": "/=", "/=": "*=", "%=": "/=", "&=": "|=", "|=": "&=",
                    "^=": "|=", "<<=": ">>=", ">>=": "<<="}
INCREMENTS = {"++": "--", "--": "++"}
MIN_MAX = {"min": "max", "max": "min"}
OPERATOR_KIND = {"<": "relational", ">": "relational", "<=": "relational", ">=": "relational",
                 "==": "relational", "!=": "relational", "+": "arithmetic", "-": "arithmetic",
                 "*": "arithmetic", "/": "arithmetic", "&&": "logical", "||": "logical"}
PUNCTUATORS = sorted("<=> <<= >>= ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .*".split(),
                     key=len, reverse=True)
TOKEN = re.compile(r"[A-Za-z_]\w*|\.?\d(?:[eEpP][+-]|[\w.']|'(?=\w))*|@+|"
                   + "|".join(re.escape(p) for p in PUNCTUATORS) + r"|\S")
CALL_STATEMENT = re.compile(r"(?:::)?([A-Za-z_]\w*)(?:(?:::|\.|->)~?[A-Za-z_]\w*)*\(")
INTEGER = re.compile(r"(0|[1-9]\d*)([uUlLzZ]*)")
FLOATING = re.compile(r"((?:\d+\.\d*|\.\d+)(?:[eE][+-]?\d+)?|\d+[eE][+-]?\d+)([fFlL]?)")
# Where the condition of a conditional operator starts, looking back: only
# assignments, commas and the conditional itself bind more loosely.
CONDITION_BOUNDS = {"=", ",", ";", "?", ":", "return", "throw", "co_return", "co_yield", *ASSIGNMENT_SWAPS}
LITERAL = "@"
LABELS = {"", "{", "}", "public:", "protected:", "private:"}


@dataclass(frozen=True)
class Mutant:
    path: str
    line: int  # 1-based, where the mutation starts
    operator: str
    scope: str  # the line that opens the enclosing block, stripped
    edits: tuple  # (start, end, replacement) in the original text
    original: str  # the line's text, stripped
    mutated: str  # the same line after the mutation, stripped

    def apply(self, text):
        for start, end, replacement in sorted(self.edits, reverse=True):
            text = text[:start] + replacement + text[end:]
        return text


def blank(text):
    """The text with comments, preprocessor lines and assertions as spaces, and
    each string or character literal as @s: offsets and newlines stay put."""
    out = list(text)
    i, n = 0, len(text)

    def wipe(start, end, fill=" "):
        for k in range(start, end):
            if out[k] != "\n":
                out[k] = fill

    while i < n:
        c = text[i]
        if c == "#" and not text[text.rfind("\n", 0, i) + 1:i].strip():
            end = i
            while end < n and (text[end] != "\n" or text[end - 1] == "\\"):
                end += 1
            wipe(i, end)
            i = end
        elif text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            wipe(i, end)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            wipe(i, end)
            i = end
        elif (not i or not (text[i - 1].isalnum() or text[i - 1] == "_")) and (raw := re.match(r'(?:u8|u|U|L)?R"([^ ()\\\n]{0,16})\(', text[i:i + 24])):
            end = text.find(")" + raw.group(1) + '"', i + raw.end())
            end = n if end < 0 else end + len(raw.group(1)) + 2
            wipe(i, end, LITERAL)
            i = end
        elif c in "\"'" and not (c == "'" and _in_number(text, i)):
            end = i + 1
            while end < n and text[end] != c and text[end] != "\n":
                end += 2 if text[end] == "\\" else 1
            wipe(i, min(end + 1, n), LITERAL)
            i = end + 1
        else:
            i += 1
    code = "".join(out)
    for found in re.finditer(r"\b(?:static_assert|assert)\s*\(", code):
        end = _closing(code, found.end() - 1)
        if end is not None:
            wipe(found.start(), end + 1)
    return "".join(out)


def _in_number(text, quote):
    """Whether the quote at index quote is a digit separator, as in 65'536."""
    start = quote
    while start > 0 and (text[start - 1].isalnum() or text[start - 1] in "_'."):
        start -= 1
    return text[start].isdigit()


def _closing(code, opening):
    """The index of the bracket that closes the one at opening, or None."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    close, depth = pairs[code[opening]], 0
    for k in range(opening, len(code)):
        if code[k] == code[opening]:
            depth += 1
        elif code[k] == close:
            depth -= 1
            if depth == 0:
                return k
    return None


def _is_operand_end(token):
    return token in (")", "]", "}") or token[0] == LITERAL or token[0].isdigit() or (
        (token[0].isalpha() or token[0] == "_") and token not in KEYWORDS)


def find(path, text):
    """Every mutant of the file, in the order of the text."""
    code = blank(text)
    tokens = [(m.group(), m.start(), m.end()) for m in TOKEN.finditer(code)]
    sites = []
    for k, (token, start, end) in enumerate(tokens):
        before = tokens[k - 1][0] if k else ""
        after = tokens[k + 1][0] if k + 1 < len(tokens) else ""
        spaced = start and code[start - 1].isspace() and end < len(code) and code[end].isspace()
        postfix = before in ("++", "--") and k > 1 and _is_operand_end(tokens[k - 2][0])
        if token in SWAPS and spaced and (postfix or _is_operand_end(before)) and after not in (";", ",", ")"):
            sites.append((OPERATOR_KIND[token], [(start, end, SWAPS[token])]))
        elif token in ASSIGNMENT_SWAPS and spaced and _is_operand_end(before):
            sites.append(("compound assignment", [(start, end, ASSIGNMENT_SWAPS[token])]))
        elif token in INCREMENTS and before != "operator":
            sites.append(("increment", [(start, end, INCREMENTS[token])]))
        elif token == "!" and before != "operator":
            sites.append(("unary not", [(start, end, "")]))
        elif token == "?":
            sites.extend(("conditional", edits) for edits in _conditional(text, tokens, k))
        elif token in ("if", "while") and after == "(":
            opening = tokens[k + 1][1]
            closing = _closing(code, opening)
            if closing is not None and ";" not in code[opening:closing]:
                sites.append(("negation", [(opening + 1, opening + 1, "!("), (closing, closing, ")")]))
                if token == "if":
                    sites.append(("if true", [(opening + 1, closing, "true")]))
                    sites.append(("if false", [(opening + 1, closing, "false")]))
        elif token == "return" and after not in (";", "") and not _returns_bool(tokens, k):
            semicolon = _statement_end(tokens, k + 1)
            if semicolon is not None and code[tokens[k + 1][1]:semicolon].replace(" ", "") != "{}":
                sites.append(("return value", [(tokens[k + 1][1], semicolon, "{}")]))
        elif token in MIN_MAX and before == "::" and k > 1 and tokens[k - 2][0] == "std" and after in ("(", "<"):
            sites.append(("min/max", [(start, end, MIN_MAX[token])]))
        elif number := INTEGER.fullmatch(token):
            value, suffix = int(number.group(1)), number.group(2)
            sites.append(("constant", [(start, end, f"{value + 1}{suffix}")]))
            if value > 0:
                sites.append(("constant", [(start, end, f"{value - 1}{suffix}")]))
        elif number := FLOATING.fullmatch(token):
            value = float(number.group(1))
            moved = 1.0 if value == 0 else 0.0 if value == 1 else value + 1
            sites.append(("float constant", [(start, end, f"{moved!r}{number.group(2)}")]))
        elif token in ("true", "false") and before == "return" and after == ";":
            sites.append(("bool return", [(start, end, "false" if token == "true" else "true")]))
    sites.extend(("deleted call", [edit]) for edit in _call_statements(code))
    return [_mutant(path, text, kind, edits) for kind, edits in sorted(sites, key=lambda s: s[1][0][0])]


def show(snippet):
    """Prints each mutant of a one-line snippet: its kind and the line mutated."""
    for mutant in find("snippet.cpp", snippet + "\n"):
        print(f"{mutant.operator}: {mutant.mutated}".rstrip())


OPENING, CLOSING = "([{", ")]}"


def _returns_bool(tokens, k):
    """Whether the return at index k returns true or false, which the bool
    return mutant flips already."""
    return tokens[k + 1][0] in ("true", "false") and k + 2 < len(tokens) and tokens[k + 2][0] == ";"


def _statement_end(tokens, first):
    """The offset of the semicolon that ends the statement whose tokens start
    at index first, outside any bracket; None if a bracket closes first."""
    depth = 0
    for token, start, _ in tokens[first:]:
        if token in OPENING:
            depth += 1
        elif token in CLOSING:
            depth -= 1
            if depth < 0:
                return None
        elif token == ";" and depth == 0:
            return start
    return None


def _conditional(text, tokens, question):
    """The two edits of the conditional operator whose ? is at index question,
    each replacing the whole of it with one branch; none when its extent is
    not plain from the tokens."""
    depth, first = 0, None
    for j in range(question - 1, -1, -1):
        token = tokens[j][0]
        if token in CLOSING:
            depth += 1
        elif token in OPENING and depth == 0 or depth == 0 and token in CONDITION_BOUNDS:
            first = j + 1
            break
        elif token in OPENING:
            depth -= 1
    colon = _branch_end(tokens, question + 1, stop_at_colon=True)
    if first is None or first == question or colon is None or tokens[colon][0] != ":":
        return []
    last = _branch_end(tokens, colon + 1, stop_at_colon=False)
    if last is None or last == colon + 1:
        return []
    start, end = tokens[first][1], tokens[last - 1][2]
    branches = (text[tokens[question][2]:tokens[colon][1]], text[tokens[colon][2]:end])
    return [[(start, end, f"({branch.strip()})")] for branch in branches]


def _branch_end(tokens, first, stop_at_colon):
    """The index of the token that ends a branch started at index first: its
    colon, or what closes the expression; None where that is unclear."""
    depth, pending = 0, 0
    for j in range(first, len(tokens)):
        token = tokens[j][0]
        if token in OPENING:
            depth += 1
        elif token in CLOSING and depth > 0:
            depth -= 1
        elif depth > 0:
            continue
        elif token == "?":
            pending += 1
        elif token == ":" and pending:
            pending -= 1
        elif token == ":":
            return j if stop_at_colon else None
        elif token in CLOSING or token in (",", ";"):
            return None if stop_at_colon else j
        elif token in ("=", *ASSIGNMENT_SWAPS):
            return None
    return None


def _call_statements(code):
    """Statements that are one call alone, as edits that remove them but keep
    their newlines, so that later lines (and the lines asserts name) stay put."""
    for found in re.finditer(r"^[ \t]*", code, re.MULTILINE):
        start = found.end()
        call = CALL_STATEMENT.match(code, start)
        if not call or call.group(1) in KEYWORDS:
            continue
        previous = code[:start].rstrip()
        if previous and previous[-1] not in ";{}":
            continue
        closing = _closing(code, call.end() - 1)
        if closing is None:
            continue
        tail = re.match(r"\s*;", code[closing + 1:])
        if tail:
            end = closing + 1 + tail.end()
            yield start, end, "\n" * code.count("\n", start, end)


def _mutant(path, text, kind, edits):
    line = text.count("\n", 0, edits[0][0])
    mutated = Mutant(path, line + 1, kind, "", tuple(edits), "", "").apply(text)
    lines = text.split("\n")
    return Mutant(path, line + 1, kind, _scope(lines, line), tuple(edits), lines[line].strip(),
                  mutated.split("\n")[line].strip())


def _scope(lines, index):
    """The nearest line above that is indented less and is more than a brace or
    a comment or an access label: with the sources clang-formatted, the head of the function,
    statement or declaration the line belongs to. Empty at the top level."""
    indent = lambda text: len(text) - len(text.lstrip())
    for above in reversed(lines[:index]):
        text = above.strip()
        if indent(above) < indent(lines[index]) and text not in LABELS and not text.startswith(("//", "#")):
            return text
    return ""
