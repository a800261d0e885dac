# Finding the program's windows on an X desktop with a window manager and an XEmbed tray
# (sourced by the end-to-end scripts, not run).

# managed_window TITLE: the visible window of exactly that title that the window manager manages
# (the tray icon's own window, also titled "Zarvo!", is embedded in the tray instead).
managed_window() {
    local w m managed
    managed=$(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g')
    for w in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        for m in $managed; do [ $((m)) -eq "$w" ] && { echo "$w"; return; }; done
    done
}

# tray_icon_of PID: the tray icon of that process, a window the window manager does not manage,
# embedded below the tray's window (every window of the program carries _XEMBED_INFO, so that
# proves nothing); empty when there is none within a few seconds.
tray_icon_of() {
    local root w m managed parent
    root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    for _ in $(seq 100); do
        managed=$(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,//g')
        for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
            for m in $managed; do [ $((m)) -eq "$w" ] && continue 2; done
            parent=$(xwininfo -tree -id "$w" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
            [ -n "$parent" ] && [ $((parent)) -ne $((root)) ] && { echo "$w"; return; }
        done
        sleep 0.05
    done
}
