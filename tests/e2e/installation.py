"""What the tests of Vantrel's installers (VantrelSetup.exe, Vantrel.msi) share: running Wine's
own programs in the test prefix, finding the user's folders and registry entries there, and
starting the installed Vantrel.exe under the UI driver."""

import os
import re
import signal
import subprocess
import time
from pathlib import Path

import pytest

from harness import WINE, run_under_driver

ROOT = Path(__file__).resolve().parents[2]
MAIN = "Comparative Rater Import Utility"
# What an import leaves beside the program, which removal takes with "vantrel.log": the last
# import's log and the import history with its older generation.
LOGS_OF_AN_IMPORT = ("export.log", "imports.log", "imports.old.log")


def version_text():
    """The program's version text, written once in res/version.h."""
    source = (ROOT / "res" / "version.h").read_text()
    return re.search(r'#define VANTREL_VERSION_TEXT "([^"]+)"', source).group(1)


def version_numbers(text):
    """2.101020 -> (2, 10, 10, 20), the four numbers of a Windows version resource."""
    major, digits = text.split(".")
    assert len(digits) == 6 and digits.isdigit(), text
    return int(major), int(digits[0:2]), int(digits[2:4]), int(digits[4:6])


def wine(*arguments, timeout=120):
    return subprocess.run([WINE, *arguments], stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=timeout, check=False)


def windows_variable(name):
    """The value of an environment variable of the prefix's user, as Windows programs see it."""
    value = wine("cmd", "/c", "echo", f"%{name}%", timeout=60).stdout.decode("latin-1").strip()
    assert value and "%" not in value, name
    return value


def on_drive_c(prefix, windows_path):
    assert windows_path[:3].upper() == "C:\\", windows_path
    return Path(prefix) / "drive_c" / windows_path[3:].replace("\\", "/")


def windows_path(path):
    """A Linux path as Wine's programs reach it, through drive Z:."""
    return "Z:" + str(path).replace("/", "\\")


def registry_values(key):
    """The values of a registry key as {name: text}, or None when the key is not there."""
    result = wine("reg", "query", key, timeout=60)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode("latin-1").splitlines():
        parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
        if len(parts) == 3 and parts[1].startswith("REG_"):
            values[parts[0]] = parts[2]
    return values


def run_installed(prefix, exe_windows_path, script, timeout=30):
    """Starts the program at `exe_windows_path` with no arguments under the UI driver."""
    work = Path(prefix) / "drive_c" / "vt" / "installer.driver"
    work.mkdir(parents=True, exist_ok=True)
    return run_under_driver(work, exe_windows_path, script, timeout)


class UserFolders:
    """Where a per-user install of Vantrel puts its program and its Start-menu shortcut, as
    Windows and Linux paths of the test prefix."""

    def __init__(self, prefix):
        self.install_windows = windows_variable("LOCALAPPDATA") + "\\Programs\\Vantrel"
        self.menu_windows = windows_variable("APPDATA") + "\\Microsoft\\Windows\\Start Menu\\Programs\\Vantrel"
        self.install = on_drive_c(prefix, self.install_windows)
        self.menu = on_drive_c(prefix, self.menu_windows)
        self.shortcut = self.menu / "Vantrel.lnk"

    def shortcut_starts_the_installed_program(self):
        """True when the shortcut starts the installed Vantrel.exe in its own folder. The link
        holds the target in UTF-16 (NSIS) or in the ANSI code page (Windows Installer), and the
        folder with or without a final backslash."""
        link = self.shortcut.read_bytes()
        target = self.install_windows + "\\Vantrel.exe"
        return (link[:4] == b"L\0\0\0"
                and (target.encode("utf-16-le") in link or target.encode("latin-1") + b"\0" in link)
                and any((self.install_windows + end).encode("utf-16-le") in link for end in ("\0", "\\\0")))

    def files(self):
        return sorted(p.name for p in self.install.iterdir()) if self.install.exists() else []


def check_installed_program_starts(prefix, folders, version):
    """The installed program starts from its folder, shows its main window and logs beside itself."""
    run = run_installed(prefix, folders.install_windows + "\\Vantrel.exe",
                        f"window {MAIN}|1000\nmark main window\nclick 2\n")
    assert (run.timed_out, run.exit_code, run.unexpected, run.errors) == (False, 0, [], [])
    assert run.marks == ["main window"]
    log = (folders.install / "vantrel.log").read_bytes().decode("latin-1").splitlines()
    assert log[:3] == ["Executable Name = VANTREL", "Command line parameters = ", f"Version number = {version}"]


def uninstaller_processes(install_dir):
    """Process ids of the uninstaller copy that uninstall.exe starts from %TEMP%\\~nsu*.tmp
    for this install folder (Wine shows a process's Windows command line in /proc)."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            command_line = (entry / "cmdline").read_bytes()
        except OSError:
            continue
        if b"~nsu" in command_line and install_dir.encode("latin-1") in command_line:
            found.append(int(entry.name))
    return found


def nsis_uninstall(folders, finished):
    """Runs the NSIS uninstaller silently, as Add/Remove programs does: uninstall.exe hands over
    to a copy of itself in %TEMP% (so that it can delete itself) and returns at once. Waits, at
    most 30 s, until `finished()` holds and that copy has ended."""
    result = wine(str(folders.install / "uninstall.exe"), "/S", timeout=120)
    assert result.returncode == 0, result
    deadline = time.monotonic() + 30
    while not finished() or uninstaller_processes(folders.install_windows):
        if time.monotonic() > deadline:
            pytest.fail(f"the uninstaller did not finish within 30 s; left in {folders.install_windows}: "
                        f"{folders.files()}")
        time.sleep(0.2)


def end_uninstallers(folders):
    """Ends an uninstaller copy that a failed test left running."""
    for pid in uninstaller_processes(folders.install_windows):
        os.kill(pid, signal.SIGKILL)
