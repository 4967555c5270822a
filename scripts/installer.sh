#!/usr/bin/env bash
# Builds build/windows/VantrelSetup.exe, the per-user Windows installer of Vantrel.exe, on
# Debian 12: installs what is missing (nsis among it), builds the windows preset, then runs
# makensis on installer/vantrel.nsi.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

ensure_packages
build_preset windows

# The installer script reads the version from res/version.h itself; shown here for the log.
version=$(sed -n 's/^#define VANTREL_VERSION_TEXT "\(.*\)"$/\1/p' res/version.h)

say "Building the installer, version $version"
setup="$ROOT/build/windows/VantrelSetup.exe"
rm -f "$setup"
makensis -V2 -NOCD \
    "-DVANTREL_EXE=$ROOT/build/windows/Vantrel.exe" \
    "-DOUTFILE=$setup" \
    installer/vantrel.nsi
echo "$setup ($(stat -c %s "$setup") bytes)"
