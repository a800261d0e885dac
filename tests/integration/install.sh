#!/usr/bin/env bash
# The install rules, file by file: `cmake --install` of the build into a DESTDIR, with prefix
# /usr as a package has it, puts down exactly the files of installed-files.txt with their modes;
# the desktop entry, the autostart entry and the metainfo pass their validators and name one
# application id; every PNG icon has the size of its folder; the man page renders without a
# warning; the change log names the project's version. With prefix /usr/local the program moves
# and the autostart entry stays where login sessions read it.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${ZARVO_BUILD_DIR:-$ROOT/build}
VERSION=${ZARVO_VERSION:?the project version}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ID=com.pelmark.Zarvo

DESTDIR=$work/usr-root cmake --install "$BUILD" --prefix /usr >"$work/install.log" || fail "install failed"
D=$work/usr-root
got=$(cd "$D" && find . -type f -o -type l | sed 's|^\.||' | sort | while read -r f; do
    printf '%04o %s\n' "0$(stat -c %a "$D$f")" "$f"; done)
want=$(grep -v '^#' "$ROOT/tests/integration/installed-files.txt" | sort -k2)
[ "$got" = "$want" ] || fail "installed files differ from installed-files.txt:
$(diff <(echo "$want") <(echo "$got") || true)"
bad_dirs=$(find "$D" -type d ! -perm 755)
[ -z "$bad_dirs" ] || fail "folders not 0755: $bad_dirs"

desktop=$D/usr/share/applications/$ID.desktop autostart=$D/etc/xdg/autostart/$ID.desktop
meta=$D/usr/share/metainfo/$ID.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop entry"
desktop-file-validate "$autostart" || fail "autostart entry"
appstreamcli validate --no-net --strict "$meta" >"$work/as.log" 2>&1 || { cat "$work/as.log" >&2; fail "metainfo"; }
key() { sed -n "s/^$2=//p" "$1" | head -1; }
for f in "$desktop" "$autostart"; do
    [ "$(key "$f" Exec)" = zarvo ] || fail "$f: Exec is '$(key "$f" Exec)'"
    [ "$(key "$f" Icon)" = "$ID" ] || fail "$f: Icon is '$(key "$f" Icon)'"
    [ "$(key "$f" Type)" = Application ] || fail "$f: not an application"
    grep -q '^Hidden=' "$f" && fail "$f: hidden"
done
grep -q "<id>$ID</id>" "$meta" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$meta" || fail "metainfo launchable"
grep -q "<release version=\"$VERSION\"" "$meta" || fail "metainfo has no release $VERSION"

# Each PNG is as large as its folder says (width and height from the PNG header).
for png in "$D"/usr/share/icons/hicolor/*/apps/*.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    dims=$(python3 -c 'import struct, sys
h = open(sys.argv[1], "rb").read(24)
assert h[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
print("%dx%d" % struct.unpack(">II", h[16:24]))' "$png") || fail "$png is not a PNG"
    [ "$dims" = "$size" ] || fail "$png is $dims"
done
for svg in "$D"/usr/share/icons/hicolor/scalable/apps/*.svg; do
    python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' "$svg" || fail "$svg is not XML"
done

# The man page: a NAME section, no warning from the formatter.
page=$(MANWIDTH=80 man --warnings -l "$D/usr/share/man/man1/zarvo.1.gz" 2>"$work/man.err") || fail "man page"
[ ! -s "$work/man.err" ] || fail "man page warnings: $(cat "$work/man.err")"
grep -q 'zarvo - alarm and event scheduler' <<<"$page" || fail "man page NAME"
[ "$(gzip -dc "$D/usr/share/doc/zarvo/changelog.gz" | head -1 | sed 's/^zarvo (\([^)]*\)).*/\1/')" = "$VERSION" ] ||
    fail "the change log's first entry is not $VERSION"

# Elsewhere than /usr the autostart entry still goes where sessions read it.
DESTDIR=$work/local-root cmake --install "$BUILD" --prefix /usr/local >/dev/null || fail "install to /usr/local"
[ -x "$work/local-root/usr/local/bin/zarvo" ] || fail "no /usr/local/bin/zarvo"
[ -f "$work/local-root/etc/xdg/autostart/$ID.desktop" ] || fail "autostart entry not in /etc/xdg/autostart"
echo "install: $(wc -l <<<"$got") files as listed, entries and metainfo valid, icons sized"
