#!/usr/bin/env python3
"""PurgeEzdxfTest.py - drawings purged by quillet-dump, checked by it and audited by ezdxf.

tests/data/purge.dxf and every drawing of the corpus are purged with --purge. The purged
drawing must read back with the same ENTITIES pairs, --check must find nothing it did not
find before, and ezdxf (an independent reader) must load it and its audit find nothing it
did not find before: for tests/data/purge.dxf no error and no fix at all. Exits 77
(skipped) when ezdxf is not installed.
Usage: PurgeEzdxfTest.py QUILLET_DUMP PROJECT_ROOT CORPUS_DIR
"""
import collections
import pathlib
import re
import subprocess
import sys
import tempfile

try:
    import ezdxf
    from ezdxf import recover
except ImportError:
    print("ezdxf is not installed (apt-get install python3-ezdxf): skipped")
    sys.exit(77)

DUMP, ROOT, CORPUS = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
NOT_LOADED = 3
LINE_NUMBER = re.compile(r"\d+ 行|line \d+")
HANDLE = re.compile(r"#[0-9A-F]+")  # ezdxf numbers what it repairs from its own seed


def dump(*arguments):
    return subprocess.run([DUMP, *map(str, arguments)], capture_output=True)


def entity_pairs(path):
    """The raw lines of the ENTITIES section's pairs, without their line numbers."""
    lines = dump("--raw", "--no-remarks", path).stdout.split(b"\n")
    pairs = [line.split(b"\t")[1:3] for line in lines if line]
    start = next((k for k in range(len(pairs) - 1)
                  if pairs[k] == [b"0", b"SECTION"] and pairs[k + 1][1].strip() == b"ENTITIES"),
                 None)
    if start is None:
        return []
    end = next(k for k in range(start, len(pairs)) if pairs[k][1].strip() == b"ENDSEC")
    return pairs[start:end]


def problems(path):
    """--check's problems, their texts without line numbers. A table-count is known by its
    table: a count already short stays short by as much, its numbers lowered alike."""
    out = dump("--check", path).stdout.decode("utf-8", "replace")
    found = set()
    for line in out.splitlines():
        kind, text = line.split("\t", 2)[1:]
        found.add(re.sub(r"\d+", "N", text) if kind == "table-count" else LINE_NUMBER.sub("N", text))
    return found


def audit(path):
    """ezdxf's audit messages (line numbers and handles left out) with their counts, or
    None when ezdxf cannot read the drawing."""
    try:
        _, auditor = recover.readfile(path)
    except (IOError, ezdxf.DXFStructureError):
        try:  # the recover module reads text files only; a binary file reads whole or not
            auditor = ezdxf.readfile(path).audit()
        except (IOError, ezdxf.DXFStructureError):
            return None
    messages = [f"{e.code} {e.message}" for e in auditor.errors + auditor.fixes]
    return collections.Counter(HANDLE.sub("#H", LINE_NUMBER.sub("N", m)) for m in messages)


def check(drawing, out, failures, strict):
    run = dump("--purge", out, drawing)
    if run.returncode == NOT_LOADED:
        return
    if run.returncode != 0:
        failures.append(f"{drawing.name}: --purge exit {run.returncode}")
        return
    if entity_pairs(out) != entity_pairs(drawing):
        failures.append(f"{drawing.name}: the ENTITIES pairs differ after the purge")
    new = problems(out) - problems(drawing)
    if new:
        failures.append(f"{drawing.name}: --check finds {sorted(new)}")
    before, after = audit(drawing), audit(out)
    if before is None:
        return
    if after is None:
        failures.append(f"{drawing.name}: ezdxf cannot read the purged drawing")
    elif strict and after:
        failures.append(f"{drawing.name}: ezdxf's audit finds {sorted(after)}")
    elif after - before:
        failures.append(f"{drawing.name}: ezdxf's audit newly finds {dict(after - before)}")


def main():
    drawings = [ROOT / "tests" / "data" / "purge.dxf"]
    if CORPUS.is_dir():
        drawings += sorted(CORPUS.glob("*.dxf"))
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for k, drawing in enumerate(drawings):
            check(drawing, pathlib.Path(tmp) / "out.dxf", failures, strict=k == 0)
    for failure in failures:
        print(failure)
    print(f"{len(drawings)} drawings purged, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
