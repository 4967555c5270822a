"""A stand-in for the customer's server in the end-to-end tests: listens on 127.0.0.1:80
(inside the test run's own network namespace), or on port 443 over TLS, records each raw
request, and answers the way a test asks: normally, with an error status, with a redirect,
by closing at once, or not at all."""

import base64
import socket
import ssl
import struct
import threading
import time
from dataclasses import dataclass, field


@dataclass
class Request:
    raw: bytes
    arrived: float = field(default_factory=time.time)  # when the whole request was in
    accepted: float = 0.0  # when its connection was accepted

    @property
    def head(self):
        return self.raw.split(b"\r\n\r\n", 1)[0].decode("latin-1")

    @property
    def request_line(self):
        return self.head.split("\r\n", 1)[0]

    @property
    def headers(self):
        pairs = [line.split(":", 1) for line in self.head.split("\r\n")[1:]]
        return {name.strip().lower(): value.strip() for name, value in pairs}

    @property
    def body(self):
        return self.raw.split(b"\r\n\r\n", 1)[1]


ANSWERS = {
    "answer": b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 2\r\n\r\nOK",
    "error": b"HTTP/1.0 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n",
    "notfound": b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n",
    "bare": b"HTTP/1.0 503\r\nContent-Length: 0\r\n\r\n",
    "redirect": b"HTTP/1.0 302 Found\r\nLocation: /krn/stored.asp\r\nContent-Length: 0\r\n\r\n",
}
# The password the "auth" mode takes, as a Basic authorization carries it.
USER, PASSWORD = "agent", "quote-pass"
AUTHORIZATION = "Basic " + base64.b64encode(f"{USER}:{PASSWORD}".encode()).decode()
UNAUTHORIZED = (b'HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm="Quotes"\r\n'
                b"Content-Type: text/plain\r\nContent-Length: 13\r\n\r\nSign in first")
MODES = list(ANSWERS) + ["auth", "close", "reset", "stall", "deaf", "garbage", "slow"]


class Receiver:
    """mode: "answer" (200 OK), "error" (500 with its reason), "notfound" (404), "bare"
    (503 without a reason), "redirect" (a POST gets 302 to another page, which then answers
    200), "auth" (401 with a Basic challenge until the request carries USER and PASSWORD,
    then 200), "close" (read, then close without an answer), "reset" (close with a reset as
    soon as the connection is accepted), "stall" (read and never answer until the test
    ends), "deaf" (accept and never read), "garbage" (answer bytes that are not HTTP),
    "slow" (answer one byte every 200 ms).

    tls: (certificate file, key file) to serve over TLS instead of plain HTTP."""

    def __init__(self, mode="answer", port=None, tls=None):
        self.mode = mode
        self.requests = []
        self._stop = threading.Event()
        self._tls = None
        if tls:
            self._tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            self._tls.load_cert_chain(*tls)
        self._server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self._server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._server.bind(("127.0.0.1", port if port is not None else 443 if tls else 80))
        self._server.listen(8)
        self._server.settimeout(0.2)
        self._thread = threading.Thread(target=self._serve, daemon=True)

    @property
    def port(self):
        return self._server.getsockname()[1]

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join(timeout=5)
        self._server.close()

    def _serve(self):
        while not self._stop.is_set():
            try:
                connection, _ = self._server.accept()
            except socket.timeout:
                continue
            accepted = time.time()
            with connection:
                try:
                    if self._tls:
                        connection.settimeout(10)
                        connection = self._tls.wrap_socket(connection, server_side=True)
                    self._handle(connection, accepted)
                except OSError:
                    pass  # the client went away mid-answer, or refused the certificate: its business

    def _handle(self, connection, accepted):
        if self.mode == "reset":
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            return
        if self.mode == "deaf":
            self._stop.wait(120)
            return
        raw = self._read_request(connection)
        request = Request(raw, accepted=accepted)
        self.requests.append(request)
        if self.mode == "redirect" and not request.request_line.startswith("POST "):
            connection.sendall(ANSWERS["answer"])
        elif self.mode == "auth":
            authorized = request.headers.get("authorization") == AUTHORIZATION
            connection.sendall(ANSWERS["answer"] if authorized else UNAUTHORIZED)
        elif self.mode in ANSWERS:
            connection.sendall(ANSWERS[self.mode])
        elif self.mode == "stall":
            self._stop.wait(120)
        elif self.mode == "garbage":
            connection.sendall(bytes(range(256)) * 4)
        elif self.mode == "slow":
            for byte in b"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nOK":
                if self._stop.wait(0.2):
                    break
                connection.sendall(bytes([byte]))

    def _read_request(self, connection):
        connection.settimeout(10)
        raw = b""
        try:
            while b"\r\n\r\n" not in raw:
                chunk = connection.recv(65536)
                if not chunk:
                    return raw
                raw += chunk
            length = int(Request(raw).headers.get("content-length", "0"))
            while len(Request(raw).body) < length:
                chunk = connection.recv(65536)
                if not chunk:
                    break
                raw += chunk
        except socket.timeout:
            pass
        return raw


def main():
    """Serves until stopped (SIGINT or SIGTERM), printing each request as it arrives."""
    import argparse
    import signal
    import sys

    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--mode", default="answer", choices=MODES)
    parser.add_argument("--port", type=int)
    parser.add_argument("--cert", help="serve over TLS with this certificate (PEM); needs --key")
    parser.add_argument("--key", help="the certificate's private key (PEM)")
    parser.add_argument("--save", help="append each raw request to this file")
    options = parser.parse_args()
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    tls = (options.cert, options.key) if options.cert else None
    with Receiver(options.mode, options.port, tls) as receiver:
        print(f"receiver: listening on 127.0.0.1:{receiver.port}", flush=True)
        shown = 0
        while not stop.wait(0.2):
            for request in receiver.requests[shown:]:
                sys.stdout.write(request.raw.decode("latin-1") + "\n")
                sys.stdout.flush()
                if options.save:
                    with open(options.save, "ab") as saved:
                        saved.write(request.raw)
            shown = len(receiver.requests)


if __name__ == "__main__":
    main()
