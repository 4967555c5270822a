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


def assert_internet_error(run, handoff, described=True):
    texts = run.message_texts
    assert len(texts) == 3 and texts[0] == HTTP_ERROR and texts[2] == "Server: 127.0.0.1", texts
    assert len(texts[1]) <= 259 and (bool(texts[1]) or not described)
    assert handoff.requests() == []


def assert_invalid_answer(run, handoff):
    # ERROR_HTTP_INVALID_SERVER_RESPONSE, which Wine 8's wininet.dll has no text for.
    assert_internet_error(run, handoff, described=False)


def assert_sent(run, handoff):
    assert run.messages == []
    assert len(handoff.requests()) == 1


def assert_refused(run, handoff):
    assert run.message_texts == ['The server 127.0.0.1 answered "500 Internal Server Error".\n'
                                 "The quote was not imported."]
    assert handoff.requests() == []


OUTCOMES = {"sent": assert_sent, "refused": assert_refused, "error": assert_internet_error,
            "invalid": assert_invalid_answer}


# What each server fault ends in. "sent": the server accepted the post, so the page opens.
# "refused": the server answered with an error status, which the agent is told. "error": the
# three internet-error messages and no page ("invalid": with the description of an answer
# that is not one).
@pytest.mark.parametrize("mode, outcome", [
    ("refused", "error"),   # nothing listening
    ("reset", "error"),     # reset as soon as the connection is accepted
    ("error", "refused"),   # a 500 answer
    ("garbage", "sent"),    # bytes that are not HTTP: WinINet takes them for an HTTP/0.9 answer, status 200
    ("slow", "sent"),       # a whole answer, one byte every 200 ms
    ("close", "invalid"),   # the request read, the connection closed without an answer
    pytest.param("deaf", "error", marks=pytest.mark.slow),  # accepted, never read: receive time-out
])
def test_a_server_fault_ends_in_time_with_its_outcome(program, handoff, mode, outcome):
    run, requests, elapsed = run_import(program, mode)
    assert not run.timed_out and run.exit_code == 0
    assert program.read("export.log").startswith(b"FSC data export [")
    OUTCOMES[outcome](run, handoff)
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


SETTINGS = ["", "http://quotes.example", "post", "start", "Acme", "", "", "N", "QQ", "AUTO"]
SAVE_FAILED = ("The settings could not be saved: Vantrel.dat could not be written. Another program may be holding it "
               "open, or the program folder may be read-only. Please close that program and press Save again.")


def save_setup_while_locked(program, lock_file, sharing, after_save):
    """Opens Setup from the main window, types a company, has "Vantrel.dat" locked by
    another program (once the window has read it), presses Save, then runs `after_save`."""
    program.write("Vantrel.dat", "".join(v + ";\r\n" for v in SETTINGS))
    script = ("window Comparative Rater Import Utility|1000\ncommand 32772\nwindow Import Setup\n"
              "settext 1010 Changed Agency\nmark ready\nsleep 1500\nclick 1005\n" + after_save +
              "return Comparative Rater Import Utility|1000\nclick 2\n")

    def lock_when_ready():
        for _ in range(400):
            if b"MARK\tready" in program.records_so_far():
                lock_file(program.file("Vantrel.dat"), 20, sharing)
                return
            time.sleep(0.05)

    locker = threading.Thread(target=lock_when_ready)
    locker.start()
    run = program.run("", script, timeout=60)
    locker.join(timeout=30)
    assert not run.timed_out
    return run


def test_a_settings_save_while_another_program_reads_the_file_lands_in_place(program, lock_file):
    # Shared for reading and writing but not deleting, as most programs and virus scanners
    # hold a file: it cannot be replaced, but it can be written.
    run = save_setup_while_locked(program, lock_file, "readwrite", "")
    assert run.messages == []
    values = SETTINGS[:4] + ["Changed Agency", "", program.windows_path.upper(), "N", "QQ", "AUTO"]
    assert program.read("Vantrel.dat") == "".join(v + ";\r\n" for v in values).encode()
    assert not program.file("Vantrel.dat.tmp").exists()


def test_a_settings_save_that_cannot_be_written_says_so_and_keeps_the_window(program, lock_file):
    # Held without any sharing: neither replaced nor written. The agent is told, the typing
    # is still in the window, and Cancel leaves the old file byte for byte.
    run = save_setup_while_locked(program, lock_file, "none", "return Import Setup\ndump\nclick 2\n")
    assert run.message_texts == [SAVE_FAILED]
    setup = [w for w in run.windows if w.caption == "Import Setup"][-1]
    assert setup.control(1010).text == "Changed Agency"
    time.sleep(0.5)
    assert program.read("Vantrel.dat") == "".join(v + ";\r\n" for v in SETTINGS).encode()
    assert not program.file("Vantrel.dat.tmp").exists()
