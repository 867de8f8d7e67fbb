#!/usr/bin/python3
"""AccessibleLayerListTest.py - reads the layer list of a running quillet-viewer over AT-SPI.

Usage: AccessibleLayerListTest.py [--screenshot PNG] VIEWER DUMP DRAWING

Starts the viewer on DRAWING with Qt's AT-SPI bridge on, presses the tab "画層一覧"
through its accessible action, reads the CLAYER label and every cell of the table
SGLayerList through the accessibility interface, and compares them, line for line, with
`DUMP --layers DRAWING`. It starts its own X display (Xvfb, which picks a free display
number itself) and needs a D-Bus session bus: the test command runs it under
dbus-run-session. Every wait is bounded; exit 0 when the two agree, 1 when they differ
or the viewer cannot be read. With --screenshot it also saves a picture of the window
showing the layer list (scripts/screenshot.sh uses it for the README).
"""
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

APPLICATION = "VU Quillet Viewer"
LAYER_TAB = "画層一覧"
TIMEOUT_S = 20
POLL_S = 0.1
# Without a window manager the window stands at its default place and size, with no frame.
WINDOW_GEOMETRY = "685x560+100+100"


def wait_for(what, probe):
    """Polls probe() until it returns something, at most TIMEOUT_S seconds."""
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(POLL_S)
    raise RuntimeError("timed out waiting for " + what)


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def find(node, matches):
    """Depth-first search that does not descend into tables (their cells are many)."""
    if matches(node):
        return node
    if node.getRole() == pyatspi.ROLE_TABLE:
        return None
    for child in children(node):
        found = find(child, matches)
        if found:
            return found
    return None


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app.name == APPLICATION and app.childCount > 0:
            return app
    return None


def table_lines(table):
    cells = table.queryTable()
    return ["\t".join(cells.getAccessibleAt(r, c).name for c in range(cells.nColumns))
            for r in range(cells.nRows)]


def read_layer_list(app):
    tab = wait_for("the tab " + LAYER_TAB, lambda: find(
        app, lambda n: n.getRole() == pyatspi.ROLE_PAGE_TAB and n.name == LAYER_TAB))
    tab.queryAction().doAction(0)
    grid = wait_for("the table SGLayerList", lambda: find(
        app, lambda n: n.getRole() == pyatspi.ROLE_TABLE and n.name == "SGLayerList"))
    label = wait_for("the CLAYER label", lambda: find(
        app, lambda n: n.getRole() == pyatspi.ROLE_LABEL and n.name.startswith("CLAYER : ")
        and n.name != "CLAYER : "))
    return [label.name] + table_lines(grid)


def start_display():
    """Starts Xvfb on a display it chooses and returns the server and the display name."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                               "-nolisten", "tcp"], pass_fds=(write_end,))
    os.close(write_end)
    # The number comes in two writes, the digits and a line feed; closing the pipe
    # before the second one would make the server stop.
    written = b""
    deadline = time.monotonic() + TIMEOUT_S
    while not written.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_end], [], [], POLL_S)
        chunk = os.read(read_end, 16) if ready else b""
        if ready and not chunk:
            break
        written += chunk
    os.close(read_end)
    number = written.decode().strip() if written.endswith(b"\n") else ""
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def save_screenshot(display, path):
    subprocess.run(["import", "-display", display, "-window", "root", "-crop", WINDOW_GEOMETRY,
                    "+repage", path], check=True, timeout=TIMEOUT_S)


def main(viewer, dump, drawing, screenshot=None):
    expected = subprocess.run([dump, "--layers", drawing], capture_output=True, text=True,
                              check=True, timeout=TIMEOUT_S).stdout.splitlines()
    # A copy of the viewer starts with the default settings, which live beside it.
    folder = tempfile.mkdtemp()
    copy = os.path.join(folder, os.path.basename(viewer))
    shutil.copy(viewer, copy)
    server, display = start_display()
    env = dict(os.environ, DISPLAY=display, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_QPA_PLATFORM="xcb")
    process = subprocess.Popen([copy, os.path.abspath(drawing)], env=env)
    try:
        app = wait_for(APPLICATION + " on the accessibility bus", application)
        shown = read_layer_list(app)
        if screenshot:
            time.sleep(1)  # the tab paints after the accessible read
            save_screenshot(display, screenshot)
    finally:
        process.terminate()
        process.wait(timeout=TIMEOUT_S)
        server.terminate()
        server.wait(timeout=TIMEOUT_S)
        shutil.rmtree(folder, ignore_errors=True)
    if shown != expected:
        print("the layer list read over AT-SPI differs from quillet-dump --layers")
        print("read:     ", shown)
        print("expected: ", expected)
        return 1
    print("layer list read over AT-SPI: %d lines, as quillet-dump prints them" % len(shown))
    return 0


if __name__ == "__main__":
    arguments = sys.argv[1:]
    picture = None
    if arguments[:1] == ["--screenshot"] and len(arguments) > 1:
        picture = os.path.abspath(arguments[1])
        arguments = arguments[2:]
    if len(arguments) != 3:
        sys.exit(__doc__)
    try:
        sys.exit(main(*arguments, screenshot=picture))
    except (RuntimeError, subprocess.SubprocessError) as error:
        print("AccessibleLayerListTest:", error)
        sys.exit(1)
