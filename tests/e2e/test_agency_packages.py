"""An agency's packages (scripts/installer.sh --settings --routes): the settings and routes
made by vantrel_config, checked before anything is built, and carried by Vantrel.msi and
VantrelSetup.exe so that a fresh install imports at once. The agent's own settings survive
every install, upgrade and removal; the agency's routes are replaced only where nobody
changed them."""

import hashlib
import shutil
import struct
import subprocess

import pytest

from harness import BUILD
from installation import (ROOT, UserFolders, end_uninstallers, nsis_uninstall, registry_values, run_installed,
                          version_numbers, version_text, windows_path, wine)
from test_import import STATUS_WINDOW
from test_msi import msi_properties, msiexec, product_entry
from test_reference_receiver import SAMPLE, assert_sample_stored, start_receiver, stop_receiver

TOOL = ROOT / "build" / "native" / "vantrel_config"
INSTALLER = ROOT / "scripts" / "installer.sh"
NSIS_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
AGENTS_SETTINGS = b"A1;\r\n;\r\n;\r\n;\r\nAGENT'S OWN;\r\n;\r\n;\r\nN;\r\nITC;\r\nSOMETHING;\r\n"


def tool(*arguments):
    result = subprocess.run([str(TOOL), *map(str, arguments)], capture_output=True, text=True, timeout=60,
                            check=False)
    assert result.returncode == 0, result
    return result


def write_agency_files(folder, server="http://127.0.0.1"):
    """The agency's Vantrel.dat, PRoute.dat and TlsHosts.dat, made by the tool: the FSC rater,
    a product routed to `server`, and a host of the agency's known to take TLS."""
    folder.mkdir(parents=True, exist_ok=True)
    tool("--write-routes", folder / "PRoute.dat", "--route", "E2E MUTUAL", "FSC", "IL", "DEMO AUTO", server,
         "UNDEFINED")
    tool("--write-settings", folder / "Vantrel.dat", "--rater", "FSC", "--product", "DEMO AUTO", "--post-file",
         "krn/import.asp", "--launch-file", "krn/start.asp", "--company", "E2E Agency", "--qq-path", "",
         "--routes", folder / "PRoute.dat")
    tool("--write-tls-hosts", folder / "TlsHosts.dat", "--tls-host", "secure.agency.example")
    return folder / "Vantrel.dat", folder / "PRoute.dat"


def build_packages(folder, settings, routes):
    tls_hosts = settings.parent / "TlsHosts.dat"
    result = subprocess.run(["bash", str(INSTALLER), "--settings", str(settings), "--routes", str(routes),
                             "--tls-hosts", str(tls_hosts), "--out", str(folder)], stdin=subprocess.DEVNULL,
                            capture_output=True, text=True, timeout=900, check=False)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    return folder / "Vantrel.msi", folder / "VantrelSetup.exe"


def higher_version():
    major, minor, build, revision = version_numbers(version_text())
    return f"{major}.{minor + 1}.{build}.{revision}"


@pytest.fixture(scope="module")
def agency(tmp_path_factory):
    """The agency's files and packages; a second set of routes (another server) and the
    packages of a higher version that carry them."""
    if not TOOL.exists():
        pytest.fail(f"{TOOL} is missing: build the native preset first")
    root = tmp_path_factory.mktemp("agency")
    settings, routes = write_agency_files(root / "files")
    msi, setup = build_packages(root / "packages", settings, routes)
    _, newer_routes = write_agency_files(root / "newer-files", server="http://127.0.0.2")
    newer_msi, newer_setup = build_packages(root / "newer", settings, newer_routes)
    result = subprocess.run(["bash", str(ROOT / "scripts" / "msi.sh"), str(root / "newer"), higher_version(),
                             "--settings", str(settings), "--routes", str(newer_routes), "--tls-hosts",
                             str(settings.parent / "TlsHosts.dat")],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120, check=False)
    assert result.returncode == 0, result.stderr
    return {"settings": settings.read_bytes(), "routes": routes.read_bytes(), "newer_routes": newer_routes.read_bytes(),
            "tls_hosts": (settings.parent / "TlsHosts.dat").read_bytes(), "msi": msi, "setup": setup, "newer_msi": newer_msi, "newer_setup": newer_setup}


def remove_everything(folders, *msis):
    for msi in msis:
        msiexec("/x", msi_properties(msi)["ProductCode"], "/qn")
    wine("reg", "delete", NSIS_KEY, "/f", timeout=60)
    shutil.rmtree(folders.install, ignore_errors=True)
    shutil.rmtree(folders.menu, ignore_errors=True)


@pytest.fixture
def folders(prefix, agency):
    found = UserFolders(prefix)
    packages = (BUILD / "Vantrel.msi", agency["msi"], agency["newer_msi"])
    remove_everything(found, *packages)
    yield found
    end_uninstallers(found)
    remove_everything(found, *packages)


def md5_parts(data):
    """An MSI file hash: the MD5 as four signed 32-bit numbers, as the MsiFileHash table keeps it."""
    return list(struct.unpack("<4i", hashlib.md5(data).digest()))


