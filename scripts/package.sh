#!/usr/bin/env bash
# Packs DIR/Vantrel.exe into the two Windows packages beside it, signing all that Windows
# runs (scripts/sign.sh: with the agency's certificate when one is given, else it says the
# files are unsigned):
#
#   bash scripts/package.sh DIR [--settings Vantrel.dat [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]]
#
#   DIR/Vantrel.exe         signed in place, before it is packed
#   DIR/VantrelSetup.exe    NSIS (installer/vantrel.nsi); makensis has sign.sh sign the
#                           uninstaller it packs and the installer it writes
#   DIR/Vantrel.msi         Windows Installer (scripts/msi.sh)
#   DIR/vantrel_config.exe  the configuration tool, signed in place, shipped beside the
#                           packages for IT, not inside them
#
# With --settings (and --routes) both packages also carry the agency's files.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(cd "$1" && pwd)
shift
agency=("$@")
nsis_agency=()
while [ $# -gt 0 ]; do
    case "$1" in
        --settings) nsis_agency+=("-DAGENCY_SETTINGS=$(realpath "$2")"); shift 2 ;;
        --routes) nsis_agency+=("-DAGENCY_ROUTES=$(realpath "$2")"); shift 2 ;;
        --tls-hosts) nsis_agency+=("-DAGENCY_TLS_HOSTS=$(realpath "$2")"); shift 2 ;;
        *) echo "$0: unknown option $1" >&2; exit 2 ;;
    esac
done
sign="$ROOT/scripts/sign.sh"
bash "$sign" "$dir/Vantrel.exe"
bash "$sign" "$dir/vantrel_config.exe"

# The installer script reads the version from res/version.h itself; shown here for the log.
version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$ROOT/res/version.h")
say "Building VantrelSetup.exe, version $version"
setup="$dir/VantrelSetup.exe"
rm -f "$setup"
makensis -V2 -NOCD \
    "-DVANTREL_EXE=$dir/Vantrel.exe" \
    "-DOUTFILE=$setup" \
    "-DSIGN=bash \"$sign\"" \
    "${nsis_agency[@]}" \
    "$ROOT/installer/vantrel.nsi"
echo "$setup ($(stat -c %s "$setup") bytes)"

bash "$ROOT/scripts/msi.sh" "$dir" "${agency[@]}"
