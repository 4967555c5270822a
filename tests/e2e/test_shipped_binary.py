"""The programs Vantrel ships are built as Windows toolchains build them (cmake/hardening.cmake):
the exploit mitigations set in the PE header, the stack protector linked in, and nothing to
load but Windows' own DLLs. Reads the files themselves; needs no Wine."""

import struct

import pytest

from harness import BUILD

SHIPPED = ["Vantrel.exe", "vantrel_config.exe"]

# DllCharacteristics bits of the optional header.
MITIGATIONS = {
    "HIGH_ENTROPY_VA": 0x0020,
    "DYNAMIC_BASE": 0x0040,
    "NX_COMPAT": 0x0100,
    "TERMINAL_SERVICE_AWARE": 0x8000,
}

# Every DLL a shipped program may import: each is part of Windows. A new one has to be added
# here on purpose, once it is known to be on every supported Windows (ADVAPI32 is the stack
# protector's source of a random guard value).
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "shell32.dll",
               "user32.dll", "wininet.dll"}


class PortableExecutable:
    """The parts of a PE file these checks read: DllCharacteristics, the names of the imported
    DLLs and the names in the COFF symbol table."""

    def __init__(self, data):
        self.data = data
        assert data[:2] == b"MZ", "no DOS header"
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
        (_, sections, _, self.symbol_table, self.symbols, optional_size, _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        assert magic == 0x20B, f"not a 64-bit (PE32+) program: optional header magic {magic:#x}"
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        self.import_rva = struct.unpack_from("<I", data, optional + 112 + 8)[0]  # data directory 1
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw_offset in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def text(self, offset):
        return self.data[offset:self.data.index(b"\0", offset)].decode("latin-1")

    def imported_dlls(self):
        dlls, descriptor = [], self.offset(self.import_rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if not (lookup or name or thunks):
                return dlls
            dlls.append(self.text(self.offset(name)))
            descriptor += 20

    def symbol_names(self):
        strings = self.symbol_table + 18 * self.symbols
        names, i = set(), 0
        while i < self.symbols:
            entry = self.symbol_table + 18 * i
            short, long_offset = struct.unpack_from("<II", self.data, entry)
            if short == 0:
                names.add(self.text(strings + long_offset))
            else:
                names.add(self.data[entry:entry + 8].rstrip(b"\0").decode("latin-1"))
            i += 1 + self.data[entry + 17]  # and the symbol's auxiliary records
        return names


@pytest.fixture(params=SHIPPED)
def program(request):
    path = BUILD / request.param
    if not path.exists():
        pytest.fail(f"{path} is missing: build the windows preset first")
    return PortableExecutable(path.read_bytes())


def test_the_header_asks_for_every_mitigation(program):
    missing = [name for name, bit in MITIGATIONS.items() if not program.dll_characteristics & bit]
    assert not missing, f"DllCharacteristics {program.dll_characteristics:#06x} lacks {', '.join(missing)}"


def test_only_windows_own_dlls_are_imported(program):
    dlls = program.imported_dlls()
    assert "kernel32.dll" in (dll.lower() for dll in dlls), dlls
    others = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS]
    assert not others, f"imports DLLs that do not come with Windows: {others}"


def test_the_stack_protector_is_linked_in(program):
    assert program.symbols, "the program has no symbol table to look for the stack protector in"
    names = program.symbol_names()
    assert "__stack_chk_fail" in names and "__stack_chk_guard" in names, \
        "no stack protector: __stack_chk_fail or __stack_chk_guard is not linked in"
