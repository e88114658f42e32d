#!/usr/bin/env bash
# The real program under a private X server, driven only by X events as a user would drive it:
#   1. vorlex starts with a KOI8-R file on its command line and runs its automatic pass;
#   2. a right-click on the first variant line opens the list menu, "Write whole document to
#      the file" opens the Save-as dialog, a full path is typed into it, and the written file
#      must be the same text in Windows-1251;
#   3. another program (xclip) copies KOI8-R text shown as Windows-1251 ("рТЙЧЕФ, НЙТ!"); the
#      watching window must take it as its new source, "Put whole document to the clipboard"
#      must leave the repaired text on the clipboard, and that write of its own must not
#      reload the clipboard (the window stays exactly as it was); a picture copied then
#      changes nothing, and putting the document again replaces it with the repaired text;
#   4. the EXIT button ends the program with status 0.
# With a window manager named, it runs under it and also checks what a desktop shows: the focused
# window's own caption in the active colours, minimising with the caption's button and restoring
# as a task bar does, and the Save-as dialog over its owner.
# The state is read from outside only: window names, geometry and properties, the written file,
# the clipboard and screenshots (saved at every step).
#
#   tests/e2e/run_e2e.sh VORLEX_PROGRAM OUTPUT_DIR [WINDOW_MANAGER]
# OUTPUT_DIR gets shots/ (the screenshots) and run/ (the files, settings and logs of this run).
set -euo pipefail

program="$(realpath "$1")"
output="$(realpath -m "$2")"
window_manager="${3:-}"
shots="$output/shots"
work="$output/run"
rm -rf "$shots" "$work"
mkdir -p "$shots" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"

started=$SECONDS
step=0
checks=0
xvfb_pid=""
wm_pid=""
vorlex_pid=""
xclip_pid=""

stop_pid() {
    local pid="$1"
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || return 0
    # A polite end first; a program that ignores it within 2 s is killed.
    for _ in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}
cleanup() {
    stop_pid "$vorlex_pid"
    stop_pid "$xclip_pid"
    stop_pid "$wm_pid"
    stop_pid "$xvfb_pid"
}
trap cleanup EXIT
# A time-out of the test runner ends the run the same way.
trap 'exit 143' TERM INT

shot() {
    step=$((step + 1))
    local file
    file="$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")"
    import -window root "$file" 2>/dev/null || echo "(screenshot $file failed)"
    last_shot="$file"
}

# Everything the test could see, then the failure.
fail() {
    echo "FAIL: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        shot failure
        echo "screenshot: $last_shot" >&2
        echo "visible windows:" >&2
        for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
            echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)'" \
                "$(xdotool getwindowgeometry "$w" 2>/dev/null | tail -n +2 | tr -s ' \n' ' ')" >&2
        done
        echo "clipboard: '$(timeout 2 xclip -o -selection clipboard 2>/dev/null | head -c 300)'" >&2
    fi
    if [ -s "$work/vorlex.log" ]; then
        echo "vorlex output:" >&2
        sed 's/^/  /' "$work/vorlex.log" >&2
    fi
    exit 1
}
pass() {
    checks=$((checks + 1))
    echo "ok $checks - $*"
}

alive() {
    kill -0 "$vorlex_pid" 2>/dev/null && return 0
    local status=0
    wait "$vorlex_pid" || status=$?
    vorlex_pid=""
    fail "vorlex ended with status $status while waiting for: $1"
}

# poll SECONDS WHAT COMMAND...: runs COMMAND every 0.1 s until it succeeds or the time is up.
poll() {
    local limit=$(($1 * 10)) what="$2"
    shift 2
    for _ in $(seq "$limit"); do
        "$@" && return 0
        [ -z "$vorlex_pid" ] || alive "$what"
        sleep 0.1
    done
    fail "timed out after $((limit / 10)) s: $what"
}

# --- the texts ---------------------------------------------------------------------------
cat >"$work/file.txt" <<'EOF'
Мы пишем этот текст в одной кодировке, а читаем его в другой.
Все буквы встают на свои места, если программа нашла верный путь.
Он был дома, но она не пришла к нему, так как шел дождь.
EOF
cat >"$work/clip.txt" <<'EOF'
Привет, мир! Как дела у тебя? Мы все здесь, и он тоже с нами.
Она сказала, что это не так, но мы ей не верим.
EOF
iconv -f UTF-8 -t KOI8-R "$work/file.txt" >"$work/source.koi"
# The file the window writes by default: the repaired text in UTF-8.
iconv -f KOI8-R -t UTF-8 "$work/source.koi" >"$work/expected.utf8"
# What a Windows-1251 desktop shows of KOI8-R bytes: "рТЙЧЕФ, НЙТ!".
iconv -f UTF-8 -t KOI8-R "$work/clip.txt" | iconv -f CP1251 -t UTF-8 >"$work/clip.shown"
printf '[Parameters]\nLanguage=1\n' >"$work/settings.ini"

