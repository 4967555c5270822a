"""Bad input and the places Vantrel may write: what other programs hand it never crashes
it, and nothing it reads reaches a command interpreter or a file outside its places."""

import os
from pathlib import Path

from receiver import Receiver
from test_import import STATUS_WINDOW, prepare


def not_found(path):
    return f"The passed file {path} could not be found!! Aborting..."


def test_a_folder_given_as_the_export_file_is_not_found(program):
    program.configure("FSC")
    (program.path / "QUOTES").mkdir()
    run = program.run(f"{program.windows_path}\\quotes", STATUS_WINDOW)
    assert (run.timed_out, run.message_texts) == (False, [not_found(f"{program.windows_path.upper()}\\QUOTES")])


def test_a_command_line_far_past_260_characters_is_read_whole(program):
    program.configure("ITC")
    path = "C:\\" + "\\".join(["FOLDER%02d" % i for i in range(60)]) + "\\Q.TXT"
    run = program.run(f"{path} /X", STATUS_WINDOW)
    assert len(path) > 500
    assert (run.timed_out, run.exit_code, run.message_texts) == (False, 0, [not_found(path)])


def snapshot(root):
    return {path: path.stat().st_mtime_ns for path in root.rglob("*") if path.is_file()}


def test_shell_characters_in_routes_reach_no_interpreter_and_writes_stay_in_their_places(program, prefix, handoff):
    drive_c = Path(prefix) / "drive_c"
    # A launch-page folder whose name a command interpreter would act on.
    launch = program.path / "krn & echo pwned"
    launch.mkdir()
    (launch / "krn.hta").write_bytes(b"<html></html>")
    prepare(program, "QQ", browser_path=f"{program.windows_path}\\krn & echo pwned",
            export=b"LINE & | > < ^ %PATH%\r\n")
    before = snapshot(drive_c)
    with Receiver() as server:
        run = program.run("quote.txt", STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.messages) == (False, [])
    ((directory, arguments),) = handoff.requests()
    assert directory.endswith("krn & echo pwned")
    assert arguments.startswith('"krn.hta" externalQuoteImportID=')
    assert b"&R0=LINE%20%20|%20>%20<%20^%20PATH" in server.requests[0].body
    assert not list(drive_c.rglob("pwned*"))

    changed = {path for path, stamp in snapshot(drive_c).items() if before.get(path) != stamp}
    # Left out: the test's own tools (the hand-off recorder's log, the UI driver's files) and
    # what Wine itself keeps under users and windows.
    ours = {program.path, program.driver_folder, drive_c / "tools", drive_c / "users", drive_c / "windows"}
    outside = [p for p in changed if not ours & set(p.parents)]
    assert outside == [], outside
    assert {p.name for p in changed if p.parent == program.path} <= {"vantrel.log", "export.log", "imports.log"}
