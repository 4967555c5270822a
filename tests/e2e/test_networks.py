"""The networks agents sit on, against the real servers: a customer's nginx that moved to
TLS or sends the post elsewhere, a sign-in gateway, an office Squid proxy with and without a
password, and a server that asks for one. A quote counts as imported only where it arrived."""

import subprocess

import pytest

from harness import WINE
from import_history import MARKED_EXPORT, assert_no_marker, the_entry
from real_servers import Nginx, Squid
from receiver import AUTHORIZATION, PASSWORD, USER, Receiver
from test_import import STATUS_WINDOW, prepare
from test_reference_receiver import SAMPLE, assert_sample_stored, start_receiver, stop_receiver

NOT_IMPORTED = "\nThe quote was not imported."
INTERNET_SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"


def moved_to_tls(status, certificate, key, upstream_port, strict_transport_security=()):
    """A customer's server that answers every plain request with `status` to the same address
    over TLS, and passes what comes over TLS on to a server on `upstream_port`, adding the
    Strict-Transport-Security headers given, in their order, to every answer over TLS."""
    sts = " ".join(f'add_header Strict-Transport-Security "{value}" always;' for value in strict_transport_security)
    return f"""
server {{ listen 127.0.0.1:80; return {status} https://$host$request_uri; }}
server {{
    listen 127.0.0.1:443 ssl;
    ssl_certificate {certificate};
    ssl_certificate_key {key};
    {sts}
    location / {{ proxy_pass http://127.0.0.1:{upstream_port}; }}
}}"""


def run_import(program, server="http://localhost", script=STATUS_WINDOW):
    path = prepare(program, "FSC", server=server, export=MARKED_EXPORT)
    run = program.run(path, script, timeout=90)
    assert (run.timed_out, run.exit_code) == (False, 0)
    return run


@pytest.fixture
def server_certificate(trust_test_ca):
    return trust_test_ca.server("localhost", "localhost")


def test_a_server_moved_to_tls_gets_the_quote_over_tls(program, handoff, server_certificate, tmp_path):
    # nginx's own recipe for a site that moved to https, in front of the reference receiver.
    database = tmp_path / "receiver.sqlite"
    receiver = start_receiver(database, "--port", 8080, port=8080)
    try:
        with Nginx(moved_to_tls(301, *server_certificate, 8080), ports=(80, 443)) as nginx:
            program.configure("FSC", serverPostFile="krn/import.asp", krnLaunchFile="krn/start.asp",
                              productName="DEMO AUTO")
            program.route("DEMO AUTO", server="http://localhost")
            program.write("QUOTE.TXT", SAMPLE.read_bytes())
            run = program.run(f"{program.windows_path}\\quote.txt", STATUS_WINDOW, timeout=90)
    finally:
        stop_receiver(receiver)
    assert (run.timed_out, run.messages) == (False, [])
    # The plain post was answered with the move; the same post then went over TLS.
    assert nginx.log == ["POST /krn/import.asp 301", "POST /krn/import.asp 200"]

    import_id = assert_sample_stored(database)

    # The agent still sees the route's own server, and is handed over to it.
    log = program.read("export.log").decode("latin-1").split("\r\n")
    startup_link = f"http://localhost/krn/start.asp?externalQuoteImportID={import_id}"
    assert log[1] == "Server = localhost KRN Browser Path = UNDEFINED"
    assert log[3] == f"KRN Startup link = {startup_link}"
    assert [args for _, args in handoff.requests()] == [f'"{startup_link}" ']
    the_entry(program, id=import_id, product="DEMO AUTO", host="localhost", route="http->https", outcome="taken",
              status="200 OK", location="")


@pytest.mark.parametrize("status", [302, 307, 308])
def test_every_kind_of_move_to_tls_carries_the_whole_post(program, handoff, server_certificate, status):
    with Receiver(port=8080) as upstream, Nginx(moved_to_tls(status, *server_certificate, 8080), ports=(80, 443)):
        run = run_import(program)
    assert run.messages == []
    (request,) = upstream.requests
    assert request.request_line.startswith("POST /krn/import.asp ")
    assert request.body.decode("latin-1").startswith("source=Vantrel20&xversion=2.101020&rater=FSC&")
    assert int(request.headers["content-length"]) == len(request.body)
    assert request.headers["content-type"] == "application/x-www-form-urlencoded"
    assert len(handoff.requests()) == 1
    the_entry(program, host="localhost", route="http->https", outcome="taken", status="200 OK")
    assert_no_marker(program)