# --- the X server ------------------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display_ready() {
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
    grep -q '^[0-9][0-9]*$' "$work/display"
}
poll 10 "Xvfb to give its display number" display_ready
DISPLAY=":$(cat "$work/display")"
export DISPLAY
echo "display $DISPLAY, screenshots in $shots"

if [ -n "$window_manager" ]; then
    # On a loaded machine openbox now and then fails to open a display that other clients
    # reach: such a start is tried again, twice at most; the run is about the program.
    wm_starts=0
    start_wm() {
        wm_starts=$((wm_starts + 1))
        env XDG_CONFIG_HOME="$work/config" "$window_manager" >"$work/wm.log" 2>&1 &
        wm_pid=$!
    }
    start_wm
    # A window manager that follows the desktop conventions names its check window on the root.
    wm_ready() {
        if ! kill -0 "$wm_pid" 2>/dev/null; then
            [ "$wm_starts" -lt 3 ] || fail "$window_manager did not start: $(cat "$work/wm.log")"
            echo "($window_manager ended at start: $(cat "$work/wm.log"); starting it again)"
            wait "$wm_pid" 2>/dev/null || true
            start_wm
            return 1
        fi
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
    }
    poll 10 "$window_manager to manage the screen" wm_ready
    echo "window manager: $window_manager"
fi

# --- 1. start with a file ----------------------------------------------------------------
cd "$work"
env VORLEX_SETTINGS="$work/settings.ini" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANGUAGE= \
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    "$program" "$work/source.koi" >"$work/vorlex.log" 2>&1 &
vorlex_pid=$!

# The main window is the large visible one named "Vorlex II" (message boxes share the name).
main_window() {
    local w
    for w in $(xdotool search --onlyvisible --name '^Vorlex II$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$WIDTH" -gt 400 ] && [ "$HEIGHT" -gt 300 ]; then
            main_id=$w wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
            return 0
        fi
    done
    return 1
}
poll 20 "the main window to appear" main_window
pass "the main window appeared ($ww x $wh at $wx,$wy)"

# The window's picture without its status line (the body's last 12 of 242 dialog units), which
# tells what the last output did ("Copied 100 characters") and so changes with every output.
window_hash() {
    local status=0
    [ -z "${line_y:-}" ] || status=$(((12 * (wh - (line_y - 6 - wy - 1)) + 213) / 214))
    import -window root -crop "${ww}x$((wh - status))+${wx}+${wy}" rgb:- 2>/dev/null | md5sum
}
# The window is idle when its picture has not changed over six looks 0.2 s apart: a running
# pass moves the progress bar and the found count at every 200 ms tick.
wait_idle() {
    local what="$1" same=0 previous="" now
    for _ in $(seq 300); do
        alive "$what"
        now="$(window_hash)"
        if [ "$now" = "$previous" ]; then
            same=$((same + 1))
            [ "$same" -ge 5 ] && return 0
        else
            same=0
            previous="$now"
        fi
        sleep 0.2
    done
    fail "the window did not come to rest within 60 s: $what"
}
wait_idle "the pass over the file"
shot file-pass


# The first line of the variant list: the list's white inside is the first long white run
# in the window's third pixel column. Measured once, while no line is selected (a selected
# first line is not white).
first_line() {
    local top
    [ -z "${line_y:-}" ] || return 0
    top="$(import -window root -crop "1x${wh}+$((wx + 2))+${wy}" -depth 8 rgb:- 2>/dev/null |
        od -An -v -tu1 -w3 |
        awk '{ white = ($1 == 255 && $2 == 255 && $3 == 255) }
             white && !found { run++; if (run == 30) { print NR - 30; found = 1 } }
             !white { run = 0 }')"
    [ -n "$top" ] || fail "no variant list found in the window's picture"
    line_x=$((wx + 40))
    line_y=$((wy + top + 6))
}
first_line
mouse_away() {
    # The title tip goes when the pointer leaves it; the corner is outside every window.
    xdotool mousemove 1 1
}

# A right-click on the first line selects it and opens the list menu at the pointer; the
# menu is a new window whose top-left corner is the pointer.
menu_open() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^vorlex$' 2>/dev/null); do
        X=-1 Y=-1
        eval "$(xdotool getwindowgeometry --shell "$w")"
        if [ "$X" -eq "$line_x" ] && [ "$Y" -eq "$line_y" ]; then
            mx=$X my=$Y mw=$WIDTH mh=$HEIGHT
            return 0
        fi
    done
    return 1
}
open_list_menu() {
    first_line
    xdotool mousemove "$line_x" "$line_y" click 3
    poll 10 "the list menu to open on the first line" menu_open
}
# Item N (from 1) of the four equal items. The pointer, not the keyboard: pointer events go to
# the menu's window even before the menu has grabbed the keyboard.
choose_menu_item() {
    xdotool mousemove $((mx + mw / 2)) $((my + mh * (2 * $1 - 1) / 8)) click 1
}

