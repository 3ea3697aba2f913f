#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it into a temporary root with
# dpkg-deb and runs the unpacked program: its version, a solve of an installed demo, the
# examples list, the windows (offscreen) and the help and desktop files where they belong.
# Usage: test_package.sh BUILD_DIR
set -euo pipefail
# Under pipefail a reader that stops early (grep -q) would break the writer's pipe and fail the
# line at random, so every check below reads its whole input.
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/odeseries_*.deb)
dpkg-deb --field "$deb" Package | grep -xe odeseries >/dev/null
dpkg-deb --field "$deb" Depends | grep libqt6widgets6 >/dev/null
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr

for f in bin/odeseries lib/odeseries/libodeseries_gui.so share/odeseries/dif.chm \
         share/odeseries/examples/demos.txt share/odeseries/examples/airy share/odeseries/examples/airy.str \
         share/applications/odeseries.desktop share/icons/hicolor/scalable/apps/odeseries.svg \
         share/metainfo/org.odeseries.ODESeries.metainfo.xml share/man/man1/odeseries.1.gz; do
  [ -e "$root/$f" ] || { echo "the package lacks $f"; exit 1; }
done

# Run away from the source and build trees, with nothing pointing back at them.
cd "$work"
unset ODESERIES_EXAMPLES
"$root/bin/odeseries" --version | grep -xe "odeseries [0-9.]*" >/dev/null
"$root/bin/odeseries" examples | grep "^airy	Pldif	" >/dev/null
"$root/bin/odeseries" solve --example airy --eval 1 | grep -xe "0.135292416312881" >/dev/null
"$root/bin/odeseries" solve "$root/share/odeseries/examples/rotation" --plot "$work/rotation.svg" >/dev/null
grep -q "<svg" "$work/rotation.svg"
# The windows start from the package's window library and close again.
QT_QPA_PLATFORM=offscreen ODESERIES_AUTOCLOSE_MS=300 ODESERIES_REPORT_SEPARATOR=1 \
  XDG_RUNTIME_DIR="$work" "$root/bin/odeseries" >"$work/gui.log" 2>&1 || { cat "$work/gui.log"; exit 1; }

# The desktop files are well formed where the tools to say so are installed.
xmllint --noout "$root/share/metainfo/org.odeseries.ODESeries.metainfo.xml" "$root/share/icons/hicolor/scalable/apps/odeseries.svg"
grep -q "^Exec=odeseries$" "$root/share/applications/odeseries.desktop"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$root/share/applications/odeseries.desktop"; fi
if command -v appstreamcli >/dev/null; then appstreamcli validate --no-net --pedantic "$root/share/metainfo/org.odeseries.ODESeries.metainfo.xml" || true; fi
zcat "$root/share/man/man1/odeseries.1.gz" | grep "^.TH ODESERIES 1" >/dev/null
if command -v man >/dev/null; then MANWIDTH=80 man --warnings -l "$root/share/man/man1/odeseries.1.gz" >/dev/null 2>"$work/man.log" || true; ! grep -q . "$work/man.log" || { cat "$work/man.log"; exit 1; }; fi
echo "package ok: $(basename "$deb")"
