#!/usr/bin/env python3
"""Compares a shared library's defined dynamic symbols with the functions its public
headers declare. Usage: check_exports.py LIB HEADER... [+NAME...]
A +NAME argument adds one function declared in a header that also holds internals."""
import re
import subprocess
import sys

# Symbols the linker defines in every shared object.
LINKER = {"_init", "_fini", "_edata", "_end", "__bss_start"}
DECL = re.compile(r"^\s*(?!typedef|return|#|//|/\*|\*)[A-Za-z_][\w:<>,\s\*&]*?\b([A-Za-z_]\w*)\s*\(")
NAMESPACE = re.compile(r"^\s*namespace\s+(\w+)\s*\{")


def declared(path):
    names, stack = set(), []
    for line in open(path, encoding="utf-8"):
        m = NAMESPACE.match(line)
        if m:
            stack.append(m.group(1))
            continue
        if stack and re.match(r"^\}", line):
            stack.pop()
            continue
        m = DECL.match(line)
        if m and m.group(1) not in ("if", "while", "for", "sizeof"):
            names.add("::".join(stack + [m.group(1)]))
    return names


def exported(lib):
    out = subprocess.run(["nm", "-D", "--defined-only", "-C", lib], check=True,
                         capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split(maxsplit=2)
        if len(parts) < 3:
            continue
        name = re.sub(r"\[abi:\w+\]", "", parts[2]).split("(")[0].split("@")[0].strip()
        if name not in LINKER:
            names.add(name)
    return names


def main():
    lib, rest = sys.argv[1], sys.argv[2:]
    want = set()
    for arg in rest:
        want |= {arg[1:]} if arg.startswith("+") else declared(arg)
    have = exported(lib)
    extra, missing = sorted(have - want), sorted(want - have)
    for name in extra:
        print(f"exported but not declared: {name}")
    for name in missing:
        print(f"declared but not exported: {name}")
    print(f"{lib}: {len(have)} exported names, {len(want)} declared")
    return 1 if extra or missing else 0


if __name__ == "__main__":
    sys.exit(main())