@pytest.mark.parametrize("status, location", [
    (301, "https://127.0.0.2/krn/import.asp"),  # another host
    (308, "https://localhost/krn/v2/import.asp"),  # another address on the same host
    (307, "http://127.0.0.2/krn/import.asp"),  # another server, in clear
], ids=["other-host", "other-path", "other-server-in-clear"])
def test_a_post_moved_elsewhere_is_not_followed(program, handoff, status, location):
    # The other places listen, to show that nothing reaches them.
    elsewhere = "server { listen 127.0.0.2:80; listen 127.0.0.1:443; return 200; }"
    with Nginx(f"server {{ listen 127.0.0.1:80; return {status} {location}; }}\n{elsewhere}") as nginx:
        run = run_import(program)
    reason = {301: "Moved Permanently", 307: "Temporary Redirect", 308: "Permanent Redirect"}[status]
    assert run.message_texts == [f'The server localhost answered "{status} {reason}" (to {location}).' +
                                 NOT_IMPORTED]
    assert nginx.log == [f"POST /krn/import.asp {status}"]
    assert handoff.requests() == []
    the_entry(program, host="localhost", route="http", outcome="refused", status=f"{status} {reason}",
              location=location, error="")
    assert_no_marker(program)


def test_a_sign_in_gateway_is_not_taken_for_the_server(program, handoff):
    gateway = ("server { listen 127.0.0.1:80; return 302 http://127.0.0.2/sign-in?next=$request_uri; }\n"
               'server { listen 127.0.0.2:80; location / { return 200 "Please sign in"; } }')
    with Nginx(gateway) as nginx:
        run = run_import(program)
    assert run.message_texts == ['The server localhost answered "302 Moved Temporarily" '
                                 '(to http://127.0.0.2/sign-in?next=/krn/import.asp).' + NOT_IMPORTED]
    assert nginx.log == ["POST /krn/import.asp 302"]  # the login page was never fetched
    assert handoff.requests() == []


def test_a_server_that_takes_the_post_and_points_at_a_page_is_not_asked_for_it(program, handoff):
    # Post, then redirect to a page of the same server: the quote is in, the page is the web
    # product's business.
    site = ("server { listen 127.0.0.1:80; location = /krn/import.asp { return 303 /krn/done.asp; }\n"
            "         location / { return 200; } }")
    with Nginx(site) as nginx:
        run = run_import(program)
    assert run.messages == []
    assert nginx.log == ["POST /krn/import.asp 303"]
    assert len(handoff.requests()) == 1


