#!/usr/bin/env bash
# Installs the build into a temporary prefix, runs the installed kelvane-cli
# and kelvane-simctl as a plain user with HOME in a temporary directory, then
# builds the .deb and checks its contents and dependencies.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/kelvane bin/kelvane-cli bin/kelvane-simctl \
         lib/kelvane/libWbcdflsh.so lib/kelvane/portio/libWbcdflsh.so \
         share/kelvane/def.ini share/kelvane/Root.ini share/kelvane/error.txt \
         share/kelvane/W83782D.ini share/kelvane/help/help_enu.htm share/kelvane/skin/128.png \
         share/applications/kelvane.desktop share/metainfo/io.kelvane.Kelvane.metainfo.xml \
         share/icons/hicolor/scalable/apps/kelvane.svg \
         share/man/man1/kelvane.1 share/man/man1/kelvane-cli.1 share/man/man1/kelvane-simctl.1 \
         share/bash-completion/completions/kelvane-cli; do
  [ -e "$prefix/$f" ] || { echo "package_e2e: not installed: $f" >&2; exit 1; }
done

for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/kelvane.png
  file "$icon" | grep -q "PNG image data, $size x $size," \
    || { echo "package_e2e: no $size by $size PNG icon: $(file "$icon")" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kelvane.desktop" \
  || { echo "package_e2e: the desktop entry does not validate" >&2; exit 1; }

# An empty RUNPATH entry would load an access library from the working directory.
for program in kelvane kelvane-cli kelvane-simctl; do
  for binary in "$build/bin/$program" "$prefix/bin/$program"; do
    readelf -d "$binary" | grep RUNPATH | grep -qE '\[:|::|:\]' \
      && { echo "package_e2e: empty RUNPATH entry in $binary" >&2; exit 1; }
  done
done

# A plain user: CI runs as root, so drop to nobody there.
home=$work/home
mkdir -p "$home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
run() { "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" TMPDIR="$home" "$@"; }

run "$prefix/bin/kelvane-simctl" set TEMP1=41 >/dev/null
# Its own chip lock, so as neither to wait for nor to hold up a running Kelvane.
out=$(run "$prefix/bin/kelvane-cli" --lock "$home/chip.lock" --json)
echo "$out" | grep -q '"value"' || { echo "package_e2e: no readings: $out" >&2; exit 1; }
[ -f "$home/.config/kelvane/Root.ini" ] && [ ! -L "$home/.config/kelvane/Root.ini" ] \
  || { echo "package_e2e: Root.ini not seeded per user" >&2; exit 1; }
[ -f "$home/.config/kelvane/simchip.state" ] \
  || { echo "package_e2e: the simulator's state is not per user" >&2; exit 1; }
[ ! -e "$prefix/lib/kelvane/simchip.state" ] \
  || { echo "package_e2e: the simulator wrote into the installation" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/kelvane_*.deb)
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kelvane ./usr/bin/kelvane-cli ./usr/lib/kelvane/libWbcdflsh.so \
         ./usr/lib/kelvane/portio/libWbcdflsh.so ./usr/share/kelvane/def.ini \
         ./usr/share/applications/kelvane.desktop; do
  echo "$contents" | grep -q " $f\$" || { echo "package_e2e: .deb lacks $f" >&2; exit 1; }
done
info=$(dpkg-deb -I "$deb")
for dep in libqt6widgets6 libsqlite3; do
  echo "$info" | grep -q "Depends:.*$dep" || { echo "package_e2e: .deb does not depend on $dep" >&2; exit 1; }
done
for group in kelvane kelvane-control; do
  dpkg-deb -I "$deb" postinst | grep -q "for group in.*\b$group\b" \
    || { echo "package_e2e: postinst does not create the $group group" >&2; exit 1; }
done
# The chip service's unit as packaged, rated by systemd's own tools.
unit=$work/kelvane-chipd.service
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/system/kelvane-chipd.service > "$unit"
exposure=$(systemd-analyze security --offline=yes --no-pager "$unit" | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\).*/\1/p')
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.0) }' \
  || { echo "package_e2e: the chip service's exposure is ${exposure:-unknown}, above 2.0" >&2; exit 1; }
echo "package_e2e: ok ($(basename "$deb"))"
