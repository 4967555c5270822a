"""The Windows Installer package Vantrel.msi (scripts/msi.sh) under Wine's msiexec: the version
it carries, a silent per-user install, the installed Vantrel.exe running from its folder, a
major upgrade to a higher version and a removal that both keep the agent's files, and a lower
version refused over a higher one with a message that says why."""

import re
import shutil
import subprocess
from pathlib import Path

import pytest

from harness import BUILD, run_under_driver
from installation import (LOGS_OF_AN_IMPORT, ROOT, UserFolders, check_installed_program_starts, on_drive_c,
                          registry_values, version_numbers, version_text, windows_path, windows_variable, wine)

MSI = BUILD / "Vantrel.msi"
UNINSTALL = r"Software\Microsoft\Windows\CurrentVersion\Uninstall"
# What a per-user part keys on (installer/vantrel.wxs); it goes with the shortcut.
SHORTCUT_KEY = r"HKCU\Software\Vantrel"
# msiexec's ERROR_INSTALL_FAILURE (1603). Wine passes a program's exit code on to Linux as an
# exit status, which keeps only its low eight bits.
INSTALL_FAILURE = 1603 & 0xFF
DOWNGRADE_MESSAGE = ("A newer version of Vantrel is already installed. Remove it first from Apps & features "
                     "to install this older version.")

needs_msi = pytest.mark.skipif(not MSI.exists(), reason=f"{MSI} is missing: build it with `bash scripts/installer.sh`")


def build_msi(folder, version=None):
    """Builds folder/Vantrel.msi from the built Vantrel.exe by scripts/msi.sh, at `version`
    (four numbers) or at res/version.h's."""
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy(BUILD / "Vantrel.exe", folder / "Vantrel.exe")
    return subprocess.run(["bash", str(ROOT / "scripts" / "msi.sh"), str(folder), *([version] if version else [])],
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120, check=False)


def msi_properties(msi):
    """The Property table of an MSI package as {name: value}."""
    table = subprocess.run(["msiinfo", "export", str(msi), "Property"], capture_output=True, text=True,
                           timeout=60, check=True).stdout
    return dict(line.split("\t", 1) for line in table.splitlines()[3:])


def msiexec(*arguments):
    return wine("msiexec", *arguments, timeout=180)


def product_entry(product_code):
    """The "Apps & features" entry of an installed product: Windows keeps a per-user product's
    under HKCU, Wine 8 under HKLM, so either."""
    for hive in ("HKCU", "HKLM"):
        entry = registry_values(f"{hive}\\{UNINSTALL}\\{product_code}")
        if entry is not None:
            return entry
    return None


@pytest.fixture(scope="module")
def higher(tmp_path_factory):
    """Vantrel.msi of the same program at a higher version (the next minor one), built by the
    same script."""
    folder = tmp_path_factory.mktemp("higher")
    major, minor, build, revision = version_numbers(version_text())
    result = build_msi(folder, f"{major}.{minor + 1}.{build}.{revision}")
    assert result.returncode == 0, result.stderr
    return folder / "Vantrel.msi"


@pytest.fixture
def folders(prefix, higher):
    """The user's folders, with no Vantrel installed by an earlier test or run, and none left
    installed by this test when it fails half-way."""
    found = UserFolders(prefix)

    def remove_all():
        for msi in (MSI, higher):
            msiexec("/x", msi_properties(msi)["ProductCode"], "/qn")
        shutil.rmtree(found.install, ignore_errors=True)
        shutil.rmtree(found.menu, ignore_errors=True)

    remove_all()
    yield found
    remove_all()


@pytest.mark.parametrize("version, product_version", [
    ("2.10.10.20", "2.10.1020"),
    ("2.10.9.5", "2.10.905"),
    ("2.11.0.0", "2.11.0"),
    ("255.255.99.99", "255.255.9999"),
    ("2.10.100.1", None),  # the version text has two digits for each of the last two numbers
    ("256.0.0.0", None),
    ("2.10.10", None),
    ("2.10.10.20.1", None),
])
def test_msi_product_version_carries_the_four_numbers_in_three(tmp_path, version, product_version):
    result = build_msi(tmp_path, version)
    if product_version is None:
        assert result.returncode != 0 and "does not fit an MSI ProductVersion" in result.stderr, result
        assert not (tmp_path / "Vantrel.msi").exists()
        return
    assert result.returncode == 0, result.stderr
    properties = msi_properties(tmp_path / "Vantrel.msi")
    assert properties["ProductVersion"] == product_version
    assert properties["ProductName"] == "Vantrel"


