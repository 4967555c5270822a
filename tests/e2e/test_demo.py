"""The README's main job, run as a user would: `bash scripts/demo.sh` imports the sample
export into the reference receiver and shows the whole road, the hand-off included."""

import os
import re
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def test_the_demo_shows_the_stored_quote_and_the_hand_off():
    # As on a machine without a display: the demo makes a Wine prefix and a private display of
    # its own, in namespaces made inside the tests' own, whose display it leaves alone.
    environment = {name: value for name, value in os.environ.items() if name not in ("WINEPREFIX", "DISPLAY")}
    demo = subprocess.run(["bash", str(ROOT / "scripts" / "demo.sh")], env=environment, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=600)
    output = demo.stdout.decode("latin-1")
    assert demo.returncode == 0, output + demo.stderr.decode("latin-1")
    import_id = re.search(r"KRN Startup link = http://127\.0\.0\.1/krn/start\.asp\?externalQuoteImportID=(\d+)",
                          output).group(1)
    hand_off = output.split("what the shell was asked to open)\n", 1)[1]
    assert "(no hand-off)" not in hand_off
    assert f'"http://127.0.0.1/krn/start.asp?externalQuoteImportID={import_id}"' in hand_off, hand_off
