#!/usr/bin/env bash
# Clipboard watching on a Wayland desktop: weston (drawing into a private X server, which gives
# it a seat) with XWayland; vorlex starts with the platform its desktop entry chooses, a Wayland
# program (weston-flower) takes the focus, and another Wayland program (wl-copy) copies KOI8-R
# text shown as Windows-1251. The window, unfocused, must take it as its new source: the pass
# changes its picture, and the copy reached X as well.
#
#   tests/e2e/run_wayland_clipboard.sh VORLEX_PROGRAM DESKTOP_ENTRY OUTPUT_DIR
set -euo pipefail

program="$(realpath "$1")"
entry="$2"
output="$(realpath -m "$3")"
work="$output/run"
rm -rf "$work"
mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
trap 'exit 143' TERM INT
fail() {
    echo "FAIL: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null &&
        echo "screenshot: $work/failure.png" >&2
    for log in weston vorlex; do
        [ -s "$work/$log.log" ] && { echo "$log output:" >&2; tail -n 20 "$work/$log.log" >&2; }
    done
    exit 1
}
# poll SECONDS WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds or the time is up.
poll() {
    local limit=$(($1 * 10)) what="$2"
    shift 2
    for _ in $(seq "$limit"); do
        "$@" && return 0
        sleep 0.1
    done
    fail "timed out after $((limit / 10)) s: $what"
}

# The platform the desktop entry starts the program on.
platform="$(grep -o 'QT_QPA_PLATFORM=[^" ]*' "$entry" | head -n 1 | cut -d= -f2)"
[ -n "$platform" ] || fail "the desktop entry $entry chooses no platform"
iconv -f UTF-8 -t KOI8-R <<<"Привет, мир! Как дела у тебя? Мы все здесь, и он тоже с нами." |
    iconv -f CP1251 -t UTF-8 >"$work/clip.shown"
printf '[Parameters]\nLanguage=1\n' >"$work/settings.ini"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
poll 10 "Xvfb to give its display number" grep -q '^[0-9][0-9]*$' "$work/display"
host=":$(cat "$work/display")"
export XDG_RUNTIME_DIR="$work/runtime" WAYLAND_DISPLAY="vorlex-e2e"
DISPLAY="$host" weston --backend=x11-backend.so --socket="$WAYLAND_DISPLAY" --xwayland \
    --idle-time=0 --width=1200 --height=900 >"$work/weston.log" 2>&1 &
pids+=($!)
poll 20 "weston to start XWayland" grep -q 'xserver listening on display' "$work/weston.log"
xwayland="$(grep -o 'xserver listening on display :[0-9]*' "$work/weston.log" | grep -o ':[0-9]*')"
export DISPLAY="$host"
echo "X server $host, weston $WAYLAND_DISPLAY, XWayland $xwayland, vorlex on '$platform'"

env DISPLAY="$xwayland" QT_QPA_PLATFORM="$platform" VORLEX_SETTINGS="$work/settings.ini" \
    LC_ALL=C.UTF-8 XDG_CONFIG_HOME="$work/config" "$program" >"$work/vorlex.log" 2>&1 &
vorlex_pid=$!
pids+=($vorlex_pid)
main_window() {
    kill -0 "$vorlex_pid" 2>/dev/null || fail "vorlex ended"
    main="$(DISPLAY="$xwayland" xdotool search --onlyvisible --name '^Vorlex II$' 2>/dev/null |
        head -n 1)"
    [ -n "$main" ]
}
poll 20 "the main window to appear on XWayland" main_window
# weston places the windows itself: its whole output below the panel (and its clock) is looked at.
screen_hash() { import -window root -crop 1200x860+0+40 rgb:- 2>/dev/null | md5sum; }
# At rest when the picture has not changed over six looks 0.2 s apart.
wait_idle() {
    local same=0 previous="" now
    for _ in $(seq 150); do
        now="$(screen_hash)"
        if [ "$now" = "$previous" ]; then
            same=$((same + 1))
            [ "$same" -ge 5 ] && return 0
        else
            same=0
            previous="$now"
        fi
        sleep 0.2
    done
    fail "the screen did not come to rest within 30 s: $1"
}
echo "ok - the main window appeared"

weston-flower >"$work/flower.log" 2>&1 &
pids+=($!)
unfocused() { [ "$(DISPLAY="$xwayland" xdotool getwindowfocus 2>/dev/null)" != "$main" ]; }
poll 10 "a Wayland window to take the focus from the main window" unfocused
wait_idle "after the focus went to another window"
before="$(screen_hash)"
# In the foreground (for this script's background), so that it ends with the others.
wl-copy --foreground <"$work/clip.shown" >"$work/wl-copy.log" 2>&1 &
pids+=($!)
changed() { [ "$(screen_hash)" != "$before" ]; }
poll 20 "the unfocused window to react to a Wayland program's copy" changed
wait_idle "the pass over the copied text"
import -window root "$output/wayland-copy.png"
unfocused || fail "the main window took the focus"
bridged() { cmp -s <(DISPLAY="$xwayland" timeout 2 xclip -o -selection clipboard) "$work/clip.shown"; }
poll 10 "the copied text to reach X" bridged
echo "ok - the unfocused window took a Wayland program's copy (picture: $output/wayland-copy.png)"
