# Shared pieces of the project's scripts: installing what is missing on Debian 12, and a
# throwaway Wine prefix on a private X display for running Vantrel.exe.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Wine's own programs, named here once: exported, so the Python harnesses run by these
# scripts use the same ones.
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64

PACKAGES=(cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev g++-mingw-w64-x86-64 wine64 xvfb xauth
          python3 python3-pytest clang-format openssl ca-certificates procps iproute2 imagemagick libcpp-httplib-dev
          libsqlite3-dev pkg-config nsis libssl-dev zlib1g-dev libbrotli-dev sqlite3 msitools wixl osslsigncode
          nginx-light squid)

say() { printf '\n== %s\n' "$*"; }

# One fixed-width route row and its ";" CR LF, as "PRoute.dat" and "Route.dat" hold it:
#   route_row COMPANY RATER STATE PRODUCT SERVER BROWSER_PATH
# blank-padded to 20, 5, 5, 60, 100 and 50 characters.
route_row() { printf '%-20s%-5s%-5s%-60s%-100s%-50s;\r\n' "$@"; }

# Installs the Debian packages that are not there yet (apt-get update first).
ensure_packages() {
    local missing=()
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        say "Installing ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        # The tests start their own nginx and Squid in their own network: installing them must
        # not start the machine's services (policy-rc.d answering 101 forbids it).
        local policy=/usr/sbin/policy-rc.d own_policy=""
        if [ ! -e "$policy" ]; then
            printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
            $sudo chmod +x "$policy"
            own_policy=1
        fi
        local status=0
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" \
            >/dev/null || status=$?
        [ -z "$own_policy" ] || $sudo rm -f "$policy"
        return $status
    fi
}

# Fails when a C++ file of the repository differs from the house style in .clang-format.
check_format() {
    say "Checking the C++ files against .clang-format"
    git -C "$ROOT" ls-files -z --cached --others --exclude-standard '*.cpp' '*.h' | (cd "$ROOT" && xargs -0 clang-format --dry-run --Werror)
}

# Configures and builds one preset (native or windows).
build_preset() {
    say "Building the $1 preset"
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j "$(nproc)"
}

# Starts a fresh Wine prefix on the display in DISPLAY; stop_wine ends its programs and
# removes it. Run it inside in_private_network (with_wine does both), which gives the tests a
# display of their own when the caller has none. Wine's background processes must not inherit
# the caller's output pipes, or a caller waiting for end of output (ctest, a pipe) never
# finishes.
start_wine() {
    if [ -z "${DISPLAY:-}" ]; then
        echo "start_wine needs a display: run it through with_wine, which gives it a private one" >&2
        return 1
    fi
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX="${WINEPREFIX_DIR:-$(mktemp -d /tmp/vantrel-wine.XXXXXX)}"
    OWN_PREFIX=1
    timeout 180 "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    # A crash must fail a test, not wait for someone to close a dialog.
    timeout 60 "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    # Without a window manager, Wine waits about two seconds for one whenever a window closes.
    timeout 60 "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    start_persistent_wineserver
}

# Each prefix has a server of its own, so another prefix on the machine (a user's ~/.wine, a
# second test run) neither meets the tests' server nor is stopped by stop_wine. Debian's Wine
# 8.0 keeps the server's socket in $TMPDIR/wine-XXXXXX/server-<device>-<inode of the prefix>/,
# the folder's name written into the prefix's "wineserver" file (upstream Wine uses
# /tmp/.wine-<uid>/ whatever TMPDIR says; Debian's does not). The prefix keeps the name only,
# so where the prefix was made does not matter, but a Wine process started with another
# TMPDIR misses the prefix's running server and starts a second one on the same prefix (tried:
# both run): keep TMPDIR as it is between start_wine and stop_wine.
# Starts the prefix's Wine server for good, and Wine's background programs (services.exe,
# winedevice.exe, ...) with it, detached from the caller's output. The server a Wine program
# starts by itself runs as "wineserver -p0": it ends as soon as its last program has, and the
# next program boots a new one whose background programs inherit that program's output, so a
# caller waiting for the end of its output (ctest, a pipe) waits for them to end as well. A
# second "wineserver -p" beside a running server fails and changes nothing, so the one that
# wineboot and reg started is let end first (they have, and it saves the registry as it goes).
start_persistent_wineserver() {
    if ! timeout 60 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || ! "$WINESERVER" -p </dev/null >/dev/null 2>&1 ||
        ! timeout 60 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1; then
        echo "Could not start a persistent Wine server for $WINEPREFIX" >&2
        return 1
    fi
}

