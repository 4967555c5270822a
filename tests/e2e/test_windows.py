"""The agent's windows in the real Vantrel.exe: the main window, Setup, Compatibility and the
About box, checked against their templates and driven as an agent would."""

import pytest

from route_row import route_row

MAIN = "Comparative Rater Import Utility"
SETUP = "Import Setup"
COMPATIBILITY = "Import Current Compatibility - SECURED ROUTES"
ABOUT = "About Vantrel"

# (id, class, text, enabled, visible, x, y, width, height in dialog units) in template order.
MAIN_TEMPLATE = [
    (1000, "SysListView32", "", True, True, 3, 24, 402, 222),
    (1003, "Static", "", True, True, 3, 249, 291, 8),
    (-1, "Static", "Version:", True, True, 336, 12, 26, 8),
    (1007, "Static", "2.101020", True, True, 363, 12, 39, 8),
    (1, "Button", "&Import", False, True, 303, 249, 50, 14),
    (2, "Button", "E&xit", True, True, 357, 249, 50, 14),
]
SETUP_TEMPLATE = [
    (1010, "Edit", None, True, True, 69, 12, 150, 14),
    (1008, "Edit", None, True, True, 69, 28, 150, 14),
    (1009, "Edit", None, True, True, 69, 44, 150, 14),
    (1011, "Edit", None, True, True, 69, 60, 150, 14),
    (1012, "Edit", None, True, True, 69, 75, 150, 14),
    (1015, "Button", "Use ITC Zavezuda", True, True, 69, 96, 78, 10),
    (1016, "ComboBox", None, True, True, 69, 114, 150, None),  # a closed drop-down shows one line
    (1005, "Button", "&Save", True, True, 135, 174, 50, 14),
    (2, "Button", "&Cancel", True, True, 189, 174, 50, 14),
    (1006, "Edit", None, False, False, 231, 7, 6, 14),
    (1007, "Edit", None, False, False, 231, 23, 6, 14),
    (-1, "Button", "Setup", True, True, 0, 0, 243, 171),
    (-1, "Static", "Producer Code:", False, False, 220, 13, 8, 8),
    (-1, "Static", "Server Address:", False, False, 220, 28, 8, 8),
    (-1, "Static", "Server Post File:", True, True, 13, 35, 52, 8),
    (-1, "Static", "KRN Launch File:", True, True, 9, 51, 56, 8),
    (-1, "Static", "Company:", True, True, 33, 18, 32, 8),
    (-1, "Static", "QQ Path:", True, True, 33, 66, 30, 8),
    (-1, "Static", "Vantrel Folder:", True, True, 15, 81, 48, 8),
    (-1, "Static", "Comparative Rater:", True, True, 3, 117, 62, 8),
]
COMPATIBILITY_TEMPLATE = [
    (1, "Button", "OK", True, True, 264, 165, 50, 14),
    (1009, "ListBox", None, True, True, 0, 3, 318, 156),
    (-1, "Static", "**The route.dat file no longer controls bridge URL routing", True, True, 6, 165, 179, 8),
]
ABOUT_TEMPLATE = [
    (-1, "Static", None, True, True, 11, 17, None, None),  # the program icon
    (-1, "Static", "Vantrel Version 1.0", True, True, 40, 10, 119, 8),
    (-1, "Static", "Comparative Rater Import Utility", True, True, 40, 25, 119, 8),
    (1, "Button", "OK", True, True, 178, 7, 50, 14),
]
RATERS = ["-- SELECT RATER --", "FSC RATER", "ITC TURBO RATER", "MULTICO RATER", "QUICK QUOTE", "ACCUAUTO RATER",
          "QUOMATION", "CCI RATER", "QUOTE PRO"]


def assert_matches_template(window, template):
    assert len(window.controls) == len(template), [c.id for c in window.controls]
    for control, (cid, cls, text, enabled, visible, *rect) in zip(window.controls, template):
        assert (control.id, control.cls, control.enabled, control.visible) == (cid, cls, enabled, visible), control
        if text is not None:
            assert control.text == text
        shown = [int(v) for v in control.dialog_units.split(",")]
        for got, want in zip(shown, rect):
            if want is not None:
                assert abs(got - want) <= 1, (control, rect)


