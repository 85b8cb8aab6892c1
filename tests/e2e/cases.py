#!/usr/bin/env python3
"""End-to-end cases: python3 cases.py CASE PROGRAM [SAMPLES_DIR]."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from harness import TWIPS_PER_PX, SCREEN_W, SCREEN_H, Desktop, Failure, crlf, log, wait_for  # noqa: E402

# Two small ASCII data files; "Cedar" is in records of both.
ALPHA = ("Alpha-", ["30000002Cedar Lane", "10000001Oak Street", "20000003Cedar Hill"])
BETA = ("Beta-", ["40000005Pine Road", "15000004Old Cedar Road"])
CEDAR_LINES = ["15000004\tBeta-Old Cedar Road", "20000003\tAlpha-Cedar Hill", "30000002\tAlpha-Cedar Lane"]

# Records of the Okinawa sample file (samples/japan/47.qnr).
OKINAWA = "47.qnr"
MATSU_LINES = ["900-0014\t沖縄県那覇市松尾", "900-0032\t沖縄県那覇市松山",
               "902-0062\t沖縄県那覇市松川", "902-0069\t沖縄県那覇市松島"]
SHURI_AKA_LINES = ["903-0811\t沖縄県那覇市首里赤平町", "903-0813\t沖縄県那覇市首里赤田町"]


def expect_equal(got, expected, what):
    if got != expected:
        raise Failure("%s: got %r, expected %r" % (what, got, expected))
    log("ok:", what)


def expect_outer_position(desk, wid, twips, what):
    """The window's frame stands at the given position in twips (to the pixel)."""
    _, outer = desk.geometry(wid)
    expected = tuple(round(t / TWIPS_PER_PX) for t in twips)
    expect_equal(outer[:2], expected, what + " (outer position in pixels)")


def expect_search_box(desk, text, what):
    """Ctrl+A in the focused search box makes its text the X primary selection."""
    desk.key("ctrl+a")
    try:
        wait_for(what, lambda: desk.clipboard("primary") == text, timeout=5)
    except Failure:
        raise Failure("%s: the search box holds %r, expected %r" % (what, desk.clipboard("primary"), text))
    log("ok:", what)


# What the first exit stores: the defaults, and the dialog's initial position.
DEFAULT_WINDOW_STILE = {"ClipBoardSearch": "0", "DataSource": "0", "IncSerON": "0",
                        "Window2X": "1110", "Window2Y": "1470", "WindowX": "2000", "WindowY": "1400"}


def data_file_section(files, **more):
    values = {"MaxDataFile": str(len(files))}
    values.update({"File%d" % (i + 1): f for i, f in enumerate(files)})
    values.update(more)
    return values


def open_settings(desk):
    """設定(&I) on the menu bar: the settings dialog, modal and active."""
    desk.key("alt+i")
    dialog = desk.find_window("設定")
    desk.wait_active(dialog)
    return dialog


def press_ok(desk, app, dialog):
    """Ok(&O): the dialog hides, the files are reloaded, the main window is back."""
    desk.key("alt+o")
    wait_for("the settings dialog to hide", lambda: not desk.is_visible(dialog), timeout=20)
    desk.wait_active(app.main, timeout=20)


def add_file_by_dialog(desk, dialog, path):
    """追加(&A), then the path typed into the file dialog's name box and Enter."""
    desk.key("alt+a")
    chooser = desk.wait_new_active({dialog})
    log("file dialog:", repr(desk.window_name(chooser)))
    desk.type(path)
    time.sleep(0.3)
    desk.key("Return")
    try:
        wait_for("the file dialog to close", lambda: not desk.is_visible(chooser), timeout=3)
    except Failure:
        # The name box's completer may take the first Enter.
        desk.key("Return")
        wait_for("the file dialog to close", lambda: not desk.is_visible(chooser), timeout=10)
    desk.wait_active(dialog)


# ---------------------------------------------------------------------- cases

def first_start(desk):
    """No settings file: default position, empty list, no data; the menu exit stores the defaults."""
    app = desk.start()
    expect_outer_position(desk, app.main, (2000, 1400), "main window at 2000, 1400 twips")
    client, _ = desk.geometry(app.main)
    expect_equal(client[2], round(6240 / TWIPS_PER_PX), "client area 6240 twips wide")

    # A window made lower than the minimum stays 2200 twips high, frame included.
    desk.x("xdotool", "windowsize", str(app.main), str(client[2]), "40", check=True)
    minimum = round(2200 / TWIPS_PER_PX)
    wait_for("the minimum outer height", lambda: desk.geometry(app.main)[1][3] == minimum)
    log("ok: outer height held at the minimum")

    desk.set_clipboard("before")
    desk.key("ctrl+c")
    desk.expect_clipboard("", "Ctrl+C on the empty list copies the empty text")

    desk.set_clipboard("before")
    desk.type("Tokyo")
    desk.key("Return")
    desk.key("ctrl+c")
    desk.expect_clipboard_kept("before", "with no data a search finds nothing and Ctrl+C keeps the clipboard")
    app.expect_running()

    app.exit_by_menu()
    expect_equal(desk.read_settings(), {
        "WindowStile": DEFAULT_WINDOW_STILE,
        "DataFile": {"Dir": os.path.dirname(desk.program), "MaxDataFile": "0"},
    }, "settings stored at the first exit")


