"""The demo's road, checked: Vantrel.exe imports the bundled sample export into the
reference receiver, which stores the quote field by field as the sample file has it."""

import csv
import http.client
import re
import socket
import sqlite3
import ssl
import subprocess
import time
from pathlib import Path

import pytest

from test_import import STATUS_WINDOW

ROOT = Path(__file__).resolve().parents[2]
RECEIVER = ROOT / "build" / "native" / "vantrel_receiver"
SAMPLE = ROOT / "examples" / "fsc-auto-quote.txt"


def expected_fields(sample):
    """(record, occurrence, position, value) for every value of the sample, as the record
    encoding sends it."""
    fields, seen = [], {}
    for values in csv.reader(sample.read_text(encoding="latin-1").splitlines()):
        record = int(values[0])
        if record == 32000:
            continue
        seen[record] = seen.get(record, 0) + 1
        for position, value in enumerate(values[1:], start=1):
            last = position == len(values) - 1
            if "(" in value and ")" in value:
                value = value.replace(",", "|") + ("" if last else "|")
            else:
                value = value.replace(",", "")
            fields.append((record, seen[record], position, value.replace("#", "").replace("'", "")))
    return fields


def assert_samples_stored(database):
    """Checks that every import the receiver's database holds is the sample's, decoded field
    by field; returns their import identifiers, oldest first."""
    database = sqlite3.connect(database)
    rows = database.execute("SELECT id, external_quote_import_id, rater, malformed FROM imports ORDER BY id").fetchall()
    for number, _, rater, malformed in rows:
        assert (rater, malformed) == ("FSC", 0)
        stored = database.execute("SELECT record_number, occurrence, field_number, value FROM record_fields "
                                  "WHERE import_id = ? ORDER BY position", (number,)).fetchall()
        as_text = [(n, o, f, v.decode("latin-1") if isinstance(v, bytes) else v) for n, o, f, v in stored]
        assert as_text == expected_fields(SAMPLE)
    return [import_id for _, import_id, _, _ in rows]


def assert_sample_stored(database):
    """Checks that the receiver's database holds one import, the sample's, decoded field by
    field; returns its import identifier."""
    (import_id,) = assert_samples_stored(database)
    return import_id


def start_receiver(database, *flags, port=80):
    """Starts the reference receiver on 127.0.0.1 and waits until it takes connections."""
    if not RECEIVER.exists():
        pytest.fail(f"{RECEIVER} is missing: build the native preset first")
    process = subprocess.Popen([str(RECEIVER), "--db", str(database), *map(str, flags)], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            break
        except OSError:
            time.sleep(0.05)
    return process


def stop_receiver(process):
    process.terminate()
    assert process.wait(timeout=10) == 0


@pytest.fixture
def reference_receiver(tmp_path):
    database = tmp_path / "receiver.sqlite"
    process = start_receiver(database)
    yield database
    stop_receiver(process)


def test_the_sample_export_arrives_decoded_in_the_reference_receiver(program, handoff, reference_receiver):
    program.configure("FSC", serverPostFile="krn/import.asp", krnLaunchFile="krn/start.asp", productName="DEMO AUTO")
    program.route("DEMO AUTO")
    program.write("QUOTE.TXT", SAMPLE.read_bytes())
    run = program.run(f"{program.windows_path}\\quote.txt", STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.messages) == (False, [])

    import_id = assert_sample_stored(reference_receiver)

    # The page the agent is handed over to shows the quote.
    (_, arguments), = handoff.requests()
    assert re.search(r"externalQuoteImportID=" + import_id, arguments)
    connection = http.client.HTTPConnection("127.0.0.1", 80, timeout=10)
    connection.request("GET", f"/krn/start.asp?externalQuoteImportID={import_id}")
    page = connection.getresponse()
    assert page.status == 200
    assert b"F-150 (4X4| XLT)|" in page.read()


def test_an_https_route_reaches_the_reference_receiver_over_tls(program, handoff, trust_test_ca, tmp_path):
    # What a customer's IT can try: the receiver with a certificate the machine trusts, and a
    # route whose server begins "https://".
    certificate, key = trust_test_ca.server("receiver", "localhost")
    database = tmp_path / "receiver.sqlite"
    process = start_receiver(database, "--cert", certificate, "--key", key, port=443)
    try:
        program.configure("FSC", serverPostFile="krn/import.asp", krnLaunchFile="krn/start.asp",
                          productName="DEMO AUTO")
        program.route("DEMO AUTO", server="https://localhost")
        program.write("QUOTE.TXT", SAMPLE.read_bytes())
        run = program.run(f"{program.windows_path}\\quote.txt", STATUS_WINDOW, timeout=60)
        assert (run.timed_out, run.messages) == (False, [])

        (number, import_id), = sqlite3.connect(database).execute(
            "SELECT id, external_quote_import_id FROM imports").fetchall()
        (_, arguments), = handoff.requests()
        assert arguments == f'"https://localhost/krn/start.asp?externalQuoteImportID={import_id}" '
        # The start page, over TLS with the same certificate.
        context = ssl.create_default_context(cafile=str(trust_test_ca.ca_certificate))
        connection = http.client.HTTPSConnection("localhost", 443, timeout=10, context=context)
        connection.request("GET", f"/krn/start.asp?externalQuoteImportID={import_id}")
        assert connection.getresponse().status == 200
        assert number == 1
    finally:
        stop_receiver(process)