@needs_msi
def test_msi_is_per_user_and_its_product_code_follows_the_version(tmp_path, higher):
    # Word Count flag 8: no elevation needed, so no administrator rights (InstallScope perUser).
    summary = subprocess.run(["msiinfo", "suminfo", str(MSI)], capture_output=True, text=True, timeout=60,
                             check=True).stdout
    assert int(re.search(r"^Source: (\d+)", summary, re.M).group(1)) & 8, summary

    # The built package has res/version.h's version; the same version built again has the same
    # product code, so that a rebuild never installs beside itself.
    assert build_msi(tmp_path, ".".join(map(str, version_numbers(version_text())))).returncode == 0
    built, again, newer = (msi_properties(msi) for msi in (MSI, tmp_path / "Vantrel.msi", higher))
    assert again["ProductVersion"] == built["ProductVersion"]
    assert again["ProductCode"] == built["ProductCode"]
    assert newer["ProductCode"] != built["ProductCode"]
    assert newer["UpgradeCode"] == again["UpgradeCode"] == built["UpgradeCode"]


@needs_msi
def test_silent_install_upgrade_and_removal_keep_the_agents_files(prefix, folders, higher):
    version = version_text()
    lower, upper = msi_properties(MSI), msi_properties(higher)

    # Install, silently, as the user.
    result = msiexec("/i", windows_path(MSI), "/qn")
    assert result.returncode == 0, result
    assert folders.files() == ["Vantrel.exe"]
    assert (folders.install / "Vantrel.exe").read_bytes() == (BUILD / "Vantrel.exe").read_bytes()
    assert folders.shortcut_starts_the_installed_program()
    entry = product_entry(lower["ProductCode"])
    assert entry is not None, "no Apps & features entry"
    assert (entry["DisplayName"], entry["DisplayVersion"], entry["Publisher"]) == (
        "Vantrel", lower["ProductVersion"], "Vantrel Project")
    assert entry["UninstallString"] == f"MsiExec.exe /X{lower['ProductCode']}"
    # The entry's icon, kept by Windows Installer with the user's record of the product.
    icon = on_drive_c(prefix, windows_variable("APPDATA")) / "Microsoft" / "Installer" / lower["ProductCode"]
    assert (icon / "vantrel.ico").read_bytes() == (ROOT / "res" / "vantrel.ico").read_bytes()

    check_installed_program_starts(prefix, folders, version)

    # The agent's files, and the logs of an import: the last one's and the import history.
    agents = {"Vantrel.dat": b"A1;\r\n;\r\n;\r\n;\r\nE2E MUTUAL;\r\n;\r\n;\r\nN;\r\nFSC;\r\n;\r\n",
              "PRoute.dat": b"LIVE;\r\n", "Route.dat": b"ROUTE;\r\n", "quotes.txt": b"kept\r\n"}
    for name, content in agents.items():
        (folders.install / name).write_bytes(content)
    for log in LOGS_OF_AN_IMPORT:
        (folders.install / log).write_bytes(b"sent\r\n")

    # A higher version replaces the installed one and leaves the agent's files alone.
    result = msiexec("/i", windows_path(higher), "/qn")
    assert result.returncode == 0, result
    assert product_entry(lower["ProductCode"]) is None, "the lower version is still registered"
    assert product_entry(upper["ProductCode"])["DisplayVersion"] == upper["ProductVersion"]
    assert folders.files() == sorted(["Vantrel.exe", *agents])  # the logs go with the removed version
    assert {name: (folders.install / name).read_bytes() for name in agents} == agents
    assert folders.shortcut_starts_the_installed_program()

    # The lower version over it is refused: silently with msiexec's failure code, and with a
    # message that says why when msiexec shows one.
    result = msiexec("/i", windows_path(MSI), "/qn")
    assert result.returncode == INSTALL_FAILURE, result
    work = Path(prefix) / "drive_c" / "vt" / "msiexec.driver"
    work.mkdir(parents=True, exist_ok=True)
    run = run_under_driver(work, f"C:\\windows\\system32\\msiexec.exe /i {windows_path(MSI)} /qb", "", 60)
    assert (run.timed_out, run.exit_code, run.message_texts) == (False, 1603, [DOWNGRADE_MESSAGE])
    assert product_entry(lower["ProductCode"]) is None
    assert product_entry(upper["ProductCode"]) is not None

    # Removal takes the program, the logs, the shortcut and the entry, and keeps the agent's files.
    result = msiexec("/x", windows_path(higher), "/qn")
    assert result.returncode == 0, result
    assert folders.files() == sorted(agents)
    assert {name: (folders.install / name).read_bytes() for name in agents} == agents
    assert not folders.shortcut.exists() and not folders.menu.exists()
    assert product_entry(upper["ProductCode"]) is None, "the Apps & features entry is still there"
    assert registry_values(SHORTCUT_KEY) is None


@needs_msi
def test_removal_by_product_code_removes_the_folder_when_the_agent_left_nothing_in_it(folders):
    product_code = msi_properties(MSI)["ProductCode"]
    assert msiexec("/i", windows_path(MSI), "/qn").returncode == 0
    for log in ("vantrel.log", *LOGS_OF_AN_IMPORT):
        (folders.install / log).write_bytes(b"Executable Name = VANTREL\r\n")
    # As deployment tools remove it: by the product code, without the package.
    assert msiexec("/x", product_code, "/qn").returncode == 0
    assert not folders.install.exists(), folders.files()
    assert not folders.menu.exists()
    assert product_entry(product_code) is None
