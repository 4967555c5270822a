import os

import pytest

from harness import BUILD, ProgramFolder


@pytest.fixture(scope="session")
def prefix():
    """The Wine prefix and display that scripts/test.sh prepared for this run."""
    if not os.environ.get("WINEPREFIX") or not os.environ.get("DISPLAY"):
        pytest.fail("run the end-to-end tests through scripts/test.sh (it prepares Wine and a display)")
    for tool in ("Vantrel.exe", "ui_driver.exe"):
        if not (BUILD / tool).exists():
            pytest.fail(f"{BUILD / tool} is missing: build the windows preset first")
    return os.environ["WINEPREFIX"]


@pytest.fixture
def program(prefix, request):
    """A fresh program folder named after the test."""
    return ProgramFolder(prefix, request.node.name.replace("[", "-").replace("]", ""))


@pytest.fixture
def make_program(prefix, request):
    """Program folders with a chosen program file name."""
    def make(exe_name, suffix=""):
        return ProgramFolder(prefix, request.node.name + suffix, exe_name)
    return make
