#!/usr/bin/env bash
# Packs DIR/Vantrel.exe into the two Windows packages beside it, signing all that Windows
# runs (scripts/sign.sh: with the agency's certificate when one is given, else it says the
# files are unsigned):
#
#   bash scripts/package.sh DIR
#
#   DIR/Vantrel.exe         signed in place, before it is packed
#   DIR/VantrelSetup.exe    NSIS (installer/vantrel.nsi); makensis has sign.sh sign the
#                           uninstaller it packs and the installer it writes
#   DIR/Vantrel.msi         Windows Installer (scripts/msi.sh)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(cd "$1" && pwd)
sign="$ROOT/scripts/sign.sh"
bash "$sign" "$dir/Vantrel.exe"

# The installer script reads the version from res/version.h itself; shown here for the log.
version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' "$ROOT/res/version.h")
say "Building VantrelSetup.exe, version $version"
setup="$dir/VantrelSetup.exe"
rm -f "$setup"
makensis -V2 -NOCD \
    "-DVANTREL_EXE=$dir/Vantrel.exe" \
    "-DOUTFILE=$setup" \
    "-DSIGN=bash \"$sign\"" \
    "$ROOT/installer/vantrel.nsi"
echo "$setup ($(stat -c %s "$setup") bytes)"

bash "$ROOT/scripts/msi.sh" "$dir"
