"""Faults between Vantrel and a server it does not control, and files other programs hold:
each ends in a clear message or the specified silence, loses nothing, and ends in time."""

import threading
import time

import pytest

from receiver import Receiver
from test_import import STATUS_WINDOW, prepare

HTTP_ERROR = "An HTTP Exception has occured. Click OK to see the error message"


def run_import(program, mode, timeout=90):
    path = prepare(program, "FSC")
    started = time.monotonic()
    if mode == "refused":
        run = program.run(path, STATUS_WINDOW, timeout=timeout)
        requests = []
    else:
        with Receiver(mode) as server:
            run = program.run(path, STATUS_WINDOW, timeout=timeout)
        requests = server.requests
    return run, requests, time.monotonic() - started


def assert_internet_error(run, handoff):
    texts = run.message_texts
    assert len(texts) == 3 and texts[0] == HTTP_ERROR and texts[2] == "Server: 127.0.0.1", texts
    assert 0 < len(texts[1]) <= 259
    assert handoff.requests() == []


def assert_sent(run, handoff):
    assert run.messages == []
    assert len(handoff.requests()) == 1


# What each server fault ends in. "sent": the request went out and an answer of some kind
# came back, so the page opens (the answer is never examined). "error": the three
# internet-error messages and no page.
@pytest.mark.parametrize("mode, outcome", [
    ("refused", "error"),   # nothing listening
    ("reset", "error"),     # reset as soon as the connection is accepted
    ("error", "sent"),      # a 500 answer
    ("garbage", "sent"),    # bytes that are not HTTP
    ("slow", "sent"),       # a whole answer, one byte every 200 ms
    ("close", "sent"),      # the request read, the connection closed without an answer
    pytest.param("deaf", "error", marks=pytest.mark.slow),  # accepted, never read: receive time-out
])
def test_a_server_fault_ends_in_time_with_its_outcome(program, handoff, mode, outcome):
    run, requests, elapsed = run_import(program, mode)
    assert not run.timed_out and run.exit_code == 0
    assert program.read("export.log").startswith(b"FSC data export [")
    (assert_sent if outcome == "sent" else assert_internet_error)(run, handoff)
    # Bounded by the 30-second time-outs, plus the prescribed waits and Wine's start.
    assert elapsed < 60, elapsed


def test_a_locked_settings_file_reads_as_empty_settings(program, lock_file):
    program.configure("FSC")
    lock_file(program.file("Vantrel.dat"), 20)
    run = program.run("C:\\vt\\x.txt", "window Comparative Rater Import Utility|1000\nclick 2\n", timeout=60)
    # Unreadable settings are empty settings: no rater, so the warning and the main window.
    assert run.message_texts == ["Error - AUTO DETECT must be turned off in version 2.0"]
    assert b"Comparative Rater = \r\n" in program.read("vantrel.log")


def test_a_locked_export_file_is_reported_missing(program, lock_file):
    program.configure("FSC")
    program.write("QUOTE.TXT", b'"1","A"\r\n')
    lock_file(program.file("QUOTE.TXT"), 20)
    run = program.run(f"{program.windows_path}\\quote.txt", STATUS_WINDOW, timeout=60)
    assert run.message_texts == [f"The passed file {program.windows_path.upper()}\\QUOTE.TXT could not be found!! "
                                 "Aborting..."]


def test_a_run_log_held_open_elsewhere_survives_whole(program, lock_file):
    program.write("vantrel.log", b"held by another program\r\n")
    lock_file(program.file("vantrel.log"), 30)
    started = time.monotonic()
    run = program.run("", "window Comparative Rater Import Utility|1000\nclick 2\n", timeout=60)
    assert (run.timed_out, run.messages) == (False, [])
    # The swap was retried for about five seconds, then given up; the old log is whole.
    assert time.monotonic() - started > 5
    assert program.read("vantrel.log") == b"held by another program\r\n"
    assert not program.file("vantrel.log.tmp").exists()


def test_a_settings_save_that_cannot_replace_the_file_keeps_the_old_one(program, lock_file):
    original = "".join(v + ";\r\n" for v in ["", "http://quotes.example", "post", "start", "Acme", "", "", "N", "QQ",
                                             "AUTO"]).encode()
    program.write("Vantrel.dat", original)
    script = ("window Comparative Rater Import Utility|1000\ncommand 32772\nwindow Import Setup\n"
              "settext 1010 Changed Agency\nmark ready\nsleep 1500\nclick 1005\n"
              "return Comparative Rater Import Utility|1000\nclick 2\n")
    # Lock the file once the Setup window has read it, while the agent is typing.
    def lock_when_ready():
        for _ in range(400):
            if b"MARK\tready" in program.records_so_far():
                lock_file(program.file("Vantrel.dat"), 20)
                return
            time.sleep(0.05)

    locker = threading.Thread(target=lock_when_ready)
    locker.start()
    run = program.run("", script, timeout=60)
    locker.join(timeout=30)
    assert not run.timed_out and run.messages == []
    time.sleep(0.5)
    assert program.read("Vantrel.dat") == original
    assert not program.file("Vantrel.dat.tmp").exists()