def table(msi, name):
    lines = subprocess.run(["msiinfo", "export", str(msi), name], capture_output=True, text=True, timeout=60,
                           check=True).stdout.splitlines()
    return [line.split("\t") for line in lines[3:]]


def test_a_bad_settings_file_stops_the_build_and_leaves_no_package(tmp_path):
    settings, routes = write_agency_files(tmp_path / "files")
    settings.write_bytes(settings.read_bytes().replace(b"FSC;", b"XYZ;"))
    out = tmp_path / "out"
    out.mkdir()
    for earlier in ("Vantrel.msi", "VantrelSetup.exe"):
        (out / earlier).write_bytes(b"an earlier build")
    result = subprocess.run(["bash", str(INSTALLER), "--settings", str(settings), "--routes", str(routes), "--out",
                             str(out)], stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=600,
                            check=False)
    assert result.returncode != 0
    assert f"{settings} value 9: the rater \"XYZ\" is not one of the eight codes" in result.stdout, result
    assert sorted(p.name for p in out.iterdir()) == []


def test_the_agency_msi_carries_the_rules_in_its_tables(agency):
    plain, own = msi_properties(BUILD / "Vantrel.msi"), msi_properties(agency["msi"])
    assert own["UpgradeCode"] == plain["UpgradeCode"]
    assert own["ProductVersion"] == plain["ProductVersion"]
    assert own["ProductCode"] != plain["ProductCode"]
    # One component per file, the file its key path: Vantrel.dat never overwritten (128) and
    # permanent (16); PRoute.dat permanent only, left to Windows Installer's rule for data files.
    components = {row[0]: row for row in table(agency["msi"], "Component")}
    assert (components["AgencySettings"][3], components["AgencySettings"][5]) == ("144", "AgencySettingsFile")
    assert (components["AgencyRoutes"][3], components["AgencyRoutes"][5]) == ("16", "AgencyRoutesFile")
    assert (components["AgencyTlsHosts"][3], components["AgencyTlsHosts"][5]) == ("144", "AgencyTlsHostsFile")
    files = {row[0]: row for row in table(agency["msi"], "File")}
    assert files["AgencySettingsFile"][1:3] == ["AgencySettings", "Vantrel.dat"]
    assert files["AgencyRoutesFile"][1:3] == ["AgencyRoutes", "PRoute.dat"]
    # The hash by which Windows Installer tells an unchanged copy of the routes.
    hashes = {row[0]: [int(part) for part in row[2:]] for row in table(agency["msi"], "MsiFileHash")}
    assert hashes["AgencyRoutesFile"] == md5_parts(agency["routes"])
    # Same-version upgrades both ways: the upgrade row's maximum is inclusive (512), the
    # downgrade row's minimum is not (no 256), in the plain package as in the agency one.
    for msi in (BUILD / "Vantrel.msi", agency["msi"]):
        rows = sorted(table(msi, "Upgrade"), key=lambda row: row[6])
        version = msi_properties(msi)["ProductVersion"]
        assert [row[1:] for row in rows] == [
            [version, "", "", "2", "", "WIX_DOWNGRADE_DETECTED"],
            ["", version, "", "513", "", "WIX_UPGRADE_DETECTED"],
        ]
    assert "AgencySettings" not in {row[0] for row in table(BUILD / "Vantrel.msi", "Component")}


@pytest.mark.parametrize("package", ["msi", "setup"])
def test_a_fresh_install_imports_without_setup(prefix, folders, agency, handoff, tmp_path, package):
    if package == "msi":
        assert msiexec("/i", windows_path(agency["msi"]), "/qn").returncode == 0
    else:
        assert wine(str(agency["setup"]), "/S", timeout=180).returncode == 0
    assert {"PRoute.dat", "TlsHosts.dat", "Vantrel.dat", "Vantrel.exe"} <= set(folders.files())
    assert (folders.install / "Vantrel.dat").read_bytes() == agency["settings"]
    assert (folders.install / "TlsHosts.dat").read_bytes() == agency["tls_hosts"]
    assert (folders.install / "PRoute.dat").read_bytes() == agency["routes"]

    database = tmp_path / "receiver.sqlite"
    receiver = start_receiver(database)
    try:
        export = tmp_path / "quote.txt"
        export.write_bytes(SAMPLE.read_bytes())
        run = run_installed(prefix, f"{folders.install_windows}\\Vantrel.exe {windows_path(export)}", STATUS_WINDOW,
                            timeout=60)
        assert (run.timed_out, run.messages) == (False, [])
    finally:
        stop_receiver(receiver)
    import_id = assert_sample_stored(database)
    assert handoff.requests()[-1][1] == f'"http://127.0.0.1/krn/start.asp?externalQuoteImportID={import_id}" '


