import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import pytest

# The stand-in for the customer's server and the route-row writer live with the other tools.
TOOLS = Path(__file__).resolve().parents[2] / "tools"
sys.path[:0] = [str(TOOLS / "test_receiver"), str(TOOLS / "pylib")]

from harness import BUILD, WINE, ProgramFolder


@pytest.fixture(scope="session")
def prefix():
    """The Wine prefix and display that scripts/test.sh prepared for this run."""
    if not all(os.environ.get(name) for name in ("WINE", "WINEPREFIX", "DISPLAY")):
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
    """Holds a file of the test prefix open in the background for the given seconds, sharing
    nothing or (sharing="readwrite") reading and writing but not deleting; waits until the
    lock is held."""
    lockers = []

    def lock(path, seconds, sharing="none"):
        marker = Path(str(path) + ".locked")
        marker.unlink(missing_ok=True)
        windows_path = "C:\\" + str(path.relative_to(Path(prefix) / "drive_c")).replace("/", "\\")
        lockers.append(subprocess.Popen([WINE, str(BUILD / "file_locker.exe"), windows_path, str(seconds), sharing],
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


class Certificates:
    """A throwaway certificate authority and the server certificates it signs, made with
    the openssl command in a folder of the test run's own."""

    def __init__(self, folder):
        self.folder = folder
        self.ca_certificate = folder / "ca.pem"
        self._openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Vantrel Test CA",
                      "-keyout", folder / "ca.key", "-out", self.ca_certificate)

    def _openssl(self, *arguments):
        subprocess.run(["openssl", *map(str, arguments)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, timeout=60, check=True)

    def _issue(self, name, common_name, extensions):
        """(certificate, key), files named `name`, for `common_name` with the given X.509
        extensions, signed by this authority."""
        key, request, certificate = (self.folder / f"{name}.{suffix}" for suffix in ("key", "csr", "pem"))
        extension_file = self.folder / f"{name}.ext"
        extension_file.write_text(extensions)
        self._openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", f"/CN={common_name}", "-keyout", key,
                      "-out", request)
        self._openssl("x509", "-req", "-in", request, "-CA", self.ca_certificate, "-CAkey", self.folder / "ca.key",
                      "-CAcreateserial", "-days", "2", "-extfile", extension_file, "-out", certificate)
        return certificate, key

    def server(self, name, dns_name):
        """(certificate, key) of a TLS server for `dns_name`."""
        return self._issue(name, dns_name, f"subjectAltName=DNS:{dns_name}\n")

    def code_signer(self, name, password):
        """(certificate, key, PKCS#12 file holding both under `password`) for signing programs."""
        certificate, key = self._issue(name, name, "keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
        bundle = self.folder / f"{name}.p12"
        self._openssl("pkcs12", "-export", "-in", certificate, "-inkey", key, "-certfile", self.ca_certificate,
                      "-passout", f"pass:{password}", "-out", bundle)
        return certificate, key, bundle

    def time_stamper(self, name):
        """(certificate, key) of an RFC 3161 time-stamp authority."""
        return self._issue(name, name, "keyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n")


@pytest.fixture(scope="session")
def certificates(tmp_path_factory):
    """Two unrelated authorities: "trusted" is added to the system's trusted certificates
    while a test holds `trust_test_ca`; "untrusted" never is."""
    return {name: Certificates(tmp_path_factory.mktemp(name)) for name in ("trusted", "untrusted")}


SYSTEM_CA_BUNDLE = Path("/etc/ssl/certs/ca-certificates.crt")


@pytest.fixture
def trust_test_ca(certificates):
    """Makes the system (and so Wine's certificate checks) trust the test authority, for the
    length of one test: a copy of the system's bundle with it added is bind-mounted over the
    bundle. The tests run in a mount namespace of their own, so nothing outside sees it."""
    bundle = certificates["trusted"].folder / "ca-certificates.crt"
    system = SYSTEM_CA_BUNDLE.read_bytes() if SYSTEM_CA_BUNDLE.exists() else b""
    bundle.write_bytes(system + b"\n" + certificates["trusted"].ca_certificate.read_bytes())
    SYSTEM_CA_BUNDLE.parent.mkdir(parents=True, exist_ok=True)
    SYSTEM_CA_BUNDLE.touch(exist_ok=True)
    subprocess.run(["mount", "--bind", str(bundle), str(SYSTEM_CA_BUNDLE)], timeout=30, check=True)
    try:
        yield certificates["trusted"]
    finally:
        subprocess.run(["umount", str(SYSTEM_CA_BUNDLE)], timeout=30, check=True)
