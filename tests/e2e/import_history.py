"""Reads the import history, "imports.log" in the program folder, that Vantrel adds a line to
for every import, and a rater export whose every value is a marker that must never reach it."""

import re
from datetime import datetime, timezone

FIELDS = ("time", "id", "rater", "product", "host", "route", "outcome", "status", "location", "error", "ms")

# An FSC export whose values are found nowhere else, so any of them in the history is a leak.
MARKERS = ("ZQSURNAME4711", "ZQGIVEN4712", "ZQVIN4713", "ZQPHONE4714", "ZQSTREET4715", "ZQPREMIUM4716")
MARKED_EXPORT = ('"1","{}","{}"\n"2","{}","({})"\n"3","{} 12","{}"\n"32000","END"\n'.format(*MARKERS)).encode()


def history(program):
    """The history's lines, each a dict of its eleven fields, checked for its form: CR LF
    after every line, a tab between fields, an ISO 8601 local time with its UTC offset that
    is the time of this run."""
    data = program.read("imports.log").decode("latin-1")
    assert data.endswith("\r\n") and "\n" not in data.replace("\r\n", ""), data
    entries = []
    for line in data[:-2].split("\r\n"):
        fields = line.split("\t")
        assert len(fields) == len(FIELDS), fields
        entry = dict(zip(FIELDS, fields))
        assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", entry["time"]), entry
        # A wrong offset would put the line hours away from now.
        age = datetime.now(timezone.utc) - datetime.fromisoformat(entry["time"])
        assert 0 <= age.total_seconds() < 600, entry
        assert entry["ms"] == "" or entry["ms"].isdigit(), entry
        entries.append(entry)
    return entries


def the_entry(program, **expected):
    """The history's only line, which must hold the `expected` fields."""
    (entry,) = history(program)
    assert {name: entry[name] for name in expected} == expected, entry
    return entry


def assert_no_marker(program, *secrets):
    """After an import of MARKED_EXPORT: none of its markers, nor any of `secrets` (what was
    typed into a password dialog), is in the history."""
    data = program.read("imports.log").decode("latin-1")
    for marker in (*MARKERS, *secrets):
        assert marker not in data, marker
