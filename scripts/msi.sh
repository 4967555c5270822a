#!/usr/bin/env bash
# Builds DIR/Vantrel.msi, the per-user Windows Installer package of DIR/Vantrel.exe, with
# Debian's wixl from installer/vantrel.wxs, and signs it (scripts/sign.sh):
#
#   bash scripts/msi.sh DIR [VERSION]
#
# VERSION, four numbers such as 2.10.10.20, is the one in res/version.h unless given (the
# tests build a higher one to upgrade to). Windows Installer compares only three fields of a
# version, the third at most 65535, so 2.10.10.20 becomes the ProductVersion 2.10.1020: the
# last two numbers, each under 100 as the version text 2.101020 writes them, side by side,
# which keeps the order of Vantrel's versions.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(cd "$1" && pwd)
version=${2:-$(sed -n 's/^#define VANTREL_VERSION_[1-4] \([0-9]*\)$/\1/p' "$ROOT/res/version.h" | paste -sd.)}
IFS=. read -r major minor build revision extra <<<"$version"
if [ -n "${extra:-}" ] || ! [[ "$major.$minor.$build.$revision" =~ ^[0-9]+\.[0-9]+\.[0-9]{1,2}\.[0-9]{1,2}$ ]] ||
    [ "$major" -gt 255 ] || [ "$minor" -gt 255 ]; then
    echo "$0: version $version does not fit an MSI ProductVersion (a.b.c.d, a and b at most 255, c and d under 100)" >&2
    exit 2
fi
product_version="$major.$minor.$((10#$build * 100 + 10#$revision))"

# The product code follows from the version under Vantrel's upgrade code, written once in
# the .wxs: each version gets its own, and the same version built again the same one.
upgrade_code=$(sed -n 's/.*UpgradeCode="\([^"]*\)".*/\1/p' "$ROOT/installer/vantrel.wxs")
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
    "$upgrade_code" "$product_version")

say "Building Vantrel.msi, ProductVersion $product_version, ProductCode {$product_code}"
msi="$dir/Vantrel.msi"
rm -f "$msi"
# wixl takes no absolute source paths: it runs in DIR and finds Vantrel.exe there.
(cd "$dir" && wixl -a x64 -D VantrelExe=Vantrel.exe -D "ProductVersion=$product_version" \
    -D "ProductCode=$product_code" -o Vantrel.msi "$ROOT/installer/vantrel.wxs")

# Removal deletes Vantrel's logs, as the NSIS uninstaller does: the two it rewrites on every
# run and the import history with its older generation. wixl has no element for these rows
# of the RemoveFile table, so they are added here.
for log in vantrel.log export.log imports.log imports.old.log; do
    msibuild "$msi" -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`,
        \`InstallMode\`) VALUES ('Remove_${log//./_}', 'Program', '$log', 'INSTALLDIR', 2)"
done

bash "$ROOT/scripts/sign.sh" "$msi"
echo "$msi ($(stat -c %s "$msi") bytes)"