def window_named(run, caption):
    return next(w for w in run.windows if w.caption == caption)


def assert_clean(run):
    assert (run.timed_out, run.exit_code, run.unexpected, run.errors) == (False, 0, [], [])


def test_the_main_window_matches_its_template_with_menus(program):
    run = program.run("", f"window {MAIN}|1000\ndump\ndumpmenu\nclick 2\n")
    assert_clean(run)
    window = window_named(run, MAIN)
    assert_matches_template(window, MAIN_TEMPLATE)
    assert run.menu() == [("&File", -1, "popup"), ("&File/E&xit", 32771, "-"), ("&Setup", -1, "popup"),
                          ("&Setup/&Import", 32772, "-"), ("&Setup/&Compatibility", 32774, "-"),
                          ("&Help", -1, "popup"), ("&Help/&About", 32773, "-")]
    system_menu = run.menu("SYSMENU")
    assert [(path, cid) for path, cid, _ in system_menu[-2:]] == [("", 0), ("&About Vantrel...", 16)]
    assert "separator" in system_menu[-2][2]


@pytest.mark.parametrize("how", ["click 2", "key 27", "syscommand 61536", "command 32771"],
                         ids=["exit-button", "escape", "close-box", "file-exit"])
def test_every_way_out_of_the_main_window_ends_the_program(program, how):
    run = program.run("", f"window {MAIN}|1000\n{how}\n", timeout=20)
    assert_clean(run)


def test_each_command_opens_its_window_and_returns_to_the_main_window(program):
    program.write("Route.dat", "")
    script = f"""
window {MAIN}|1000
command 32772
window {SETUP}
dump
click 2
return {MAIN}|1000
command 32774
window {COMPATIBILITY}
dump
click 1
return {MAIN}|1000
command 32773
window {ABOUT}
dump
click 1
return {MAIN}|1000
syscommand 16
window {ABOUT}
mark about from the system menu
click 1
return {MAIN}|1000
mark back in the main window
command 32771
"""
    run = program.run("", script, timeout=60)
    assert_clean(run)
    assert [w.caption for w in run.windows] == [SETUP, COMPATIBILITY, ABOUT]
    assert_matches_template(window_named(run, SETUP), SETUP_TEMPLATE)
    assert [text for text, _ in run.items(1016)] == RATERS
    assert_matches_template(window_named(run, COMPATIBILITY), COMPATIBILITY_TEMPLATE)
    assert_matches_template(window_named(run, ABOUT), ABOUT_TEMPLATE)
    assert run.marks == ["about from the system menu", "back in the main window"]
    assert run.messages == []


def harborline_row(rater, state, product):
    return route_row("HARBORLINE MUTUAL", rater, state, product, "http://quotes.harborline.example")


def test_the_compatibility_window_lists_route_rows_sorted(program):
    rows = [harborline_row("QQ", "OH", "HOMEOWNERS"), harborline_row("AAR", "IL", "AUTO SELECT"),
            harborline_row("ITC", "WI", "AUTO")]
    program.write("Route.dat", "".join(row + ";\r\n" for row in rows))
    run = program.run("", f"window {MAIN}|1000\ncommand 32774\nwindow {COMPATIBILITY}\ndump\nclick 1\n"
                          f"return {MAIN}|1000\nclick 2\n", timeout=30)
    assert_clean(run)
    entries = [text for text, _ in run.items(1009)]
    assert entries == sorted(entries)
    assert entries == ["AAR   IL    " + "AUTO SELECT".ljust(60), "ITC   WI    " + "AUTO".ljust(60),
                       "QQ    OH    " + "HOMEOWNERS".ljust(60)]


def escaped(text):
    """Text as a script argument: the driver reads backslash escapes."""
    return text.replace("\\", "\\\\")


def settings_bytes(*values):
    return "".join(v + ";\r\n" for v in values).encode("latin-1")


def setup_session(steps):
    """A script that opens Setup from the main window, then runs each step in turn; a step
    that brings up a message box ends, and the next starts once it has been answered."""
    script = f"window {MAIN}|1000\ncommand 32772\nwindow {SETUP}\n"
    script += f"return {SETUP}\n".join(step + "\n" for step in steps)
    return script + f"return {MAIN}|1000\nclick 2\n"


