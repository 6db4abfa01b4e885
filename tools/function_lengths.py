#!/usr/bin/env python3
"""Lists the functions of the C++ sources given (files or folders) that are longer than a limit.

A brace counter, not a compiler: comments and literals are blanked first, then every brace at
namespace or class level that follows a parameter list opens a function, which runs from the
first line of its signature to its closing brace (lambdas inside count with it).
Usage: function_lengths.py [--limit N] PATH...   Exit status 1 when any function is longer.
"""
import argparse
import pathlib
import re
import sys


def blank(text):
    """The text with comments, strings and characters replaced by spaces, lines kept."""
    out, i, n = [], 0, len(text)
    keep_lines = lambda s: re.sub(r"[^\n]", " ", s)
    while i < n:
        c = text[i]
        if c == "#" and text[:i].rstrip(" \t")[-1:] in ("\n", ""):
            j = i
            while 0 <= (j := text.find("\n", j)) and text[j - 1] == "\\":
                j += 1  # a directive goes on after a backslash
            j = n if j < 0 else j
            out.append(";" + keep_lines(text[i + 1 : j]))  # and ends a declaration
            i = j
            continue
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif c == "R" and text.startswith('R"', i) and not (i and (text[i - 1].isalnum() or text[i - 1] == "_")):
            delim = text[i + 2:text.find("(", i)]
            j = text.find(")" + delim + '"', i) + len(delim) + 2
        elif c in "\"'" and not (c == "'" and text[i - 1 : i].isdigit() and text[i + 1 : i + 2].isalnum()):
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            j += 1
        else:
            out.append(c)
            i += 1
            continue
        out.append(keep_lines(text[i:j]))
        i = j
    return "".join(out)


def functions(text):
    """(name, first line, line count) of every function body in the text."""
    code = blank(text)
    line_at = lambda pos: code.count("\n", 0, pos) + 1
    scopes = []  # kind of each open brace: ns, class, func, block, init
    start = 0  # where the current declaration began
    found = []
    for pos, c in enumerate(code):
        if c == ";" and all(k in ("ns", "class") for k in scopes):
            start = pos + 1
        elif c == "{":
            head = code[start:pos]
            outer = all(k in ("ns", "class") for k in scopes)
            if not outer:
                scopes.append("block")
            elif re.search(r"\b(namespace|extern)\b", head) and "(" not in head:
                scopes.append("ns")
                start = pos + 1
            elif re.search(r"\b(class|struct|union|enum)\b", head.split("(")[0]):
                scopes.append("class")
                start = pos + 1
            elif re.search(r"\)\s*:[^;]*[\w>]\s*$", head) and not re.search(
                r"\b(const|override|noexcept|final|mutable)\s*$", head
            ):
                scopes.append("init")  # a member initialised with braces before the body
            elif "(" in head and re.search(r"[)}\w]\s*$|->[^{]*$", head):
                scopes.append(("func", start))
            else:
                scopes.append("block")
        elif c == "}" and scopes:
            kind = scopes.pop()
            if isinstance(kind, tuple):
                first = len(code[: kind[1]]) + (len(code[kind[1]:]) - len(code[kind[1]:].lstrip()))
                name = re.sub(r"\s+", " ", code[first : code.index("(", first)]).strip()
                name = re.sub(r"^(public|private|protected)\s*:\s*", "", name)
                found.append((name, line_at(first), line_at(pos) - line_at(first) + 1))
                start = pos + 1
            elif kind in ("ns", "class", "block") and all(k in ("ns", "class") for k in scopes):
                start = pos + 1
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--limit", type=int, default=80)
    parser.add_argument("paths", nargs="+")
    args = parser.parse_args()
    files = []
    for p in map(pathlib.Path, args.paths):
        files += sorted(p.rglob("*.[ch]pp") if p.is_dir() else [p])
        files += sorted(p.rglob("*.h")) if p.is_dir() else []
    longest, over = 0, 0
    for f in files:
        for name, line, length in functions(f.read_text(encoding="utf-8")):
            longest = max(longest, length)
            if length > args.limit:
                over += 1
                print(f"{f}:{line}: {name}: {length} lines")
    print(f"{len(files)} files, longest function {longest} lines, {over} over {args.limit}")
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