def copy_commands(desk):
    """Listed data files: type, Enter, Ctrl+C; select lines; Ctrl+N, Ctrl+L; click and double-click."""
    a = desk.fixture("alpha.qnr", *ALPHA)
    b = desk.fixture("beta.qnr", *BETA)
    desk.write_settings({"DataFile": data_file_section([a, b])})
    app = desk.start()

    desk.set_clipboard("before")
    desk.type("Cedar")
    desk.key("ctrl+c")
    desk.expect_clipboard("", "typing does not search while the incremental search is off")

    desk.key("Return")
    desk.key("ctrl+c")
    desk.expect_clipboard(crlf(*CEDAR_LINES), "Enter searches; Ctrl+C copies every line with CR LF")

    # Tab to the list (Source, Search_Key, Report); Home selects the first line.
    desk.key("Tab", "Tab", "Home", "shift+Down")
    desk.key("ctrl+n")
    desk.expect_clipboard("15000004\r\n20000003", "Ctrl+N copies the two selected numbers, no line end after the last")
    desk.key("ctrl+l")
    desk.expect_clipboard(crlf(*CEDAR_LINES[:2]), "Ctrl+L copies the two selected lines")
    desk.key("shift+End")
    desk.key("ctrl+n")
    desk.expect_clipboard("15000004\r\n20000003\r\n30000002", "Ctrl+N with all three lines selected")

    # A click on the first line selects it alone; a double-click copies its number.
    client, _ = desk.geometry(app.main)
    list_top = client[3] - round(3360 / TWIPS_PER_PX) + round(600 / TWIPS_PER_PX)  # below the menu bar
    first_line = (round(120 / TWIPS_PER_PX) + 40, list_top + 6)
    desk.click(app.main, *first_line)
    desk.key("ctrl+n")
    desk.expect_clipboard("15000004", "a click selects one line; Ctrl+N copies its 8 characters")
    desk.set_clipboard("before")
    desk.click(app.main, *first_line, repeat=2)
    desk.expect_clipboard("15000004", "a double-click on a line copies its number")

    # Enter in the list searches again with the key of the search box.
    desk.key("Return")
    desk.key("ctrl+c")
    desk.expect_clipboard(crlf(*CEDAR_LINES), "Enter in the list searches again")
    app.exit_by_menu()


def paste_key(desk):
    """A multi-line Japanese clipboard text: Ctrl+V puts its first line into the search box, the list follows."""
    okinawa = desk.sample(OKINAWA)
    desk.write_settings({"WindowStile": {"IncSerON": "1"}, "DataFile": data_file_section([okinawa])})
    app = desk.start()

    desk.type("abc")
    desk.set_clipboard("那覇市松\r\n首里赤\r\n港町\r\n")
    desk.key("ctrl+v")
    desk.key("ctrl+c")
    desk.expect_clipboard(crlf(*MATSU_LINES), "Ctrl+V pastes the first line; the incremental search lists its records")
    expect_search_box(desk, "那覇市松", "the search box holds exactly the first line")

    # Lines ending in LF only are one line: nothing matches the whole text.
    desk.set_clipboard("首里赤\n港町")
    desk.key("ctrl+v")
    desk.key("ctrl+c")
    desk.expect_clipboard_kept("首里赤\n港町", "an LF-only text finds nothing")
    expect_search_box(desk, "首里赤\n港町", "an LF-only text is pasted whole")

    desk.set_clipboard("首里赤\r\n")
    desk.key("ctrl+v")
    desk.key("ctrl+c")
    desk.expect_clipboard(crlf(*SHURI_AKA_LINES), "a second paste replaces the key; the list follows")
    app.exit_by_menu()
    expect_equal(desk.read_settings()["WindowStile"]["IncSerON"], "1", "IncSerON kept at exit")


