"""Prints the reference receiver's throughput and peak memory under the loads that matter for
it: small posts one after another and 50 at once, a big chunked post, a compressed post that
inflates far past what was sent, a post of ten million fields while pages are asked for, and
the page of a 60 MB post. Everything talks to 127.0.0.1 only; each case starts a receiver of
its own on a free port with a fresh database and stops it afterwards, so each peak (VmHWM of
the receiver's process) belongs to one case.

    /usr/bin/python3 tools/receiver/measure_receiver.py build/native/vantrel_receiver [CASE...]

Figures, not pass/fail: nothing here is a target."""

import asyncio
import collections
import http.client
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import zlib

SMALL_BODY = (b"source=Vantrel20&xversion=2.101020&rater=FSC&externalQuoteImportID=202612720565"
              b"&fileGenName=202612720565.sti&R0=1,1,1,SMITH&R1=1,1,2,JOHN&R2=2,1,1,2001&R3=2,1,2,FORD"
              b"&R4=2,1,3,F-150%20(4X4|%20XLT)&R5=1,2,1,DOE%20JR&R6=1,2,2,(555)%20123-4567|")
MIB = 1024 * 1024


class Receiver:
    """One receiver process on a free port of 127.0.0.1, with its own database."""

    def __init__(self, program, folder, database="receiver.sqlite"):
        self.database = os.path.join(folder, database)
        self.process = subprocess.Popen([program, "--port", "0", "--db", self.database],
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        line = self.process.stdout.readline().decode()
        found = re.search(r"://127\.0\.0\.1:(\d+)/", line)
        if not found:
            self.process.kill()
            raise RuntimeError(f"the receiver did not start: {line!r}")
        self.port = int(found.group(1))
        # The log is read as it comes, so a full pipe never stalls the receiver; the last
        # lines are kept.
        self.log = collections.deque(maxlen=20)
        threading.Thread(target=lambda: self.log.extend(line.decode(errors="replace").rstrip()
                                                        for line in self.process.stdout), daemon=True).start()

    def peak_mib(self):
        with open(f"/proc/{self.process.pid}/status") as status:
            kib = int(re.search(r"VmHWM:\s+(\d+) kB", status.read()).group(1))
        return kib / 1024

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        self.process.wait(timeout=60)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()

    def connection(self, timeout=600):
        return http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)


def post(receiver, body, headers=None, path="/"):
    connection = receiver.connection()
    all_headers = {"Content-Type": "application/x-www-form-urlencoded"}
    all_headers.update(headers or {})
    connection.request("POST", path, body=body, headers=all_headers,
                       encode_chunked=all_headers.get("Transfer-Encoding") == "chunked")
    answer = connection.getresponse()
    text = answer.read()
    connection.close()
    return answer.status, text


def get(receiver, path):
    connection = receiver.connection()
    connection.request("GET", path)
    answer = connection.getresponse()
    page = answer.read()
    connection.close()
    return answer.status, page


async def post_loop(port, request, until, counts):
    """Posts over a new connection each time, as Vantrel does, until `until`."""
    while time.monotonic() < until:
        reader, writer = await asyncio.open_connection("127.0.0.1", port)
        writer.write(request)
        await writer.drain()
        answer = await reader.read()  # HTTP/1.0: the receiver closes after the answer
        writer.close()
        counts["ok" if answer.startswith(b"HTTP/1.1 200") else "failed"] += 1


def throughput(receiver, senders, seconds):
    request = (b"POST /krn/import.asp HTTP/1.0\r\nContent-Type: application/x-www-form-urlencoded\r\n"
               b"Content-Length: " + str(len(SMALL_BODY)).encode() + b"\r\n\r\n" + SMALL_BODY)
    counts = {"ok": 0, "failed": 0}

    async def run():
        until = time.monotonic() + seconds
        await asyncio.gather(*(post_loop(receiver.port, request, until, counts) for _ in range(senders)))

    started = time.monotonic()
    asyncio.run(run())
    elapsed = time.monotonic() - started
    return f"{counts['ok'] / elapsed:.0f} posts/s stored ({counts['ok']} in {elapsed:.1f} s, {counts['failed']} failed)"


def case_throughput(senders):
    def case(program, folder):
        with Receiver(program, folder) as receiver:
            return throughput(receiver, senders, 5) + f", peak {receiver.peak_mib():.0f} MiB"
    return case


def chunks(total, piece):
    sent = 0
    while sent < total:
        part = piece[:total - sent]
        sent += len(part)
        yield part


