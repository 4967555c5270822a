"""A rater's start of the real Vantrel.exe posts the quote to a local server and hands the
agent over to the web product."""

import re

import pytest

from import_history import the_entry
from receiver import Receiver
from test_windows import assert_matches_template

CAPTION = "Comparative Rater Import Utility"
STATUS_WINDOW = f"window {CAPTION}|1004\ndump\n"
# Reads the status window every 400 ms while the import blocks its thread.
WATCH_STATUS = f"window {CAPTION}|1004\n" + "dump\nsleep 400\n" * 12
PROGRESS = ["Importing file ", "Writing Export Log...", "Connecting to ", "Sending Data to ",
            "Import Complete! Opening Web Site "]
ID = r"(2\d{8,13})"  # MakeStamp: year, then month to second without leading zeros

FSC_EXPORT = (b'"1","SMITH","JOHN"\n"2","2001","FORD","F-150 (4X4, XLT)"\n'
              b'"1","DOE, JR","(555) 123-4567","O\'NEIL #2"\n"3","","Y"\n"32000","END"\n')
FSC_FIELDS = ("&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD&R4=2,1,3,F-150%20(4X4|%20XLT)"
              "&R5=1,2,1,DOE%20JR&R6=1,2,2,(555)%20123-4567|&R7=1,2,3,ONEIL%202&R8=3,1,1,&R9=3,1,2,Y")


def prepare(program, rater, export=FSC_EXPORT, browser_path="UNDEFINED", server="http://127.0.0.1"):
    program.configure(rater, serverPostFile="krn/import.asp", krnLaunchFile="krn/start.asp", productName="E2E AUTO")
    program.route("E2E AUTO", server=server, browser_path=browser_path)
    program.write("QUOTE.TXT", export)
    return f"{program.windows_path}\\quote.txt"


# The status window's template 133: (id, class, text, enabled, visible, x, y, width, height).
STATUS_TEMPLATE = [
    (-1, "Static", "Import Status", True, True, 12, 15, 234, 8),
    (1004, "Static", None, True, True, 12, 27, 234, 11),
    (1005, "Static", "FSC", True, True, 12, 42, 234, 11),
    (-1, "Static", "-" * 116, True, True, 12, 54, 234, 8),
    (2, "Button", "Cancel", True, True, 102, 69, 50, 14),
    (-1, "Static", "Version:", True, True, 171, 87, 26, 8),
    (1007, "Static", None, True, True, 201, 87, 45, 8),
]


def progress_stage(text):
    return next(i for i, start in enumerate(PROGRESS) if text.startswith(start))


def test_an_fsc_import_posts_the_form_writes_the_log_and_opens_the_start_page(program, handoff):
    path = prepare(program, "FSC")
    with Receiver() as server:
        run = program.run(path, WATCH_STATUS, timeout=60)
    assert (run.timed_out, run.exit_code, run.messages) == (False, 0, [])

    (request,) = server.requests
    assert request.request_line == "POST /krn/import.asp HTTP/1.0"
    assert request.headers["content-type"] == "application/x-www-form-urlencoded"
    assert request.headers["user-agent"] == "Vantrel"
    assert int(request.headers["content-length"]) == len(request.body)
    body = request.body.decode("latin-1")
    match = re.fullmatch(r"source=Vantrel20&xversion=2\.101020&rater=FSC&externalQuoteImportID=" + ID
                         + r"&fileGenName=(\d+)\.sti" + re.escape(FSC_FIELDS), body)
    assert match, body
    import_id = match.group(1)

    log = program.read("export.log").decode("latin-1")
    first_line = log.split("\r\n", 1)[0]
    assert re.fullmatch(r"FSC data export \[\d\d/\d\d/\d{4} \d{1,2}:\d\d[ap]m\]", first_line)
    startup_link = f"http://127.0.0.1/krn/start.asp?externalQuoteImportID={import_id}"
    line5 = body.replace("&", "\n").replace("%20", " ")
    assert log == "".join(line + "\r\n" for line in [
        first_line, "Server = 127.0.0.1 KRN Browser Path = UNDEFINED", "Web Post File = krn/import.asp",
        f"KRN Startup link = {startup_link}", line5.replace("\n", "\r\n"), "", "", "", "", ""])

    assert [args for _, args in handoff.requests()] == [f'"{startup_link}" ']
    # The page opens three seconds after the send.
    assert 3.0 <= handoff.log.stat().st_mtime - request.arrived < 8.0

    # Support's line, written once the answer came, before the hand-off's wait.
    the_entry(program, id=import_id, rater="FSC", product="E2E AUTO", host="127.0.0.1", route="http",
              outcome="taken", status="200 OK", location="", error="")
    assert handoff.log.stat().st_mtime - program.file("imports.log").stat().st_mtime >= 3.0

    # What the window showed while the import held its thread: the stages in order, the
    # rater line, and the version once the log was written.
    stages = [progress_stage(w.control(1004).text) for w in run.windows]
    assert stages == sorted(stages) and stages[-1] == 4, [w.control(1004).text for w in run.windows]
    assert run.windows[-1].control(1004).text == "Import Complete! Opening Web Site 127.0.0.1"
    assert {w.control(1005).text for w in run.windows} == {"FSC"}
    assert run.windows[-1].control(1007).text == "2.101020"
    assert_matches_template(run.windows[0], STATUS_TEMPLATE)
    assert run.windows[0].caption == CAPTION


