#!/usr/bin/env bash
# Builds the Windows packages of Vantrel on Debian 12: installs what is missing (nsis, wixl,
# osslsigncode among it), builds the windows preset, then packs build/windows/Vantrel.exe
# into build/windows/VantrelSetup.exe (NSIS, per-user) and build/windows/Vantrel.msi
# (Windows Installer, per-user), signed when a certificate is given (scripts/package.sh), with
# the configuration tool build/windows/vantrel_config.exe signed beside them.
#
#   bash scripts/installer.sh [--settings Vantrel.dat [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]]
#                             [--out DIR]
#
# With --settings, the packages are an agency's: they also install that settings file (and
# that routes file, and that list of hosts known to take TLS) beside Vantrel.exe. Both are checked by the configuration tool first,
# before anything is built; a file that fails the check stops the build with the tool's
# messages, and no package is left behind, not even one of an earlier build.
#
# --out DIR puts the packages (and the programs they pack) in DIR instead of build/windows.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

usage="usage: bash scripts/installer.sh [--settings Vantrel.dat [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]] [--out DIR]"
settings="" routes="" tls_hosts="" out="$ROOT/build/windows"
while [ $# -gt 0 ]; do
    case "$1" in
        --settings) [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }; settings=$(realpath "$2"); shift 2 ;;
        --routes) [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }; routes=$(realpath "$2"); shift 2 ;;
        --tls-hosts) [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }; tls_hosts=$(realpath "$2"); shift 2 ;;
        --out) [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }; mkdir -p "$2"; out=$(cd "$2" && pwd); shift 2 ;;
        *) echo "$usage" >&2; exit 2 ;;
    esac
done
[ -n "$settings" ] || [ -z "$routes$tls_hosts" ] || { echo "--routes and --tls-hosts need --settings: $usage" >&2; exit 2; }

packages=("$out/Vantrel.msi" "$out/VantrelSetup.exe")
rm -f "${packages[@]}"
ensure_packages

agency=()
if [ -n "$settings" ]; then
    say "Checking the agency's files with vantrel_config"
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$(nproc)" --target vantrel_config >/dev/null
    check=(--check "$settings")
    agency=(--settings "$settings")
    if [ -n "$routes" ]; then
        check+=(--routes "$routes")
        agency+=(--routes "$routes")
    fi
    if [ -n "$tls_hosts" ]; then
        check+=(--tls-hosts "$tls_hosts")
        agency+=(--tls-hosts "$tls_hosts")
    fi
    if ! "$ROOT/build/native/vantrel_config" "${check[@]}"; then
        echo "The agency's files failed the check: no package was built." >&2
        exit 1
    fi
fi

# A build that fails half-way leaves no package that looks finished.
trap 'status=$?; [ $status -eq 0 ] || rm -f "${packages[@]}"' EXIT
build_preset windows
[ "$out" = "$ROOT/build/windows" ] || cp "$ROOT/build/windows/Vantrel.exe" "$ROOT/build/windows/vantrel_config.exe" "$out/"
bash "$ROOT/scripts/package.sh" "$out" "${agency[@]}"
