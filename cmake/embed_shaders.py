#!/usr/bin/env python3
"""Embeds GLSL sources into one C++ file holding the two shader registries.

Every plain uniform (one that host code sets by name, that is every uniform
declared outside a uniform block) is renamed to its encoded name, the same
encoding the library applies when it looks a location up. Sources in the
repository therefore keep their readable names.

A line `#include "name"` is replaced by that file from the first include
folder that has it, so kernels shared by several programs are written once
and headers shared with the library's C++ code (written in the subset both
languages read) are pasted in as well; every embedded source is still whole
and self-contained. Lines that include `<...>` belong to the C++ side of such
headers and are dropped.
"""
import argparse
import os
import re
import sys

FNV_OFFSET = 0xCBF29CE484222325
FNV_PRIME = 0x100000001B3
ALPHABET = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"


def fnv1a64(data: bytes) -> int:
    h = FNV_OFFSET
    for b in data:
        h ^= b
        h = (h * FNV_PRIME) & 0xFFFFFFFFFFFFFFFF
    return h


def encode_uniform_name(name: str) -> str:
    h = fnv1a64(name.encode("utf-8"))
    if h < 1_000_000:
        h += 1_000_000
    digits = []
    while h:
        h, r = divmod(h, len(ALPHABET))
        digits.append(ALPHABET[r])
    return "".join(reversed(digits))


COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)
# A uniform declaration outside a block: optional layout, the keyword, optional
# precision/memory qualifiers, a type, then one or more declarators.
UNIFORM = re.compile(
    r"(?:layout\s*\([^)]*\)\s*)?\buniform\s+"
    r"(?:(?:highp|mediump|lowp|coherent|volatile|restrict|readonly|writeonly)\s+)*"
    r"\w+\s+([^;{]+);")
IDENT = re.compile(r"[A-Za-z_]\w*")


def plain_uniforms(source: str) -> list[str]:
    code = COMMENT.sub(" ", source)
    names = []
    for match in UNIFORM.finditer(code):
        for declarator in match.group(1).split(","):
            ident = IDENT.match(declarator.strip())
            if ident:
                names.append(ident.group(0))
    return names


def encode_uniforms(source: str) -> str:
    names = set(plain_uniforms(source))
    if not names:
        return source

    def replace(match: re.Match) -> str:
        word = match.group(0)
        start = match.start()
        if word in names and (start == 0 or source[start - 1] != "."):
            return encode_uniform_name(word)
        return word

    return IDENT.sub(replace, source)


INCLUDE = re.compile(r'^[ \t]*#include\s+"([^"]+)"[ \t]*$', re.M)
SYSTEM_INCLUDE = re.compile(r'^[ \t]*#include\s*<[^>]*>[ \t]*\n', re.M)


def expand_includes(source: str, include_dirs: list[str], seen: tuple = ()) -> str:
    def replace(match: re.Match) -> str:
        name = match.group(1)
        if name in seen:
            sys.exit(f"{name}: included from itself")
        for folder in include_dirs:
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                with open(path, encoding="utf-8") as f:
                    text = SYSTEM_INCLUDE.sub("", f.read())
                return expand_includes(text, include_dirs, seen + (name,)).rstrip("\n")
        sys.exit(f"{name}: no such shader include in {', '.join(include_dirs)}")

    return INCLUDE.sub(replace, source)


def cxx_literal(text: str) -> str:
    out = []
    for line in text.splitlines(keepends=True):
        escaped = (line.replace("\\", "\\\\").replace("\"", "\\\"")
                   .replace("\n", "\\n").replace("\t", "\\t").replace("\r", ""))
        out.append(f'    "{escaped}"')
    return "\n".join(out) if out else '    ""'


def table(name: str, files: list[str], include_dirs: list[str]) -> str:
    entries = []
    for path in sorted(files, key=os.path.basename):
        with open(path, encoding="utf-8") as f:
            source = f.read()
        if not source.startswith("#version"):
            sys.exit(f"{path}: a shader source must start with its version line")
        source = expand_includes(source, include_dirs)
        entries.append(f'  {{"{os.path.basename(path)}",\n{cxx_literal(encode_uniforms(source))}}},')
    body = "\n".join(entries)
    return (f"const EmbeddedShader {name}[] = {{\n{body}\n  {{nullptr, nullptr}}\n}};\n")


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("--render", nargs="*", default=[])
    parser.add_argument("--algo", nargs="*", default=[])
    parser.add_argument("--include-dir", action="append", default=[])
    args = parser.parse_args()
    text = ("// Generated from Shaders/ by cmake/embed_shaders.py; do not edit.\n"
            "#include \"gpu/EmbeddedShaders.h\"\n\n"
            "namespace gpu {\n\n"
            + table("kEmbeddedRenderShaders", args.render, args.include_dir) + "\n"
            + table("kEmbeddedAlgoShaders", args.algo, args.include_dir)
            + "\n}  // namespace gpu\n")
    os.makedirs(os.path.dirname(args.output), exist_ok=True)
    try:
        with open(args.output, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
