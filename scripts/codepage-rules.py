#!/usr/bin/env python3
"""codepage-rules.py - writes model/TextConvertWin32Rules.cpp from the two builds' tables.

Usage: codepage-rules.py LINUX-TABLE WINDOWS-TABLE [RULES.cpp]

The tables are quillet-codepage-table's output of the Linux build (iconv) and of the
Windows build (the Win32 code-page functions, run under Wine). Every line where they
differ becomes a rule that makes Windows read or write what glibc does; the rules
already in RULES.cpp (default model/TextConvertWin32Rules.cpp) are kept, so the Windows
table may come from a build that has them. Run it again when glibc or Windows change.
"""
import collections
import pathlib
import re
import sys

ENUM = {
    "utf-8": "Utf8", "johab": "Johab", "mac-roman": "MacRoman", "ascii": "Ascii",
}
JOINING = {"cp1255", "cp1258"}


def enum_name(name):
    if name in ENUM:
        return ENUM[name]
    if name.startswith("iso8859-"):
        return "Iso8859_" + name[-1]
    return "Cp" + name[2:]


def lead_byte(encoding, b):
    if encoding == "cp932":
        return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC
    if encoding in ("cp936", "cp949", "cp950"):
        return 0x81 <= b <= 0xFE
    if encoding == "johab":
        return 0x84 <= b <= 0xD3 or 0xD8 <= b <= 0xDE or 0xE0 <= b <= 0xF9
    return False


def load(path):
    tables = collections.defaultdict(dict)
    encoding = None
    for line in open(path, encoding="ascii"):
        line = line.rstrip("\n")
        if line.startswith("E "):
            encoding = line[2:]
            continue
        key, _, value = line.rpartition(" ")
        tables[encoding][key] = value
    return tables


def text(hex_bytes):
    return bytes.fromhex(hex_bytes).decode("utf-8", errors="replace")


class Rules:
    def __init__(self):
        self.decode = {}   # byte sequence as a number -> code point, 0 for none
        self.encode = {}   # code point -> bytes as a number, 0 for none
        self.compose = {}  # (base, mark, base composed itself) -> composed


def derive(linux, windows, rules):
    for encoding, lines in linux.items():
        if encoding == "program texts":  # cp932's conversions again
            continue
        r = rules[enum_name(encoding)]
        single = {int(k[2:], 16): text(v) for k, v in lines.items() if k.startswith("1 ")}
        read = {b: (0 if s[0] == "\ufffd" else ord(s[0])) for b, s in single.items()}
        for key, value in lines.items():
            if windows[encoding].get(key) == value:
                continue
            kind, code = key.split(" ")
            if kind == "U":
                cp = int(code, 16)
                raw = bytes.fromhex(value)[:-1]  # without the "A" after it
                r.encode[cp] = 0 if raw.startswith(b"\\?") else int.from_bytes(raw, "big")
            elif encoding in JOINING and kind in "23":
                joined = text(value)
                if len(joined) != 1:
                    continue
                seq = bytes.fromhex(code)
                base = read[seq[0]]
                if kind == "3":
                    base = r.compose.get((base, read[seq[1]], 0))
                    if base is None:
                        continue
                r.compose[(base, read[seq[-1]], int(kind == "3"))] = ord(joined)
            elif kind == "1" or encoding not in JOINING:
                seq = bytes.fromhex(code) + b"A"
                seq = seq[:2] if lead_byte(encoding, seq[0]) else seq[:1]
                first = text(value)[0]
                if first == text(windows[encoding][key])[0]:
                    continue  # the difference lies further on, where another line shows it
                r.decode[int.from_bytes(seq, "big")] = 0 if first == "\ufffd" else ord(first)


def ranges(mapping):
    """Runs of consecutive keys whose values are all none or rise with the key."""
    runs = []
    for key, value in sorted(mapping.items()):
        if runs:
            first, last, start = runs[-1]
            if key == last + 1 and ((value == 0 and start == 0) or
                                    (value and start and value == start + key - first)):
                runs[-1][1] = key
                continue
        runs.append([key, key, value])
    return runs


def read_existing(path, rules):
    current = None
    for line in path.read_text(encoding="utf-8").splitlines():
        m = re.match(r"constexpr (\w+) k(\w+?)(Decode|Encode|Compose)\[\]", line)
        if m:
            current = (rules[m.group(2)], m.group(3))
            continue
        if current is None:
            continue
        r, kind = current
        for group in re.findall(r"\{(0x[0-9A-F]+(?:, 0x[0-9A-F]+)+)\}", line):
            values = [int(v, 16) for v in group.split(", ")]
            if kind == "Compose":
                r.compose[(values[0], values[1], values[3])] = values[2]
                continue
            first, last, start = values
            target = r.decode if kind == "Decode" else r.encode
            for key in range(first, last + 1):
                target[key] = 0 if start == 0 else start + key - first


def write(path, names, rules):
    out = ["// TextConvertWin32Rules.cpp - the code pages' rules, by code page. Written by",
           "// scripts/codepage-rules.py from the tables of the two builds.",
           '#include "model/text/TextConvertWin32Rules.h"', "", "namespace {", ""]
    cases = []
    for name in names:
        r = rules[enum_name(name)]
        if not (r.decode or r.encode or r.compose):
            continue
        parts = []
        for kind, mapping, type_name in (("Decode", r.decode, "CodeRange"),
                                         ("Encode", r.encode, "CodeRange")):
            if not mapping:
                parts.append("{}")
                continue
            array = f"k{enum_name(name)}{kind}"
            out.append(f"constexpr {type_name} {array}[] = {{")
            out += [f"    {{0x{a:X}, 0x{b:X}, 0x{c:X}}}," for a, b, c in ranges(mapping)]
            out += ["};", ""]
            parts.append(array)
        if r.compose:
            array = f"k{enum_name(name)}Compose"
            out.append(f"constexpr ComposeRule {array}[] = {{")
            out += [f"    {{0x{a:X}, 0x{b:X}, 0x{c:X}, 0x{again:X}}},"
                    for (a, b, again), c in sorted(r.compose.items())]
            out += ["};", ""]
            parts.append(array)
        else:
            parts.append("{}")
        cases.append(f"    case TextEncoding::{enum_name(name)}:\n"
                     f"      return {{{', '.join(parts)}}};")
    out += ["}  // namespace", "", "CodePageRules RulesOf(TextEncoding encoding) {",
            "  switch (encoding) {"] + cases + ["    default:", "      return {};", "  }", "}", ""]
    path.write_text("\n".join(out), encoding="utf-8")


def main():
    linux, windows = load(sys.argv[1]), load(sys.argv[2])
    path = pathlib.Path(sys.argv[3] if len(sys.argv) > 3 else "model/text/TextConvertWin32Rules.cpp")
    rules = collections.defaultdict(Rules)
    if path.exists():
        read_existing(path, rules)
    derive(linux, windows, rules)
    write(path, [n for n in linux if n != "program texts"], rules)


if __name__ == "__main__":
    main()
