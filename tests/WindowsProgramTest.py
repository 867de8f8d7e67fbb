#!/usr/bin/env python3
"""WindowsProgramTest.py - the Windows installer and the installed viewer, under Wine.

Run by scripts/test-windows.sh with the Wine prefix, the X display and the Japanese
locale already set up:

    WindowsProgramTest.py INSTALLER STAGE STANDIN SAMPLE PICTURE

INSTALLER is the NSIS installer, STAGE the program folder it was made of, STANDIN the
stand-in AutoCAD (StandInAutoCAD.exe), SAMPLE a drawing, PICTURE where the installed
viewer's window is saved as a PNG. The steps, in order, each printed as "PASS step" or
"FAIL step: why", a failed step ending the run (the later ones build on it):

- a silent install puts every file of STAGE into Program Files, the Start-menu entries
  and the "Open with" entries for .dxf;
- the shell's "Open with" command of the viewer starts it on SAMPLE: its window shows the
  drawing's name (and is saved to PICTURE); closed, it keeps its settings beside itself;
- the installed viewer, clicked on "AutoCADから読込" while the stand-in AutoCAD runs,
  sends it the export commands and shows the exported drawing (the window is driven from
  outside with xdotool, as a user's mouse would);
- with its folder unwritable (immutable, so even root cannot write), the viewer keeps its
  settings in the user's application-data folder;
- a silent uninstall removes every installed file, the entries and the shortcuts, and
  leaves the user's settings file.

The last line is "windows-program: N passed, M failed".
"""
import os
import pathlib
import subprocess
import sys
import time

WAIT_SECONDS = 60  # Wine starts a Qt program in seconds; a loaded machine takes longer
INSTALL_DIR = r"C:\Program Files\Quillet"
PROGIDS = ("Quillet.Viewer.dxf", "Quillet.Editor.dxf")
SHORTCUTS = ("Quillet Viewer.lnk", "Quillet Editor.lnk", "Uninstall Quillet.lnk")
SETTINGS_FILE = "quillet-viewer.ini"
AUTOCAD_READ_BUTTON = (69, 44)  # the middle of "AutoCADから読込" in the window


class StepFailed(Exception):
    pass


def run(*command, check=True):
    result = subprocess.run(command, capture_output=True, text=True, errors="replace")
    if check and result.returncode != 0:
        raise StepFailed(f"{' '.join(command)} exited {result.returncode}: {result.stderr[-400:]}")
    return result


def unix_path(windows_path):
    return pathlib.Path(run("winepath", "-u", windows_path).stdout.strip())


def windows_path(path):
    return run("winepath", "-w", str(path)).stdout.strip()