def outcome(send):
    """What became of a post the receiver may refuse before it has all been sent."""
    try:
        status, text = send()
        return f"{status} {text.decode(errors='replace').strip()[:60]}"
    except OSError as error:
        return f"connection ended by the receiver ({error.__class__.__name__})"


def case_chunked(program, folder):
    """100 MB in chunks of 64 KiB, no Content-Length."""
    body = SMALL_BODY + b"&R9=" + b"A" * (64 * 1024)
    with Receiver(program, folder) as receiver:
        started = time.monotonic()
        result = outcome(lambda: post(receiver, chunks(100 * 1000 * 1000, body), {"Transfer-Encoding": "chunked"}))
        elapsed = time.monotonic() - started
        time.sleep(0.5)  # for the log line
        logged = next((line for line in receiver.log if " POST " in line), "nothing logged")
        return (f"{result}; {elapsed:.1f} s, peak {receiver.peak_mib():.0f} MiB, "
                f"database {os.path.getsize(receiver.database) / MIB:.0f} MiB; the receiver logged: "
                f"{logged.split(' POST ', 1)[-1][:70]}")


def case_gzip(program, folder):
    """About 1.1 MB of gzip that inflates to 1.1 GB."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, 31)
    block = b"A" * MIB
    wire = b"".join(compressor.compress(SMALL_BODY) if i == 0 else compressor.compress(block)
                    for i in range(1100)) + compressor.flush()
    with Receiver(program, folder) as receiver:
        started = time.monotonic()
        result = outcome(lambda: post(receiver, wire, {"Content-Encoding": "gzip"}))
        return (f"{len(wire) / 1e6:.1f} MB sent: {result}; {time.monotonic() - started:.1f} s, "
                f"peak {receiver.peak_mib():.0f} MiB")


def many_fields_body(count):
    # Short keys and values, so ten million of them stay under the 64 MiB cap.
    fields = b"".join(b"&R%d=A" % (i % 100) for i in range(count))
    return (b"source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=big&fileGenName=big.sti" +
            fields)


def case_many_fields(program, folder):
    """A post of ten million fields, and how long pages wait while it is stored."""
    body = many_fields_body(10 * 1000 * 1000)
    with Receiver(program, folder) as receiver:
        status, _ = post(receiver, SMALL_BODY)
        assert status == 200
        done = threading.Event()
        waits = []

        def ask_for_pages():
            while not done.is_set():
                started = time.monotonic()
                get(receiver, "/?import=1")
                waits.append(time.monotonic() - started)
                time.sleep(0.01)

        asker = threading.Thread(target=ask_for_pages)
        started = time.monotonic()
        asker.start()
        status, _ = post(receiver, body)
        stored = time.monotonic() - started
        done.set()
        asker.join()
        return (f"{len(body) / 1e6:.0f} MB: {status} in {stored:.1f} s; {len(waits)} pages meanwhile, "
                f"longest wait {max(waits):.2f} s; peak {receiver.peak_mib():.0f} MiB")


def case_big_page(program, folder):
    """The start page of a 60 MB post of a million fields, asked of a freshly started receiver."""
    body = (b"source=Vantrel20&xversion=2.101020&rater=QQ&externalQuoteImportID=page&fileGenName=page.sti" +
            b"".join(b"&R%d=%s" % (i, b"%d%%20" % i + b"X" * 48) for i in range(1000 * 1000)))
    with Receiver(program, folder) as receiver:
        status, _ = post(receiver, body)
        assert status == 200, status
    with Receiver(program, folder) as receiver:
        before = receiver.peak_mib()
        started = time.monotonic()
        status, page = get(receiver, "/krn/start.asp?externalQuoteImportID=page")
        elapsed = time.monotonic() - started
        return (f"{len(body) / 1e6:.0f} MB post: page {status}, {len(page) / 1e6:.2f} MB in {elapsed:.1f} s; "
                f"peak {before:.0f} MiB at start, {receiver.peak_mib():.0f} MiB after the page")


CASES = {
    "sequential": case_throughput(1),
    "concurrent": case_throughput(50),
    "chunked": case_chunked,
    "gzip": case_gzip,
    "many-fields": case_many_fields,
    "big-page": case_big_page,
}


def main():
    program = sys.argv[1]
    chosen = sys.argv[2:] or list(CASES)
    for name in chosen:
        with tempfile.TemporaryDirectory(prefix="receiver-measure-") as folder:
            print(f"{name:12} {CASES[name](program, folder)}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
