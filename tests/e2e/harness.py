"""Runs the real Vantrel.exe under Wine in a program folder of its own, with the UI driver
beside it, and reads back what happened: message boxes, dialog dumps, files."""

import os
import shutil
import subprocess
import warnings
from dataclasses import dataclass, field
from pathlib import Path

from route_row import route_row

WINE = os.environ.get("WINE", "")  # set by scripts/lib.sh, which names Wine's programs
BUILD = Path(os.environ.get("VANTREL_BUILD", Path(__file__).resolve().parents[2] / "build" / "windows"))


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "t": "\t", "\\": "\\"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


@dataclass
class Control:
    id: int
    cls: str
    text: str
    style: int
    enabled: bool
    visible: bool
    dialog_units: str


@dataclass
class Window:
    caption: str
    style: int
    controls: list = field(default_factory=list)

    def control(self, control_id):
        return next(c for c in self.controls if c.id == control_id)


@dataclass
class Run:
    records: list
    exit_code: int | None
    timed_out: bool

    @property
    def messages(self):
        return [(r[1], r[2]) for r in self.records if r[0] == "MSGBOX"]

    @property
    def message_texts(self):
        return [text for _, text in self.messages]

    @property
    def windows(self):
        found = []
        for r in self.records:
            if r[0] in ("WINDOW",):
                found.append(Window(r[1], int(r[2], 16)))
            elif r[0] == "CONTROL" and found:
                found[-1].controls.append(
                    Control(int(r[1]), r[2], r[3], int(r[4], 16), r[5] == "1", r[6] == "1", r[8] if len(r) > 8 else "")
                )
        return found

    @property
    def marks(self):
        return [r[1] for r in self.records if r[0] == "MARK"]

    def items(self, control_id):
        """The entries of a list or drop-down list in the last dump that showed it."""
        found = {}
        for r in self.records:
            if r[0] == "CONTROL" and int(r[1]) == control_id:
                found = {}
            elif r[0] == "ITEM" and int(r[1]) == control_id:
                found[int(r[2])] = (r[3], r[4] == "1")
        return [found[i] for i in sorted(found)]

    def menu(self, kind="MENU"):
        return [(r[1], int(r[2]), r[3]) for r in self.records if r[0] == kind]

    @property
    def errors(self):
        return [r[1] for r in self.records if r[0] == "ERROR"]

    @property
    def unexpected(self):
        return [r[1] for r in self.records if r[0] == "UNEXPECTED"]


def run_under_driver(work, command_line, script, timeout):
    """Runs `command_line` (the exact command line, the program's path first) under the UI
    driver, with its files in the folder `work`, and returns what the driver recorded."""
    (work / "cmdline.txt").write_bytes(command_line.encode("latin-1"))
    (work / "script.txt").write_text(script)
    records = work / "records.txt"
    # Now and then Wine ends a program at once, before a line of it has run: the driver then
    # leaves no record at all, not even of starting the program. That start, and only that,
    # is tried once more, with a warning, so that it is counted and never hidden.
    for attempt in (1, 2):
        records.unlink(missing_ok=True)
        subprocess.run(
            [WINE, str(BUILD / "ui_driver.exe"), "--out", str(records), "--timeout", str(timeout),
             "--script", str(work / "script.txt"), "--cmdline", str(work / "cmdline.txt")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            timeout=timeout + 60, check=False,
        )
        if records.exists() or attempt == 2:
            break
        warnings.warn(f"Wine ended the UI driver before it ran, for {command_line!r}; starting it again")
    rows = [[unescape(f) for f in line.split("\t")]
            for line in records.read_bytes().decode("latin-1").splitlines() if line]
    exit_code = next((int(r[1]) for r in rows if r[0] == "EXIT"), None)
    return Run(rows, exit_code, any(r[0] == "TIMEOUT" for r in rows))


class ProgramFolder:
    """A fresh program folder C:\\vt\\<name> in the test Wine prefix holding Vantrel.exe."""

    def __init__(self, prefix, name, exe_name="Vantrel.exe"):
        self.name = name
        self.exe_name = exe_name
        self.path = Path(prefix) / "drive_c" / "vt" / name
        self.driver_folder = self.path.parent / (name + ".driver")
        for folder in (self.path, self.driver_folder):
            if folder.exists():
                shutil.rmtree(folder)
        self.path.mkdir(parents=True)
        shutil.copy(BUILD / "Vantrel.exe", self.path / exe_name)

    @property
    def windows_path(self):
        return "C:\\vt\\" + self.name

    def file(self, name):
        return self.path / name

    def write(self, name, data):
        target = self.path / name
        target.write_bytes(data if isinstance(data, bytes) else data.encode("latin-1"))
        return target

    def read(self, name):
        return (self.path / name).read_bytes()

    def configure(self, rater, **fields):
        """Writes Vantrel.dat: ten values, each followed by ";" and CR LF."""
        names = ["producerCode", "serverAddress", "serverPostFile", "krnLaunchFile", "company", "qqPath",
                 "vantrelFolder", "useItcZavezuda", "raterCode", "productName"]
        values = {"useItcZavezuda": "N", "raterCode": rater, **fields}
        self.write("Vantrel.dat", "".join(values.get(n, "") + ";\r\n" for n in names))

    def route(self, product, server="http://127.0.0.1", browser_path="UNDEFINED", site_mode="LIVE"):
        """Writes "PRoute.dat" whose value 93 is an extra route row for `product`."""
        row = route_row("E2E MUTUAL", "QQ", "IL", product, server, browser_path)
        values = [site_mode] + [""] * 91 + [row]
        self.write("PRoute.dat", "".join(value + ";\r\n" for value in values))

    def records_so_far(self):
        """The driver's records file as it stands while a run goes on."""
        records = self.driver_folder / "records.txt"
        return records.read_bytes() if records.exists() else b""

    def run(self, arguments="", script="", timeout=30):
        """Starts Vantrel.exe with `arguments` (the exact argument part of its command line)
        under the UI driver, which answers every message box with OK and acts on dialogs by
        `script`. Returns what the driver recorded."""
        work = self.driver_folder
        work.mkdir(exist_ok=True)
        command_line = f"{self.windows_path}\\{self.exe_name}" + (" " + arguments if arguments else "")
        return run_under_driver(work, command_line, script, timeout)


def log_lines(*lines, count=20):
    """The bytes of a log file of `count` CR LF lines starting with `lines`."""
    padded = list(lines) + [""] * (count - len(lines))
    return "".join(line + "\r\n" for line in padded).encode("latin-1")
