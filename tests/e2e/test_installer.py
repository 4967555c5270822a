"""The installer VantrelSetup.exe (scripts/installer.sh) under Wine: a silent per-user install,
the installed Vantrel.exe running from its folder, and a silent uninstall that removes the
program but keeps the agent's settings. Also the version resources of both programs."""

import os
import re
import shutil
import signal
import struct
import subprocess
import time
from pathlib import Path

import pytest

from harness import BUILD, WINE, run_under_driver

ROOT = Path(__file__).resolve().parents[2]
SETUP = BUILD / "VantrelSetup.exe"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
MAIN = "Comparative Rater Import Utility"

needs_setup = pytest.mark.skipif(
    not SETUP.exists(), reason=f"{SETUP} is missing: build it with `bash scripts/installer.sh`")


def version_text():
    """The program's version text, written once in res/version.h."""
    source = (ROOT / "res" / "version.h").read_text()
    return re.search(r'#define VANTREL_VERSION_TEXT "([^"]+)"', source).group(1)


def version_numbers(text):
    """2.101020 -> (2, 10, 10, 20), the four numbers of a Windows version resource."""
    major, digits = text.split(".")
    assert len(digits) == 6 and digits.isdigit(), text
    return int(major), int(digits[0:2]), int(digits[2:4]), int(digits[4:6])


