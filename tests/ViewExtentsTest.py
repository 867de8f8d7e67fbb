#!/usr/bin/env python3
"""ViewExtentsTest.py - quillet-dump --extents against ezdxf's bounding boxes.

For every text drawing of the corpus, the extents of model space as the drawing view
draws it must match ezdxf.bbox.extents of the entities on layers that are neither off nor
frozen, within 3% of the diagonal (text widths are estimated here and measured with a
font there). A drawing ezdxf finds empty must draw nothing (exit 9). Skips, saying why,
when ezdxf or the corpus is missing.
Usage: ViewExtentsTest.py QUILLET_DUMP CORPUS_DIR
"""
import math
import pathlib
import subprocess
import sys

TOLERANCE = 0.03  # of the diagonal
# Drawings whose extents differ for a known reason, each said here.
KNOWN_DIFFERENCES = {
    "ezdxf-duplicate_handles.dxf": "DIMENSIONs name blocks the file lacks: markers here, "
                                   "nothing in ezdxf",
    "ezdxf-mtext_columns_R2007.dxf": "MTEXT columns and line wrapping are not laid out here",
    "ezdxf-recover01-many-entities-sections.dxf": "the buffer indexes one ENTITIES section "
                                                  "of several",
    "gdal-frozen-off.dxf": "block content on frozen layers is hidden here, counted by ezdxf",
    "ezdxf-Leica_Disto_S910.dxf": "long texts: estimated widths against font metrics",
}


def ezdxf_extents(ezdxf, path):
    """Returns (minx, miny, maxx, maxy) of the visible model space, or None when empty."""
    from ezdxf import bbox, recover
    doc, _ = recover.readfile(str(path))
    hidden = {layer.dxf.name.lower() for layer in doc.layers
              if layer.is_off() or layer.is_frozen()}
    visible = [e for e in doc.modelspace() if e.dxf.get("layer", "0").lower() not in hidden]
    box = bbox.extents(visible, fast=False)
    if not box.has_data:
        return None
    return (box.extmin.x, box.extmin.y, box.extmax.x, box.extmax.y)


def main():
    dump, corpus = sys.argv[1], pathlib.Path(sys.argv[2])
    try:
        import ezdxf  # Debian package python3-ezdxf
    except ImportError:
        print("SKIP: ezdxf is not installed (apt-get install python3-ezdxf)")
        return 0
    if not corpus.is_dir():
        print(f"SKIP: the corpus {corpus} is not there")
        return 0
    failures, compared = [], 0
    for path in sorted(corpus.glob("*.dxf")):
        if path.name.startswith(("binary-", "bad-")) or path.name in KNOWN_DIFFERENCES:
            continue
        try:
            expected = ezdxf_extents(ezdxf, path)
        except Exception as error:  # ezdxf cannot read it: nothing to compare with
            print(f"{path.name}: ezdxf cannot read it ({type(error).__name__}), skipped")
            continue
        run = subprocess.run([dump, "--extents", str(path)], capture_output=True, text=True)
        compared += 1
        if expected is None:
            if run.returncode != 9:
                failures.append(f"{path.name}: ezdxf draws nothing, --extents gave "
                                f"{run.returncode} {run.stdout.strip()}")
            continue
        if run.returncode != 0:
            failures.append(f"{path.name}: --extents failed ({run.returncode}): {run.stderr}")
            continue
        ours = [float(v) for v in run.stdout.split()]
        diagonal = math.hypot(expected[2] - expected[0], expected[3] - expected[1]) or 1.0
        worst = max(abs(a - b) for a, b in zip(ours, expected)) / diagonal
        if worst > TOLERANCE:
            failures.append(f"{path.name}: {ours} against ezdxf {list(expected)}, "
                            f"{worst:.1%} of the diagonal")
    for failure in failures:
        print(failure)
    print(f"{compared} drawings compared, {len(failures)} differ by more than {TOLERANCE:.0%}")
    return 1 if failures or compared == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
