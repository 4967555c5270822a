"""Prints what the reference receiver stored for its newest import: the identifier, the
start-page address and the decoded quote. Used by scripts/demo.sh.

    show_import.py RECEIVER.sqlite [START_PAGE_BASE]"""

import sqlite3
import sys


def main():
    database = sqlite3.connect(sys.argv[1])
    base = sys.argv[2] if len(sys.argv) > 2 else "http://127.0.0.1/krn/start.asp"
    row = database.execute("SELECT id, received_at, rater, xversion, external_quote_import_id, file_gen_name, encoding, "
                           "malformed, malformed_reason FROM imports ORDER BY id DESC LIMIT 1").fetchone()
    if row is None:
        print("The receiver stored no import.")
        return 1
    number, received, rater, version, import_id, file_name, encoding, malformed, reason = row
    print(f"Import {number}, received {received}: rater {rater}, version {version}, file {file_name}")
    print(f"Import identifier: {import_id}")
    print(f"Start page:        {base}?externalQuoteImportID={import_id}")
    if malformed:
        print(f"Flagged malformed: {reason}")
    if encoding == "Record":
        print("\n  Field  Record  Occurrence  Position  Value")
        for g, n, o, f, value in database.execute(
                "SELECT running_number, record_number, occurrence, field_number, value FROM record_fields "
                "WHERE import_id = ? ORDER BY position", (number,)):
            print(f"  {g:>5}  {n:>6}  {o:>10}  {f:>8}  {value.decode('latin-1') if isinstance(value, bytes) else value}")
    else:
        print("\n  Line  Text")
        for slot, text in database.execute(
                "SELECT slot, text FROM line_fields WHERE import_id = ? ORDER BY position", (number,)):
            print(f"  {slot:>4}  {text.decode('latin-1') if isinstance(text, bytes) else text}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
