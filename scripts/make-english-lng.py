#!/usr/bin/env python3
"""Writes languages/English.lng from the built-in texts in src/i18n/BuiltinTexts.cpp.

One line "STRn = text" for each of the 800 entries, in index order, UTF-8 with a
byte-order mark. A text that begins or ends with a blank (or is empty) is enclosed
in pilcrows so that reading the file back gives it unchanged. The command-line
tool's `texts` command prints the same file.

Usage: python3 scripts/make-english-lng.py [OUTPUT]
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "src" / "i18n" / "BuiltinTexts.cpp"
TEXT_COUNT = 800
PILCROW = "\u00b6"

# {12, u"Information"_s},  -- the only form the table uses; anything else is refused below.
ENTRY = re.compile(r'^\s*\{(\d+), u"([^"\\]*)"_s\},\s*$')


def builtin_texts():
    texts = [" "] * TEXT_COUNT
    seen = set()
    for number, line in enumerate(SOURCE.read_text(encoding="utf-8").splitlines(), 1):
        if not re.match(r'^\s*\{\d+, u"', line):
            continue
        match = ENTRY.match(line)
        if not match:
            sys.exit(f"{SOURCE}:{number}: cannot read this entry: {line.strip()}")
        index = int(match.group(1))
        if index >= TEXT_COUNT or index in seen:
            sys.exit(f"{SOURCE}:{number}: index {index} out of range or given twice")
        seen.add(index)
        texts[index] = match.group(2)
    if not seen:
        sys.exit(f"{SOURCE}: no built-in texts found")
    return texts


def language_file(texts):
    lines = []
    for index, text in enumerate(texts):
        if not text or ord(text[0]) <= 32 or ord(text[-1]) <= 32:
            text = PILCROW + text + PILCROW
        lines.append(f"STR{index} = {text}\n")
    return "\ufeff" + "".join(lines)


def main():
    output = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / "languages" / "English.lng"
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_bytes(language_file(builtin_texts()).encode("utf-8"))
    print(output)


if __name__ == "__main__":
    main()
