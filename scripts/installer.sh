#!/usr/bin/env bash
# Builds the Windows packages of Vantrel on Debian 12: installs what is missing (nsis, wixl,
# osslsigncode among it), builds the windows preset, then packs build/windows/Vantrel.exe
# into build/windows/VantrelSetup.exe (NSIS, per-user) and build/windows/Vantrel.msi
# (Windows Installer, per-user), signed when a certificate is given (scripts/package.sh).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

ensure_packages
build_preset windows
bash "$ROOT/scripts/package.sh" "$ROOT/build/windows"
