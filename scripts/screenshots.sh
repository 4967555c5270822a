#!/usr/bin/env bash
# Takes the pictures of Vantrel's windows that README.md shows, from the real Vantrel.exe under
# Wine on a private X display, and stores them in docs/:
#   main-window.png           the main window (started without a file)
#   setup-window.png          Setup > Import, with a filled-in settings file
#   compatibility-window.png  Setup > Compatibility, with a route list of four rows
#   about-box.png             Help > About
#   status-window.png         the import status window while the post waits on a server that
#                             never answers (a local receiver in a network namespace of its own)
# and the same again at 144 DPI (a 150 % display) as <name>-144dpi.png. The UI driver opens the
# windows, dumps their controls and writes a mark when a window is ready; this script then
# takes the picture and crops it to that window, and fails when a control reaches past the
# edge of its window. Ends by itself and leaves nothing running.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"
started=$(date +%s)

ensure_packages
build_preset windows

work=$(mktemp -d /tmp/vantrel-shots.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Wine's own fonts (Debian's fonts-wine: MS Sans Serif, Tahoma, and Marlett for the caption
# buttons) give the windows the layout and look they have on Windows. They go into the
# throwaway prefix only, so the Wine the tests run under stays as it is. Fetched once into
# build/, before the pictures are taken in a network namespace that reaches nothing.
fonts="$ROOT/build/wine-fonts"
fetch_wine_fonts() {
    if [ -e /usr/share/wine/fonts/marlett.ttf ] || [ -e "$fonts/marlett.ttf" ]; then
        return  # installed for the whole machine (Wine finds them itself), or fetched before
    fi
    local download="$work/fonts-wine"
    mkdir -p "$download" && chmod 755 "$download"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    (cd "$download" && timeout 300 apt-get download -qq fonts-wine >/dev/null 2>&1) ||
        { timeout 300 $sudo apt-get update -qq && (cd "$download" && timeout 300 apt-get download -qq fonts-wine >/dev/null 2>&1); } ||
        true
    local package
    package=$(find "$download" -name 'fonts-wine_*.deb' | head -n1)
    if [ -z "$package" ]; then
        echo "(fonts-wine could not be fetched: the pictures use Wine's fall-back fonts)"
        return
    fi
    dpkg-deb -x "$package" "$download/x"
    mkdir -p "$fonts"
    cp "$download"/x/usr/share/wine/fonts/* "$fonts/"
}
fetch_wine_fonts

# The program folder C:\Vantrel in the prefix, as an agent would have it, and C:\shots with the
# UI driver; the fetched fonts go into the prefix's Fonts folder.
prepare_prefix() {
    export program="$WINEPREFIX/drive_c/Vantrel" shots="$WINEPREFIX/drive_c/shots"
    if [ ! -e /usr/share/wine/fonts/marlett.ttf ] && [ -e "$fonts/marlett.ttf" ]; then
        cp "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/"
    fi
    mkdir -p "$program" "$shots" docs
    cp build/windows/Vantrel.exe "$program/"
    cp build/windows/ui_driver.exe "$shots/"
    cp examples/fsc-auto-quote.txt "$program/"
    # Settings for the FSC rater: ten values (producer code, server address, post file, launch
    # file, company, QQ path, program folder, ITC flag, rater, product), each followed by ";" CR LF.
    printf '%s;\r\n' "" "" "krn/import.asp" "krn/start.asp" "Demo Insurance Agency" 'C:\QQ' 'C:\Vantrel' "N" \
        "FSC" "PERSONAL AUTO" >"$program/Vantrel.dat"
    # The product's route (value 93 of the site routing file) goes to the local receiver.
    {
        printf 'LIVE;\r\n'
        for _ in $(seq 2 92); do printf ';\r\n'; done
        route_row "DEMO MUTUAL" "FSC" "IL" "PERSONAL AUTO" "http://127.0.0.1" "UNDEFINED"
    } >"$program/PRoute.dat"
    # The old route list that the Compatibility window shows.
    {
        route_row "DEMO MUTUAL" "FSC" "IL" "PERSONAL AUTO" "http://127.0.0.1" "UNDEFINED"
        route_row "DEMO MUTUAL" "ITC" "WI" "HOMEOWNERS" "http://127.0.0.1" "UNDEFINED"
        route_row "DEMO CASUALTY" "QQ" "IN" "DWELLING FIRE" "http://127.0.0.1" "UNDEFINED"
        route_row "DEMO CASUALTY" "AAR" "OH" "COMMERCIAL AUTO" "http://127.0.0.1" "UNDEFINED"
    } >"$program/Route.dat"
}

# Prints the place of a window as WIDTHxHEIGHT+X+Y on the screen: the topmost shown window
# with caption $1 in Wine's virtual desktop "shot" (Wine gives each window an X window named
# after its caption, inside the desktop's X window).
cat >"$work/find_window.py" <<'EOF'
import ctypes
import sys

x = ctypes.CDLL("libX11.so.6")
P, W, I = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int


class Attributes(ctypes.Structure):
    _fields_ = [("x", I), ("y", I), ("width", I), ("height", I), ("border_width", I), ("depth", I),
                ("visual", P), ("root", W), ("c_class", I), ("bit_gravity", I), ("win_gravity", I),
                ("backing_store", I), ("backing_planes", W), ("backing_pixel", W), ("save_under", I),
                ("colormap", W), ("map_installed", I), ("map_state", I), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", I), ("screen", P)]


x.XOpenDisplay.restype = P
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = W
x.XDefaultRootWindow.argtypes = [P]
x.XQueryTree.argtypes = [P, W, ctypes.POINTER(W), ctypes.POINTER(W), ctypes.POINTER(ctypes.POINTER(W)),
                         ctypes.POINTER(ctypes.c_uint)]
x.XFetchName.argtypes = [P, W, ctypes.POINTER(ctypes.c_char_p)]
x.XGetWindowAttributes.argtypes = [P, W, ctypes.POINTER(Attributes)]
display = x.XOpenDisplay(None)
if not display:
    sys.exit("no display")


def children(window):  # bottom to top
    root, parent, found, count = W(), W(), ctypes.POINTER(W)(), ctypes.c_uint()
    x.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(found), ctypes.byref(count))
    return [found[i] for i in range(count.value)]


def name(window):
    text = ctypes.c_char_p()
    return text.value.decode("latin-1") if x.XFetchName(display, window, ctypes.byref(text)) and text.value else ""


def attributes(window):
    result = Attributes()
    x.XGetWindowAttributes(display, window, ctypes.byref(result))
    return result


IS_VIEWABLE = 2
for desktop in children(x.XDefaultRootWindow(display)):
    if name(desktop) != "shot - Wine desktop":
        continue
    origin = attributes(desktop)
    for window in reversed(children(desktop)):
        place = attributes(window)
        if place.map_state == IS_VIEWABLE and name(window) == sys.argv[1]:
            print(f"{place.width}x{place.height}+{origin.x + place.x}+{origin.y + place.y}")
            sys.exit(0)
sys.exit(f"no window {sys.argv[1]!r} on the screen")
EOF

# take_shot NAME CAPTION: saves docs/NAME.png, the window with that caption.
take_shot() {
    local geometry
    sleep 0.3  # let the window finish painting
    geometry=$(python3 "$work/find_window.py" "$2") || return 1
    import -window root "$work/$1.png" || return 1
    convert "$work/$1.png" -crop "$geometry" +repage -strip -define png:exclude-chunks=date,time \
        "docs/$1$shot_suffix.png" || return 1
    echo "docs/$1$shot_suffix.png: $2 ($geometry)"
}

# shoot NAME SECONDS ARGUMENTS SCRIPT SHOT... runs Vantrel.exe with ARGUMENTS under the UI
# driver (driver script SCRIPT, run stopped after SECONDS) inside Wine's virtual desktop, which
# draws the window frames. Each SHOT is "FILE=CAPTION": when the driver writes "MARK FILE", the
# window with that caption becomes docs/FILE.png.
shoot() {
    local name=$1 seconds=$2 arguments=$3 script=$4
    shift 4
    local records="$shots/$name.records"
    printf '%s' 'C:\Vantrel\Vantrel.exe'"${arguments:+ $arguments}" >"$shots/$name.cmdline"
    printf '%s' "$script" >"$shots/$name.script"
    rm -f "$records"
    timeout $((seconds + 60)) "$WINE" explorer /desktop=shot,1000x740 'C:\shots\ui_driver.exe' \
        --out "C:\\shots\\$name.records" --timeout "$seconds" --script "C:\\shots\\$name.script" \
        --cmdline "C:\\shots\\$name.cmdline" </dev/null >/dev/null 2>&1 &
    local run=$!
    local shot status=0
    for shot in "$@"; do
        local file=${shot%%=*} caption=${shot#*=} seen=""
        for _ in $(seq $((seconds * 10 + 100))); do
            if grep -qx "MARK${tab}$file" "$records" 2>/dev/null; then seen=1; break; fi
            grep -q '^\(EXIT\|TIMEOUT\)' "$records" 2>/dev/null && break
            sleep 0.1
        done
        if [ -z "$seen" ]; then
            echo "!! no mark $file from the driver"
            status=1
            break
        fi
        take_shot "$file" "$caption" || status=1
    done
    wait "$run" || true
    grep '^\(UNEXPECTED\|ERROR\|MSGBOX\)' "$records" | sed 's/^/   driver: /' || true
    python3 "$work/check_fit.py" "$records" || status=1
    return $status
}
tab=$'\t'
export ROOT work fonts tab

# Fails when a visible control of a dumped window reaches past the window's client area: at a
# larger display scale that is where a layout would clip.
cat >"$work/check_fit.py" <<'EOF'
import sys

window, size, clipped = None, None, []
for fields in (line.rstrip("\n").split("\t") for line in open(sys.argv[1], encoding="latin-1")):
    if fields[0] == "WINDOW":
        window, size = fields[1], [int(n) for n in fields[4].split("x")]
    elif fields[0] == "CONTROL" and size and fields[6] == "1":
        x, y, w, h = (int(n) for n in fields[7].split(","))
        if x < 0 or y < 0 or x + w > size[0] or y + h > size[1]:
            clipped.append(f"{window}: control {fields[1]} at {fields[7]} outside {fields[4]}")
print("\n".join("!! " + line for line in clipped) or f"   every control inside its window ({sys.argv[1]})")
sys.exit(1 if clipped else 0)
EOF

# set_dpi DPI: the display scale that the Wine programs started from now on get, as Windows
# gives it to a program on a display of that scale (96 is 100 %, 144 is 150 %).
set_dpi() {
    timeout 60 "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        </dev/null >/dev/null 2>&1
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    shot_dpi=$1
}

# One picture of each window at the current scale, named with $shot_suffix. (The driver
# scripts below are quoted texts: their lines start at the margin.)
shoot_every_window() {
# Vantrel keeps its main window when a dialog it opened closes, and the driver acts on each
# window once, so these three runs end by the driver's time limit, which then stops Vantrel.
say "$shot_dpi DPI: Main window and About box"
shoot about 25 "" "window Comparative Rater Import Utility
dump
command 32773
window About Vantrel
dump
mark about-box
sleep 1500
click 1
sleep 1000
mark main-window
sleep 1500
" "about-box=About Vantrel" "main-window=Comparative Rater Import Utility"
# The main window is taken after the About box closed: that is when Wine shows it active.

say "$shot_dpi DPI: Setup window"
shoot setup 20 "" "window Comparative Rater Import Utility
command 32772
window Import Setup
dump
mark setup-window
sleep 1500
click 2
" "setup-window=Import Setup"

say "$shot_dpi DPI: Compatibility window"
shoot compatibility 20 "" "window Comparative Rater Import Utility
command 32774
window Import Current Compatibility - SECURED ROUTES
dump
mark compatibility-window
sleep 1500
click 1
" "compatibility-window=Import Current Compatibility - SECURED ROUTES"

say "$shot_dpi DPI: Import status window (the receiver never answers; the post gives up after 30 s)"
# shellcheck disable=SC2016  # expanded by the inner shell
in_private_network bash -c '
    /usr/bin/python3 "$ROOT/tools/test_receiver/receiver.py" --mode stall >"$work/receiver.out" 2>&1 &
    receiver=$!
    trap "kill $receiver 2>/dev/null; wait $receiver 2>/dev/null" EXIT
    for _ in $(seq 50); do grep -q listening "$work/receiver.out" && break; sleep 0.1; done
    shoot status 90 "C:\\Vantrel\\fsc-auto-quote.txt" "window Comparative Rater Import Utility|1004
sleep 1500
dump
mark status-window
sleep 1500
" "status-window=Comparative Rater Import Utility"'
grep -q "^CONTROL${tab}1004${tab}Static${tab}Sending Data to 127.0.0.1${tab}" "$shots/status.records" ||
    { echo "!! the status window did not show \"Sending Data to 127.0.0.1\" when it was taken"; return 1; }
grep -q '^EXIT' "$shots/status.records" || { echo "!! the import run did not end by itself"; return 1; }

}

# Every picture, at 96 and at 144 DPI, in a network namespace of its own on a private display
# with a throwaway prefix (with_wine in lib.sh).
take_pictures() {
    prepare_prefix
    set_dpi 96
    export shot_suffix=""
    shoot_every_window
    set_dpi 144
    shot_suffix="-144dpi"
    shoot_every_window
}
export -f take_pictures prepare_prefix set_dpi shoot_every_window shoot take_shot
unset DISPLAY
with_wine take_pictures

say "Pictures"
for picture in main-window setup-window compatibility-window about-box status-window; do
    for suffix in "" -144dpi; do
        printf '%-36s %s pixels\n' "docs/$picture$suffix.png" "$(identify -format '%wx%h' "docs/$picture$suffix.png")"
    done
done
say "Done in $(( $(date +%s) - started )) s"
