#!/usr/bin/env bash
# Builds build/windows/VantrelSetup.exe, the per-user Windows installer of Vantrel.exe, on
# Debian 12: installs what is missing (nsis among it), builds the windows preset, then runs
# makensis on installer/vantrel.nsi with the program's version text.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

ensure_packages
build_preset windows

# The one version text of the program, which its windows and run log show.
version=$(sed -n 's/.*kVersionText\[\] *= *"\([^"]*\)".*/\1/p' src/app/import_app.h)
if [ -z "$version" ]; then
    echo "no kVersionText in src/app/import_app.h" >&2
    exit 1
fi

say "Building the installer, version $version"
setup="$ROOT/build/windows/VantrelSetup.exe"
rm -f "$setup"
makensis -V2 -NOCD \
    "-DVANTREL_EXE=$ROOT/build/windows/Vantrel.exe" \
    "-DVERSION=$version" \
    "-DOUTFILE=$setup" \
    installer/vantrel.nsi
echo "$setup ($(stat -c %s "$setup") bytes)"
