#!/bin/sh
# Makes the pictures of the README (docs/*.png) under a virtual X display, both languages:
#   scripts/readme-pictures.sh [BUILD_DIR]
# BUILD_DIR (default: build) must hold the picture programs: app_screenshot,
# tools_preview_screenshot, tools_batch_screenshot, setup_screenshots and chrome_screenshot
# (cmake --build BUILD_DIR --target app_screenshot ...). Needs xvfb-run, python3 and
# ImageMagick's convert.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
docs="$root/docs"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
export QT_QPA_PLATFORM=xcb
shot() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@" 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }; }

# The texts the main window repairs: KOI8-R bytes (a file from an old mail archive), and UTF-8
# text read as Windows-1251 and saved again as UTF-8 (a web page opened in the wrong encoding).
python3 - "$work" <<'PY'
import sys
text = ("Привет, мир! Как у вас дела? Мы были дома все вместе, и он нам не сказал, что она уже "
        "тут. Это текст в кодировке, которую никто не ждал.\n")
folder = sys.argv[1]
open(folder + "/koi.txt", "wb").write(text.encode("koi8_r"))
shown = "".join(chr(b) if b == 0x98 else bytes([b]).decode("cp1251") for b in text.encode("utf-8"))
open(folder + "/mojibake.txt", "w", encoding="utf-8").write(shown)
PY

for lang in en ru; do
    flag=1; [ "$lang" = ru ] && flag=0
    shot "$build/tests/app/app_screenshot" "$docs/main-window-$lang.png" "$flag" "$work/koi.txt"
    shot "$build/tests/app/app_screenshot" "$docs/refined-list-$lang.png" "$flag" \
        "$work/mojibake.txt" refined
done
shot "$build/tests/tools/tools_preview_screenshot" "$docs"
shot "$build/tests/tools/tools_batch_screenshot" "$work"
for lang in en ru; do
    cp "$work/batch-results-$lang.png" "$docs/batch-results-$lang.png"
done
shot "$build/tests/setup/setup_screenshots" "$work"
shot "$build/tests/chrome/chrome_screenshot" "$work"

# Side by side, English left, with a gap; rows one under the other.
pair() { convert "$1" -size 8x1 xc:white "$2" -background white -gravity north +append "$3"; }
pair "$work/setup-settings-en.png" "$work/setup-settings-ru.png" "$docs/settings.png"
batch_ru="$work/batch-running-ru.png"
[ -f "$work/batch-done-ru.png" ] && batch_ru="$work/batch-done-ru.png"
pair "$work/batch-idle-en.png" "$batch_ru" "$work/row1.png"
pair "$work/setup-editor-en.png" "$work/setup-editor-ru.png" "$work/row2.png"
pair "$work/setup-name-en.png" "$work/setup-name-ru.png" "$work/row3.png"
pair "$work/chrome-about-en.png" "$work/chrome-about-ru.png" "$work/row4.png"
convert "$work/row1.png" -size 1x8 xc:white "$work/row2.png" -size 1x8 xc:white \
    "$work/row3.png" -size 1x8 xc:white "$work/row4.png" -background white -gravity west \
    -append "$docs/dialogs.png"
echo "pictures written to $docs"
