#!/usr/bin/env python3
"""LayerOrderTest.py - fails when an include points against the layer order.

Each folder is one library, and a library may include only from itself and the layers
below it:
    model <- settings, cad <- logic <- render <- ui <- main.cpp;  tools -> render, logic
Qt headers belong to the widget layer and the painter below it: ui/, render/ (Qt Gui
only), main.cpp, quillet-dump's painting file, the widget tests and the grid, list and
view benchmarks. Files are named after their job: no file of logic/ carries the main
window's name (MainForm*), and no base name stands in two of the program's layers. Only
the model and the document (logic/document/) rebuild the buffer's index or empty its
remarks: ui/ and tools/ call neither BuildIndex nor InvalidateRemarks nor UpdateCaches.
Usage: LayerOrderTest.py PROJECT_ROOT
"""
import pathlib
import re
import sys

BELOW_LOGIC = {"logic", "cad", "settings", "model"}
ALLOWED = {
    "model": {"model"},
    "settings": {"settings", "model"},
    "cad": {"cad", "model"},
    "logic": BELOW_LOGIC,
    "render": {"render"} | BELOW_LOGIC,
    "ui": {"ui", "render"} | BELOW_LOGIC,
    "main.cpp": {"ui"} | BELOW_LOGIC,
    "tools": {"tools", "render"} | BELOW_LOGIC,
    "fuzz": {"fuzz", "tests"} | BELOW_LOGIC,
    "bench": {"bench", "ui", "render"} | BELOW_LOGIC,
    "tests": {"tests", "tools", "ui", "render"} | BELOW_LOGIC,
}
# Files outside ui/, render/ and main.cpp that may include Qt: the widget tests and their
# main, the benchmarks that paint, and quillet-dump's painting file (which only the builds
# with Qt compile).
QT_ALLOWED = {
    "bench/bench_grid.cpp",
    "bench/bench_lists.cpp",
    "bench/bench_view.cpp",
    "tools/DumpRender.cpp",
    "tests/support/QtTestMain.cpp",
    "tests/support/MainWindowFixture.h",
    "tests/StringGridTest.cpp",
    "tests/VuMessageBoxTest.cpp",
    "tests/VuFrameDXFGridTest.cpp",
    "tests/MainFormTest.cpp",
    "tests/MainFormListTabsTest.cpp",
    "tests/OptionFormTest.cpp",
    "tests/CompareListTest.cpp",
    "tests/DrawingViewTest.cpp",
    "tests/PurgeDialogTest.cpp",
    "tests/MainFormAcadWin32Test.cpp",
}
# The layers of the program, whose files' base names must differ from layer to layer.
PROGRAM_LAYERS = ("model", "settings", "cad", "logic", "ui", "tools")
# The calls that keep the model's caches, which only the model and the document make.
CACHE_CALL = re.compile(r"\b(BuildIndex|InvalidateRemarks|UpdateCaches|RefreshHeaderValues)\s*\(")
CACHE_CALL_FORBIDDEN = ("ui", "tools")
PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
QT_INCLUDE = re.compile(r"^\s*#\s*include\s+<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]*)>", re.M)


def layer_of(relative):
    """Returns the layer a project path belongs to: its first folder, or main.cpp."""
    parts = relative.split("/")
    return parts[0] if len(parts) > 1 else relative


def problems_in(root, path):
    relative = path.relative_to(root).as_posix()
    layer = layer_of(relative)
    allowed = ALLOWED.get(layer)
    if allowed is None:
        return [f"{relative}: is in no layer; add its folder to LayerOrderTest.py"]
    text = path.read_text(encoding="utf-8", errors="replace")
    found = []
    for include in PROJECT_INCLUDE.findall(text):
        target = layer_of(include)
        if "/" not in include:
            found.append(f"{relative}: includes \"{include}\" without its folder; "
                         f"write it as \"FOLDER/{include}\"")
        elif target not in allowed:
            found.append(f"{relative}: includes {include}, but {layer} may use only "
                         f"{', '.join(sorted(allowed))}")
    if layer == "logic" and path.name.startswith("MainForm"):
        found.append(f"{relative}: is named after the main window; name it after its job")
    if layer in CACHE_CALL_FORBIDDEN:
        for call in CACHE_CALL.findall(text):
            found.append(f"{relative}: calls {call}; only the model and the Document keep "
                         f"the buffer's caches")
    qt_ok = layer in ("ui", "render", "main.cpp") or relative in QT_ALLOWED
    for include in QT_INCLUDE.findall(text):
        if not qt_ok:
            found.append(f"{relative}: includes Qt's <{include}> outside the widget layer")
    return found


def shared_base_names(root, sources):
    """Returns a problem for each base name that files of two program layers carry."""
    layers_of = {}
    for path in sources:
        relative = path.relative_to(root).as_posix()
        layer = layer_of(relative)
        if layer in PROGRAM_LAYERS:
            layers_of.setdefault(path.stem.removesuffix("_p"), set()).add(layer)
    return [f"{name}: the base name of files in {' and '.join(sorted(layers))}; "
            f"name each after its job"
            for name, layers in sorted(layers_of.items()) if len(layers) > 1]


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    sources = [p for p in root.rglob("*") if p.suffix in (".h", ".cpp")
               and not any(part.startswith("build") or part.startswith(".")
                           for part in p.relative_to(root).parts)]
    found = [problem for path in sorted(sources) for problem in problems_in(root, path)]
    found += shared_base_names(root, sources)
    for problem in found:
        print(problem)
    print(f"{len(sources)} files checked, {len(found)} problems with the layer order or names")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
