"""A customer's server that once said it takes TLS (a permanent move to https, or
Strict-Transport-Security over TLS) is remembered in TlsHosts.dat and gets every later quote
over TLS straight away: the quote does not cross the network in clear to it again."""

import calendar
import time

import pytest

from real_servers import Nginx
from receiver import Receiver
from test_agency_packages import tool
from test_delivery import HTTP_ERROR
from test_import import STATUS_WINDOW, prepare
from test_networks import moved_to_tls, server_certificate  # noqa: F401 (a fixture)
from test_reference_receiver import SAMPLE, assert_samples_stored, start_receiver, stop_receiver

ONE_YEAR = 31536000
POST = "POST /krn/import.asp"


def import_sample(program):
    """One rater's start importing the sample export to the route's server http://localhost."""
    program.configure("FSC", serverPostFile="krn/import.asp", krnLaunchFile="krn/start.asp", productName="DEMO AUTO")
    program.route("DEMO AUTO", server="http://localhost")
    program.write("QUOTE.TXT", SAMPLE.read_bytes())
    run = program.run(f"{program.windows_path}\\quote.txt", STATUS_WINDOW, timeout=90)
    assert (run.timed_out, run.exit_code) == (False, 0)
    return run


def import_fsc(program):
    run = program.run(prepare(program, "FSC", server="http://localhost"), STATUS_WINDOW, timeout=90)
    assert (run.timed_out, run.exit_code) == (False, 0)
    return run


def known_hosts(program):
    path = program.file("TlsHosts.dat")
    return path.read_bytes() if path.exists() else None


def learned_entry(program):
    """(host, UTC seconds until which it is known) of a TlsHosts.dat holding one entry."""
    host, until = known_hosts(program).decode("latin-1").removesuffix(";\r\n").split(" ")
    return host, calendar.timegm(time.strptime(until, "%Y-%m-%dT%H:%M:%SZ"))


def logs_by_port(nginx):
    return {port: nginx.access_log(port) for port in (80, 443)}


def test_the_first_import_learns_the_move_and_the_second_goes_straight_over_tls(program, handoff,
                                                                                 server_certificate, tmp_path):
    # nginx's own recipe for a site that moved to https for good, in front of the reference receiver.
    site = moved_to_tls(301, *server_certificate, 8080, strict_transport_security=[f"max-age={ONE_YEAR}"])
    database = tmp_path / "receiver.sqlite"
    receiver = start_receiver(database, "--port", 8080, port=8080)
    try:
        with Nginx(site, ports=(80, 443)) as nginx:
            before = int(time.time())
            first = import_sample(program)
            after = int(time.time())
            after_first = logs_by_port(nginx)
            raw_first = {port: nginx.port_log(port) for port in (80, 443)}
            learned = learned_entry(program)
            second = import_sample(program)
            after_second = logs_by_port(nginx)
            raw_second = {port: nginx.port_log(port)[len(raw_first[port]):] for port in (80, 443)}
    finally:
        stop_receiver(receiver)
    for name, raw in (("first", raw_first), ("second", raw_second)):
        for port in (80, 443):
            print(f"nginx port {port}, {name} import: {raw[port]}")

    assert (first.messages, second.messages) == ([], [])
    # The first import: in clear, moved; then the same post over TLS. It learned the host
    # until max-age seconds after the answer, in UTC.
    assert after_first == {80: [f"{POST} 301"], 443: [f"{POST} 200"]}
    assert learned[0] == "localhost" and before + ONE_YEAR <= learned[1] <= after + ONE_YEAR
    # The second import: nothing came to port 80.
    assert after_second == {80: [f"{POST} 301"], 443: [f"{POST} 200", f"{POST} 200"]}

    # Both quotes arrived whole, and the agent saw and was handed the route's own server.
    import_ids = assert_samples_stored(database)
    assert len(import_ids) == 2
    log = program.read("export.log").decode("latin-1").split("\r\n")
    startup_link = f"http://localhost/krn/start.asp?externalQuoteImportID={import_ids[1]}"
    assert log[1] == "Server = localhost KRN Browser Path = UNDEFINED"
    assert log[3] == f"KRN Startup link = {startup_link}"
    assert [args for _, args in handoff.requests()][-1] == f'"{startup_link}" '


