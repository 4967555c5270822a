"""Real servers of the networks agents sit on, started and stopped by a test inside the test
run's own network namespace: nginx (Debian's nginx-light) as a customer's web server, Squid
as the office proxy. Each runs in the foreground from a folder of its own; the servers drop
to unprivileged users, so the folder is one they can enter."""

import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from pathlib import Path

import pytest


def wait_for_port(port, process, host="127.0.0.1"):
    """Waits (at most 10 s) until `process` takes connections on `port`."""
    for _ in range(200):
        if process.poll() is not None:
            pytest.fail(f"{process.args[0]} ended at start with {process.returncode}")
        try:
            socket.create_connection((host, port), timeout=1).close()
            return
        except OSError:
            time.sleep(0.05)
    pytest.fail(f"{process.args[0]} does not listen on {host}:{port}")


class ServerFolder:
    """A folder under /tmp that the servers' own users may enter and write logs into."""

    def __init__(self, name):
        self.path = Path(tempfile.mkdtemp(prefix=f"vantrel-{name}-"))
        self.path.chmod(0o777)

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


class Nginx:
    """nginx with the given `server { ... }` blocks. `ports` are waited for at start."""

    def __init__(self, servers, ports=(80,)):
        self.servers = servers
        self.ports = ports

    def __enter__(self):
        self.folder = ServerFolder("nginx")
        folder = self.folder.path
        temp = "".join(f"{kind}_temp_path {folder}/{kind};\n"
                       for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        (folder / "nginx.conf").write_text(f"""
daemon off;
worker_processes 1;
pid {folder}/nginx.pid;
error_log {folder}/error.log;
events {{ worker_connections 64; }}
http {{
    access_log {folder}/access.log;
    log_format by_port '$server_port $remote_addr [$time_local] "$request" $status $request_length';
    access_log {folder}/by-port.log by_port;
    client_body_buffer_size 1m;
    {temp}
    {self.servers}
}}
""")
        self.process = subprocess.Popen(["nginx", "-c", str(folder / "nginx.conf"), "-p", str(folder)],
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        for port in self.ports:
            wait_for_port(port, self.process)
        return self

    def access_log(self, port=None):
        """One line per request nginx answered: "<method> <path> <status>"; with `port`,
        only of the requests that came to that port."""
        if port is None:
            log = self.folder.path / "access.log"
            lines = log.read_text().splitlines() if log.exists() else []
        else:
            lines = self.port_log(port)
        return [" ".join(line.split('"')[1].split()[:2] + line.split('"')[2].split()[:1]) for line in lines]

    def port_log(self, port):
        """The raw access log lines of the requests that came to `port`: port, client, time,
        request line, status, length of the whole request."""
        log = self.folder.path / "by-port.log"
        lines = log.read_text().splitlines() if log.exists() else []
        return [line for line in lines if line.split()[0] == str(port)]

    def __exit__(self, *exc):
        self.process.send_signal(signal.SIGQUIT)  # finishes what it serves, then ends
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
        self.log = self.access_log()
        self.logs = {port: self.access_log(port) for port in self.ports}
        self.folder.remove()


class Squid:
    """Squid on 127.0.0.1:3128, open to all, or asking for `user` and `password` (Basic)."""

    PORT = 3128

    def __init__(self, user=None, password=None):
        self.user = user
        self.password = password

    def __enter__(self):
        self.folder = ServerFolder("squid")
        folder = self.folder.path
        access = "http_access allow all\n"
        if self.user:
            hashed = subprocess.run(["openssl", "passwd", "-apr1", self.password], capture_output=True, text=True,
                                    timeout=30, check=True).stdout.strip()
            (folder / "passwords").write_text(f"{self.user}:{hashed}\n")
            access = (f"auth_param basic program /usr/lib/squid/basic_ncsa_auth {folder}/passwords\n"
                      "auth_param basic realm Office proxy\n"
                      "acl agents proxy_auth REQUIRED\nhttp_access allow agents\nhttp_access deny all\n")
        (folder / "squid.conf").write_text(f"""
http_port 127.0.0.1:{self.PORT}
pid_filename {folder}/squid.pid
cache_log {folder}/cache.log
access_log stdio:{folder}/access.log
cache deny all
hosts_file /etc/hosts
shutdown_lifetime 0 seconds
{access}""")
        self.process = subprocess.Popen(["squid", "-N", "-f", str(folder / "squid.conf")], stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.PORT, self.process)
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=10)
        # Squid writes its access log as it stops: (method, address, user, status) per request.
        # The probe of wait_for_port, a connection without a request, is left out.
        log = self.folder.path / "access.log"
        self.log = []
        for line in (log.read_text().splitlines() if log.exists() else []):
            fields = line.split()
            if fields[5] != "-":
                self.log.append((fields[5], fields[6], fields[7], fields[3].split("/")[-1]))
        self.folder.remove()
