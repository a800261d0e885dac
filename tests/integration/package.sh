#!/usr/bin/env bash
# The Debian package, made the documented way (cpack over the build) into a folder of its own:
# it holds exactly the files of installed-files.txt, owned by root, with their modes; its
# dependencies name the Qt 6 libraries (with Multimedia and D-Bus), SQLite and xdg-utils; the
# autostart entry is a conffile; the program is stripped; lintian finds no error. Then the
# packaged program, unpacked, runs offscreen from private XDG folders and fires an event.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${ZARVO_BUILD_DIR:-$ROOT/build}
VERSION=${ZARVO_VERSION:?the project version}
work=$(mktemp -d "${TMPDIR:-/tmp}/zarvo-package.XXXXXX")
pid=""
cleanup() { [ -z "$pid" ] || kill -KILL "$pid" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/zarvo.log" ] && sed 's/^/  zarvo: /' "$work/zarvo.log" >&2; exit 1; }

(cd "$BUILD" && cpack --config CPackConfig.cmake -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack"; }
deb=$work/out/zarvo_${VERSION}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb"

# Contents: the listed files, nothing more, all root's.
listing=$(dpkg-deb -c "$deb")
files=$(awk '$1 !~ /^d/ { m = $1; mode = 0
    for (i = 2; i <= 10; i++) mode = mode * 2 + (substr(m, i, 1) != "-")
    printf "%04o %s\n", mode, substr($6, 2) }' <<<"$listing" | sort -k2)
want=$(grep -v '^#' "$ROOT/tests/integration/installed-files.txt" | sort -k2)
[ "$files" = "$want" ] || fail "package contents differ from installed-files.txt:
$(diff <(echo "$want") <(echo "$files") || true)"
awk '$2 != "root/root" { exit 1 }' <<<"$listing" || fail "files not owned by root"
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { exit 1 }' <<<"$listing" || fail "folders not 0755"

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libqt6dbus6 libqt6network6 libsqlite3-0 xdg-utils; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = zarvo ] && [ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] ||
    fail "package name or version"
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/xdg/autostart/com.pelmark.Zarvo.desktop ||
    fail "the autostart entry is not a conffile"

dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin/zarvo
readelf -S "$bin" | grep -q '\.debug_\|\.symtab' && fail "the program is not stripped"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian"; }
grep '^E:' "$work/lintian.log" && fail "lintian errors"

# The packaged program fires a daily notification a few seconds from now.
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$XDG_DATA_HOME/zarvo" && mkdir -m 0700 "$XDG_RUNTIME_DIR"
due=$(( $(date +%s) + 4 ))
time=$(date -d "@$due" +%T) next=$(date -d "$(date -d "@$due" +%F) + 1 day" +%F)
sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" <<SQL
$(cat "$ROOT/tools/rigs/events.sql")
INSERT INTO events (RowNo, EvName, EvDate, EvTime, EvType, EvRec, EvRecMonth)
  VALUES (1, 'Packaged', '$(date -d "@$due" +%F)', '$time', 0, 1, 0);
SQL
"$bin" >"$work/zarvo.log" 2>&1 &
pid=$!
stored=""
for _ in $(seq 300); do # up to 15 s
    stored=$(sqlite3 "$XDG_DATA_HOME/zarvo/zarvo.dat" "SELECT EvDate FROM events" 2>/dev/null || true)
    [ "$stored" = "$next" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the packaged program ended"
    sleep 0.05
done
[ "$stored" = "$next" ] || fail "the event did not fire (zarvo.dat holds '$stored')"
kill -TERM "$pid"; wait "$pid" || fail "exit status $? after SIGTERM"
pid=""
echo "package: $(basename "$deb"), $(wc -l <<<"$files") files, lintian clean, the packaged program fired"