def settings_dialog(desk):
    """Add a data file through the real file dialog, Ok reloads; the menu exit stores list and position."""
    a = desk.fixture("alpha.qnr", *ALPHA)
    okinawa = desk.sample(OKINAWA)
    desk.write_settings({"DataFile": data_file_section([a])})
    app = desk.start()

    desk.set_clipboard("首里赤")
    desk.key("ctrl+v", "Return", "ctrl+c")
    desk.expect_clipboard_kept("首里赤", "before the addition the key finds nothing")

    dialog = open_settings(desk)
    _, outer = desk.geometry(dialog)
    centre = ((SCREEN_W - outer[2]) / 2, (SCREEN_H - outer[3]) / 2)
    if abs(outer[0] - centre[0]) > 3 or abs(outer[1] - centre[1]) > 3:
        raise Failure("the settings dialog at %r is not centred (%r)" % (outer[:2], centre))
    log("ok: the settings dialog is centred")
    add_file_by_dialog(desk, dialog, okinawa)
    press_ok(desk, app, dialog)

    desk.key("Return", "ctrl+c")
    desk.expect_clipboard(crlf(*SHURI_AKA_LINES), "after Ok the added file's records are found")
    desk.key("ctrl+a")
    desk.type("Cedar")
    desk.key("Return", "ctrl+c")
    desk.expect_clipboard(crlf(*CEDAR_LINES[1:]), "the first file is still loaded")

    app.exit_by_menu()
    stored = desk.read_settings()
    expect_equal(stored["DataFile"], data_file_section([a, okinawa], Dir=os.path.dirname(desk.program)),
                 "the new list is stored")
    ws = stored["WindowStile"]
    expect_equal((ws["WindowX"], ws["WindowY"]), ("2000", "1400"), "the main window position is stored")
    dialog_px = (round(int(ws["Window2X"]) / TWIPS_PER_PX), round(int(ws["Window2Y"]) / TWIPS_PER_PX))
    if abs(dialog_px[0] - outer[0]) > 1 or abs(dialog_px[1] - outer[1]) > 1:
        raise Failure("stored dialog position %s, %s twips; the dialog stood at %r px"
                      % (ws["Window2X"], ws["Window2Y"], outer[:2]))
    log("ok: the dialog's position is stored")


def wm_close(desk):
    """The window manager's close request stores the same values as 終了(&X)."""
    a = desk.fixture("alpha.qnr", *ALPHA)
    b = desk.fixture("beta.qnr", *BETA)
    prepared = {
        "WindowStile": {"WindowX": "3000", "WindowY": "2400", "Window2X": "15", "Window2Y": "30",
                        "IncSerON": "1", "ClipBoardSearch": "1", "DataSource": "0"},
        "DataFile": data_file_section([a, b], Dir="/opt/pellarin-data", File3="/stale/beyond/count.qnr"),
    }
    stored = {}
    for way in ("menu", "wm"):
        desk.write_settings(prepared)
        app = desk.start()
        expect_outer_position(desk, app.main, (3000, 2400), "main window at the stored position")
        desk.type("Cedar")
        desk.key("ctrl+c")
        desk.expect_clipboard(crlf(*CEDAR_LINES), "both files loaded, incremental search on")
        dialog = open_settings(desk)
        _, outer = desk.geometry(dialog)
        press_ok(desk, app, dialog)
        if way == "menu":
            app.exit_by_menu()
        else:
            app.close_by_wm()
        stored[way] = desk.read_settings()
        ws = stored[way]["WindowStile"]
        dialog_px = (round(int(ws["Window2X"]) / TWIPS_PER_PX), round(int(ws["Window2Y"]) / TWIPS_PER_PX))
        if abs(dialog_px[0] - outer[0]) > 1 or abs(dialog_px[1] - outer[1]) > 1:
            raise Failure("%s exit: stored dialog position %s, %s twips; the dialog stood at %r px"
                          % (way, ws["Window2X"], ws["Window2Y"], outer[:2]))
        expect_equal({k: v for k, v in ws.items() if not k.startswith("Window2")},
                     {"WindowX": "3000", "WindowY": "2400", "IncSerON": "1", "ClipBoardSearch": "1",
                      "DataSource": "0"}, way + " exit: window position and options")
        expect_equal(stored[way]["DataFile"], prepared["DataFile"], way + " exit: the data-file list")
    expect_equal(stored["wm"], stored["menu"], "the close request stores what the menu exit stores")


CASES = {f.__name__: f for f in (first_start, copy_commands, paste_key, settings_dialog, wm_close)}


def main(argv):
    if len(argv) < 3 or argv[1] not in CASES:
        print("usage: cases.py {%s} PROGRAM [SAMPLES_DIR]" % ",".join(CASES), file=sys.stderr)
        return 2
    case = CASES[argv[1]]
    try:
        with Desktop(argv[2], samples=argv[3] if len(argv) > 3 else None) as desk:
            case(desk)
    except Failure as e:
        log("FAIL:", e)
        return 1
    log("PASS:", argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
