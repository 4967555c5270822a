import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import pytest

# The stand-in for the customer's server lives with the other test tools.
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools" / "test_receiver"))

from harness import BUILD, WINE, ProgramFolder


@pytest.fixture(scope="session")
def prefix():
    """The Wine prefix and display that scripts/test.sh prepared for this run."""
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        pytest.fail("run the end-to-end tests through scripts/test.sh (it prepares Wine and a display)")
    for tool in ("Vantrel.exe", "ui_driver.exe", "handoff_recorder.exe", "file_locker.exe"):
        if not (BUILD / tool).exists():
            pytest.fail(f"{BUILD / tool} is missing: build the windows preset first")
    return os.environ["WINEPREFIX"]


@pytest.fixture
def program(prefix, request):
    """A fresh program folder named after the test."""
    return ProgramFolder(prefix, request.node.name.replace("[", "-").replace("]", ""))


@pytest.fixture
def make_program(prefix, request):
    """Program folders with a chosen program file name."""
    def make(exe_name, suffix=""):
        return ProgramFolder(prefix, request.node.name + suffix, exe_name)
    return make


class HandOff:
    """The recorder that the test prefix opens web addresses and .hta files with."""

    def __init__(self, prefix):
        self.folder = Path(prefix) / "drive_c" / "tools"
        self.log = self.folder / "handoff.log"

    def clear(self):
        self.log.unlink(missing_ok=True)

    def requests(self):
        """(working directory, command line after the recorder's path) per hand-off."""
        if not self.log.exists():
            return []
        return [tuple(line.split("\t", 1)) for line in self.log.read_bytes().decode("latin-1").splitlines()]


@pytest.fixture(scope="session")
def handoff_recorder(prefix):
    recorder = HandOff(prefix)
    recorder.folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(BUILD / "handoff_recorder.exe", recorder.folder)
    lib = Path(__file__).resolve().parents[2] / "scripts" / "lib.sh"
    subprocess.run(["bash", "-c", f'source "{lib}" && register_handoff_recorder "C:\\tools"'],
                   stdin=subprocess.DEVNULL, timeout=180, check=True)
    return recorder


@pytest.fixture
def handoff(handoff_recorder):
    handoff_recorder.clear()
    return handoff_recorder


@pytest.fixture
def lock_file(prefix):
    """Holds a file of the test prefix open without sharing, in the background, for the
    given seconds; waits until the lock is held."""
    lockers = []

    def lock(path, seconds):
        marker = Path(str(path) + ".locked")
        marker.unlink(missing_ok=True)
        windows_path = "C:\\" + str(path.relative_to(Path(prefix) / "drive_c")).replace("/", "\\")
        lockers.append(subprocess.Popen([WINE, str(BUILD / "file_locker.exe"), windows_path, str(seconds)],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL))
        for _ in range(200):
            if marker.exists():
                return
            time.sleep(0.05)
        pytest.fail(f"could not lock {path}")

    yield lock
    for locker in lockers:
        locker.kill()
        locker.wait(timeout=30)
