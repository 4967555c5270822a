"""The import history in the real program folder: an export file gone before the import read
it, the rollover past 1 MB, and a history another program holds."""

import threading
import time
from datetime import datetime

from import_history import MARKED_EXPORT, assert_no_marker, history, the_entry
from receiver import Receiver
from test_import import STATUS_WINDOW, prepare


def test_an_export_file_gone_before_the_import_reads_it_is_recorded_as_missing(program, handoff):
    # Start-up finds the file; then the status window reads "Route.dat", which is missing, for
    # five seconds of retries; the file goes meanwhile, as a rater that cleans up too early
    # takes it away.
    path = prepare(program, "FSC", export=MARKED_EXPORT)
    export = program.file("QUOTE.TXT")
    # An import earlier this morning, whose line stays.
    earlier = (datetime.now().astimezone().isoformat(timespec="seconds") +
               "\t2026129815\tFSC\tE2E AUTO\t127.0.0.1\thttp\ttaken\t200 OK\t\t\t41\r\n")
    program.write("imports.log", earlier)

    def remove_once_started():
        for _ in range(600):
            if program.file("vantrel.log").exists():
                export.unlink()
                return
            time.sleep(0.02)

    remover = threading.Thread(target=remove_once_started)
    remover.start()
    with Receiver() as server:
        run = program.run(path, STATUS_WINDOW, timeout=60)
    remover.join(timeout=30)
    assert not export.exists() and not run.timed_out
    # The agent is told, and the post goes without the quote, as it always has.
    assert run.message_texts == [f"File does not exist {path.upper()}"]
    (request,) = server.requests
    assert b"&R" not in request.body
    assert len(handoff.requests()) == 1
    # Support sees that it was taken without the quote, after the earlier import.
    _, entry = history(program)
    assert program.read("imports.log").startswith(earlier.encode())
    assert (entry["host"], entry["route"], entry["outcome"], entry["status"]) == ("127.0.0.1", "http", "file-missing",
                                                                                  "200 OK")
    assert_no_marker(program)


def test_a_history_past_1_mb_becomes_the_old_one_and_a_new_one_starts(program, handoff):
    line = b"2026-01-02T03:04:05+00:00\t2026121\tFSC\tE2E AUTO\t127.0.0.1\thttp\ttaken\t200 OK\t\t\t41\r\n"
    full = line * (1024 * 1024 // len(line))
    program.write("imports.log", full)
    program.write("imports.old.log", b"the generation before\r\n")
    path = prepare(program, "FSC", export=MARKED_EXPORT)
    with Receiver():
        run = program.run(path, STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.messages, len(handoff.requests())) == (False, [], 1)
    assert program.read("imports.old.log") == full
    the_entry(program, outcome="taken", status="200 OK")
    assert_no_marker(program)


def test_a_history_held_by_another_program_changes_nothing_for_the_agent(program, handoff, lock_file):
    program.write("imports.log", b"held\r\n")
    lock_file(program.file("imports.log"), 30)
    path = prepare(program, "FSC")
    with Receiver("error") as server:
        run = program.run(path, STATUS_WINDOW, timeout=60)
    # Told what any refused import tells, nothing about the history, which is left whole.
    assert not run.timed_out
    assert run.message_texts == ['The server 127.0.0.1 answered "500 Internal Server Error".\n'
                                 "The quote was not imported."]
    assert len(server.requests) == 1 and handoff.requests() == []
    assert program.read("imports.log") == b"held\r\n"
    assert not program.file("imports.old.log").exists()