# Runs a command in a network namespace of its own, with only a loopback device, so a test
# server's ports 80 and 443 are its alone and nothing the program sends can leave the
# machine. The command also gets a mount namespace of its own, so a test may bind-mount
# over a system file (the trusted certificates) without touching the machine. When the
# caller has no display, the command gets a private one (start_private_display). Wine opens
# sockets in its server process, so a running server of the caller's prefix is restarted
# inside; a prefix made inside (with_wine) has its server there from the start.
in_private_network() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1 || true
        "$WINESERVER" -w >/dev/null 2>&1 || true
    fi
    # shellcheck disable=SC2016  # expanded by the inner shell
    unshare --net --mount bash -c 'source "$0" && inside_private_network "$@"' "$ROOT/scripts/lib.sh" "$@"
}

# The part of in_private_network that runs inside the new namespaces.
inside_private_network() {
    ip link set lo up || return 1
    local status=0
    if [ -z "${DISPLAY:-}" ]; then
        trap stop_private_display EXIT
        start_private_display || return 1
    fi
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
        timeout 60 "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
    fi
    "$@" || status=$?
    [ -z "${WINEPREFIX:-}" ] || "$WINESERVER" -k >/dev/null 2>&1 || true
    return $status
}

# Starts Xvfb on a display that no other program can take, and sets DISPLAY; only inside
# in_private_network's mount namespace. An X client first tries the display's abstract
# socket, which belongs to the network namespace (so clients in a namespace made inside this
# one miss it), and then the socket file /tmp/.X11-unix/X<n>. On the machine's own folder any
# X server started in a network namespace of its own sees every number free (Xvfb writes no
# lock file with -displayfd) and replaces that file, leading the clients to its display
# (tools/rival_display shows it). So the file goes to a tmpfs over /tmp/.X11-unix that only
# this mount namespace and those made inside it see.
start_private_display() {
    [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix || return 1
    mount -t tmpfs -o mode=1777,size=1m vantrel-x11 /tmp/.X11-unix || return 1
    local number
    number=$(mktemp) || return 1
    Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$number" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$number" ] && break; sleep 0.1; done
    if [ ! -s "$number" ]; then
        echo "Xvfb did not start" >&2
        rm -f "$number"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$number")"
    rm -f "$number"
}

stop_private_display() {
    [ -z "${XVFB_PID:-}" ] && return
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
}

# with_wine COMMAND...: runs COMMAND in a network namespace of its own (in_private_network,
# so on a private display when the caller has none) with a fresh Wine prefix whose server runs
# in there, and ends them after. COMMAND may be a function of the caller's (export -f); it runs
# under "set -euo pipefail", as the scripts do, and can use this file's functions. A prefix
# the caller names in WINEPREFIX is left alone.
with_wine() {
    (
        unset WINEPREFIX
        # shellcheck disable=SC2016  # expanded by the inner shell
        in_private_network bash -c 'set -euo pipefail; source "$0"; trap stop_wine EXIT; start_wine; "$@"' \
            "$ROOT/scripts/lib.sh" "$@"
    )
}

# Registers tools/handoff_recorder as what the prefix opens web addresses and .hta files
# with, from folder $1 (a Windows path) where the recorder was copied.
register_handoff_recorder() {
    local command="\"$1\\handoff_recorder.exe\" \"%1\" %*"
    timeout 60 "$WINE" reg add 'HKCR\http\shell\open\command' /ve /d "$command" /f </dev/null >/dev/null 2>&1
    timeout 60 "$WINE" reg add 'HKCR\https\shell\open\command' /ve /d "$command" /f </dev/null >/dev/null 2>&1
    timeout 60 "$WINE" reg add 'HKCR\.hta' /ve /d htafile /f </dev/null >/dev/null 2>&1
    timeout 60 "$WINE" reg add 'HKCR\htafile\shell\open\command' /ve /d "$command" /f </dev/null >/dev/null 2>&1
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1 || true
    if [ -n "${OWN_PREFIX:-}" ] && [ -z "${WINEPREFIX_DIR:-}" ]; then rm -rf "$WINEPREFIX"; fi
}