def test_msi_installs_and_upgrades_keep_the_agents_settings(folders, agency):
    agents = {"Vantrel.dat": AGENTS_SETTINGS, "TlsHosts.dat": b"learned.example 2030-01-01T00:00:00Z;\r\n",
              "Route.dat": b"ROUTE;\r\n", "quotes.txt": b"kept\r\n"}

    def agents_files_kept():
        return {name: (folders.install / name).read_bytes() for name in agents} == agents

    # A first install over the files of an earlier Vantrel.
    folders.install.mkdir(parents=True)
    for name, content in agents.items():
        (folders.install / name).write_bytes(content)
    assert msiexec("/i", windows_path(agency["msi"]), "/qn").returncode == 0
    assert agents_files_kept()
    assert (folders.install / "PRoute.dat").read_bytes() == agency["routes"]

    # The same package again, then agency to plain and plain to agency of the same version.
    plain = BUILD / "Vantrel.msi"
    for msi in (agency["msi"], plain, agency["msi"]):
        assert msiexec("/i", windows_path(msi), "/qn").returncode == 0, msi
        assert product_entry(msi_properties(msi)["ProductCode"]) is not None, msi
        assert agents_files_kept(), msi
    assert product_entry(msi_properties(plain)["ProductCode"]) is None

    # A higher version of the agency package: the routes nobody changed are replaced.
    assert msiexec("/i", windows_path(agency["newer_msi"]), "/qn").returncode == 0
    assert product_entry(msi_properties(agency["msi"])["ProductCode"]) is None
    assert agents_files_kept()
    assert (folders.install / "PRoute.dat").read_bytes() == agency["newer_routes"]

    # Removal keeps both.
    assert msiexec("/x", windows_path(agency["newer_msi"]), "/qn").returncode == 0
    assert sorted(folders.files()) == sorted(["PRoute.dat", *agents])
    assert agents_files_kept()


@pytest.mark.xfail(reason="Wine's msiexec replaces any unversioned file whose size or hash differs; Windows "
                          "keeps one modified after it was installed (its rule for data files, which the "
                          "package relies on: see test_the_agency_msi_carries_the_rules_in_its_tables)",
                   strict=False)
def test_msi_upgrade_keeps_routes_someone_changed(folders, agency):
    assert msiexec("/i", windows_path(agency["msi"]), "/qn").returncode == 0
    changed = agency["routes"].replace(b"LIVE;", b"LIVE DEVSITE;")
    (folders.install / "PRoute.dat").write_bytes(changed)
    assert msiexec("/i", windows_path(agency["newer_msi"]), "/qn").returncode == 0
    assert (folders.install / "PRoute.dat").read_bytes() == changed


def test_nsis_installs_keep_the_agents_settings_and_changed_routes(folders, agency):
    def install(setup):
        result = wine(str(setup), "/S", timeout=180)
        assert result.returncode == 0, result

    # A fresh install carries both files.
    install(agency["setup"])
    assert (folders.install / "Vantrel.dat").read_bytes() == agency["settings"]
    assert (folders.install / "PRoute.dat").read_bytes() == agency["routes"]
    assert (folders.install / "TlsHosts.dat").read_bytes() == agency["tls_hosts"]

    # The agent's own settings and the hosts the PC learned are never overwritten; routes
    # nobody changed are replaced.
    learned = b"learned.example 2030-01-01T00:00:00Z;\r\n"
    (folders.install / "Vantrel.dat").write_bytes(AGENTS_SETTINGS)
    (folders.install / "TlsHosts.dat").write_bytes(learned)
    install(agency["newer_setup"])
    assert (folders.install / "Vantrel.dat").read_bytes() == AGENTS_SETTINGS
    assert (folders.install / "TlsHosts.dat").read_bytes() == learned
    assert (folders.install / "PRoute.dat").read_bytes() == agency["newer_routes"]

    # Routes someone changed are kept.
    changed = agency["newer_routes"].replace(b"LIVE;", b"LIVE DEVSITE;")
    (folders.install / "PRoute.dat").write_bytes(changed)
    install(agency["setup"])
    assert (folders.install / "PRoute.dat").read_bytes() == changed
    assert (folders.install / "Vantrel.dat").read_bytes() == AGENTS_SETTINGS

    # Removal keeps both.
    nsis_uninstall(folders, lambda: not (folders.install / "uninstall.exe").exists())
    assert folders.files() == ["PRoute.dat", "TlsHosts.dat", "Vantrel.dat"]
    assert registry_values(NSIS_KEY) is None


def test_the_windows_tool_checks_the_files_as_the_native_one_does(agency, tmp_path):
    (tmp_path / "Vantrel.dat").write_bytes(agency["settings"])
    (tmp_path / "PRoute.dat").write_bytes(agency["routes"])
    result = wine(str(BUILD / "vantrel_config.exe"), "--check", windows_path(tmp_path / "Vantrel.dat"), "--routes",
                  windows_path(tmp_path / "PRoute.dat"), timeout=60)
    assert result.returncode == 0, result
    assert b"Post address: http://127.0.0.1/krn/import.asp" in result.stdout
    (tmp_path / "Vantrel.dat").write_bytes(agency["settings"].replace(b"FSC;", b"XYZ;"))
    result = wine(str(BUILD / "vantrel_config.exe"), "--check", windows_path(tmp_path / "Vantrel.dat"), timeout=60)
    assert result.returncode == 1
    assert b"value 9: the rater \"XYZ\"" in result.stdout