# --- on a desktop: the caption, minimise and restore ----------------------------------------
# The window draws its own caption: the highlight colour of the palette while active (blue),
# grey while inactive. Looked at left of the middle, on the gradient and off the title.
caption_colour() {
    import -window root -crop "1x1+$((wx + ww / 4))+$((wy + 4))" -depth 8 rgb:- 2>/dev/null |
        od -An -tu1 | tr -s ' ' | sed 's/^ //'
}
caption_active() {
    local r g b
    read -r r g b <<<"$(caption_colour)"
    [ $((b - r)) -gt 60 ]
}
main_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main_id" ]; }
main_shown() { xdotool search --onlyvisible --name '^Vorlex II$' 2>/dev/null | grep -qx "$main_id"; }
if [ -n "$window_manager" ]; then
    poll 10 "the main window to have the keyboard focus" main_focused
    poll 5 "the focused window's caption to show active (colour $(caption_colour))" caption_active
    pass "the focused main window shows its caption active"

    # The caption's minimise button is left of its close button, at the bar's right end.
    xdotool mousemove $((wx + ww - 30)) $((wy + 8)) click 1
    main_hidden() {
        ! main_shown && xprop -id "$main_id" _NET_WM_STATE 2>/dev/null | grep -q HIDDEN
    }
    poll 10 "the caption's minimise button to minimise the window" main_hidden
    shot minimised
    pass "the caption's minimise button minimised the window"
    # A task bar restores it by activating it.
    xdotool windowactivate "$main_id" 2>/dev/null || true
    poll 10 "the window to come back" main_shown
    poll 10 "the restored window to have the keyboard focus" main_focused
    poll 5 "the restored window's caption to show active" caption_active
    eval "$(xdotool getwindowgeometry --shell "$main_id")"
    [ "$X,$Y,$WIDTH,$HEIGHT" = "$wx,$wy,$ww,$wh" ] ||
        fail "the window came back at $X,$Y ${WIDTH}x$HEIGHT, not $wx,$wy ${ww}x$wh"
    shot restored
    pass "the window came back in place, focused and active"
fi

