#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, run and test Zarvo!. Safe to run again:
# only missing packages are installed. Uses sudo when not root.
set -euo pipefail

packages=(
    # build
    build-essential cmake ninja-build pkg-config clang ccache
    # the fuzz targets: libFuzzer and clang's sanitizer runtimes (only recommended by clang)
    libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libsqlite3-dev libgl1-mesa-dev
    # run: sound through PulseAudio/PipeWire, fonts; the desktop's alarm sound (Ogg Vorbis in
    # the freedesktop sound theme) and the media framework's decoders that read it
    pulseaudio-utils fonts-dejavu-core sound-theme-freedesktop gstreamer1.0-plugins-base
    # tests: X server, sound server with a null sink, tools to look at windows and sound
    xvfb xauth x11-utils xdotool imagemagick pulseaudio sox sqlite3 python3 e2fsprogs xdg-utils strace
    # tests: a window manager and a panel with a tray; clocks that run elsewhere
    xfwm4 tint2 libfaketime faketime
    # tests: private D-Bus buses with mocked system services
    dbus dbus-daemon libglib2.0-bin python3-dbusmock
    # tests: real servers on 127.0.0.1 (POP3, SMTP, the time protocol) and their clients
    dovecot-core dovecot-pop3d python3-aiosmtpd xinetd rdate curl
    # tests: the test CA and server certificates for mail over TLS; the system's trusted ones
    openssl ca-certificates
    # the spoken-time recordings are made from a speech synthesizer (tools/make_recordings.sh),
    # the icons from their SVG artwork (tools/make_icons.sh)
    espeak-ng librsvg2-bin
    # the package and its checks: dpkg-shlibdeps, the desktop entry and metainfo validators, lintian
    dpkg-dev desktop-file-utils appstream lintian
    # tests: a StatusNotifierItem host (a real panel) and a client of our own that reads the
    # item over D-Bus; closing windows over X; a Wayland compositor without an X server
    xfce4-panel python3-dbus python3-xlib weston qt6-wayland
)
[ "${1:-}" = "--list" ] && { printf '%s\n' "${packages[@]}"; exit 0; }

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Installing a server package must not start a system service.
policy=/usr/sbin/policy-rc.d tmp_policy=""
if [ ! -e $policy ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee $policy >/dev/null && $sudo chmod +x $policy && tmp_policy=1
fi
trap '[ -z "$tmp_policy" ] || $sudo rm -f $policy' EXIT
echo "Installing: ${missing[*]}" >&2
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
