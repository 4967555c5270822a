"""Start-up of the real Vantrel.exe: switches, rater rules, messages, run log, windows."""

import shutil
from pathlib import Path

import pytest

from harness import log_lines
from receiver import Receiver

CAPTION = "Comparative Rater Import Utility"
MAIN_WINDOW = f"window {CAPTION}|1000\ndump\nclick 2\n"
STATUS_WINDOW = f"window {CAPTION}|1004\ndump\n"
AUTO_DETECT = "Error - AUTO DETECT must be turned off in version 2.0"


def tove(prefix):
    return Path(prefix) / "drive_c" / "Program Files" / "TOVE"


def not_found(path):
    return f"The passed file {path} could not be found!! Aborting..."


def configure_import(program, rater):
    """Settings whose product routes to the local test server, so an import started here
    goes through without messages of its own."""
    program.configure(rater, serverPostFile="post", productName="E2E AUTO")
    program.route("E2E AUTO")


def assert_main_window(run):
    (window,) = [w for w in run.windows if any(c.id == 1000 for c in w.controls)]
    assert window.caption == CAPTION
    assert window.control(1007).text == "2.101020"
    assert window.control(1003).text == ""
    assert (window.control(1).text, window.control(1).enabled) == ("&Import", False)
    assert (window.control(2).text, window.control(2).enabled) == ("E&xit", True)
    assert window.control(1000).cls == "SysListView32"


def test_no_arguments_writes_the_log_makes_tove_and_opens_the_main_window(program, prefix):
    shutil.rmtree(tove(prefix), ignore_errors=True)
    run = program.run("", MAIN_WINDOW)
    assert (run.timed_out, run.exit_code, run.messages, run.unexpected) == (False, 0, [], [])
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", "Command line parameters = ", "Version number = 2.101020")
    assert tove(prefix).is_dir()
    assert_main_window(run)


def test_a_missing_export_file_aborts_and_keeps_the_previous_log(program):
    program.configure("FSC")
    program.write("vantrel.log", "previous start\r\n")
    run = program.run("c:\\vt\\nowhere\\quote.txt", MAIN_WINDOW + STATUS_WINDOW)
    assert (run.timed_out, run.exit_code) == (False, 0)
    assert run.messages == [("Vantrel", not_found("C:\\VT\\NOWHERE\\QUOTE.TXT"))]
    assert run.windows == []
    assert program.read("vantrel.log") == b"previous start\r\n"


def test_an_unknown_rater_warns_then_opens_the_main_window(program):
    program.configure("AUTO")
    run = program.run("c:\\vt\\nowhere\\quote.txt", MAIN_WINDOW)
    assert run.message_texts == [AUTO_DETECT]
    assert_main_window(run)
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", "Command line parameters = C:\\VT\\NOWHERE\\QUOTE.TXT", "Comparative Rater = ",
        "Version number = 2.101020")


def test_pause_alone_shows_an_empty_path_then_the_main_window(program):
    program.configure("FSC")
    run = program.run("/PAUSE", MAIN_WINDOW)
    assert run.message_texts == ["Pausing... Copy file  to a backup file before continuing."]
    assert_main_window(run)
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", "PAUSE parameter = TRUE", "Command line parameters = ",
        "Version number = 2.101020")


# Each rater rule, seen through the path it makes: the file is absent, so the abort
# message names the derived path.
@pytest.mark.parametrize("rater, arguments, derived", [
    ("FSC", "c:\\vt\\x\\q1.txt /x", "C:\\VT\\X\\Q1.TXT"),
    ("ITC", "C:\\vt\\x\\Q1.TXT/X", "C:\\VT\\X\\Q1.TX"),
    ("MC", "c:\\vt\\x\\m.txt /q", "C:\\VT\\X\\M.TXT"),
    ("CCI", "\"\\cci\\out.txt\" /a", "C:\\CCI\\OUT.TXT"),
    ("QQ", "quote.txt /s", "C:\\VT\\{folder}\\QUOTE.TXT"),
], ids=["fsc", "itc-cut", "mc", "cci", "qq"])
def test_rater_rules_derive_the_export_path(program, rater, arguments, derived):
    program.configure(rater)
    run = program.run(arguments, MAIN_WINDOW + STATUS_WINDOW)
    assert run.message_texts == [not_found(derived.format(folder=program.name.upper()))]


def test_qq_under_a_darede_program_looks_in_tove_and_makes_no_folder(make_program, prefix):
    program = make_program("DAREDE.exe")
    program.configure("QQ")
    shutil.rmtree(tove(prefix), ignore_errors=True)
    run = program.run("quote.txt", MAIN_WINDOW + STATUS_WINDOW)
    assert run.message_texts == [not_found("c:\\Program Files\\TOVE\\QUOTE.TXT")]
    assert not tove(prefix).exists()


@pytest.mark.parametrize("rater", ["FSC", "ITC", "QQ"])
def test_a_found_export_file_opens_the_status_window(program, rater, handoff):
    configure_import(program, rater)
    program.write("QUOTE.TXT", '"1","SMITH"\r\n')
    path = "quote.txt" if rater == "QQ" else f"{program.windows_path}\\quote.txt /x"
    with Receiver():
        run = program.run(path, MAIN_WINDOW + STATUS_WINDOW)
    assert (run.timed_out, run.exit_code, run.messages, run.unexpected) == (False, 0, [], [])
    command = path.upper()
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", f"Command line parameters = {command}", f"Comparative Rater FORCE = {rater}",
        "Version number = 2.101020")


def test_log_file_mode_warns_twice_then_imports_as_log(program, handoff):
    configure_import(program, "FSC")
    program.write("EXPORT.LOG", "line\r\n")
    command = f"{program.windows_path}\\EXPORT.LOG".upper()
    with Receiver() as server:
        run = program.run(f"{program.windows_path}\\export.log", MAIN_WINDOW + STATUS_WINDOW)
    assert b"&rater=LOG&" in server.requests[0].body
    assert run.messages == [
        ("Vantrel", f"You are passing a LOG file, Click OK to continue\n Cmd Line={command}\nExe Name=VANTREL"
                    "\n .TT found=-1"),
        ("Vantrel", AUTO_DETECT),
    ]
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", "Export log passed = TRUE", f"Command line parameters = {command}",
        "Comparative Rater = LOG", "Version number = 2.101020")


def test_an_export_file_found_only_under_tove_is_imported_from_there(program, prefix, handoff):
    configure_import(program, "FSC")
    tove(prefix).mkdir(parents=True, exist_ok=True)
    (tove(prefix) / "FALLBACK.TXT").write_bytes(b'"1","SMITH"\r\n')
    with Receiver() as server:
        run = program.run("fallback.txt", MAIN_WINDOW + STATUS_WINDOW)
    # The import reads the file where start-up found it; the run log keeps the path as given.
    assert (run.timed_out, run.messages) == (False, [])
    assert server.requests[0].body.endswith(b"&R0=1,1,1,SMITH")
    assert b"\r\nR0=1,1,1,SMITH\r\n" in program.read("export.log")
    assert program.read("vantrel.log") == log_lines(
        "Executable Name = VANTREL", "Command line parameters = FALLBACK.TXT", "Comparative Rater FORCE = FSC",
        "Version number = 2.101020")
    assert len(handoff.requests()) == 1