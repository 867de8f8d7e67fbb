#!/usr/bin/env python3
"""QuilletDumpJsonTest.py - quillet-dump --json read back with Python's json module.

Every JSON line must parse, carry the documented keys, and hold the same texts as the
tab-separated line of the same run, whose fields are the texts with C escapes.
Usage: QuilletDumpJsonTest.py QUILLET_DUMP PROJECT_ROOT CORPUS_DIR
"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

DUMP, ROOT, CORPUS = sys.argv[1], pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
SAMPLE = ROOT / "examples" / "sample.dxf"

LIST_KEYS = {
    "--layers": ["row", "line", "name", "color", "linetype", "remark"],
    "--ltypes": ["row", "line", "name", "length", "description", "remark"],
    "--colors": ["row", "sample", "color", "layers", "blocks", "entities", "rgb", "book"],
    "--blocks": ["row", "line", "name", "references", "remark"],
    "--groups": ["row", "line", "name", "members", "description"],
}
MEMBER_KEYS = ["group", "row", "line", "handle", "object"]
LABEL_KEYS = ["label", "line"]


def c_escaped(text):
    """The field the tab-separated form writes for text: an independent reference."""
    short = {"\t": "\\t", "\n": "\\n", "\r": "\\r", "\\": "\\\\"}
    out = []
    for ch in text:
        if ch in short:
            out.append(short[ch])
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            out.append("\\x%02X" % ord(ch))
        else:
            out.append(ch)
    return "".join(out)


def dump(*arguments, status=0):
    """Runs quillet-dump and returns its standard output as text; it must exit with status."""
    run = subprocess.run([DUMP, *map(str, arguments)], capture_output=True)
    if run.returncode != status:
        raise AssertionError("quillet-dump %s exited with %d: %s"
                             % (arguments, run.returncode, run.stderr.decode("utf-8", "replace")))
    return run.stdout.decode("utf-8")


def tab_lines(text):
    return text.split("\n")[:-1]


def json_lines(text):
    return [json.loads(line) for line in tab_lines(text)]


class QuilletDumpJson(unittest.TestCase):
    def assert_same_pairs(self, path):
        tabs = tab_lines(dump(path))
        objects = json_lines(dump("--json", path))
        self.assertEqual(len(objects), len(tabs))
        for tab, obj in zip(tabs, objects):
            self.assertEqual(list(obj), ["line", "code", "value", "remark"])
            self.assertIsInstance(obj["line"], int)
            self.assertIsInstance(obj["code"], int)
            fields = [str(obj["line"]), str(obj["code"]), c_escaped(obj["value"]),
                      c_escaped(obj["remark"])]
            self.assertEqual(tab.split("\t"), fields)

    def test_listing_matches_the_tab_form_field_by_field(self):
        self.assert_same_pairs(SAMPLE)
        line_example = CORPUS / "ezdxf-AC1003_LINE_Example.dxf"
        if not line_example.exists():
            self.skipTest(f"corpus file {line_example} is not there")
        self.assert_same_pairs(line_example)
        tab_value = [o for o in json_lines(dump("--json", line_example)) if o["line"] == 31]
        self.assertEqual(tab_value[0]["value"], "\t256")

    def test_control_characters_and_backslashes_come_back_exactly(self):
        values = ["a\tb", "C:\\dwg\\a.dxf", "\x01\x1f\x7f", 'say "hi"', "表\\", "壁\t"]
        text = "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n"
        for value in values:
            text += "  1\r\n" + value + "\r\n"
        text += "  0\r\nENDSEC\r\n  0\r\nEOF\r\n"
        with tempfile.TemporaryDirectory() as folder:
            path = pathlib.Path(folder) / "escapes.dxf"
            path.write_bytes(text.encode("cp932"))
            self.assert_same_pairs(path)
            objects = json_lines(dump("--json", path))
            self.assertEqual([o["value"] for o in objects if o["code"] == 1], values)
            raw = subprocess.run([DUMP, "--raw", path], capture_output=True, check=True).stdout
            self.assertIn(b"\t1\t\x95\x5c\\\t", raw)  # the file's bytes, unescaped

    def test_lists_carry_their_column_names(self):
        for option, keys in LIST_KEYS.items():
            tabs = tab_lines(dump(option, SAMPLE))
            objects = json_lines(dump("--json", option, SAMPLE))
            self.assertEqual(len(objects), len(tabs), option)
            rows = 0
            for tab, obj in zip(tabs, objects):
                if "label" in obj:
                    self.assertEqual(list(obj), LABEL_KEYS, option)
                    self.assertEqual(tab, c_escaped(obj["label"]), option)
                    continue
                expected = MEMBER_KEYS if "group" in obj else keys
                self.assertEqual(list(obj), expected, option)
                cells = [c_escaped(v) for v in obj.values()]
                if "group" in obj:
                    cells[0] = ""  # the tab form leads a member row with an empty cell
                self.assertEqual(tab.split("\t"), cells, option)
                rows += 1
            self.assertGreater(rows, 0, option)

    def test_log_and_report_lines_are_objects_of_one_text(self):
        with tempfile.TemporaryDirectory() as folder:
            out = pathlib.Path(folder) / "out.dxf"
            for option in (["--rename-layer", "壁", "外壁"], ["--round", "0/3", "0.1/4"]):
                key = "log" if option[0].startswith("--rename") else "report"
                tabs = tab_lines(dump(*option, out, SAMPLE))
                objects = json_lines(dump("--json", *option, out, SAMPLE))
                self.assertEqual([list(o) for o in objects], [[key]] * len(tabs), option)
                self.assertEqual([c_escaped(o[key]) for o in objects], tabs, option)

    def test_handle_lines_carry_their_column_names(self):
        duplicates = CORPUS / "ezdxf-duplicate_handles.dxf"
        cases = [(["--handle", "42", SAMPLE], 0), (["--check", duplicates], 7)]
        for arguments, status in cases:
            if not pathlib.Path(arguments[-1]).exists():
                print(f"corpus file {arguments[-1]} is not there: {arguments[0]} not checked")
                continue
            tabs = tab_lines(dump(*arguments, status=status))
            objects = json_lines(dump("--json", *arguments, status=status))
            self.assertEqual(len(objects), len(tabs), arguments)
            self.assertGreater(len(objects), 0, arguments)
            for tab, obj in zip(tabs, objects):
                expected = {"record": ["kind", "line", "type"], "ref": ["kind", "line", "code", "type"]}
                keys = expected[obj["kind"]] if arguments[0] == "--handle" else ["line", "kind", "text"]
                self.assertEqual(list(obj), keys, arguments)
                self.assertEqual(tab.split("\t"), [c_escaped(str(v)) for v in obj.values()], arguments)

    def test_diff_lines_carry_their_keys_and_the_tab_forms_fields(self):
        japanese = [CORPUS / "gen-r2000-ansi932-crlf.dxf", CORPUS / "gen-r2018-utf8-japanese.dxf"]
        with tempfile.TemporaryDirectory() as folder:
            renamed = pathlib.Path(folder) / "renamed.dxf"
            dump("--rename-layer", "壁", "外壁", renamed, SAMPLE)
            pairs = [[renamed, SAMPLE]] + ([japanese] if all(p.exists() for p in japanese) else [])
            for other, drawing in pairs:
                tabs = tab_lines(dump("--diff", other, drawing, status=1))
                objects = json_lines(dump("--json", "--diff", other, drawing, status=1))
                self.assertEqual(len(objects), len(tabs), drawing)
                for tab, obj in zip(tabs, objects):
                    keys = [k for k in ("handle", "variable", "name") if k in obj]
                    self.assertLessEqual(len(keys), 1, obj)
                    expected = ["change"] + keys + ["type", "line", "other_line"]
                    if obj["change"] == "changed":
                        expected.append("pairs")
                    self.assertEqual(list(obj), expected, obj)
                    text = "; ".join("%d: %s -> %s" % (
                        p["code"], "(none)" if p["value"] is None else p["value"],
                        "(none)" if p["other_value"] is None else p["other_value"])
                        for p in obj.get("pairs", []))
                    cells = [obj["change"], obj[keys[0]] if keys else "", obj["type"],
                             "" if obj["line"] is None else str(obj["line"]),
                             "" if obj["other_line"] is None else str(obj["other_line"]), text]
                    self.assertEqual(tab.split("\t"), [c_escaped(c) for c in cells], obj)

    def test_summary_is_one_object_of_its_lines(self):
        tabs = dict(line.split("\t") for line in tab_lines(dump("--summary", SAMPLE)))
        objects = json_lines(dump("--json", "--summary", SAMPLE))
        self.assertEqual(len(objects), 1)
        summary = objects[0]
        self.assertEqual(list(summary), list(tabs))
        self.assertEqual({k: c_escaped(str(v)) for k, v in summary.items()}, tabs)
        self.assertEqual(summary["CLayer"], "壁")
        self.assertEqual(summary["CeltScale"], 0.5)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
