#!/usr/bin/env python3
"""Embeds the interface texts of ui/strings/*.txt into one C++ file.

Each file holds one language: lines `INDEX<TAB>TEXT`, `#` comments, `\\n`
for a line break and `\\\\` for a backslash. English (en.txt) decides which
indices exist; every other language must have exactly those, or the build
stops with the file and line at fault.
"""
import argparse
import os
import sys

TABLE_SIZE = 256


def fail(path, line, message):
    sys.exit(f"{path}:{line}: {message}")


def unescape(path, number, text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\":
            nxt = text[i + 1] if i + 1 < len(text) else ""
            if nxt == "n":
                out.append("\n")
            elif nxt == "\\":
                out.append("\\")
            else:
                fail(path, number, f"unknown escape \\{nxt}")
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


def read_language(path):
    texts = {}
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            index, sep, text = line.partition("\t")
            if not sep or not index.isdigit():
                fail(path, number, "expected INDEX<TAB>TEXT")
            index = int(index)
            if index >= TABLE_SIZE:
                fail(path, number, f"index {index} past the table")
            if index in texts:
                fail(path, number, f"index {index} given twice")
            if not text or "\t" in text:
                fail(path, number, "empty text or a tab inside it")
            texts[index] = unescape(path, number, text)
    return texts


def literal(text):
    return '"' + "".join(f"\\x{b:02x}" for b in text.encode("utf-8")) + '"'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--output", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    languages = {os.path.splitext(os.path.basename(p))[0]: (p, read_language(p)) for p in args.files}
    if "en" not in languages:
        sys.exit("ui/strings/en.txt is missing")
    english = set(languages["en"][1])
    for stem, (path, texts) in languages.items():
        missing, extra = english - set(texts), set(texts) - english
        if missing or extra:
            fail(path, 0, f"missing {sorted(missing)} extra {sorted(extra)}")
    out = ["// Generated from ui/strings/*.txt; do not edit.", '#include "ui/EmbeddedStrings.h"', "",
           "namespace UI {", "namespace {", ""]
    for stem, (_, texts) in sorted(languages.items()):
        name = "k" + stem.replace("-", "_")
        out.append(f"const char* const {name}[{TABLE_SIZE}] = {{")
        for index in range(TABLE_SIZE):
            out.append(f"    {literal(texts[index]) if index in texts else 'nullptr'},")
        out.append("};")
    out += ["", "}  // namespace", "", "const char* const* embeddedLanguage(std::string_view stem) {"]
    for stem in sorted(languages):
        out.append(f'  if (stem == "{stem}") return k{stem.replace("-", "_")};')
    out += ["  return nullptr;", "}", "", "}  // namespace UI", ""]
    text = "\n".join(out)
    if not os.path.exists(args.output) or open(args.output, encoding="utf-8").read() != text:
        os.makedirs(os.path.dirname(args.output), exist_ok=True)
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
