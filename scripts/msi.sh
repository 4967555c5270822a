#!/usr/bin/env bash
# Builds DIR/Vantrel.msi, the per-user Windows Installer package of DIR/Vantrel.exe, with
# Debian's wixl from installer/vantrel.wxs, and signs it (scripts/sign.sh):
#
#   bash scripts/msi.sh DIR [VERSION] [--settings Vantrel.dat] [--routes PRoute.dat] [--tls-hosts TlsHosts.dat]
#
# VERSION, four numbers such as 2.10.10.20, is the one in res/version.h unless given (the
# tests build a higher one to upgrade to). Windows Installer compares only three fields of a
# version, the third at most 65535, so 2.10.10.20 becomes the ProductVersion 2.10.1020: the
# last two numbers, each under 100 as the version text 2.101020 writes them, side by side,
# which keeps the order of Vantrel's versions.
#
# With --settings (and --routes), the package is an agency's: it also installs that settings
# file (only where there is none, kept at removal) and that routes file (replaced by Windows
# Installer's rule for data files, kept at removal), and, with --tls-hosts, that list of hosts
# known to take TLS (like the settings: only where there is none, kept at removal); it has a
# product code of its own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

dir=$(cd "$1" && pwd)
shift
version=""
settings="" routes="" tls_hosts=""
while [ $# -gt 0 ]; do
    case "$1" in
        --settings) settings=$(realpath "$2"); shift 2 ;;
        --routes) routes=$(realpath "$2"); shift 2 ;;
        --tls-hosts) tls_hosts=$(realpath "$2"); shift 2 ;;
        *) version=$1; shift ;;
    esac
done
[ -n "$settings" ] || [ -z "$routes$tls_hosts" ] || { echo "$0: --routes and --tls-hosts need --settings" >&2; exit 2; }
[ -n "$version" ] || version=$(sed -n 's/^#define VANTREL_VERSION_[1-4] \([0-9]*\)$/\1/p' "$ROOT/res/version.h" | paste -sd.)
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
# An agency's package gets one of its own, from the version and the files it carries: Windows
# refuses a second package under a product code already installed (1638), so the plain and the
# agency package of one version must differ.
carried=""
[ -z "$settings" ] || carried+=" settings $(sha256sum <"$settings" | cut -d' ' -f1)"
[ -z "$routes" ] || carried+=" routes $(sha256sum <"$routes" | cut -d' ' -f1)"
[ -z "$tls_hosts" ] || carried+=" tls-hosts $(sha256sum <"$tls_hosts" | cut -d' ' -f1)"
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
    "$upgrade_code" "$product_version$carried")

say "Building Vantrel.msi, ProductVersion $product_version, ProductCode {$product_code}"
msi="$dir/Vantrel.msi"
rm -f "$msi"
# wixl takes no absolute source paths: it runs in DIR and finds Vantrel.exe there.
# The agency's files are staged beside Vantrel.exe under their installed names.
agency=()
rm -rf "$dir/agency"
if [ -n "$settings" ]; then
    mkdir "$dir/agency"
    cp "$settings" "$dir/agency/Vantrel.dat"
    agency+=(-D AgencySettings=agency/Vantrel.dat)
    if [ -n "$routes" ]; then
        cp "$routes" "$dir/agency/PRoute.dat"
        agency+=(-D AgencyRoutes=agency/PRoute.dat)
    fi
    if [ -n "$tls_hosts" ]; then
        cp "$tls_hosts" "$dir/agency/TlsHosts.dat"
        agency+=(-D AgencyTlsHosts=agency/TlsHosts.dat)
    fi
fi
(cd "$dir" && wixl -a x64 -D VantrelExe=Vantrel.exe -D "ProductVersion=$product_version" \
    -D "ProductCode=$product_code" "${agency[@]}" -o Vantrel.msi "$ROOT/installer/vantrel.wxs")
rm -rf "$dir/agency"

# The attributes wixl ignores, set in the Component table: Vantrel.dat never overwritten
# (128: installed only where there is none) and permanent (16: kept at removal); PRoute.dat
# permanent only, so Windows Installer replaces a copy nobody changed since it was installed
# (its MsiFileHash row, which wixl writes, tells an identical one) and keeps one that
# someone changed (modified later than created).
[ -z "$settings" ] || msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = 'AgencySettings'"
[ -z "$routes" ] || msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 16 WHERE \`Component\` = 'AgencyRoutes'"
# TlsHosts.dat is the PC's once Vantrel learns hosts into it: as Vantrel.dat, never overwritten
# and kept at removal.
[ -z "$tls_hosts" ] || msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 144 WHERE \`Component\` = 'AgencyTlsHosts'"

# A package of the same version upgrades an installed one of another product code (plain to
# agency, agency to plain): the upgrade row's maximum is inclusive (512), which wixl cannot
# say. Attributes is a key of the Upgrade table, so the row is written anew.
msibuild "$msi" -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'"
msibuild "$msi" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`)
    VALUES ('{$upgrade_code}', '$product_version', 513, 'WIX_UPGRADE_DETECTED')"

# Removal deletes Vantrel's logs, as the NSIS uninstaller does: the two it rewrites on every
# run and the import history with its older generation. wixl has no element for these rows
# of the RemoveFile table, so they are added here.
for log in vantrel.log export.log imports.log imports.old.log; do
    msibuild "$msi" -q "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`,
        \`InstallMode\`) VALUES ('Remove_${log//./_}', 'Program', '$log', 'INSTALLDIR', 2)"
done

bash "$ROOT/scripts/sign.sh" "$msi"
echo "$msi ($(stat -c %s "$msi") bytes)"