def version_resource(path):
    """(file version, product version, string values) of the first RT_VERSION resource of a
    PE file, read the way Windows lays it out (VS_VERSIONINFO)."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", path
    section_count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    pe32_plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
    resource_rva = struct.unpack_from("<I", data, optional + (112 if pe32_plus else 96) + 2 * 8)[0]
    sections = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i) for i in range(section_count)]

    def offset(rva):
        for virtual_size, address, raw_size, raw in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise AssertionError(f"{path}: address {rva:#x} is in no section")

    base = offset(resource_rva)
    node = base
    for wanted in (16, None, None):  # RT_VERSION, then its first name and first language
        named, numbered = struct.unpack_from("<HH", data, node + 12)
        entries = [struct.unpack_from("<II", data, node + 16 + 8 * i) for i in range(named + numbered)]
        matching = [target for name, target in entries if wanted is None or name == wanted]
        assert matching, f"{path} has no version resource"
        node = base + (matching[0] & 0x7FFFFFFF)
    data_rva, size = struct.unpack_from("<II", data, node)
    block = data[offset(data_rva):offset(data_rva) + size]

    fixed, strings = [], {}

    def walk(position, end, depth):
        while position + 6 <= end:
            length, value_length, is_text = struct.unpack_from("<HHH", block, position)
            if length == 0:
                break
            key_end = position + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[position + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            if depth == 0:  # VS_VERSIONINFO with its VS_FIXEDFILEINFO
                fixed.extend(struct.unpack_from("<13I", block, value))
                walk((value + value_length + 3) & ~3, position + length, 1)
            elif depth == 1 and key == "StringFileInfo":
                walk(value, position + length, 2)
            elif depth == 2:  # a string table such as 040904B0
                walk(value, position + length, 3)
            elif depth == 3 and is_text:
                strings[key] = block[value:value + 2 * value_length].decode("utf-16-le").rstrip("\0")
            position = (position + length + 3) & ~3

    walk(0, len(block), 0)
    assert fixed and fixed[0] == 0xFEEF04BD, f"{path}: no VS_FIXEDFILEINFO"

    def split(most, least):
        return most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF

    return split(fixed[2], fixed[3]), split(fixed[4], fixed[5]), strings


def test_vantrel_exe_carries_its_version_and_names():
    version = version_text()
    file_version, product_version, strings = version_resource(BUILD / "Vantrel.exe")
    assert file_version == product_version == version_numbers(version)
    assert strings["FileVersion"] == strings["ProductVersion"] == version
    assert strings["ProductName"] == "Vantrel"
    assert strings["InternalName"] == "Vantrel"
    assert strings["OriginalFilename"] == "Vantrel.exe"
    assert strings["FileDescription"] == "Comparative Rater Import Utility"
    assert strings["CompanyName"]
    assert strings["LegalCopyright"]


@needs_setup
def test_installer_carries_the_program_version():
    version = version_text()
    file_version, product_version, strings = version_resource(SETUP)
    assert file_version == product_version == version_numbers(version)
    assert strings["ProductVersion"] == strings["FileVersion"] == version
    assert strings["ProductName"] == "Vantrel"
    assert strings["OriginalFilename"] == "VantrelSetup.exe"


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


def wait_for_uninstaller(install, install_windows, finished):
    """Waits, at most 30 s, until `finished()` holds and the uninstaller copy has ended."""
    deadline = time.monotonic() + 30
    while not finished() or uninstaller_processes(install_windows):
        if time.monotonic() > deadline:
            left = sorted(p.name for p in install.iterdir()) if install.exists() else []
            pytest.fail(f"the uninstaller did not finish within 30 s; left in {install_windows}: {left}")
        time.sleep(0.2)


def run_installed(prefix, exe_windows_path, script, timeout=30):
    """Starts the program at `exe_windows_path` with no arguments under the UI driver."""
    work = Path(prefix) / "drive_c" / "vt" / "installer.driver"
    work.mkdir(parents=True, exist_ok=True)
    return run_under_driver(work, exe_windows_path, script, timeout)


@needs_setup
def test_silent_install_runs_from_its_folder_and_uninstall_keeps_the_settings(prefix):
    version = version_text()
    install_windows = windows_variable("LOCALAPPDATA") + "\\Programs\\Vantrel"
    menu_windows = windows_variable("APPDATA") + "\\Microsoft\\Windows\\Start Menu\\Programs\\Vantrel"
    install = on_drive_c(prefix, install_windows)
    menu = on_drive_c(prefix, menu_windows)
    shortcut = menu / "Vantrel.lnk"
    # A prefix kept from an earlier run starts clean.
    shutil.rmtree(install, ignore_errors=True)
    shutil.rmtree(menu, ignore_errors=True)
    wine("reg", "delete", UNINSTALL_KEY, "/f", timeout=60)

    try:
        # Install, silently, as the user.
        result = wine(str(SETUP), "/S", timeout=180)
        assert result.returncode == 0, result
        assert sorted(p.name for p in install.iterdir()) == ["Vantrel.exe", "uninstall.exe"]
        assert (install / "Vantrel.exe").read_bytes() == (BUILD / "Vantrel.exe").read_bytes()
        link = shortcut.read_bytes()
        assert link[:4] == b"L\0\0\0"
        assert (install_windows + "\\Vantrel.exe").encode("utf-16-le") in link  # what it starts
        assert (install_windows + "\0").encode("utf-16-le") in link  # where: the program folder

        entry = registry_values(UNINSTALL_KEY)
        assert entry is not None, "no Add/Remove programs entry under HKCU"
        assert entry["DisplayName"] == "Vantrel"
        assert entry["DisplayVersion"] == version
        assert entry["InstallLocation"] == install_windows
        assert entry["UninstallString"] == f'"{install_windows}\\uninstall.exe"'
        assert entry["QuietUninstallString"] == f'"{install_windows}\\uninstall.exe" /S'

        # The installed program starts from there, shows its main window and logs beside itself.
        run = run_installed(prefix, install_windows + "\\Vantrel.exe",
                               f"window {MAIN}|1000\nmark main window\nclick 2\n")
        assert (run.timed_out, run.exit_code, run.unexpected, run.errors) == (False, 0, [], [])
        assert run.marks == ["main window"]
        log = (install / "vantrel.log").read_bytes().decode("latin-1").splitlines()
        assert log[:3] == ["Executable Name = VANTREL", "Command line parameters = ",
                           f"Version number = {version}"]

        # The agent's files, and a log of an import.
        settings = b"".join(value + b";\r\n" for value in
                            [b"A1", b"", b"", b"", b"E2E MUTUAL", b"", b"", b"N", b"FSC", b""])
        (install / "Vantrel.dat").write_bytes(settings)
        (install / "PRoute.dat").write_bytes(b"LIVE;\r\n")
        (install / "export.log").write_bytes(b"sent\r\n")

        # Uninstall, silently, as Add/Remove programs does: uninstall.exe hands over to a copy
        # of itself in %TEMP% (so that it can delete itself) and returns at once; wait for
        # that copy to finish.
        result = wine(str(install / "uninstall.exe"), "/S", timeout=120)
        assert result.returncode == 0, result
        wait_for_uninstaller(install, install_windows, lambda: not (install / "uninstall.exe").exists())

        assert sorted(p.name for p in install.iterdir()) == ["PRoute.dat", "Vantrel.dat"]
        assert (install / "Vantrel.dat").read_bytes() == settings
        assert not shortcut.exists() and not menu.exists()
        assert registry_values(UNINSTALL_KEY) is None, "the Add/Remove programs entry is still there"
    finally:
        for pid in uninstaller_processes(install_windows):
            os.kill(pid, signal.SIGKILL)


@needs_setup
def test_uninstall_removes_the_folder_when_the_agent_left_nothing_in_it(prefix):
    install_windows = windows_variable("LOCALAPPDATA") + "\\Programs\\Vantrel"
    install = on_drive_c(prefix, install_windows)
    shutil.rmtree(install, ignore_errors=True)
    try:
        assert wine(str(SETUP), "/S", timeout=180).returncode == 0
        assert (install / "Vantrel.exe").exists()
        (install / "vantrel.log").write_bytes(b"Executable Name = VANTREL\r\n")
        assert wine(str(install / "uninstall.exe"), "/S", timeout=120).returncode == 0
        wait_for_uninstaller(install, install_windows, lambda: not install.exists())
        assert registry_values(UNINSTALL_KEY) is None
    finally:
        for pid in uninstaller_processes(install_windows):
            os.kill(pid, signal.SIGKILL)