def test_a_line_encoded_import_and_a_local_launch_page(program, handoff):
    launch = program.path / "krn"
    launch.mkdir()
    (launch / "krn.hta").write_bytes(b"<html></html>")
    browser_path = f"{program.windows_path}\\krn"
    path = prepare(program, "QQ", export=b"ABC 1\n\nX&Y 50%\nO'NEIL #2  \nTAIL", browser_path=browser_path)
    with Receiver() as server:
        run = program.run("quote.txt", STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.messages) == (False, [])
    body = server.requests[0].body.decode("latin-1")
    match = re.fullmatch(r"source=Vantrel20&xversion=2\.101020&rater=QQ&externalQuoteImportID=" + ID
                         + r"&fileGenName=\d+\.sti&R0=ABC%201&R2=XY%2050&R3=ONEIL%202", body)
    assert match, body
    ((directory, arguments),) = handoff.requests()
    assert directory.lower() == browser_path.lower()
    # The shell is handed the bare file name, run in the browser path.
    assert arguments == f'"krn.hta" externalQuoteImportID={match.group(1)}'
    assert path  # the QQ rule found quote.txt in the program folder


def test_nothing_listening_ends_in_the_internet_error_messages(program, handoff):
    path = prepare(program, "FSC")
    run = program.run(path, STATUS_WINDOW, timeout=60)
    texts = run.message_texts
    assert len(texts) == 3, texts
    assert texts[0] == "An HTTP Exception has occured. Click OK to see the error message"
    assert texts[1] and len(texts[1]) <= 259
    assert texts[2] == "Server: 127.0.0.1"
    assert handoff.requests() == []
    assert program.read("export.log").startswith(b"FSC data export [")
    the_entry(program, host="127.0.0.1", route="http", outcome="internet-error", status="", location="",
              error=texts[1])


def test_an_unknown_product_names_itself_as_the_server(program, handoff):
    path = prepare(program, "FSC")
    program.configure("FSC", serverPostFile="krn/import.asp", productName="NO SUCH PRODUCT")
    run = program.run(path, STATUS_WINDOW, timeout=60)
    assert run.message_texts[0] == "An HTTP Exception has occured. Click OK to see the error message"
    assert run.message_texts[2] == "Server: No Server Path Found NO SUCH PRODUCT"
    assert handoff.requests() == []


def test_an_export_of_more_than_5000_lines_is_refused_whole(program, handoff):
    path = prepare(program, "QQ", export=b"LINE\r\n" * 5001)
    with Receiver() as server:
        run = program.run("quote.txt", STATUS_WINDOW, timeout=60)
    assert run.message_texts == [f"The export file {program.windows_path.upper()}\\QUOTE.TXT has more than 5000 "
                                 "lines, more than Vantrel can import.\nNothing was sent."]
    assert (server.requests, handoff.requests()) == ([], [])
    assert path
    # Nothing was posted: no host, no route, no answer, no time.
    the_entry(program, rater="QQ", product="E2E AUTO", host="", route="", outcome="not-sent", status="",
              location="", error="", ms="")


@pytest.mark.slow
def test_a_server_that_never_answers_times_out_with_the_window_current(program, handoff):
    path = prepare(program, "FSC")
    script = f"window {CAPTION}|1004\nsleep 1500\ndump\n"
    with Receiver("stall") as server:
        run = program.run(path, script, timeout=120)
    assert not run.timed_out
    (window,) = run.windows
    assert window.control(1004).text == "Sending Data to 127.0.0.1"
    assert window.control(1005).text == "FSC"
    assert window.control(1007).text == "2.101020"
    assert len(server.requests) == 1
    texts = run.message_texts
    assert texts[0] == "An HTTP Exception has occured. Click OK to see the error message"
    assert texts[2] == "Server: 127.0.0.1"
    assert handoff.requests() == []


def test_an_empty_export_file_posts_the_header_part_alone(program, handoff):
    prepare(program, "QQ", export=b"")
    with Receiver() as server:
        run = program.run("quote.txt /s", STATUS_WINDOW, timeout=60)
    assert run.messages == []
    assert re.fullmatch(r"source=Vantrel20&xversion=2\.101020&rater=QQ&externalQuoteImportID=\d+&fileGenName=\d+\.sti",
                        server.requests[0].body.decode("latin-1"))
    line5 = program.read("export.log").decode("latin-1").split("\r\n")[4:10]
    assert [line.split("=")[0] for line in line5] == ["source", "xversion", "rater", "externalQuoteImportID",
                                                      "fileGenName", ""]
