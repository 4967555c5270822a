"""Authenticode signatures (scripts/sign.sh, osslsigncode) with a throwaway code-signing
certificate: every file the build ships (Vantrel.exe, VantrelSetup.exe, the uninstaller it
packs, Vantrel.msi) is signed and verifies against its authority and not against another, the
signed program and installers still run under Wine, the password shows nowhere, and a build
without a certificate says that its packages are unsigned."""

import os
import shutil
import subprocess
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import pytest

from harness import BUILD
from installation import (ROOT, UserFolders, check_installed_program_starts, end_uninstallers, nsis_uninstall,
                          version_text, windows_path, wine)

PASSWORD = "throwaway pass phrase 17"
PACKAGE_FILES = ("Vantrel.exe", "vantrel_config.exe", "VantrelSetup.exe", "Vantrel.msi")


def script(name, arguments, **signing):
    """Runs scripts/<name> with only the given VANTREL_SIGN_* variables set."""
    environment = {k: v for k, v in os.environ.items() if not k.startswith("VANTREL_SIGN_")}
    environment.update({f"VANTREL_SIGN_{k.upper()}": str(v) for k, v in signing.items()})
    result = subprocess.run(["bash", str(ROOT / "scripts" / name), *map(str, arguments)], env=environment,
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=300, check=False)
    assert PASSWORD not in result.stdout + result.stderr
    return result


def verify(path, authority):
    """(passed, output) of osslsigncode's check of the signature of `path` against `authority`."""
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(authority), "-in", str(path)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60, check=False)
    return result.returncode == 0 and "Signature verification: ok" in result.stdout, result.stdout + result.stderr


def packed(folder):
    """A folder holding copies of the built Vantrel.exe and vantrel_config.exe, to be packed there."""
    folder.mkdir(parents=True, exist_ok=True)
    for program in ("Vantrel.exe", "vantrel_config.exe"):
        shutil.copy(BUILD / program, folder / program)
    return folder


@pytest.fixture(scope="module")
def signer(certificates):
    """(certificate, key, PKCS#12 file) of a code-signing certificate of the test authority."""
    return certificates["trusted"].code_signer("Vantrel Test Signer", PASSWORD)


@pytest.fixture(scope="module")
def signed(tmp_path_factory, signer):
    """The three packages, built and signed with the PKCS#12 file and its password."""
    folder = packed(tmp_path_factory.mktemp("signed"))
    result = script("package.sh", [folder], pkcs12=signer[2], password=PASSWORD)
    assert result.returncode == 0, result.stdout + result.stderr
    return folder, result.stdout


def test_packaging_signs_every_file_and_each_verifies_only_against_its_authority(signed, certificates):
    folder, log = signed
    assert "UNSIGNED" not in log
    # The uninstaller is signed by makensis's call before it is packed: five files signed.
    assert log.count("Signed ") == 5, log
    for name in PACKAGE_FILES:
        passed, output = verify(folder / name, certificates["trusted"].ca_certificate)
        assert passed, output
        assert "Number of verified signatures: 1" in output
        passed, output = verify(folder / name, certificates["untrusted"].ca_certificate)
        assert not passed, output


@pytest.mark.parametrize("form", ["PKCS#12 and password", "certificate and key", "certificate and encrypted key",
                                  "wrong password", "certificate without key", "key without certificate"])
def test_signing_takes_the_certificate_in_either_form_and_fails_loudly(tmp_path, signer, certificates, form):
    certificate, key, bundle = signer
    encrypted = tmp_path / "encrypted.key"
    subprocess.run(["openssl", "pkey", "-in", str(key), "-aes256", "-passout", f"pass:{PASSWORD}",
                    "-out", str(encrypted)], capture_output=True, timeout=60, check=True)
    signing, succeeds = {
        "PKCS#12 and password": (dict(pkcs12=bundle, password=PASSWORD), True),
        "certificate and key": (dict(cert=certificate, key=key), True),
        "certificate and encrypted key": (dict(cert=certificate, key=encrypted, password=PASSWORD), True),
        "wrong password": (dict(pkcs12=bundle, password="not " + PASSWORD), False),
        "certificate without key": (dict(cert=certificate), False),
        "key without certificate": (dict(key=key), False),
    }[form]
    program = packed(tmp_path) / "Vantrel.exe"
    unsigned = program.read_bytes()

    result = script("sign.sh", [program], **signing)
    passed, output = verify(program, certificates["trusted"].ca_certificate)
    if succeeds:
        assert result.returncode == 0, result.stderr
        assert passed, output
        # Signing a signed file again (an unchanged build packed twice) replaces its signature.
        assert script("sign.sh", [program], **signing).returncode == 0
        passed, output = verify(program, certificates["trusted"].ca_certificate)
        assert passed and "Number of verified signatures: 1" in output, output
    else:
        assert result.returncode != 0, result
        assert program.read_bytes() == unsigned
        assert sorted(p.name for p in tmp_path.iterdir()) == ["Vantrel.exe", "encrypted.key", "vantrel_config.exe"]


