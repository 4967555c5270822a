"""What the customer's server answers decides what the agent is told: only an accepted post
is an import, and a server that speaks only TLS is reached over TLS with its certificate
checked."""

from datetime import datetime
from zoneinfo import ZoneInfo

import pytest

from import_history import MARKED_EXPORT, assert_no_marker, the_entry
from receiver import Receiver
from test_import import STATUS_WINDOW, prepare

HTTP_ERROR = "An HTTP Exception has occured. Click OK to see the error message"


def import_into(program, mode, **receiver_options):
    path = prepare(program, "FSC", export=MARKED_EXPORT)
    with Receiver(mode, **receiver_options) as server:
        run = program.run(path, STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.exit_code) == (False, 0)
    return run, server.requests


@pytest.mark.parametrize("mode, status", [("answer", "200 OK"), ("redirect", "302 Found")])
def test_an_accepted_post_opens_the_start_page(program, handoff, monkeypatch, mode, status):
    # A zone with a half-hour offset, so the history's offset is the zone's and not a guess.
    monkeypatch.setenv("TZ", "America/St_Johns")
    run, requests = import_into(program, mode)
    assert run.messages == []
    # A redirect to a page of the same server means the post was taken: the page is not
    # fetched.
    assert [r.request_line for r in requests] == ["POST /krn/import.asp HTTP/1.0"]
    assert len(handoff.requests()) == 1
    entry = the_entry(program, rater="FSC", product="E2E AUTO", host="127.0.0.1", route="http", outcome="taken",
                      status=status, location="", error="")
    assert_no_marker(program)
    offset = datetime.fromisoformat(entry["time"]).utcoffset()
    assert offset == datetime.now(ZoneInfo("America/St_Johns")).utcoffset(), entry["time"]


@pytest.mark.parametrize("mode, status", [
    ("notfound", "404 Not Found"),
    ("error", "500 Internal Server Error"),
    ("bare", "503"),
])
def test_a_refused_post_is_reported_and_opens_nothing(program, handoff, mode, status):
    run, requests = import_into(program, mode)
    assert run.message_texts == [f'The server 127.0.0.1 answered "{status}".\nThe quote was not imported.']
    assert len(requests) == 1 and handoff.requests() == []
    assert program.read("export.log").startswith(b"FSC data export [")
    the_entry(program, host="127.0.0.1", route="http", outcome="refused", status=status, location="", error="")
    assert_no_marker(program)


def test_a_server_that_closes_without_answering_is_an_internet_error(program, handoff):
    run, requests = import_into(program, "close")
    texts = run.message_texts
    assert (len(texts), texts[0], texts[2]) == (3, HTTP_ERROR, "Server: 127.0.0.1"), texts
    # texts[1] is the platform's description of ERROR_HTTP_INVALID_SERVER_RESPONSE: Windows
    # has one, Wine 8's wininet.dll has none and gives an empty text.
    assert len(texts[1]) <= 259
    assert len(requests) == 1 and handoff.requests() == []
    the_entry(program, host="127.0.0.1", route="http", outcome="internet-error", status="", error=texts[1])
    assert_no_marker(program)


def test_an_https_server_is_posted_over_tls(program, handoff, trust_test_ca):
    path = prepare(program, "FSC", server="https://localhost", export=MARKED_EXPORT)
    with Receiver(tls=trust_test_ca.server("localhost", "localhost")) as server:
        run = program.run(path, STATUS_WINDOW, timeout=60)
    assert (run.timed_out, run.messages) == (False, [])
    (request,) = server.requests
    assert request.request_line == "POST /krn/import.asp HTTP/1.0"
    assert request.headers["host"] == "localhost"
    body = request.body.decode("latin-1")
    assert body.startswith("source=Vantrel20&xversion=2.101020&rater=FSC&externalQuoteImportID=")
    import_id = body.split("externalQuoteImportID=")[1].split("&")[0]
    startup_link = f"https://localhost/krn/start.asp?externalQuoteImportID={import_id}"
    log = program.read("export.log").decode("latin-1").split("\r\n")
    assert log[1:4] == ["Server = localhost KRN Browser Path = UNDEFINED", "Web Post File = krn/import.asp",
                        f"KRN Startup link = {startup_link}"]
    assert [args for _, args in handoff.requests()] == [f'"{startup_link}" ']
    the_entry(program, id=import_id, host="localhost", route="https", outcome="taken", status="200 OK")
    assert_no_marker(program)


@pytest.mark.parametrize("problem", ["untrusted", "mismatched"])
def test_a_certificate_the_system_does_not_trust_sends_nothing(program, handoff, certificates, trust_test_ca,
                                                                 problem):
    # Signed by an authority nobody trusts, or trusted but made out for another name.
    authority, name = (certificates["untrusted"], "localhost") if problem == "untrusted" else (trust_test_ca,
                                                                                              "quotes.example")
    path = prepare(program, "FSC", server="https://localhost")
    with Receiver(tls=authority.server(problem, name)) as server:
        run = program.run(path, STATUS_WINDOW, timeout=60)
    texts = run.message_texts
    assert (len(texts), texts[0], texts[2]) == (3, HTTP_ERROR, "Server: localhost"), texts
    # The platform's description of the certificate error. Wine 8's wininet.dll describes a
    # wrong name, but has no text for an untrusted authority (Windows has both).
    assert len(texts[1]) <= 259
    if problem == "mismatched":
        assert "name" in texts[1], texts[1]
    the_entry(program, host="localhost", route="https", outcome="internet-error", status="", error=texts[1])
    # The handshake was refused: not a byte of the request reached the server.
    assert [request.raw for request in server.requests] in ([], [b""])
    assert handoff.requests() == []
