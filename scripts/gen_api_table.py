#!/usr/bin/env python3
"""Writes winl/WINL_ApiTableEntries.inc: one line per name of the window
layer's API table, sorted byte-wise, with the function when this layer has
it. Run from the source root after adding functions: python3 scripts/gen_api_table.py"""
import glob
import re

NAMES = "winl/WINL_ApiNames.txt"
names = sorted(set(l.strip() for l in open(NAMES) if l.strip()), key=lambda s: s.encode())
headers = [h for h in glob.glob("winl/*.h") + glob.glob("winl/draw/*.h") + glob.glob("winl/ini/*.h")
           if not h.endswith("Private.h") and "ApiTable" not in h]
texts = [open(h).read() for h in headers]
out = []
for n in names:
    declared = any(re.search(r"^[A-Za-z_][\w\s\*&:<>,]*\b" + re.escape(n) + r"\(", t, re.M) for t in texts)
    fn = "WINL_API_FN(" + n + ")" if declared else "nullptr"
    out.append('WINL_API("%s", %s)' % (n, fn))
open("winl/WINL_ApiTableEntries.inc", "w").write("\n".join(out) + "\n")
print(len(names), "names,", sum("nullptr" not in l for l in out), "with functions")
