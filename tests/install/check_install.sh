#!/usr/bin/env bash
# Installs a build into a scratch DESTDIR and checks what a user of the installed program
# meets: both programs, the desktop entry ("Open with" for text files) under the same id as the
# software-centre metadata, the icon, the manual pages (which must name every option the
# programs' own help prints), the copyright file, the changelog and the bash completion.
# Every version the files carry must be the one the programs print.
#
#   tests/install/check_install.sh BUILD_DIR
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
dest="$(mktemp -d "${TMPDIR:-/tmp}/vorlex-install.XXXXXX")"
source "$here/keep_manifest.sh"
have() { command -v "$1" >/dev/null || { echo "$1 not found (package $2): not checked"; false; }; }

DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
root="$dest/usr"
for program in vorlex vorlex-cli; do
  [ -x "$root/bin/$program" ] || fail "bin/$program is missing or not executable"
done
version="$("$root/bin/vorlex" --version)"
version="${version#vorlex }"
[[ "$version" =~ ^[0-9]+(\.[0-9]+)+$ ]] || fail "vorlex --version prints '$version'"
[ "$("$root/bin/vorlex-cli" --version)" = "vorlex-cli $version" ] ||
  fail "vorlex-cli --version differs from vorlex's $version"

# The software-centre entry names the desktop entry, and both carry one reverse-DNS id.
metainfos=("$root"/share/metainfo/*.metainfo.xml)
[ ${#metainfos[@]} -eq 1 ] && [ -s "${metainfos[0]}" ] || fail "not one metainfo file"
metainfo="${metainfos[0]}"
id="$(basename "$metainfo" .metainfo.xml)"
[[ "$id" =~ ^[a-z]+(\.[a-z0-9_]+){2,}$ ]] || fail "the id $id is not a reverse-DNS name"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's <id> is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's|.*/docs/||;s|</image>||'); do
  [ -s "$here/../../docs/$image" ] || fail "the screenshot $image is not in docs/"
done
if have appstreamcli appstream; then
  # --no-net: the screenshots are on the home page, which a test does not reach.
  appstreamcli validate --pedantic --no-net "$metainfo" >/dev/null ||
    fail "appstreamcli rejects the metainfo: $(appstreamcli validate --pedantic --no-net "$metainfo")"
fi

desktop="$root/share/applications/$id.desktop"
icon="$root/share/icons/hicolor/scalable/apps/vorlex.svg"
for file in "$desktop" "$icon"; do
  [ -s "$file" ] || fail "${file#$dest} is missing or empty"
done
grep -qx 'Exec=env "QT_QPA_PLATFORM=xcb;wayland" vorlex %f' "$desktop" ||
  fail "the desktop entry does not start vorlex with a file"
grep -q '^MimeType=.*text/plain;' "$desktop" || fail "the desktop entry does not take text/plain"
grep -qx 'Icon=vorlex' "$desktop" || fail "the desktop entry does not name the icon vorlex"
grep -q '<svg' "$icon" || fail "the icon is not an SVG image"
if have desktop-file-validate desktop-file-utils; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
fi

doc="$root/share/doc/vorlex"
head -1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
gzip -t "$doc/changelog.gz" || fail "the changelog is not compressed"
if have dpkg-parsechangelog dpkg-dev; then
  [ "$(dpkg-parsechangelog -l "$doc/changelog.gz" -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not $version"
fi

# Each manual page: compressed, of this version, naming every option and environment variable
# its program's help names, and formatting without warnings.
check_manual() { # PROGRAM HELP
  local page="$root/share/man/man1/$1.1.gz" text word
  gzip -t "$page" || fail "the manual page of $1 is missing or not compressed"
  text="$(zcat "$page" | sed 's/\\-/-/g')"
  grep -q "^\.TH [A-Z-]* 1 \"[0-9-]*\" \"VORLEX II $version\"" <<<"$text" ||
    fail "the manual page of $1 is not of version $version"
  for word in $(grep -oE -- '(^|[^a-z])--?[a-z][a-z0-9-]*' <<<"$2" | grep -oE -- '--?[a-z][a-z0-9-]*' | sort -u) \
    $(grep -oE '\bVORLEX_[A-Z_]+|\bBROWSER\b' <<<"$2" | sort -u); do
    grep -qF -- "$word" <<<"$text" || fail "the manual page of $1 does not mention $word"
  done
  if command -v man >/dev/null; then
    local warnings
    warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "the manual page of $1 formats with warnings: $warnings"
  fi
}
window_help="$("$root/bin/vorlex" --help)"
cli_help="$("$root/bin/vorlex-cli" --help)"
check_manual vorlex "$window_help"
check_manual vorlex-cli "$cli_help"
for command in $(sed -n '/^Commands:/,/^Input/p' <<<"$cli_help" | grep -oE '^  [a-z]+' | sort -u); do
  zcat "$root/share/man/man1/vorlex-cli.1.gz" | grep -q "^\.SS $command\$" ||
    fail "the manual page of vorlex-cli has no section for $command"
done

completion="$root/share/bash-completion/completions/vorlex-cli"
[ -s "$completion" ] || fail "${completion#$dest} is missing"
if have pkg-config pkg-config && pkg-config --exists bash-completion; then
  [ "$(pkg-config --variable=completionsdir bash-completion)" = "/usr/share/bash-completion/completions" ] ||
    fail "bash-completion looks for completions in $(pkg-config --variable=completionsdir bash-completion)"
fi
if [ -f /usr/share/bash-completion/bash_completion ]; then
  "$here/check_completion.sh" "$root/bin" "$completion"
else
  echo "bash-completion not installed (package bash-completion): completion not driven"
fi
echo "installed files are complete"
