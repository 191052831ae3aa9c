#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a Release build (the one given, by default build-release, made
# when missing) into a temporary prefix, runs the installed kelvane-cli and
# kelvane-simctl as a plain user with HOME in a temporary directory, then
# builds the .deb and checks its contents, dependencies and units, and runs
# lintian on it. KELVANE_DEB_OUT=DIR keeps a copy of the .deb there;
# KELVANE_DEB=FILE checks that .deb (packed from the same build) instead of
# packing one.
set -euo pipefail
given_deb=${KELVANE_DEB:+$(realpath "$KELVANE_DEB")}
cd "$(dirname "$0")/../.."
build=${1:-build-release}

./scripts/install-deps.sh lintian systemd
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

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
         share/man/man1/kelvane.1.gz share/man/man1/kelvane-cli.1.gz share/man/man1/kelvane-simctl.1.gz \
         share/man/man8/kelvane-chipd.8.gz share/doc/kelvane/copyright share/doc/kelvane/changelog.gz \
         share/doc/kelvane/chip-service.md lib/kelvane/kelvane-chipd \
         lib/systemd/system/kelvane-chipd.service lib/systemd/system/kelvane-chipd.socket \
         share/bash-completion/completions/kelvane-cli; do
  [ -e "$prefix/$f" ] || { echo "package_e2e: not installed: $f" >&2; exit 1; }
done

for size in 16 22 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/kelvane.png
  file "$icon" | grep "PNG image data, $size x $size," >/dev/null \
    || { echo "package_e2e: no $size by $size PNG icon: $(file "$icon")" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/kelvane.desktop" \
  || { echo "package_e2e: the desktop entry does not validate" >&2; exit 1; }

# Every program a unit starts is where the unit says, and executable.
# $1: the root the units' paths are read in; $2: the unit directory.
check_exec_paths() {
  local root=$1 units=$2 found=0 line path
  for unit in "$units"/*.service; do
    while IFS= read -r line; do
      path=${line#*=}
      path=${path#[-@:+!]}
      path=${path%% *}
      [ -x "$root$path" ] && [ -f "$root$path" ] \
        || { echo "package_e2e: $(basename "$unit") starts $path, which is not an executable in $root/" >&2; exit 1; }
      found=$((found + 1))
    done < <(grep -E '^Exec(Start|StartPre|StartPost|Stop|Reload)=' "$unit")
  done
  [ "$found" -gt 0 ] || { echo "package_e2e: no ExecStart= in $units" >&2; exit 1; }
}
check_exec_paths "" "$prefix/lib/systemd/system"
grep -q "^ExecStart=$prefix/lib/kelvane/kelvane-chipd " "$prefix/lib/systemd/system/kelvane-chipd.service" \
  || { echo "package_e2e: the unit does not name the installation's prefix" >&2; exit 1; }

# An empty RUNPATH entry would load an access library from the working directory.
for program in kelvane kelvane-cli kelvane-simctl; do
  for binary in "$build/bin/$program" "$prefix/bin/$program"; do
    readelf -d "$binary" | grep RUNPATH | grep -E '\[:|::|:\]' >/dev/null \
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
echo "$out" | grep '"value"' >/dev/null || { echo "package_e2e: no readings: $out" >&2; exit 1; }
[ -f "$home/.config/kelvane/Root.ini" ] && [ ! -L "$home/.config/kelvane/Root.ini" ] \
  || { echo "package_e2e: Root.ini not seeded per user" >&2; exit 1; }
[ -f "$home/.config/kelvane/simchip.state" ] \
  || { echo "package_e2e: the simulator's state is not per user" >&2; exit 1; }
[ ! -e "$prefix/lib/kelvane/simchip.state" ] \
  || { echo "package_e2e: the simulator wrote into the installation" >&2; exit 1; }

if [ -n "$given_deb" ]; then
  deb=$given_deb
  [ -f "$deb" ] || { echo "package_e2e: no .deb at $KELVANE_DEB" >&2; exit 1; }
else
  (cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
  deb=$(ls "$work"/deb/kelvane_*.deb)
fi
contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/kelvane ./usr/bin/kelvane-cli ./usr/lib/kelvane/libWbcdflsh.so \
         ./usr/lib/kelvane/portio/libWbcdflsh.so ./usr/share/kelvane/def.ini \
         ./usr/share/applications/kelvane.desktop ./usr/share/doc/kelvane/copyright \
         ./usr/share/doc/kelvane/changelog.gz ./usr/share/doc/kelvane/chip-service.md \
         ./usr/share/man/man8/kelvane-chipd.8.gz; do
  echo "$contents" | grep " $f\$" >/dev/null || { echo "package_e2e: .deb lacks $f" >&2; exit 1; }
done
if echo "$contents" | grep -E ' \./usr/share/man/.*[^/]$' | grep -vq '\.gz$'; then
  echo "package_e2e: an uncompressed manual page in the .deb" >&2; exit 1
fi
info=$(dpkg-deb -I "$deb")
for dep in libqt6widgets6 libsqlite3 adduser fonts-dejavu-extra qt6-qpa-plugins; do
  echo "$info" | grep "Depends:.*$dep" >/dev/null || { echo "package_e2e: .deb does not depend on $dep" >&2; exit 1; }
done
for group in kelvane kelvane-control; do
  dpkg-deb -I "$deb" postinst | grep "for group in.*\b$group\b" >/dev/null \
    || { echo "package_e2e: postinst does not create the $group group" >&2; exit 1; }
done

root=$work/root
dpkg-deb -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)
head -1 <(zcat "$root/usr/share/doc/kelvane/changelog.gz") | grep -F "kelvane ($version)" >/dev/null \
  || { echo "package_e2e: the changelog's last entry is not version $version" >&2; exit 1; }
for binary in "$root"/usr/bin/* "$root"/usr/lib/kelvane/kelvane-chipd $(find "$root/usr/lib/kelvane" -name '*.so'); do
  file -b "$binary" | grep ', stripped' >/dev/null || { echo "package_e2e: not stripped: ${binary#"$root"}" >&2; exit 1; }
done
unit_dir=$root/usr/lib/systemd/system
[ -d "$unit_dir" ] || unit_dir=$root/lib/systemd/system
check_exec_paths "$root" "$unit_dir"
# The chip service's unit as packaged, rated by systemd's own tools.
exposure=$(systemd-analyze security --offline=yes --no-pager "$unit_dir/kelvane-chipd.service" | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\).*/\1/p')
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.0) }' \
  || { echo "package_e2e: the chip service's exposure is ${exposure:-unknown}, above 2.0" >&2; exit 1; }
# The units as systemd reads them, with the package's files as the system
# (and systemd's own units beside them, for the targets they name).
cp -rn /usr/lib/systemd/system/. "$unit_dir/"
if ! verify=$(SYSTEMD_LOG_COLOR=0 systemd-analyze verify --man=no --root="$root" \
                "$unit_dir/kelvane-chipd.service" "$unit_dir/kelvane-chipd.socket" 2>&1); then
  echo "$verify" >&2; echo "package_e2e: systemd-analyze verify failed" >&2; exit 1
fi
if ! lint=$(lintian --fail-on error "$deb" 2>&1); then
  echo "$lint" >&2; echo "package_e2e: lintian found errors" >&2; exit 1
fi
[ -z "$lint" ] || echo "$lint"
if [ -n "${KELVANE_DEB_OUT:-}" ]; then
  mkdir -p "$KELVANE_DEB_OUT"
  cp "$deb" "$KELVANE_DEB_OUT/"
fi
echo "package_e2e: ok ($(basename "$deb"), Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB)"
