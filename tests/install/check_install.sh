#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR and checks what a user of the installed program
# meets: both programs, the desktop entry ("Open with" for text files), the icon and the
# manual page of vorlex-cli, which must name every option the tool's own help prints.
#
#   tests/install/check_install.sh BUILD_DIR
set -euo pipefail
build="$1"
dest="$(mktemp -d "${TMPDIR:-/tmp}/vorlex-install.XXXXXX")"
# cmake --install rewrites the build's install_manifest.txt, which a real installation's
# uninstall reads: keep the user's one.
manifest="$build/install_manifest.txt"
[ -f "$manifest" ] && cp -p "$manifest" "$dest.manifest"
restore() {
  if [ -f "$dest.manifest" ]; then mv -f "$dest.manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$dest"
}
trap restore EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"
for program in vorlex vorlex-cli; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is missing or not executable"
done
desktop="$root/share/applications/vorlex.desktop"
icon="$root/share/icons/hicolor/scalable/apps/vorlex.svg"
manual="$root/share/man/man1/vorlex-cli.1"
for file in "$desktop" "$icon" "$manual"; do
  [ -s "$file" ] || fail "${file#$dest} is missing or empty"
done

grep -qx 'Exec=env "QT_QPA_PLATFORM=xcb;wayland" vorlex %f' "$desktop" || fail "the desktop entry does not start vorlex with a file"
grep -q '^MimeType=.*text/plain;' "$desktop" || fail "the desktop entry does not take text/plain"
grep -qx 'Icon=vorlex' "$desktop" || fail "the desktop entry does not name the icon vorlex"
grep -q '<svg' "$icon" || fail "the icon is not an SVG image"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
else
  echo "desktop-file-validate not found (package desktop-file-utils): entry not validated"
fi

# Every option and command the installed tool's help names is in the manual page.
help="$("$root/bin/vorlex-cli" --help)"
page="$(sed 's/\\-/-/g' "$manual")"
for word in $(grep -oE -- '(^|[^a-z])--?[a-z][a-z0-9-]*' <<<"$help" | grep -oE -- '--?[a-z][a-z0-9-]*' | sort -u); do
  grep -qF -- "$word" <<<"$page" || fail "the manual page does not mention $word"
done
for command in $(sed -n '/^Commands:/,/^Input/p' <<<"$help" | grep -oE '^  [a-z]+' | sort -u); do
  grep -q "^\.SS $command\$" "$manual" || fail "the manual page has no section for $command"
done
if command -v man >/dev/null; then
  warnings="$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "the manual page formats with warnings: $warnings"
fi
echo "installed files are complete"
