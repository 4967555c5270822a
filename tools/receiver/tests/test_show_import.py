"""show_import.py on what the receiver really stored: values in the agent's Windows code
page (Windows-1252), not UTF-8. Run by ctest with RECEIVER set to the vantrel_receiver program."""

import http.client
import os
import re
import subprocess
import sys
from pathlib import Path

import pytest

SHOW_IMPORT = Path(__file__).resolve().parents[1] / "show_import.py"


@pytest.fixture
def receiver(tmp_path):
    database = tmp_path / "receiver.sqlite"
    process = subprocess.Popen([os.environ["RECEIVER"], "--port", "0", "--db", str(database)],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        port = int(re.search(rb"://127\.0\.0\.1:(\d+)/", process.stdout.readline()).group(1))
        yield database, port
    finally:
        process.terminate()
        process.communicate(timeout=10)


def post(port, body):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    connection.request("POST", "/krn/import.asp", body=body,
                       headers={"Content-Type": "application/x-www-form-urlencoded"})
    assert connection.getresponse().status == 200


def show(database):
    return subprocess.run([sys.executable, str(SHOW_IMPORT), str(database)], capture_output=True, timeout=30)


HEADER = b"source=Vantrel20&xversion=2.101020&externalQuoteImportID=202612720565&fileGenName=202612720565.sti"


@pytest.mark.parametrize("rater, fields, shown", [
    # "\x80" is the euro sign in Windows-1252; "\x81" is one of the five bytes it leaves
    # undefined, which Windows reads as the control character of the same number.
    (b"QQ", b"&R0=M\xdcLLER%20\x80\x81&R2=\xc9COLE", ["   0  M\u00dcLLER \u20ac\\x81", "   2  \u00c9COLE"]),
    (b"FSC", b"&R0=1,1,1,M\xdcLLER%20\x80", ["M\u00dcLLER \u20ac"]),
])
def test_values_in_windows_1252_are_shown_as_the_agent_typed_them(receiver, rater, fields, shown):
    database, port = receiver
    post(port, HEADER.replace(b"&externalQuoteImportID", b"&rater=" + rater + b"&externalQuoteImportID") + fields)

    result = show(database)

    assert result.returncode == 0, result.stderr.decode(errors="replace")
    output = result.stdout.decode("utf-8")
    for text in shown:
        assert text in output


def test_control_characters_are_shown_escaped(receiver):
    database, port = receiver
    post(port, HEADER.replace(b"&externalQuoteImportID", b"&rater=QQ&externalQuoteImportID") + b"&R0=A\x1b[2JB")

    result = show(database)

    assert result.returncode == 0, result.stderr.decode(errors="replace")
    assert b"\x1b" not in result.stdout
    assert "A\\x1b[2JB" in result.stdout.decode("utf-8")