def wait_for(what, probe, seconds=WAIT_SECONDS):
    """Returns probe()'s first true answer; fails the step after seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        answer = probe()
        if answer:
            return answer
        time.sleep(0.5)
    raise StepFailed(f"no {what} within {seconds} s")


def window_named(pattern):
    """The X window whose title matches pattern (a regular expression), or None."""
    found = run("xdotool", "search", "--onlyvisible", "--name", pattern, check=False).stdout.split()
    return found[0] if found else None


def title_of(window):
    return run("xdotool", "getwindowname", window, check=False).stdout.strip()


def registry_has(key, value=None):
    command = ["wine", "reg", "query", key] + (["/v", value] if value else [])
    return run(*command, check=False).returncode == 0


def start(program, *arguments):
    """Starts a Windows program without waiting for it; it keeps no pipe of ours open."""
    return subprocess.Popen(["wine", str(program), *arguments], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def close_viewer(window, process=None):
    """Closes the viewer as its close box would (WM_CLOSE), so it saves its settings."""
    run("wine", "taskkill", "/im", "quillet-viewer.exe", check=False)
    wait_for("closed viewer", lambda: window_named("Quillet") is None)
    if process:
        process.wait(WAIT_SECONDS)


class ProgramTest:
    def __init__(self, installer, stage, standin, sample, picture):
        self.installer = installer
        self.stage = stage
        self.standin = standin
        self.sample = sample
        self.picture = picture
        self.installed = unix_path(INSTALL_DIR)
        self.start_menu = unix_path(r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quillet")
        self.app_data = unix_path(r"C:\users\%s\AppData\Local" % os.environ.get("USER", "root"))
        self.staged_files = sorted(p.relative_to(stage) for p in stage.rglob("*") if p.is_file())

    def silent_install(self):
        run("wine", str(self.installer), "/S")
        missing = [str(f) for f in self.staged_files if not (self.installed / f).is_file()]
        if missing:
            raise StepFailed(f"not installed: {missing}")
        if not (self.installed / "uninstall.exe").is_file():
            raise StepFailed("no uninstall.exe")
        if absent := [s for s in SHORTCUTS if not (self.start_menu / s).is_file()]:
            raise StepFailed(f"no Start-menu entries {absent} in {self.start_menu}")
        for progid in PROGIDS:
            if not registry_has(rf"HKLM\Software\Classes\{progid}\shell\open\command"):
                raise StepFailed(f"no open command of {progid}")
            if not registry_has(r"HKLM\Software\Classes\.dxf\OpenWithProgids", progid):
                raise StepFailed(f"{progid} is not among the .dxf Open-with entries")

    def open_with_opens_the_drawing(self):
        settings = self.installed / SETTINGS_FILE
        settings.unlink(missing_ok=True)
        start("start", "/progIDOpen", PROGIDS[0], windows_path(self.sample)).wait(WAIT_SECONDS)
        window = wait_for("viewer window showing " + self.sample.name,
                          lambda: window_named(self.sample.name))
        time.sleep(2)  # the load and the first paint
        run("import", "-window", window, str(self.picture))
        close_viewer(window)
        wait_for(f"settings file {settings}", settings.is_file, seconds=10)

    def autocad_read_from_outside(self):
        log = self.installed.parent / "quillet-standin.log"
        log.unlink(missing_ok=True)
        standin = start(self.standin, "--log", windows_path(log))
        try:
            wait_for("stand-in AutoCAD window", lambda: window_named("AutoCAD 2006"))
            viewer = start(self.installed / "quillet-viewer.exe")
            window = wait_for("viewer window", lambda: window_named("Quillet"))
            time.sleep(2)  # the first paint's probe enables the button
            run("xdotool", "windowfocus", "--sync", window)
            run("xdotool", "mousemove", "--window", window, *map(str, AUTOCAD_READ_BUTTON))
            run("xdotool", "click", "1")
            wait_for("exported drawing in the title",
                     lambda: "quillet-viewer_tmp.DXF" in title_of(window))
            chunks = log.read_text(encoding="cp932", errors="replace").splitlines()
            if not any(chunk.endswith("-WBLOCK#0D") for chunk in chunks):
                raise StepFailed(f"the stand-in got no -WBLOCK: {chunks}")
            close_viewer(window, viewer)
        finally:
            standin.kill()
            run("wine", "taskkill", "/f", "/im", "StandInAutoCAD.exe", check=False)

    def unwritable_folder_keeps_settings_in_app_data(self):
        moved = self.app_data / "VU Quillet Viewer" / SETTINGS_FILE
        moved.unlink(missing_ok=True)
        run("chattr", "+i", str(self.installed))
        try:
            viewer = start(self.installed / "quillet-viewer.exe")
            window = wait_for("viewer window", lambda: window_named("Quillet"))
            close_viewer(window, viewer)
        finally:
            run("chattr", "-i", str(self.installed))
        wait_for(f"settings file {moved}", moved.is_file, seconds=10)

    def silent_uninstall(self):
        run("wine", str(self.installed / "uninstall.exe"), "/S")
        # The uninstaller runs on from a copy of itself; it is done when it has removed itself.
        wait_for("uninstaller's end", lambda: not (self.installed / "uninstall.exe").exists())
        time.sleep(1)
        left = [str(f) for f in self.staged_files if (self.installed / f).exists()]
        if left:
            raise StepFailed(f"left installed: {left}")
        if self.start_menu.exists():
            raise StepFailed(f"Start-menu folder left: {list(self.start_menu.iterdir())}")
        for progid in PROGIDS:
            if registry_has(rf"HKLM\Software\Classes\{progid}"):
                raise StepFailed(f"{progid} left in the registry")
        remaining = sorted(p.name for p in self.installed.iterdir())
        if remaining != [SETTINGS_FILE]:
            raise StepFailed(f"the install folder holds {remaining}, not just the settings file")


def main():
    installer, stage, standin, sample, picture = map(pathlib.Path, sys.argv[1:6])
    test = ProgramTest(installer, stage, standin, sample, picture)
    steps = [test.silent_install, test.open_with_opens_the_drawing,
             test.autocad_read_from_outside, test.unwritable_folder_keeps_settings_in_app_data,
             test.silent_uninstall]
    passed = failed = 0
    for step in steps:
        name = step.__name__
        try:
            step()
            passed += 1
            print(f"PASS {name}", flush=True)
        except (StepFailed, subprocess.TimeoutExpired) as error:
            failed += 1
            print(f"FAIL {name}: {error}", flush=True)
            break
    failed += len(steps) - passed - failed  # the steps not run after a failure
    print(f"windows-program: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