@pytest.fixture
def system_proxy(prefix):
    """Makes 127.0.0.1:3128 the proxy of the test prefix's user, as an office sets it, for
    one test."""
    def reg(*arguments):
        subprocess.run([WINE, "reg", *arguments, "/f"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60, check=True)

    reg("add", INTERNET_SETTINGS, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "1")
    reg("add", INTERNET_SETTINGS, "/v", "ProxyServer", "/d", f"127.0.0.1:{Squid.PORT}")
    yield
    reg("add", INTERNET_SETTINGS, "/v", "ProxyEnable", "/t", "REG_DWORD", "/d", "0")
    reg("delete", INTERNET_SETTINGS, "/v", "ProxyServer")


def test_a_plain_post_goes_through_the_office_proxy(program, handoff, system_proxy):
    with Receiver() as server, Squid() as proxy:
        run = run_import(program)
    assert run.messages == []
    (request,) = server.requests
    assert request.request_line.startswith("POST /krn/import.asp HTTP/1.")
    assert request.body.decode("latin-1").startswith("source=Vantrel20&")
    assert proxy.log == [("POST", "http://localhost/krn/import.asp", "-", "200")]
    assert len(handoff.requests()) == 1


def test_an_https_post_goes_through_the_office_proxy_as_a_tunnel(program, handoff, system_proxy,
                                                                  server_certificate):
    with Receiver(tls=server_certificate) as server, Squid() as proxy:
        run = run_import(program, server="https://localhost")
    assert run.messages == []
    (request,) = server.requests
    assert request.request_line.startswith("POST /krn/import.asp HTTP/1.")
    assert proxy.log == [("CONNECT", "localhost:443", "-", "200")]
    assert len(handoff.requests()) == 1


PASSWORD_DIALOG = {"proxy": "Enter Network Password", "server": "Authentication Required"}


# Each dialog the agent answers leaves a mark; a dialog beyond the script is unexpected. The
# agent may take `think_ms` before typing.
def give_password(dialog, user, password, think_ms=0):
    think = f"sleep {think_ms}\n" if think_ms else ""
    return f"window {dialog}\nmark typed\n{think}settext 1027 {user}\nsettext 1028 {password}\nclick 1\n"


def cancel(dialog):
    return f"window {dialog}\nmark cancelled\nclick 2\n"


def test_the_office_proxy_password_is_asked_for_and_used(program, handoff, system_proxy):
    script = STATUS_WINDOW + give_password(PASSWORD_DIALOG["proxy"], "agent7731", "office-pass", think_ms=1500)
    with Receiver() as server, Squid("agent7731", "office-pass") as proxy:
        run = run_import(program, script=script)
    assert (run.messages, run.unexpected, run.marks) == ([], [], ["typed"])
    assert len(server.requests) == 1
    # Wine's client sends once more without the password before it sends it.
    assert proxy.log[0][2:] == ("-", "407") and proxy.log[-1][2:] == ("agent7731", "200")
    assert {entry[3] for entry in proxy.log[:-1]} == {"407"}
    assert len(handoff.requests()) == 1
    # The time to the answer holds the agent's time in the dialog; what was typed is not kept.
    entry = the_entry(program, host="localhost", route="http", outcome="taken", status="200 OK")
    assert int(entry["ms"]) >= 1500, entry
    assert_no_marker(program, "agent7731", "office-pass")


def test_a_cancelled_proxy_password_says_the_proxy_refused(program, handoff, system_proxy):
    script = STATUS_WINDOW + cancel(PASSWORD_DIALOG["proxy"])
    with Receiver() as server, Squid("agent", "office-pass"):
        run = run_import(program, script=script)
    assert run.message_texts == ['The proxy server answered "407 Proxy Authentication Required".' + NOT_IMPORTED]
    assert run.marks == ["cancelled"]
    assert server.requests == [] and handoff.requests() == []


def test_a_wrong_proxy_password_is_asked_for_three_times(program, handoff, system_proxy):
    script = STATUS_WINDOW + give_password(PASSWORD_DIALOG["proxy"], "agent", "wrong-pass-7732") * 3
    with Receiver() as server, Squid("agent", "office-pass") as proxy:
        run = run_import(program, script=script)
    assert run.message_texts == ['The proxy server answered "407 Proxy Authentication Required".' + NOT_IMPORTED]
    assert (run.marks, run.unexpected) == (["typed"] * 3, [])
    assert {entry[3] for entry in proxy.log} == {"407"}
    assert server.requests == [] and handoff.requests() == []
    the_entry(program, route="http", outcome="refused", status="407 Proxy Authentication Required", location="")
    assert_no_marker(program, "wrong-pass-7732")


@pytest.mark.parametrize("answer", ["password", "cancel"])
def test_a_server_that_asks_for_a_password(program, handoff, answer):
    dialog = PASSWORD_DIALOG["server"]
    script = STATUS_WINDOW + (give_password(dialog, USER, PASSWORD) if answer == "password" else cancel(dialog))
    with Receiver("auth") as server:
        run = run_import(program, server="http://127.0.0.1", script=script)
    assert (run.unexpected, run.marks) == ([], ["typed" if answer == "password" else "cancelled"])
    first, *again = server.requests
    assert "authorization" not in first.headers
    if answer == "password":
        assert run.messages == []
        # Sent again with the password (Wine's client first tries once more without it).
        assert 1 <= len(again) <= 2 and again[-1].headers["authorization"] == AUTHORIZATION
        assert {r.body for r in again} == {first.body}
        assert len(handoff.requests()) == 1
    else:
        assert again == []
        assert run.message_texts == ['The server 127.0.0.1 answered "401 Unauthorized".' + NOT_IMPORTED]
        assert handoff.requests() == []
