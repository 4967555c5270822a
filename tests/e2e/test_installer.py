"""The installer VantrelSetup.exe (scripts/installer.sh) under Wine: a silent per-user install,
the installed Vantrel.exe running from its folder, and a silent uninstall that removes the
program but keeps the agent's settings. Also the version resources of both programs."""

import shutil
import struct
from pathlib import Path

import pytest

from harness import BUILD
from installation import (LOGS_OF_AN_IMPORT, UserFolders, check_installed_program_starts, end_uninstallers,
                          nsis_uninstall, registry_values, version_numbers, version_text, wine)

SETUP = BUILD / "VantrelSetup.exe"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"

needs_setup = pytest.mark.skipif(
    not SETUP.exists(), reason=f"{SETUP} is missing: build it with `bash scripts/installer.sh`")


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


@needs_setup
def test_silent_install_runs_from_its_folder_and_uninstall_keeps_the_settings(prefix):
    version = version_text()
    folders = UserFolders(prefix)
    # A prefix kept from an earlier run starts clean.
    shutil.rmtree(folders.install, ignore_errors=True)
    shutil.rmtree(folders.menu, ignore_errors=True)
    wine("reg", "delete", UNINSTALL_KEY, "/f", timeout=60)

    try:
        # Install, silently, as the user.
        result = wine(str(SETUP), "/S", timeout=180)
        assert result.returncode == 0, result
        assert folders.files() == ["Vantrel.exe", "uninstall.exe"]
        assert (folders.install / "Vantrel.exe").read_bytes() == (BUILD / "Vantrel.exe").read_bytes()
        assert folders.shortcut_starts_the_installed_program()

        install_windows = folders.install_windows
        entry = registry_values(UNINSTALL_KEY)
        assert entry is not None, "no Add/Remove programs entry under HKCU"
        assert entry["DisplayName"] == "Vantrel"
        assert entry["DisplayVersion"] == version
        assert entry["InstallLocation"] == install_windows
        assert entry["UninstallString"] == f'"{install_windows}\\uninstall.exe"'
        assert entry["QuietUninstallString"] == f'"{install_windows}\\uninstall.exe" /S'

        check_installed_program_starts(prefix, folders, version)

        # The agent's files, and the logs of an import: the last one's and the import history.
        settings = b"".join(value + b";\r\n" for value in
                            [b"A1", b"", b"", b"", b"E2E MUTUAL", b"", b"", b"N", b"FSC", b""])
        (folders.install / "Vantrel.dat").write_bytes(settings)
        (folders.install / "PRoute.dat").write_bytes(b"LIVE;\r\n")
        for log in LOGS_OF_AN_IMPORT:
            (folders.install / log).write_bytes(b"sent\r\n")

        # Uninstall, silently, as Add/Remove programs does.
        nsis_uninstall(folders, lambda: not (folders.install / "uninstall.exe").exists())

        assert folders.files() == ["PRoute.dat", "Vantrel.dat"]
        assert (folders.install / "Vantrel.dat").read_bytes() == settings
        assert not folders.shortcut.exists() and not folders.menu.exists()
        assert registry_values(UNINSTALL_KEY) is None, "the Add/Remove programs entry is still there"
    finally:
        end_uninstallers(folders)


@needs_setup
def test_uninstall_removes_the_folder_when_the_agent_left_nothing_in_it(prefix):
    folders = UserFolders(prefix)
    shutil.rmtree(folders.install, ignore_errors=True)
    try:
        assert wine(str(SETUP), "/S", timeout=180).returncode == 0
        assert (folders.install / "Vantrel.exe").exists()
        for log in ("vantrel.log", *LOGS_OF_AN_IMPORT):
            (folders.install / log).write_bytes(b"Executable Name = VANTREL\r\n")
        nsis_uninstall(folders, lambda: not folders.install.exists())
        assert registry_values(UNINSTALL_KEY) is None
    finally:
        end_uninstallers(folders)
