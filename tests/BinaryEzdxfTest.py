#!/usr/bin/env python3
"""BinaryEzdxfTest.py - the binary files quillet-dump writes, read by ezdxf's binary reader.

Every drawing of the corpus and the sample is written with --to-binary and read back with
ezdxf's binary_tags_loader, an independent reader; its pairs must be those quillet-dump
lists for the drawing (--raw): the same codes, numbers of the same value, chunks of the
same bytes and strings of the same bytes. A drawing with a value its type cannot hold is
refused (exit 12) and skipped. Exits 77 (skipped) when ezdxf is not installed.
Usage: BinaryEzdxfTest.py QUILLET_DUMP PROJECT_ROOT CORPUS_DIR
"""
import pathlib
import subprocess
import sys
import tempfile

try:
    from ezdxf.lldxf.tagger import binary_tags_loader
    from ezdxf.tools.codepage import toencoding
except ImportError:
    print("ezdxf is not installed (apt-get install python3-ezdxf): skipped")
    sys.exit(77)

DUMP, ROOT, CORPUS = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
UNENCODABLE = 12


def listed_pairs(path):
    """(code, value bytes) of every pair quillet-dump lists, values as the file's bytes."""
    out = subprocess.run([DUMP, "--raw", "--no-remarks", str(path)], check=True,
                         capture_output=True).stdout
    pairs = []
    for line in out.split(b"\n")[:-1]:
        fields = line.split(b"\t")
        pairs.append((int(fields[1]), b"\t".join(fields[2:-1])))
    return pairs


def ezdxf_encoding(pairs):
    """The encoding ezdxf's reader decodes strings in: UTF-8 from AC1021, else the code page."""
    header = {pairs[k][1]: pairs[k + 1][1] for k in range(len(pairs) - 1) if pairs[k][0] == 9}
    version = header.get(b"$ACADVER", b"AC1009").strip().decode()
    if version >= "AC1021":
        return "utf8"
    codepage = header.get(b"$DWGCODEPAGE")
    return toencoding(codepage.strip().decode()) if codepage else "cp1252"


def same_value(tag, text, encoding):
    """Tells whether ezdxf's tag holds the value of the listed text."""
    if isinstance(tag.value, bytes):
        return tag.value == bytes.fromhex(text.strip().decode())
    if isinstance(tag.value, float):
        return tag.value == float(text)
    if isinstance(tag.value, int):  # 16- and 32-bit fields take unsigned texts too
        number = int(text)
        return tag.value in (number, number - 2**16, number - 2**32)
    return tag.value.encode(encoding, errors="surrogateescape") == text


def main():
    drawings = [ROOT / "examples" / "sample.dxf"]
    if CORPUS.is_dir():
        drawings += sorted(CORPUS.glob("*.dxf"))
    else:
        print(f"no corpus at {CORPUS}: only the sample is checked")
    needed = 10 if CORPUS.is_dir() else 1
    failures, checked = [], 0
    with tempfile.TemporaryDirectory() as tmp:
        out = pathlib.Path(tmp) / "out.dxf"
        for drawing in drawings:
            run = subprocess.run([DUMP, "--to-binary", str(out), str(drawing)],
                                 capture_output=True)
            if run.returncode in (UNENCODABLE, 3):  # refused, or not loadable at all
                continue
            if run.returncode != 0:
                failures.append(f"{drawing.name}: exit {run.returncode}")
                continue
            pairs = listed_pairs(drawing)
            encoding = ezdxf_encoding(pairs)
            tags = list(binary_tags_loader(out.read_bytes(), errors="surrogateescape"))
            if len(tags) != len(pairs):
                failures.append(f"{drawing.name}: {len(tags)} pairs read, {len(pairs)} listed")
                continue
            for k, (tag, (code, text)) in enumerate(zip(tags, pairs)):
                if tag.code != code or not same_value(tag, text, encoding):
                    failures.append(f"{drawing.name} line {2 * k + 1}: {tag} vs {code} {text!r}")
                    break
            checked += 1
    print(f"{checked} drawings read back by ezdxf")
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures or checked < needed else 0


if __name__ == "__main__":
    sys.exit(main())
