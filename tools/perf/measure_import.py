"""Where an import's time goes: the real Vantrel.exe under Wine posts to the local test
receiver, and this compares its wall time with the waits the import prescribes, with Wine's
own process start (an empty Win32 program), and with curl posting the same body.

Run by scripts/perf.sh inside a network namespace with a Wine prefix and display ready and
the hand-off recorder registered at C:\\tools. Prints Markdown tables."""

import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path[:0] = [str(ROOT / "tools" / "test_receiver"), str(ROOT / "tools" / "pylib")]
from receiver import Receiver  # noqa: E402
from route_row import route_row  # noqa: E402

WINE = os.environ["WINE"]  # set by scripts/lib.sh
BUILD = ROOT / "build" / "windows"
PREFIX = Path(os.environ["WINEPREFIX"])
RUNS = int(os.environ.get("PERF_RUNS", "5"))

# Every open of the import pauses 50 ms after it: the settings at start-up, the run log,
# the status window's settings, "Route.dat", "PRoute.dat", the export file, "export.log".
OPENS = 7
PRESCRIBED_MS = OPENS * 50 + 3000  # and the three-second wait before the hand-off


def perf_row(product):
    return route_row("PERF MUTUAL", "FSC", "IL", product, "http://127.0.0.1")


def program_folder(name, export):
    folder = PREFIX / "drive_c" / "perf" / name
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    shutil.copy(BUILD / "Vantrel.exe", folder)
    values = ["", "", "krn/import.asp", "krn/start.asp", "Perf Agency", "", "", "N", "FSC", "PERF AUTO"]
    (folder / "Vantrel.dat").write_bytes("".join(v + ";\r\n" for v in values).encode())
    proute = ["LIVE"] + [""] * 91 + [perf_row("PERF AUTO")]
    (folder / "PRoute.dat").write_bytes("".join(v + ";\r\n" for v in proute).encode())
    (folder / "Route.dat").write_bytes((perf_row("PERF AUTO") + ";\r\n").encode())
    (folder / "QUOTE.TXT").write_bytes(export)
    return folder


def peak_memory_kb(pid):
    try:
        for line in Path(f"/proc/{pid}/status").read_text().splitlines():
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    except OSError:
        pass
    return 0


def run_process(command, cwd=None):
    """Wall seconds and peak resident memory (KiB) of one process."""
    started = time.time()
    process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    peak = 0
    deadline = started + 120
    while process.poll() is None and time.time() < deadline:
        peak = max(peak, peak_memory_kb(process.pid))
        time.sleep(0.01)
    if process.poll() is None:
        process.kill()
        raise RuntimeError(f"{command} did not end")
    return started, time.time() - started, peak


def measure_vantrel(name, export):
    folder = program_folder(name, export)
    handoff = PREFIX / "drive_c" / "tools" / "handoff.log"
    rows = []
    for _ in range(RUNS):
        handoff.unlink(missing_ok=True)
        with Receiver() as server:
            started, wall, peak = run_process([WINE, f"C:\\perf\\{name}\\Vantrel.exe", f"C:\\perf\\{name}\\quote.txt"])
            time.sleep(0.5)
        (request,) = server.requests
        rows.append({
            "wall": wall * 1000,
            "to_request": (request.arrived - started) * 1000,
            "to_handoff": (handoff.stat().st_mtime - started) * 1000,
            "network": (request.arrived - request.accepted) * 1000,
            "peak_kb": peak,
            "body": request.body,
        })
    return rows


def measure_curl(body):
    times = []
    body_file = PREFIX / "perf-body.txt"
    body_file.write_bytes(body)
    for _ in range(RUNS):
        with Receiver() as server:
            subprocess.run(["curl", "-0", "-s", "-o", "/dev/null", "-H", "Content-Type: application/x-www-form-urlencoded",
                            "-A", "Vantrel", "--data-binary", f"@{body_file}", "http://127.0.0.1/krn/import.asp"],
                           check=True, timeout=30)
        (request,) = server.requests
        times.append((request.arrived - request.accepted) * 1000)
    return statistics.median(times)


def median(rows, key):
    return statistics.median(row[key] for row in rows)


def fsc_export(lines):
    records = []
    for i in range(lines - 1):
        records.append(f'"{i % 29 + 1}","VALUE {i}","SMITH","JOHN","(555) 123-4567","1452 ELM STREET","Y"')
    records.append('"32000","END"')
    return ("\r\n".join(records) + "\r\n").encode()


def main():
    bare = [run_process([WINE, str(BUILD / "empty_program.exe")]) for _ in range(RUNS)]
    bare_wall = statistics.median(e[1] for e in bare) * 1000
    floor = [run_process([WINE, str(BUILD / "empty_program.exe"), "gui"]) for _ in range(RUNS)]
    empty_wall = statistics.median(e[1] for e in floor) * 1000
    empty_peak = statistics.median(e[2] for e in floor)

    exports = {
        "typical (9 lines)": (ROOT / "examples" / "fsc-auto-quote.txt").read_bytes(),
        "5000 lines": fsc_export(5000),
    }
    print(f"Runs per figure: {RUNS} (medians). Prescribed waits per import: {OPENS} opens x 50 ms + 3000 ms = "
          f"{PRESCRIBED_MS} ms. Under Wine, an empty Win32 program takes {bare_wall:.0f} ms; one that also shows a "
          f"window and opens an internet session (the platform floor) {empty_wall:.0f} ms and {empty_peak / 1024:.1f} "
          f"MiB at its peak.\n")
    print("| Export | Size | Start to request | Start to hand-off | Wall | Own overhead | Overhead / waits "
          "| Network: Vantrel | Network: curl | Ratio | Peak memory | Own memory | Memory target |")
    print("|---|---|---|---|---|---|---|---|---|---|---|---|---|")
    for index, (label, export) in enumerate(exports.items()):
        rows = measure_vantrel(f"case{index}", export)
        wall = median(rows, "wall")
        overhead = wall - PRESCRIBED_MS - empty_wall
        vantrel_network = median(rows, "network")
        curl_network = measure_curl(rows[0]["body"])
        peak = median(rows, "peak_kb")
        own_memory = peak - empty_peak
        target_kb = 3 * len(export) / 1024 + 10 * 1024
        print(f"| {label} | {len(export) / 1024:.0f} KiB | {median(rows, 'to_request'):.0f} ms "
              f"| {median(rows, 'to_handoff'):.0f} ms | {wall:.0f} ms | {overhead:.0f} ms "
              f"| {100 * overhead / PRESCRIBED_MS:.1f} % | {vantrel_network:.1f} ms | {curl_network:.1f} ms "
              f"| {vantrel_network / curl_network:.2f} | {peak / 1024:.1f} MiB | {own_memory / 1024:.1f} MiB "
              f"| {target_kb / 1024:.1f} MiB |")


if __name__ == "__main__":
    main()