NEEDS_HTTP = "The server address must begin with http:// to be valid"
TRAILING_SLASH = "The server address does not need a trailing '/'"


def test_a_setup_session_checks_corrects_saves_and_copies(program):
    qq = program.path / "qq"
    qq.mkdir()
    # An empty hidden server address, a post file with a "/", a rater code in lower case.
    program.write("Vantrel.dat", settings_bytes("P1", "", "/krn/import.asp", "krn/start.asp", "Acme", "", "C:\\OLD", "Y",
                                                "itc", "AUTO PLUS"))
    run = program.run("", setup_session([
        "dump\nkey 13\nsleep 300\nmark enter did nothing\nclick 1005",
        "select 1016 1\nclick 1005",
        "click 1005", "click 1005", "click 1005", "click 1005",
        f"settext 1011 {escaped(program.windows_path)}\\\\qq\nsettext 1010 Smith; Sons\nclick 1005",
        "settext 1010   Harbor Agency  \ndump\nclick 1005",
    ]), timeout=90)
    assert_clean(run)
    assert run.message_texts == [
        "You must select a comparative rater", "The Post Data file should not begin with a '/'",
        NEEDS_HTTP, TRAILING_SLASH, NEEDS_HTTP, TRAILING_SLASH,
        "The Company field cannot hold a ';' or a line break: the settings file could not keep it. "
        "Please remove it before saving.",
    ]
    first, last = run.windows[0], run.windows[-1]
    assert (first.control(1010).text, first.control(1012).text, first.control(1006).text) == ("Acme", "C:\\OLD", "P1")
    assert run.items(1016)[1] == ("FSC RATER", True)
    assert last.control(1007).text == "http://http:"  # the hidden edit shows its corrections too
    assert last.control(1008).text == "krn/import.asp"

    saved = program.read("Vantrel.dat")
    folder = saved.split(b";\r\n")[6]
    assert folder.lower() == program.windows_path.lower().encode()
    assert saved == settings_bytes("P1", "http://http:", "krn/import.asp", "krn/start.asp", "  Harbor Agency",
                                   f"{program.windows_path}\\qq", folder.decode(), "Y", "FSC", "AUTO PLUS")
    assert (qq / "Vantrel.dat").read_bytes() == saved


def test_cancel_after_a_correction_leaves_the_settings_file_alone(program):
    original = settings_bytes("", "http://quotes.example", "/krn/import.asp", "", "", "", "", "N", "QQ", "")
    program.write("Vantrel.dat", original)
    run = program.run("", setup_session(["click 1005", "dump\nclick 2"]), timeout=60)
    assert_clean(run)
    assert run.message_texts == ["The Post Data file should not begin with a '/'"]
    assert run.windows[-1].control(1008).text == "krn/import.asp"
    assert program.read("Vantrel.dat") == original
    assert not program.file("Vantrel.dat.tmp").exists()


def test_a_qq_path_that_is_the_program_folder_leaves_the_settings_whole(program):
    program.write("Vantrel.dat", settings_bytes("", "http://quotes.example", "post", "start", "Acme",
                                                program.windows_path, "", "N", "QQ", "AUTO"))
    run = program.run("", setup_session(["click 1005"]), timeout=60)
    assert_clean(run)
    assert run.messages == []
    saved = program.read("Vantrel.dat")
    assert saved.startswith(settings_bytes("", "http://quotes.example", "post", "start", "Acme", program.windows_path))
    assert saved.endswith(settings_bytes("N", "QQ", "AUTO"))
    assert saved.count(b";\r\n") == 10


def test_a_program_folder_holding_a_semicolon_is_refused_at_save(make_program):
    # Written as the program's own folder, the ";" would shift every later value of the file.
    program = make_program("Vantrel.exe", "-agency;2")
    original = settings_bytes("", "http://quotes.example", "post", "start", "Acme", "", "", "N", "QQ", "AUTO")
    program.write("Vantrel.dat", original)
    run = program.run("", setup_session(["click 1005", "click 2"]), timeout=60)
    assert_clean(run)
    assert run.message_texts == [
        f"The program folder {program.windows_path.upper()} has a ';' or a line break in its name: the settings file "
        "could not keep it. Please move Vantrel to a folder without one before saving."]
    assert program.read("Vantrel.dat") == original