# --- 2. write the whole document through the Save-as dialog -------------------------------
output_file="$work/written by vorlex.txt"
open_list_menu
shot list-menu
# "Write whole document to the file"
choose_menu_item 1
save_dialog() {
    save_win="$(xdotool search --onlyvisible --name '^Save as \(UTF-8\)$' 2>/dev/null | head -n 1)"
    [ -n "$save_win" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$save_win" ]
}
poll 15 "the Save-as dialog to open with the keyboard focus" save_dialog
pass "the Save-as dialog opened"
shot save-as
# Over its owner: marked as the main window's dialog (where xprop can tell), its middle on the
# main window.
if command -v xprop >/dev/null; then
    transient="$(xprop -id "$save_win" WM_TRANSIENT_FOR 2>/dev/null | grep -o '0x[0-9a-f]*' || true)"
    [ -n "$transient" ] && [ $((transient)) -eq "$main_id" ] ||
        fail "the Save-as dialog is not the main window's dialog (WM_TRANSIENT_FOR '$transient')"
fi
eval "$(xdotool getwindowgeometry --shell "$save_win")"
[ $((X + WIDTH / 2)) -gt "$wx" ] && [ $((X + WIDTH / 2)) -lt $((wx + ww)) ] &&
    [ $((Y + HEIGHT / 2)) -gt "$wy" ] && [ $((Y + HEIGHT / 2)) -lt $((wy + wh)) ] ||
    fail "the Save-as dialog at $X,$Y ${WIDTH}x$HEIGHT is not over the main window"
pass "the Save-as dialog opened over the main window"
xdotool key ctrl+a
xdotool type --delay 15 "$output_file"
shot save-as-typed
xdotool key Return
save_closed() { ! xdotool search --onlyvisible --name '^Save as \(UTF-8\)$' >/dev/null 2>&1; }
poll 15 "the Save-as dialog to close" save_closed
# The file appears whole (written beside and renamed).
written() { [ -f "$output_file" ]; }
poll 15 "the file to be written" written
cmp "$output_file" "$work/expected.utf8" ||
    fail "the written file differs from iconv's UTF-8 of the source (see $output_file)"
pass "the whole document was written in UTF-8, as iconv converts the source"
mouse_away
wait_idle "after writing the file"
shot file-written

# --- 3. a copy in another program, then the window's own clipboard write -------------------
before="$(window_hash)"
xclip -quiet -selection clipboard -i <"$work/clip.shown" >"$work/xclip.log" 2>&1 &
xclip_pid=$!
changed() { [ "$(window_hash)" != "$before" ]; }
poll 20 "the window to react to the copied text" changed
wait_idle "the pass over the clipboard text"
shot clipboard-pass
pass "the window took the copied text as its source"

# The state to keep: the first line selected (a left click), no menu, no tip.
xdotool mousemove "$line_x" "$line_y" click 1
mouse_away
wait_idle "the first line selected"
selected="$(window_hash)"
shot clipboard-selected

open_list_menu
shot clipboard-menu
# "Put whole document to the clipboard"
choose_menu_item 2
repaired() {
    timeout 2 xclip -o -selection clipboard >"$work/clipboard.out" 2>/dev/null &&
        cmp -s "$work/clipboard.out" "$work/clip.txt"
}
poll 15 "the repaired text on the clipboard" repaired
pass "the clipboard holds the repaired text"
# Taking the selection from xclip ends it: the text now comes from the window itself.
xclip_gone() { ! kill -0 "$xclip_pid" 2>/dev/null; }
poll 10 "xclip to lose the clipboard to the window" xclip_gone
wait "$xclip_pid" 2>/dev/null || true
xclip_pid=""
mouse_away
wait_idle "after putting the document on the clipboard"
shot clipboard-put
[ "$(window_hash)" = "$selected" ] ||
    fail "the window changed after its own clipboard write (reloaded it as a source?);" \
        "compare $shots/*clipboard-selected.png with $shots/*clipboard-put.png"
repaired || fail "the clipboard changed after the window's own write"
pass "the window's own clipboard write did not start another pass"

# A picture copied in another program is no text: nothing at all happens, no message either.
xclip -quiet -selection clipboard -t image/png -i <"$shots/01-file-pass.png" \
    >"$work/xclip.log" 2>&1 &
xclip_pid=$!
picture_offered() {
    timeout 2 xclip -o -selection clipboard -t TARGETS 2>/dev/null | grep -qx 'image/png'
}
poll 10 "the picture to be on the clipboard" picture_offered
wait_idle "after a picture was copied"
shot picture-copied
[ "$(window_hash)" = "$selected" ] || fail "a picture on the clipboard changed the window"
pass "a picture on the clipboard changed nothing"
# The source is still the copied text: putting it again replaces the picture with it.
open_list_menu
choose_menu_item 2
poll 15 "the repaired text on the clipboard again" repaired
poll 10 "xclip to lose the picture to the window" xclip_gone
wait "$xclip_pid" 2>/dev/null || true
xclip_pid=""
pass "putting the document again gave the repaired text"
mouse_away
wait_idle "after putting the document again"
[ "$(window_hash)" = "$selected" ] || fail "the window changed after its second clipboard write"

# --- 4. EXIT -------------------------------------------------------------------------------
# EXIT sits at dialog units (353, 184, 46, 26) of the 403 x 242 body at the window's bottom,
# and the list's frame 28 units below the body's top: 214 units from the frame to the bottom.
first_line
frame=$((line_y - 6 - wy - 1))
exit_x=$((wx + ww * 376 / 403))
exit_y=$((wy + wh - 45 * (wh - frame) / 214))
xdotool mousemove "$exit_x" "$exit_y" click 1
ended() { ! kill -0 "$vorlex_pid" 2>/dev/null; }
for _ in $(seq 150); do
    ended && break
    sleep 0.1
done
ended || fail "EXIT (clicked at $exit_x,$exit_y) did not end the program within 15 s"
status=0
wait "$vorlex_pid" || status=$?
vorlex_pid=""
[ "$status" -eq 0 ] || fail "vorlex ended with status $status"
shot closed
pass "EXIT ended the program with status 0"

echo "e2e: all $checks checks passed in $((SECONDS - started)) s"