def test_a_temporary_move_is_followed_and_not_remembered(program, handoff, server_certificate):
    with Receiver(port=8080) as upstream, Nginx(moved_to_tls(302, *server_certificate, 8080),
                                                 ports=(80, 443)) as nginx:
        runs = [import_fsc(program), import_fsc(program)]
    assert [run.messages for run in runs] == [[], []]
    assert (nginx.logs[80], nginx.logs[443]) == ([f"{POST} 302"] * 2, [f"{POST} 200"] * 2)
    assert known_hosts(program) is None
    assert len(upstream.requests) == 2 and len(handoff.requests()) == 2


@pytest.mark.parametrize("headers, learned_for", [
    (["max-age=600"], 600),
    (["max-age=600", "max-age=0"], 600),  # only the first header counts
    (["max-age=0", "max-age=600"], None),
    (["max-age=600, includeSubDomains", "max-age=900"], None),  # the first does not read: ignored
])
def test_strict_transport_security_over_tls_teaches_after_any_move(program, handoff, server_certificate, headers,
                                                                   learned_for):
    # A temporary move teaches nothing by itself; the header on the answer over TLS does.
    site = moved_to_tls(307, *server_certificate, 8080, strict_transport_security=headers)
    with Receiver(port=8080), Nginx(site, ports=(80, 443)):
        before = int(time.time())
        run = import_fsc(program)
        after = int(time.time())
    assert run.messages == []
    if learned_for is None:
        assert known_hosts(program) is None
    else:
        host, until = learned_entry(program)
        assert host == "localhost" and before + learned_for <= until <= after + learned_for


def test_a_known_host_whose_certificate_is_not_trusted_gets_nothing_in_clear(program, handoff, certificates):
    entry = b"localhost 2099-01-01T00:00:00Z;\r\n"
    program.write("TlsHosts.dat", entry)
    certificate, key = certificates["untrusted"].server("untrusted-localhost", "localhost")
    site = f"""
server {{ listen 127.0.0.1:80; return 200; }}
server {{ listen 127.0.0.1:443 ssl; ssl_certificate {certificate}; ssl_certificate_key {key}; return 200; }}"""
    with Nginx(site, ports=(80, 443)) as nginx:
        run = import_fsc(program)
    texts = run.message_texts
    # The messages of any post over TLS that fails; texts[1] is the platform's description.
    assert (len(texts), texts[0], texts[2]) == (3, HTTP_ERROR, "Server: localhost"), texts
    assert (nginx.logs[80], nginx.logs[443]) == ([], [])
    assert known_hosts(program) == entry
    assert handoff.requests() == []


def test_an_expired_entry_sends_the_post_to_port_80_again(program, handoff, server_certificate):
    program.write("TlsHosts.dat", b"localhost 2020-01-01T00:00:00Z;\r\n")
    with Receiver(port=8080) as upstream, Nginx(moved_to_tls(308, *server_certificate, 8080),
                                                 ports=(80, 443)) as nginx:
        run = import_fsc(program)
    assert run.messages == []
    assert (nginx.logs[80], nginx.logs[443]) == ([f"{POST} 308"], [f"{POST} 200"])
    assert len(upstream.requests) == 1
    # Learned again from the permanent move, for a year from the import.
    host, until = learned_entry(program)
    assert host == "localhost" and 0 <= time.time() + ONE_YEAR - until < 120


def test_a_host_entered_in_advance_gets_the_first_import_over_tls(program, handoff, server_certificate):
    # Made in advance as IT makes it, by the configuration tool.
    tool("--write-tls-hosts", program.path / "TlsHosts.dat", "--tls-host", "LocalHost")
    site = moved_to_tls(301, *server_certificate, 8080, strict_transport_security=["max-age=600"])
    with Receiver(port=8080) as upstream, Nginx(site, ports=(80, 443)) as nginx:
        run = import_fsc(program)
    assert run.messages == []
    assert (nginx.logs[80], nginx.logs[443]) == ([], [f"{POST} 200"])
    (request,) = upstream.requests
    assert request.body.decode("latin-1").startswith("source=Vantrel20&xversion=2.101020&rater=FSC&")
    assert int(request.headers["content-length"]) == len(request.body)
    # A shorter max-age leaves an entry made in advance as it is.
    assert known_hosts(program) == b"LocalHost always;\r\n"
    assert len(handoff.requests()) == 1