def test_packaging_without_a_certificate_says_the_packages_are_unsigned(tmp_path, certificates):
    result = script("package.sh", [packed(tmp_path)])
    assert result.returncode == 0, result.stdout + result.stderr
    notices = [line for line in result.stdout.splitlines() if line.startswith("UNSIGNED: no code-signing certificate")]
    assert len(notices) == 5, result.stdout  # the two programs, the uninstaller, both installers
    for name in PACKAGE_FILES:
        assert any(line.endswith(str(tmp_path / name)) for line in notices), (name, notices)
        passed, output = verify(tmp_path / name, certificates["trusted"].ca_certificate)
        assert not passed, output


class TimeStampAuthority:
    """An RFC 3161 time-stamp server on 127.0.0.1 that answers with `openssl ts -reply`, as the
    agency's certificate authority's server would, under a certificate of the test authority."""

    def __init__(self, folder, certificate, key):
        self.folder = folder
        self.requests = 0
        (folder / "serial").write_text("01\n")
        (folder / "tsa.cnf").write_text(
            "[tsa]\ndefault_tsa = test\n[test]\n"
            f"serial = {folder / 'serial'}\nsigner_cert = {certificate}\nsigner_key = {key}\n"
            "signer_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\ness_cert_id_chain = no\n")
        authority = self

        class Handler(BaseHTTPRequestHandler):
            def do_POST(self):
                body = authority.reply(self.rfile.read(int(self.headers["Content-Length"])))
                self.send_response(200)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *arguments):
                pass

        self.server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def reply(self, query):
        self.requests += 1
        query_file, reply_file = self.folder / f"{self.requests}.tsq", self.folder / f"{self.requests}.tsr"
        query_file.write_bytes(query)
        subprocess.run(["openssl", "ts", "-reply", "-config", str(self.folder / "tsa.cnf"), "-queryfile",
                        str(query_file), "-out", str(reply_file)], capture_output=True, timeout=60, check=True)
        return reply_file.read_bytes()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()
        self.thread.join(timeout=30)


@pytest.fixture
def time_stamp_authority(tmp_path, certificates):
    authority = TimeStampAuthority(tmp_path, *certificates["trusted"].time_stamper("Vantrel Test TSA"))
    yield authority
    authority.stop()


def test_signatures_carry_a_time_stamp_when_a_server_is_given(tmp_path, signer, certificates, time_stamp_authority):
    certificate, key, _ = signer
    files = [packed(tmp_path / "program") / "Vantrel.exe", tmp_path / "Vantrel.msi"]
    shutil.copy(BUILD / "Vantrel.msi", files[1])
    result = script("sign.sh", files, cert=certificate, key=key, timestamp=time_stamp_authority.url)
    assert result.returncode == 0, result.stdout + result.stderr
    assert time_stamp_authority.requests == len(files)
    for path in files:
        verified = subprocess.run(["osslsigncode", "verify", "-CAfile", str(certificates["trusted"].ca_certificate),
                                   "-TSA-CAfile", str(certificates["trusted"].ca_certificate), "-in", str(path)],
                                  capture_output=True, text=True, timeout=60, check=False)
        assert verified.returncode == 0, verified.stdout + verified.stderr
        assert "Timestamp Server Signature verification: ok" in verified.stdout, verified.stdout


@pytest.fixture
def folders(prefix):
    found = UserFolders(prefix)
    shutil.rmtree(found.install, ignore_errors=True)
    shutil.rmtree(found.menu, ignore_errors=True)
    yield found
    end_uninstallers(found)


def test_signed_program_and_installers_run_under_wine(prefix, folders, signed, certificates):
    folder, _ = signed
    version = version_text()

    # VantrelSetup.exe installs the signed program and the uninstaller it signed.
    result = wine(str(folder / "VantrelSetup.exe"), "/S", timeout=180)
    assert result.returncode == 0, result
    assert (folders.install / "Vantrel.exe").read_bytes() == (folder / "Vantrel.exe").read_bytes()
    passed, output = verify(folders.install / "uninstall.exe", certificates["trusted"].ca_certificate)
    assert passed, output
    check_installed_program_starts(prefix, folders, version)
    nsis_uninstall(folders, lambda: not folders.install.exists())

    # So does Vantrel.msi, and removes it again.
    msi = windows_path(folder / "Vantrel.msi")
    result = wine("msiexec", "/i", msi, "/qn", timeout=180)
    assert result.returncode == 0, result
    assert (folders.install / "Vantrel.exe").read_bytes() == (folder / "Vantrel.exe").read_bytes()
    check_installed_program_starts(prefix, folders, version)
    result = wine("msiexec", "/x", msi, "/qn", timeout=180)
    assert result.returncode == 0, result
    assert not folders.install.exists(), folders.files()
