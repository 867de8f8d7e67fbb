#!/usr/bin/env python3
"""RepairEzdxfTest.py - drawings repaired by quillet-dump, checked by it and audited by ezdxf.

ezdxf (an independent writer and reader) makes a clean R2000 drawing: layers, a linetype,
a text style, a block with an attribute, a 2D polyline, a dimension, extended data. Each
damage below is made to its pairs, alone and all at once; quillet-dump --repair must
repair all of it (exit 0), the repaired drawing must pass --check, keep the ENTITIES
records of the damaged one (type and handle, a duplicated handle renewed; a SEQEND added), and load in
ezdxf with an audit that finds no error and makes no fix. Exits 77 (skipped) when ezdxf
is not installed.
Usage: RepairEzdxfTest.py QUILLET_DUMP
"""
import pathlib
import subprocess
import sys
import tempfile

try:
    import ezdxf
except ImportError:
    print("ezdxf is not installed (apt-get install python3-ezdxf): skipped")
    sys.exit(77)

DUMP = sys.argv[1]


def dump(*arguments):
    return subprocess.run([DUMP, *map(str, arguments)], capture_output=True)


def clean_drawing(path):
    doc = ezdxf.new("R2000", setup=True)
    doc.layers.add("WALL", color=1, linetype="DASHED")
    doc.appids.add("QUILLET")
    door = doc.blocks.new("DOOR")
    door.add_line((0, 0), (1, 0), dxfattribs={"layer": "WALL"})
    door.add_attdef("TAG", (0, 1))
    msp = doc.modelspace()
    line = msp.add_line((0, 0), (5, 5), dxfattribs={"layer": "WALL", "linetype": "DASHED"})
    line.set_xdata("QUILLET", [(1000, "x")])
    msp.add_text("A", dxfattribs={"style": "OpenSans", "layer": "WALL"})
    msp.add_blockref("DOOR", (3, 3)).add_auto_attribs({"TAG": "1"})
    msp.add_polyline2d([(0, 0), (1, 1), (2, 0)], dxfattribs={"layer": "WALL"})
    msp.add_linear_dim(base=(0, 3), p1=(0, 0), p2=(3, 0)).render()
    doc.saveas(path)


def read_pairs(path):
    lines = pathlib.Path(path).read_text(encoding="cp1252").splitlines()
    return [[lines[k].strip(), lines[k + 1]] for k in range(0, len(lines) - 1, 2)]


def write_pairs(path, pairs):
    text = "".join(f"{code}\n{value}\n" for code, value in pairs)
    pathlib.Path(path).write_text(text, encoding="cp1252")


def records(pairs):
    """(start, type) of every record."""
    return [(k, value.strip()) for k, (code, value) in enumerate(pairs) if code == "0"]


def record_of(pairs, type_, nth=0, section="ENTITIES"):
    """The pair index of the nth record of the type in the section."""
    inside, seen = False, 0
    for k, (code, value) in enumerate(pairs):
        if code == "2" and k > 0 and pairs[k - 1] == ["0", "SECTION"]:
            inside = value.strip() == section
        if inside and code == "0" and value.strip() == type_:
            if seen == nth:
                return k
            seen += 1
    raise LookupError(f"no {type_} #{nth} in {section}")


def record_end(pairs, start):
    return next(k for k in range(start + 1, len(pairs)) if pairs[k][0] == "0")


def field(pairs, record, code):
    return next(k for k in range(record + 1, record_end(pairs, record)) if pairs[k][0] == code)


def set_field(code, value, type_, nth=0, section="ENTITIES"):
    def damage(pairs):
        pairs[field(pairs, record_of(pairs, type_, nth, section), code)][1] = value
    return damage


def take_record(type_, nth=0, section="ENTITIES"):
    def damage(pairs):
        start = record_of(pairs, type_, nth, section)
        del pairs[start:record_end(pairs, start)]
    return damage


def duplicate_handle(pairs):
    line, text = record_of(pairs, "LINE"), record_of(pairs, "TEXT")
    pairs[field(pairs, text, "5")][1] = pairs[field(pairs, line, "5")][1]


def missing_eof(pairs):
    del pairs[-1]


def add_xdata(pairs):
    text = record_of(pairs, "TEXT")
    end = record_end(pairs, text)
    pairs[end:end] = [["1001", "NOSUCHAPP"], ["1000", "y"]]


def lower_count(pairs):
    table = next(k for k in range(len(pairs) - 1)
                 if pairs[k] == ["0", "TABLE"] and pairs[k + 1][1].strip() == "LAYER")
    pairs[field(pairs, table, "70")][1] = "1"


