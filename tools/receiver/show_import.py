"""Prints what the reference receiver stored for its newest import: the identifier, the
start-page address and the decoded quote. Used by scripts/demo.sh.

    show_import.py RECEIVER.sqlite [START_PAGE_BASE]

The texts are the agent's bytes, in its Windows code page (Windows-1252), as the receiver
keeps them; they are read as bytes and shown as that code page reads them. Control
characters (and the backslash) are shown as \\xNN, so a value cannot act on the terminal."""

import codecs
import sqlite3
import sys


def _undefined_as_control(error):
    # Windows-1252 leaves 0x81, 0x8D, 0x8F, 0x90 and 0x9D undefined; Windows reads them as
    # the control characters of the same number, and so does this.
    undefined = error.object[error.start:error.end]
    return "".join(chr(byte) for byte in undefined), error.end


codecs.register_error("windows-undefined-as-control", _undefined_as_control)


def text(value):
    """A stored text as the agent's machine shows it, control characters escaped."""
    if value is None:
        return ""
    if isinstance(value, bytes):
        value = value.decode("cp1252", errors="windows-undefined-as-control")
    return "".join(f"\\x{ord(c):02x}" if ord(c) < 0x20 or 0x7f <= ord(c) <= 0x9f or c == "\\" else c
                   for c in str(value))


def main():
    sys.stdout.reconfigure(errors="backslashreplace")
    database = sqlite3.connect(sys.argv[1])
    database.text_factory = bytes
    base = sys.argv[2] if len(sys.argv) > 2 else "http://127.0.0.1/krn/start.asp"
    row = database.execute("SELECT id, received_at, rater, xversion, external_quote_import_id, file_gen_name, encoding, "
                           "malformed, malformed_reason FROM imports ORDER BY id DESC LIMIT 1").fetchone()
    if row is None:
        print("The receiver stored no import.")
        return 1
    number, received, rater, version, import_id, file_name, encoding, malformed, reason = row
    print(f"Import {number}, received {text(received)}: rater {text(rater)}, version {text(version)}, "
          f"file {text(file_name)}")
    print(f"Import identifier: {text(import_id)}")
    print(f"Start page:        {base}?externalQuoteImportID={text(import_id)}")
    if malformed:
        print(f"Flagged malformed: {text(reason)}")
    if encoding == b"Record":
        print("\n  Field  Record  Occurrence  Position  Value")
        for g, n, o, f, value in database.execute(
                "SELECT running_number, record_number, occurrence, field_number, value FROM record_fields "
                "WHERE import_id = ? ORDER BY position", (number,)):
            print(f"  {g:>5}  {n:>6}  {o:>10}  {f:>8}  {text(value)}")
    else:
        print("\n  Line  Text")
        for slot, value in database.execute(
                "SELECT slot, text FROM line_fields WHERE import_id = ? ORDER BY position", (number,)):
            print(f"  {slot:>4}  {text(value)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
