#!/usr/bin/env python3
"""Writes the window layer's API table from its declarations.

  python3 scripts/gen_api_table.py SOURCE_ROOT OUTPUT_FOLDER

The names are those of winl/WINL_ApiNames.txt. A name gets its function when
one of the layer's public headers (winl/, winl/draw/, winl/ini/, without the
private ones) declares a function of that name outside any brace; otherwise
it answers null. Two files are written into OUTPUT_FOLDER, each only when its
text changes, so that a rebuild with the same declarations compiles nothing:
  WINL_ApiTableHeaders.inc  an #include of every header that gave a function
  WINL_ApiTableEntries.inc  WINL_API(name, function or nullptr), sorted byte-wise
The build runs this whenever a header or the name list changes; it may also
be run by hand, as often as wanted, with the same result."""
import glob
import os
import re
import sys


def strip_comments(text):
    """The text without comments and string literals, line breaks kept."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def declared_functions(text):
    """Names declared as functions at namespace scope: an identifier followed
    by '(' in a statement that starts with a type, outside braces and
    preprocessor lines."""
    names = set()
    depth = 0
    statement = []
    for line in strip_comments(text).split("\n"):
        if depth == 0 and line.lstrip().startswith("#"):
            continue
        for c in line:
            if c == "{":
                if depth == 0:
                    check(statement, names)
                    statement = []
                depth += 1
            elif c == "}":
                depth = max(depth - 1, 0)
            elif depth == 0:
                if c == ";":
                    check(statement, names)
                    statement = []
                else:
                    statement.append(c)
        if depth == 0:
            statement.append(" ")
    return names


DECLARATION = re.compile(r"^\s*(?:(?:inline|static|extern|constexpr)\s+)*"
                         r"(?!(?:using|typedef|struct|class|enum|union|return|template)\b)"
                         r"[A-Za-z_][\w:<>,\s\*&]*?[\s\*&]([A-Za-z_]\w*)\s*\(")


def check(statement, names):
    m = DECLARATION.match("".join(statement))
    if m:
        names.add(m.group(1))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    root, out_dir = sys.argv[1], sys.argv[2]
    with open(os.path.join(root, "winl", "WINL_ApiNames.txt")) as f:
        names = sorted({l.strip() for l in f if l.strip()}, key=lambda s: s.encode())
    headers = sorted(h for pattern in ("winl/*.h", "winl/draw/*.h", "winl/ini/*.h")
                     for h in glob.glob(os.path.join(root, pattern))
                     if not h.endswith("Private.h") and "ApiTable" not in os.path.basename(h))
    found = {}
    for h in headers:
        with open(h) as f:
            for name in declared_functions(f.read()) & set(names):
                found.setdefault(name, []).append(os.path.relpath(h, root))
    for name, where in found.items():
        if len(where) > 1:
            sys.exit("gen_api_table: %s is declared in %s" % (name, " and ".join(where)))
    includes = sorted({where[0] for where in found.values()})
    write(os.path.join(out_dir, "WINL_ApiTableHeaders.inc"),
          "".join('#include "%s"\n' % h for h in includes))
    write(os.path.join(out_dir, "WINL_ApiTableEntries.inc"),
          "".join('WINL_API("%s", %s)\n' % (n, "WINL_API_FN(%s)" % n if n in found else "nullptr")
                  for n in names))


def write(path, text):
    try:
        with open(path) as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