def bad_layer_name(pairs):
    for pair in pairs:
        if pair[0] in ("2", "8") and pair[1].strip() == "WALL":
            pair[1] = "WA<LL"


def low_seed(pairs):
    seed = next(k for k in range(len(pairs)) if pairs[k] == ["9", "$HANDSEED"]) + 1
    pairs[seed][1] = "20"


def outside_section(pairs):
    entities = next(k for k in range(1, len(pairs))
                    if pairs[k - 1] == ["0", "SECTION"] and pairs[k][1].strip() == "ENTITIES")
    pairs[entities - 1:entities - 1] = [["0", "LINE"], ["8", "0"], ["10", "0.0"], ["20", "0.0"]]


def unclosed_section(pairs):
    blocks_end = record_of(pairs, "ENDSEC", 0, "BLOCKS")
    del pairs[blocks_end]


DAMAGES = {
    "duplicate-handle": duplicate_handle,
    "handle-above-seed": low_seed,
    "dangling owner": set_field("330", "FFFF0", "TEXT"),
    "missing-eof": missing_eof,
    "missing-seqend": take_record("SEQEND", 1),  # the polyline's (the INSERT's is first)
    "unclosed-block": take_record("ENDBLK", 0, "BLOCKS"),
    "unclosed-section": unclosed_section,
    "outside-section": outside_section,
    "unregistered-appid": add_xdata,
    "undefined-linetype": set_field("6", "NOSUCHTYPE", "LINE"),
    "undefined-style": set_field("7", "NOSUCHSTYLE", "TEXT"),
    "undefined-block": set_field("2", "NOSUCHBLOCK", "INSERT"),
    "undefined-layer": set_field("8", "NEWLAYER", "LINE"),
    "bad-name": bad_layer_name,
    "table-count": lower_count,
}


def entity_records(path):
    """(type, handle) of the ENTITIES records of a drawing as quillet-dump reads it, SEQEND
    left out: a missing one is what a repair adds."""
    pairs = [line.split("\t")[1:3] for line in
             dump("--no-remarks", path).stdout.decode("utf-8").splitlines()]
    found, inside, current = [], False, None
    for k, (code, value) in enumerate(pairs):
        if code == "2" and pairs[k - 1] == ["0", "SECTION"]:
            inside = value == "ENTITIES"
        elif inside and code == "0":
            inside = value != "ENDSEC"
            current = [value, None]
            if inside and value != "SEQEND":
                found.append(current)
        elif inside and code == "5" and current is not None:
            current[1] = value
    return found


def audit(path):
    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    return [e.message for e in auditor.errors] + [f.message for f in auditor.fixes]


def repair_and_judge(name, damaged, repaired):
    failures = []
    run = dump("--repair", repaired, damaged)
    if run.returncode != 0:
        failures.append(f"{name}: --repair exited {run.returncode}: {run.stdout.decode()}"
                        f"{run.stderr.decode()}")
        return failures
    check = dump("--check", repaired)
    if check.returncode != 0:
        failures.append(f"{name}: --check of the repaired drawing: {check.stdout.decode()}")
    before, after = entity_records(damaged), entity_records(repaired)
    if [t for t, _ in before] != [t for t, _ in after]:
        failures.append(f"{name}: the ENTITIES records differ: {before} / {after}")
    changed = [(b, a) for b, a in zip(before, after) if b != a]
    if len(changed) > (1 if name in ("duplicate-handle", "all at once") else 0):
        failures.append(f"{name}: records changed their handles: {changed}")
    messages = audit(repaired)
    if messages:
        failures.append(f"{name}: ezdxf's audit of the repaired drawing: {messages}")
    return failures


def main():
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        tmp = pathlib.Path(tmp)
        clean = tmp / "clean.dxf"
        clean_drawing(clean)
        if dump("--check", clean).returncode != 0 or audit(clean):
            print("the clean drawing is not clean:", dump("--check", clean).stdout.decode(),
                  audit(clean))
            return 1
        everything = read_pairs(clean)
        for name, damage in DAMAGES.items():
            pairs = read_pairs(clean)
            damage(pairs)
            damage(everything)
            write_pairs(tmp / "damaged.dxf", pairs)
            if dump("--check", tmp / "damaged.dxf").returncode != 7:
                failures.append(f"{name}: the damage is not found")
            failures += repair_and_judge(name, tmp / "damaged.dxf", tmp / "repaired.dxf")
        write_pairs(tmp / "all.dxf", everything)
        failures += repair_and_judge("all at once", tmp / "all.dxf", tmp / "all-repaired.dxf")
    for failure in failures:
        print(failure)
    print(f"{len(DAMAGES) + 1} drawings repaired, {len(failures)} failures")
    return 1 if failures else 0


sys.exit(main())
